#include "Commands.h"

#include <algorithm>

namespace {

// Texts: menu text (or name), status-bar prompt, tooltip.
const std::vector<CommandText> kCommands = {
    {kCmdLoadData, "Load Data", "Load Data ", "Load data"},
    {kCmdLoadOutput, "Load Output", "Load Output", ""},
    {kCmdExportToDatabase, "Export to database", "Export to database", ""},
    {kCmdDatabaseCopy, "Database copy", "Database copy", " Database copy"},
    {kCmdCheckSystemSettings, "1: Check System Settings", "1: Check System Settings", ""},
    {kCmdActivateNamingService, "2: Activate Naming Service", "2: Activate Naming Service", ""},
    {kCmdActivateClientModules, "3: Activate Modules on Client Machine(s)",
     "3: Activate Modules on Client Machine(s)", ""},
    {kCmdActivateServerModules, "4: Activate Modules on Server Machine",
     "4: Activate Modules on Server Machine", ""},
    {kCmdSetupCorbaAndStart, "5: Setup CORBA and Start VORLANTIS-Q", "5: Setup CORBA and Start VORLANTIS-Q",
     ""},
    {kCmdCloseComponents, "Close VORLANTIS-Q Components", "Close VORLANTIS-Q Components", ""},
    {kCmdAdvanceClock, "Advance Clock By One Hour", "Advance Clock By One Hour", ""},
    {kCmdBringBackClock, "Bring Back Clock By One Hour", "Bring Back Clock By One Hour", ""},
    {kCmdDistributionScheme, "Distribution Scheme", "Distribution Scheme", ""},
    {kCmdInputCycles, "Cycles", "Cycles", ""},
    {kCmdInputVMS, "VMS", "VMS", ""},
    {kCmdInputWorkzone, "Workzone", "Workzone", ""},
    {kCmdInputIncident, "Incident", "Incident", ""},
    {kCmdNetworkModification, "Network Modification", "Network Modification", ""},
    {kCmdStrategySelection, "Strategy Selection", "Strategy Selection", ""},
    {kCmdScenarioManagement, "Scenario Management", "Scenario Management", ""},
    {kCmdPlots, "Plots", "Plots", "Plots"},
    {kCmdAdjustPredictionLayout, "Adjust layout of prediction view", "Adjust layout of prediction view", ""},
    {kCmdActivateCorbaServer, "Activate CORBA Server", "Activate CORBA Server", ""},
    {kCmdEstablishCorbaConnection, "Establish CORBA connection", "Establish CORBA connection", ""},
    {kCmdStartSystem, "Start VORLANTIS-Q", "Start VORLANTIS-Q", ""},
    {kCmdRunSystem, "Run VORLANTIS Q System", "Run VORLANTIS Q System", ""},
    {kCmdPauseSimulation, "Pause simulation", "Pause simulation", ""},
    {kCmdRewindSimulation, "Rewind simulation", "Rewind simulation", ""},
    {kCmdOutputViewOption, "Output view  option", "Output view  option", ""},
    {kCmdComponentViewOption, "Component view  option", "Component view  option", ""},
    {kCmdShowRTData, "Show RT Data", "Show RT Data", ""},
    {kCmdSwitchView, "Switch View", "Switch View", ""},
    {kCmdVehicle, "Vehicle", "Vehicle", ""},
    {kCmdVehicle2, "Vehicle", "Vehicle", ""},
    {kCmdCapability, "Capability", "Capability", ""},
    {kCmdUnnamed32907, "", "", ""},
    {kCmdAdvanceSettings, "AdvanceSettings", "AdvanceSettings", ""},
    {kCmdDatabaseView, "Database view", "Database view", ""},
    {kCmdEditProjectSettings, "Edit the project settings", "Edit the project settings", ""},
    {kCmdInputSystemData, "Input system data", "Input system data", ""},
    {kCmdInputScenarioData, "Input scenario data", "Input scenario data", ""},
    {kCmdZoomIn, "Zoom in on specified view ", "Zoom in on specified view ", "Zoom in on specified view "},
    {kCmdZoomInStep, "Zoom in one step size ", "Zoom in one step size ", "Zoom in one step size"},
    {kCmdZoomOut, "Zoom out one step size ", "Zoom out one step size ", "Zoom out one step size "},
    {kCmdSameViewForPrediction, "Get same vew for prediction ", "Get same vew for prediction ",
     " Get same view for prediction"},
    {kCmdPreviousView, "Previous view ", "Previous view ", "Previous view"},
    {kCmdResetView, "Reset view ", "Reset view ", "Reset view"},
    {kCmdPan, "Pan ", "Pan ", "Pan"},
    {kCmdSelector, "Selector ", "Selector ", "Selector"},
    {kCmdODDemandSelection, "OD demand selection ", "OD demand selection ", "OD demand selection "},
    {kCmdNodeSelection, "Node", "Node selection", "Node selection"},
    {kCmdLinkSelection, "Link", "Link selection", "Link selection"},
    {kCmdShowCCTV, "CCTV", "CCTV", ""},
    {kCmdShowDetectors, "Detectors", "Detectors", ""},
    {kCmdExportLinkPerformance, "Export Link Performance Data", "Export Link Performance Data", ""},
    {kCmdExportODDemand, "Export OD Demand Data", "Export OD Demand Data", ""},
    {kCmdShowCCTVs, "CCTVs", "CCTVs", ""},
    {kCmdODZone, "ODZone", "ODZone", ""},
    {kCmdViewUEPaths, "View UE paths ", "View UE paths ", "View UE paths"},
    {kCmdViewSOPaths, "View SO paths ", "View SO paths ", "View SO paths"},
    {kCmdSpecifyOrigin, "Specify Origin", "Specify Origin", "Specify Origin"},
    {kCmdSpecifyDestination, "Specify Destination", "Specify Destination", "Specify Destination"},
    {kCmdUEPaths, "UE Paths", "UE Paths", "UE Paths"},
    {kCmdFileNew, "&New", "Create a new document", "New"},
    {kCmdFileOpen, "&Open...", "Open an existing document", "Open"},
    {kCmdPrintSetup, "P&rint Setup...", "Change the printer and printing options", "Print Setup"},
    {kCmdPrint, "&Print...", "Print the active view", "Print"},
    {kCmdAppExit, "E&xit", "Quit the application", "Exit"},
    {kCmdAppAbout, "&About VORLANTIS-Q...", "Display program information", "About"},
    {kCmdViewToolbar, "&Toolbar", "Show or hide the toolbar", "Toggle ToolBar"},
    {kCmdViewStatusBar, "&Status Bar", "Show or hide the status bar", "Toggle StatusBar"},
};

MenuItemDef Item(int id)
{
  return {id, FindCommand(id).text, {}};
}

MenuItemDef Separator()
{
  return {};
}

}  // namespace

