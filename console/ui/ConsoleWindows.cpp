#include "ConsoleWindows.h"

#include "CClockView.h"
#include "CComponentView.h"
#include "CMainFrame.h"

void RepaintClockView()
{
  if (g_pClockView)
    g_pClockView->update();
}

void SetPanelDisplayModes(int estimationMode, int predictionMode)
{
  if (!g_pComponentView)
    return;
  g_pComponentView->SetEstimationDisplayMode(estimationMode);
  g_pComponentView->SetPredictionDisplayMode(predictionMode);
}

void CheckPanelZones(bool checked)
{
  if (g_pComponentView)
    g_pComponentView->CheckZones(checked);
}

void ResetPanelDisplayOptions(int viewKind)
{
  if (g_pComponentView)
    g_pComponentView->ResetDisplayOptions(viewKind);
}

void ShowSelectedLinkProperties()
{
  if (g_pComponentView)
    g_pComponentView->ShowLinkProperties();
}

void UpdateFrameCommands()
{
  if (g_pMainFrame)
    g_pMainFrame->UpdateCommandUi();
}

void SetFrameStatusText(int pane, const std::string& text)
{
  if (g_pMainFrame)
    g_pMainFrame->SetStatusText(pane, text);
}

void ShowFrameMessage(const std::string& text, MessageKind kind)
{
  if (g_pMainFrame)
    g_pMainFrame->ShowMessage(text, kind);
}

void RefreshChartWindows()
{
  if (g_pMainFrame)
    g_pMainFrame->RefreshPreviews();
}
