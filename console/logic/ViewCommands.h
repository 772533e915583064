// What the network views' commands do to the views and the network, without
// the widgets: step zoom, the same view in the prediction views, the path
// modes, and Specify Origin and Destination. The window routes a command
// to the active view and repaints as the command says.
//
//   ZoomViewStep(view, clientW, clientH, kZoomStepFactor);     // Zoom in one step size
//   SameViewForPrediction(views);
//   LockedPathLists paths = g_PredictedPaths.Lock();
//   RunPathMode(kPathModeSO, paths, g_CurrentMinute);
#pragma once

#include "NetworkViewModel.h"
#include "PredictedPaths.h"

constexpr double kZoomStepFactor = 1.2;
constexpr const char* kInvalidODPairText = "Invalid OD pair.";

// Step zoom: the centre becomes the middle of the client area (logical
// units, halves truncated), both scales are multiplied by the factor (zoom
// out: 1 / 1.2), and the new state goes into the history.
void ZoomViewStep(NetworkViewModel& view, int clientWidthLogical, int clientHeightLogical, double factor);

// The estimation view's offsets, scales and centre (not its angle) into
// both prediction views, whichever view received the command.
void SameViewForPrediction(const ViewSet& views);

// The path modes: View UE paths (kind 1) toggles g_nPathModeOn unless the
// kind is SO, View SO paths (kind 0) unless it is UE. When the flag is then
// set the tool mode becomes the path mode with this kind, and the OD pair's
// paths are collected when it was set before too; otherwise the pan tool
// takes over.
void RunPathMode(int kind, LockedPathLists& paths, int currentMinute);

// Specify Origin, after the control panel's options for the view are
// reset: the first path list emptied, every node's origin, destination and
// selection marks cleared, then each selected node becomes an origin (the
// OD origin key is the last one's) and the selection of nodes is emptied.
void SpecifyOrigin(LockedPathLists& paths);
// Specify Destination: each selected node with a highlight becomes a
// destination (the OD destination key is the last one's). With none the
// first path list, the node selection and every node's marks are cleared
// and false is returned (the caller shows kInvalidODPairText). Then the OD
// pair's paths are collected, every node's selection mark cleared and the
// node selection emptied.
bool SpecifyDestination(LockedPathLists& paths, int currentMinute);