const std::vector<CommandText>& AllCommands()
{
  return kCommands;
}

const CommandText& FindCommand(int id)
{
  static const CommandText none{};
  auto it =
      std::find_if(kCommands.begin(), kCommands.end(), [id](const CommandText& c) { return c.id == id; });
  return it == kCommands.end() ? none : *it;
}

const std::vector<MenuDef>& MainMenus()
{
  static const std::vector<MenuDef> menus = {
      {"&File",
       {Item(kCmdLoadData), Separator(), Item(kCmdCheckSystemSettings), Item(kCmdActivateNamingService),
        Item(kCmdActivateClientModules), Item(kCmdActivateServerModules), Item(kCmdSetupCorbaAndStart),
        Item(kCmdCloseComponents), Separator(), Item(kCmdPrint), Item(kCmdPrintSetup), Separator(),
        Item(kCmdAppExit)}},
      {"&View",
       {Item(kCmdViewToolbar),
        Item(kCmdViewStatusBar),
        Separator(),
        {0, "Clock Window", {Item(kCmdAdvanceClock), Item(kCmdBringBackClock)}},
        Item(kCmdShowCCTVs)}},
      {"&Info",
       {Item(kCmdNodeSelection), Item(kCmdLinkSelection), Item(kCmdShowCCTV), Item(kCmdShowDetectors),
        Separator(), Item(kCmdExportLinkPerformance), Item(kCmdExportODDemand)}},
      {"&Input",
       {Item(kCmdDistributionScheme), Item(kCmdInputCycles), Item(kCmdInputVMS), Item(kCmdInputWorkzone),
        Item(kCmdInputIncident), Item(kCmdNetworkModification), Item(kCmdStrategySelection),
        Item(kCmdScenarioManagement)}},
      {"&Help", {Item(kCmdAppAbout)}},
  };
  return menus;
}

