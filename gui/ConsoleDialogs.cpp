#include "ConsoleDialogs.h"

#include "CDlgIncident.h"
#include "CDlgScenarioMan.h"
#include "CDlgStrategySelction.h"
#include "CDlgVMSInput.h"
#include "CDlgWorkzone.h"
#include "CLogicView.h"
#include "CMainFrame.h"
#include "Commands.h"
#include "ConsoleWindows.h"
#include "GlobalArrays.h"
#include "LinkPropertiesDlg.h"

namespace {

// A row of a dialog's link list chosen: the link selected in the views and
// shown as a click on it shows it.
void SelectDialogLink(CMainFrame& frame, int link)
{
  CDrawLine* line = g_LineArray[link];
  if (!line || !g_pEstimationView)
    return;
  g_pEstimationView->SelectLink(line);
  frame.ShowLinkInfo();
}

}  // namespace

void BindInputDialogs(CMainFrame& frame, ICommandSender& sender, std::filesystem::path runDir)
{
  frame.SetInputDialog(kCmdInputIncident, [&sender](QWidget* parent) {
    CDlgIncident dlg(sender, parent);
    dlg.exec();
  });
  frame.SetInputDialog(kCmdInputVMS, [&sender, &frame](QWidget* parent) {
    VMSDialogHooks hooks;
    hooks.selectLink = [&frame](int link) { SelectDialogLink(frame, link); };
    hooks.redrawViews = [] { InvalidateNetworkViews(); };
    CDlgVMSInput dlg(sender, hooks, parent);
    dlg.exec();
  });
  frame.SetInputDialog(kCmdInputWorkzone, [&sender](QWidget* parent) {
    CDlgWorkzone dlg(
        sender, [] { InvalidateNetworkViews(); }, parent);
    dlg.exec();
  });
  frame.SetInputDialog(kCmdNetworkModification, [runDir](QWidget* parent) {
    LinkPropertiesDlg dlg(runDir, parent);
    dlg.exec();
  });
  frame.SetInputDialog(kCmdStrategySelection, [runDir](QWidget* parent) {
    CDlgStrategySelction dlg(runDir, parent);
    dlg.exec();
  });
  frame.SetInputDialog(kCmdScenarioManagement, [runDir](QWidget* parent) {
    CDlgScenarioMan dlg(runDir, parent);
    dlg.exec();
  });
}
