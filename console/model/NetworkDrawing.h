// One network view drawn into a drawing target: the layers of the network
// in their fixed order, with every input in NetworkViewOptions, and the text
// of the view's title band. A network view (console/ui) keeps its options,
// fills the store inputs before each paint, locks the predicted paths for the
// paint and hands its painter wrapped in an IPathDrawTarget:
//
//   NetworkViewOptions opt = m_options;          // flags, measure, source, minute, scale
//   opt.bDataLoaded = g_bDataLoaded;
//   TakeStoreInputs(opt);                        // clock minutes, link shape ratio
//   LockedPathLists paths = g_PredictedPaths.Lock();
//   DrawNetwork(opt, paths, target);
//
// Background, title band and legends are the view's own painting; the title
// text is ViewTitleText, the path legend's places PathLegendLineY and
// PathSwatch (PredictedPaths.h).
#pragma once

#include <string>

#include "DrawTypes.h"
#include "PredictedPaths.h"
#include "ResultStores.h"

// The three network views.
enum NetworkViewKind {
  kViewCurrentCondition = 0,  // source 0, the estimation
  kViewPrediction0 = 1,       // source 1, the first prediction instance
  kViewPrediction1 = 2,       // source 3, the second prediction instance
};

// Everything one paint of a network view reads, besides the global object
// arrays and the locked path lists.
struct NetworkViewOptions
{
  ViewDrawOptions objects;  // what the network objects read (flags, measure, source, minutes)
  PathViewOptions paths;    // the path lists shown, their colours, the legend line
  int nViewKind = kViewCurrentCondition;
  bool bShowZones = true;    // OD zones drawn
  bool bDataLoaded = false;  // the project has been handed to the views: before it, no network
};

// Fills the inputs that live in the result stores and in the loaded project:
// the estimation clock's minute (marks), the view's own clock minute
// (vehicles: the prediction clock in a prediction view) and the link shape
// ratio (node circles).
void TakeStoreInputs(NetworkViewOptions& view);

// Draws the network layers, each list walked first to last: links, cameras,
// nodes; the vehicles of the view's source when the vehicle layer is on,
// then the route of every followed vehicle; the bus routes (the project's
// paths of kind 0) when that layer is on; work zones; the VMS of the
// view's instance (the second prediction list in the view of kind 2, the
// estimation list in the other two); incidents; the predicted paths of each
// list the view shows, picked ones drawn again on top; the OD zones.
// Nothing before the data is loaded. Writes nothing but a vehicle's late
// flag.
void DrawNetwork(const NetworkViewOptions& view, const LockedPathLists& paths, IPathDrawTarget& dc);

// DrawNetwork in two parts, so that a view can record pieces of the link
// layer on several threads, one target each: the links [first, end) of
// g_LineArray, then every layer after the links. DrawNetwork is
// DrawNetworkLinks over every link followed by DrawNetworkAfterLinks.
// Neither writes anything but a vehicle's late flag (after the links, the
// vehicles of the view's own source only).
void DrawNetworkLinks(const NetworkViewOptions& view, int first, int end, IDrawTarget& dc);
void DrawNetworkAfterLinks(const NetworkViewOptions& view, const LockedPathLists& paths, IPathDrawTarget& dc);

// Title band text of a view: " Current Condition [hh:mm] " with the
// estimation clock, " State Prediction (0)[hh:mm] " or " State Prediction
// (1)[hh:mm] " with the prediction clock (formatted from a copy).
std::string ViewTitleText(int viewKind, const ClockRecord& estimation, const ClockRecord& prediction);