const std::vector<int>& ToolbarButtons()
{
  static const std::vector<int> buttons = {
      kCmdLoadData,
      0,
      kCmdSelector,
      kCmdZoomIn,
      kCmdZoomInStep,
      kCmdZoomOut,
      kCmdSameViewForPrediction,
      kCmdPreviousView,
      kCmdResetView,
      kCmdPan,
      0,
      kCmdNodeSelection,
      kCmdLinkSelection,
      0,
      kCmdODDemandSelection,
      0,
      kCmdPlots,
      0,
      kCmdAdjustPredictionLayout,
  };
  return buttons;
}

std::string ToolbarButtonName(int id)
{
  const CommandText& c = FindCommand(id);
  if (!c.tooltip.empty())
    return c.tooltip;
  return c.prompt.empty() ? c.text : c.prompt;
}

namespace {

CommandUi Enabled(bool on)
{
  return {on, CommandMark::None, false};
}

CommandUi Marked(CommandMark mark, bool checked, bool enabled = true)
{
  return {enabled, mark, checked};
}

bool IsViewCommand(int id)
{
  switch (id) {
  case kCmdZoomIn:
  case kCmdZoomInStep:
  case kCmdZoomOut:
  case kCmdSameViewForPrediction:
  case kCmdPreviousView:
  case kCmdResetView:
  case kCmdPan:
  case kCmdSelector:
  case kCmdODDemandSelection:
  case kCmdNodeSelection:
  case kCmdLinkSelection:
  case kCmdShowCCTV:
  case kCmdShowDetectors:
  case kCmdExportLinkPerformance:
  case kCmdExportODDemand:
  case kCmdShowCCTVs:
  case kCmdODZone:
  case kCmdViewUEPaths:
  case kCmdViewSOPaths:
  case kCmdSpecifyOrigin:
  case kCmdSpecifyDestination:
  case kCmdUEPaths:
  case kCmdPrint: return true;
  default: return false;
  }
}

}  // namespace

