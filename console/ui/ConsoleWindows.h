// The console's one-of-a-kind windows, for the windows that reach each
// other: the three network views by role, the clock view, the control panel
// and the main frame. Each is set by its constructor and cleared by its
// destructor; all are used on the GUI thread only.
//
// The windows ask things of each other only through the functions below,
// which the frame's side carries out (ConsoleWindows.cpp); so only the frame
// knows the concrete windows. Each does nothing for a window that does not
// exist.
//
//   RefreshChartWindows();                 // the clock's marker moved
//   if (const NetworkViewModel* est = CurrentViews().estimation) ... est->m_nMinute ...
#pragma once

#include <string>

#include "NetworkViewModel.h"
#include "OperatorPrompts.h"

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

// ---- the network views ----------------------------------------------------------
// The models of the three views that exist.
ViewSet CurrentViews();
// Repaints the views that exist (the picture is drawn again).
void InvalidateNetworkViews();
// The same for the two prediction views only.
void InvalidatePredictionViews();

// ---- the clock view ---------------------------------------------------------------
void RepaintClockView();

// ---- the control panel ------------------------------------------------------------
// The display modes of the estimation view and of the prediction views.
void SetPanelDisplayModes(int estimationMode, int predictionMode);
// Checks or clears the "Zones" box.
void CheckPanelZones(bool checked);
// Layers and measure off for a view kind (Specify Origin).
void ResetPanelDisplayOptions(int viewKind);
// The rows of the link selected last.
void ShowSelectedLinkProperties();

// ---- the main frame ---------------------------------------------------------------
// Every command's rule applied again.
void UpdateFrameCommands();
void SetFrameStatusText(int pane, const std::string& text);
// A message box of its kind over the frame.
void ShowFrameMessage(const std::string& text, MessageKind kind = MessageKind::kWarning);
// The chart windows repainted and the paths of the chosen OD pair collected
// again.
void RefreshChartWindows();
