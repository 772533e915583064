// State of the console's windows that lives for the whole run and is read by
// several windows: the application title, the data-loaded flag, the legend
// ramp, and the shared mouse-tool state of the network views. All of it is
// read and written on the GUI thread only.
#pragma once

#include <string>

#include "DrawTypes.h"

// The application's title, shown in the main frame's caption.
constexpr const char* kAppTitleText = "VORLANTIS-Q";
extern std::string g_AppTitle;  // empty until the application starts

// The loaded project has been handed to the views (set by Load Data only):
// before it the views draw no network.
extern bool g_bDataLoaded;

// The five colours of every view's density and speed legend: the default
// ramp in order at start. Only the estimation view's display mode changes
// it (density: in order, speed: reversed), so that legend box i matches link
// level i of the estimation view.
extern ColorRef g_ColorRamp[5];
// The default ramp in order (reversed = false) or reversed.
void CopyDefaultRamp(ColorRef out[5], bool reversed);

// The network views' shared mouse-tool state.
enum ToolMode {
  kToolZoomBox = 0,  // zoom to a dragged box
  kToolPan = 1,
  kToolSelect = 2,
  kToolODPick = 3,
  kToolPathMode = 4,  // no tool: mouse presses do nothing
};
// What a click selects in a view (each view's m_nSelectKind).
enum SelectKind { kSelectNode = 0, kSelectLink = 1, kSelectCamera = 2 };
// The paths the path mode shows (g_nPathModeKind).
enum PathModeKind { kPathModeNone = -1, kPathModeSO = 0, kPathModeUE = 1 };
extern int g_nToolMode;      // kToolZoomBox at start
extern int g_nODStep;        // OD pick: 0 none, 1 origin pressed, 2 destination taken
extern int g_nPathModeOn;    // 1 at start
extern int g_nPathModeKind;  // PathModeKind, kPathModeNone at start
extern int g_nODOriginNode;  // OD keys of the chosen origin and destination
extern int g_nODDestinationNode;
// Zone positions (in g_ZoneArray) of the last OD pick: the OD table page's
// origin and destination.
extern int g_nOriginZone;       // 1 at start
extern int g_nDestinationZone;  // 2 at start