CommandUi CommandRule(int id, const AppState& a, const ActiveViewState& v)
{
  const bool ready = a.projectLoaded && a.dataLoaded;
  const int s = a.systemState;
  // Node and Link selection choose what the zoom box's and the select
  // tool's clicks select.
  const bool selecting = a.toolMode == kToolZoomBox || a.toolMode == kToolSelect;
  if (IsViewCommand(id) && !v.present)
    return Enabled(false);
  switch (id) {
  // Document
  case kCmdLoadData: return Enabled(!a.projectLoaded);
  case kCmdLoadOutput:
  case kCmdExportToDatabase:
  case kCmdDatabaseCopy: return Enabled(true);
  // Bring-up
  case kCmdCheckSystemSettings: return Enabled(!a.bringUpBusy && a.projectLoaded && s == kStateNothing);
  case kCmdActivateNamingService: return Enabled(!a.bringUpBusy && ready && s == kStateSettingsChecked);
  case kCmdActivateClientModules:
    return Enabled(!a.bringUpBusy && ready && a.distributed && s == kStateNamingService);
  case kCmdActivateServerModules:
    return Enabled(!a.bringUpBusy && ready &&
                   (a.distributed ? s == kStateClientModules : s == kStateNamingService));
  case kCmdSetupCorbaAndStart: return Enabled(!a.bringUpBusy && ready && s == kStateServerModules);
  case kCmdCloseComponents:
    return Enabled(!a.bringUpBusy && ready && s >= kStateNamingService && s <= kStateStarted);
  case kCmdAdvanceClock:
  case kCmdBringBackClock:
  case kCmdDistributionScheme:
  case kCmdNetworkModification:
  case kCmdStrategySelection:
  case kCmdScenarioManagement:
  case kCmdAdjustPredictionLayout:
  case kCmdShowRTData:
  case kCmdVehicle:
  case kCmdVehicle2:
  case kCmdDatabaseView: return Enabled(true);
  case kCmdInputCycles: return Enabled(a.projectLoaded && (s == kStateNothing || s == kStateSettingsChecked));
  case kCmdInputVMS:
  case kCmdInputWorkzone:
  case kCmdInputIncident: return Enabled(a.projectLoaded && s == kStateStarted);
  case kCmdPlots: return Enabled(ready);
  // Handled, not offered
  case kCmdActivateCorbaServer: return Enabled(!a.bringUpBusy && ready && s == kStateNothing);
  case kCmdEstablishCorbaConnection: return Enabled(!a.bringUpBusy && ready && s == kStateNamingService);
  case kCmdStartSystem: return Enabled(!a.bringUpBusy && ready && s == kStateServerModules);
  case kCmdRunSystem: return Enabled(!a.bringUpBusy && a.projectLoaded && s != kStateStarted);
  case kCmdPauseSimulation:
  case kCmdRewindSimulation: return Enabled(ready);
  case kCmdOutputViewOption: return Marked(CommandMark::Radio, a.outputViewOption);
  case kCmdComponentViewOption: return Marked(CommandMark::Radio, a.componentViewOption);
  case kCmdSwitchView: return Marked(CommandMark::Radio, a.switchView);
  case kCmdCapability:
  case kCmdUnnamed32907:
  case kCmdAdvanceSettings:
  case kCmdEditProjectSettings:
  case kCmdInputSystemData:
  case kCmdInputScenarioData: return Enabled(a.projectLoaded);
  // Network view
  case kCmdZoomIn: return Marked(CommandMark::Radio, a.toolMode == kToolZoomBox);
  case kCmdZoomInStep:
  case kCmdZoomOut:
  case kCmdSameViewForPrediction:
  case kCmdPreviousView:
  case kCmdResetView:
  case kCmdViewUEPaths:
  case kCmdPrint: return Enabled(true);
  case kCmdPan: return Marked(CommandMark::Radio, a.toolMode == kToolPan);
  case kCmdSelector: return Marked(CommandMark::Radio, a.toolMode == kToolSelect);
  case kCmdODDemandSelection:
    return Marked(CommandMark::Radio, a.dataLoaded && a.toolMode == kToolODPick,
                  a.dataLoaded && a.projectLoaded);
  case kCmdNodeSelection: return Marked(CommandMark::Check, v.selectKind == kSelectNode, selecting);
  case kCmdLinkSelection: return Marked(CommandMark::Check, v.selectKind == kSelectLink, selecting);
  case kCmdShowCCTV: return Marked(CommandMark::Check, v.selectKind == kSelectCamera);
  case kCmdShowDetectors: return Marked(CommandMark::Check, v.showDetectors);
  case kCmdExportLinkPerformance:
  case kCmdExportODDemand: return Enabled(a.projectLoaded && s == kStateClientModules);
  case kCmdShowCCTVs: return Marked(CommandMark::Check, v.showCCTV);
  case kCmdODZone: return Marked(CommandMark::Check, v.showZones);
  case kCmdViewSOPaths:
    return Marked(CommandMark::Radio,
                  a.toolMode == kToolPathMode && a.pathModeOn != 0 && a.pathModeKind == kPathModeSO);
  case kCmdSpecifyOrigin:
  case kCmdSpecifyDestination: return Enabled(false);
  case kCmdUEPaths: return Marked(CommandMark::Radio, v.showUEPaths, false);
  // Framework
  case kCmdFileNew:
  case kCmdFileOpen:
  case kCmdPrintSetup:
  case kCmdAppExit:
  case kCmdAppAbout: return Enabled(true);
  case kCmdViewToolbar: return Marked(CommandMark::Check, a.toolbarVisible);
  case kCmdViewStatusBar: return Marked(CommandMark::Check, a.statusBarVisible);
  default: return Enabled(false);
  }
}

CommandMark MarkOf(int id)
{
  ActiveViewState view;
  view.present = true;
  return CommandRule(id, AppState{}, view).mark;
}

void ApplyPathModeRule(int toolMode, int& pathModeOn, int& pathModeKind)
{
  if (toolMode != kToolPathMode) {
    pathModeOn = 0;
    pathModeKind = kPathModeNone;
  }
}
