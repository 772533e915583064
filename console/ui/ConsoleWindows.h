// The console's one-of-a-kind windows, for the windows that reach each
// other: the three network views by role, the clock view, the control panel
// and the main frame. Each is set by its constructor and cleared by its
// destructor; all are used on the GUI thread only.
#pragma once

#include "NetworkViewModel.h"

class CLogicView;
class CClockView;
class CComponentView;
class CMainFrame;

extern CLogicView* g_pEstimationView;
extern CLogicView* g_pPredictionView0;
extern CLogicView* g_pPredictionView1;
extern CClockView* g_pClockView;
extern CComponentView* g_pComponentView;
extern CMainFrame* g_pMainFrame;

// The models of the three views that exist.
ViewSet CurrentViews();
// Repaints the views that exist (the picture is drawn again).
void InvalidateNetworkViews();
// The same for the two prediction views only.
void InvalidatePredictionViews();
