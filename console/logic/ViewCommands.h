// What the network views' commands do to the views and the network, without
// the widgets: step zoom, the same view in the prediction views, the path
// modes, Specify Origin and Destination, and ApplyViewCommand, which runs
// every view command of the menus and the toolbar. The window routes a
// command to the active view and repaints as the command says.
//
//   switch (ApplyViewCommand(id, {view, views, clientW, clientH})) { ... }   // the window's part
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

// ---- the commands as the window runs them ------------------------------------

// What the window does once ApplyViewCommand has changed the views.
enum class ViewCommandStep {
  kNothing,             // no picture changed (a tool chosen, a selection kind)
  kRepaintView,         // the view that received the command is drawn again
  kRepaintAllViews,     // every network view is drawn again
  kExport,              // the window asks for the export's file and writes it
  kSpecifyOrigin,       // the window runs Specify Origin (it resets the control panel first)
  kSpecifyDestination,  // the window runs Specify Destination (it may tell the operator)
};

// The view that received a command, its client area (logical units) and
// the three views.
struct ViewCommandTarget
{
  NetworkViewModel& view;
  ViewSet views;
  int clientWidthLogical = 0;
  int clientHeightLogical = 0;
};

// Runs a network view command on the views' models and the shared tool
// state: the tools (Zoom in on specified view, Pan, Selector, OD demand
// selection), the step zooms, Get same view for prediction, Previous and
// Reset view, the selection kinds (Node and Link in all three views, CCTV
// in this one, with the selector), the layers (Detectors, CCTVs, ODZone)
// and the path modes. Says what the window does then; any other id changes
// nothing.
ViewCommandStep ApplyViewCommand(int id, const ViewCommandTarget& target);
