// The commands of the main window: their texts, menus and toolbar order, and
// the one enable and check rule over every bring-up state.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "Commands.h"

namespace {

AppState State(bool project, bool data, int state, bool distributed = false)
{
  AppState a;
  a.projectLoaded = project;
  a.dataLoaded = data;
  a.systemState = state;
  a.distributed = distributed;
  return a;
}

ActiveViewState AView()
{
  ActiveViewState v;
  v.present = true;
  return v;
}

// Which of the bring-up and Input commands are enabled, by state, with the
// data ready: a string of 0/1 over the commands below, in their order.
TEST(CommandRule, BringUpOverEveryState)
{
  const int ids[] = {kCmdCheckSystemSettings,   kCmdActivateNamingService,
                     kCmdActivateClientModules, kCmdActivateServerModules,
                     kCmdSetupCorbaAndStart,    kCmdCloseComponents,
                     kCmdInputCycles,           kCmdInputVMS,
                     kCmdInputWorkzone,         kCmdInputIncident,
                     kCmdActivateCorbaServer,   kCmdEstablishCorbaConnection,
                     kCmdStartSystem,           kCmdRunSystem,
                     kCmdExportLinkPerformance, kCmdExportODDemand};
  struct Row
  {
    int state;
    bool distributed;
    const char* enabled;
  };
  const Row rows[] = {
      // state distr. CS NS CM SM SU CC Cy VM WZ In AC EC St Ru EL EO
      {0, false, "1000001000100100"}, {1, false, "0100001000000100"},
      {2, false, "0001010000010100"},  // all on the server (or unset): step 4 follows step 2
      {2, true, "0010010000010100"},   // client machines: the reminder first
      {3, false, "0000010000000111"}, {3, true, "0001010000000111"},
      {4, false, "0000110000001100"}, {5, false, "0000010111000000"},
      {6, false, "0000000000000100"}, {100, false, "0000000000000100"},
  };
  for (const Row& r : rows) {
    std::string got;
    for (int id : ids)
      got += CommandRule(id, State(true, true, r.state, r.distributed), AView()).enabled ? '1' : '0';
    EXPECT_EQ(got, r.enabled) << "state " << r.state << " distributed " << r.distributed;
  }

  // While a step runs, every bring-up command waits, in every state; the
  // other commands keep their rule.
  for (const Row& r : rows) {
    AppState busy = State(true, true, r.state, r.distributed);
    busy.bringUpBusy = true;
    std::string got;
    for (int id : ids)
      got += CommandRule(id, busy, AView()).enabled ? '1' : '0';
    std::string want = r.enabled;
    for (std::size_t k : {0, 1, 2, 3, 4, 5, 10, 11, 12, 13})
      want[k] = '0';
    EXPECT_EQ(got, want) << "busy in state " << r.state;
  }
}

TEST(CommandRule, DataReadyNeedsBothFlags)
{
  struct Case
  {
    bool project, data;
    bool loadData, check, ready, cycles;
  };
  const Case cases[] = {
      {false, false, true, false, false, false},
      {true, false, false, true, false, true},
      {false, true, true, false, false, false},
      {true, true, false, true, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "project " << c.project << " data " << c.data);
    const AppState a = State(c.project, c.data, 0);
    EXPECT_EQ(CommandRule(kCmdLoadData, a, AView()).enabled, c.loadData);
    EXPECT_EQ(CommandRule(kCmdCheckSystemSettings, a, AView()).enabled, c.check);
    EXPECT_EQ(CommandRule(kCmdActivateNamingService, State(c.project, c.data, 1), AView()).enabled, c.ready);
    EXPECT_EQ(CommandRule(kCmdCloseComponents, State(c.project, c.data, 2), AView()).enabled, c.ready);
    EXPECT_EQ(CommandRule(kCmdPlots, a, AView()).enabled, c.ready);
    EXPECT_EQ(CommandRule(kCmdPauseSimulation, a, AView()).enabled, c.ready);
    EXPECT_EQ(CommandRule(kCmdRewindSimulation, a, AView()).enabled, c.ready);
    EXPECT_EQ(CommandRule(kCmdActivateCorbaServer, a, AView()).enabled, c.ready);
    EXPECT_EQ(CommandRule(kCmdODDemandSelection, a, AView()).enabled, c.ready);
    EXPECT_EQ(CommandRule(kCmdInputCycles, a, AView()).enabled, c.cycles);
  }
}

TEST(CommandRule, AlwaysOfferedAndNeverOffered)
{
  const AppState nothing = State(false, false, 6);
  for (int id : {kCmdAdvanceClock,
                 kCmdBringBackClock,
                 kCmdDistributionScheme,
                 kCmdNetworkModification,
                 kCmdStrategySelection,
                 kCmdScenarioManagement,
                 kCmdAdjustPredictionLayout,
                 kCmdShowRTData,
                 kCmdLoadOutput,
                 kCmdExportToDatabase,
                 kCmdDatabaseCopy,
                 kCmdAppAbout,
                 kCmdAppExit,
                 kCmdPrintSetup,
                 kCmdZoomInStep,
                 kCmdZoomOut,
                 kCmdPreviousView,
                 kCmdResetView,
                 kCmdSameViewForPrediction,
                 kCmdShowCCTVs,
                 kCmdShowCCTV,
                 kCmdViewUEPaths})
    EXPECT_TRUE(CommandRule(id, nothing, AView()).enabled) << id;
  const AppState all = State(true, true, 5);
  for (int id : {int{kCmdSpecifyOrigin}, int{kCmdSpecifyDestination}, int{kCmdUEPaths}, 12345})
    EXPECT_FALSE(CommandRule(id, all, AView()).enabled) << id;
  for (int id : {kCmdCapability, kCmdUnnamed32907, kCmdAdvanceSettings, kCmdEditProjectSettings,
                 kCmdInputSystemData, kCmdInputScenarioData}) {
    EXPECT_FALSE(CommandRule(id, nothing, AView()).enabled) << id;
    EXPECT_TRUE(CommandRule(id, State(true, false, 6), AView()).enabled) << id;
  }
}

TEST(CommandRule, MarksOfToolsAndViewOptions)
{
  AppState a = State(true, true, 0);
  ActiveViewState v = AView();
  struct ToolCase
  {
    int tool;
    int checkedCommand;
  };
  for (const ToolCase& t : {ToolCase{0, kCmdZoomIn}, ToolCase{1, kCmdPan}, ToolCase{2, kCmdSelector},
                            ToolCase{3, kCmdODDemandSelection}}) {
    a.toolMode = t.tool;
    for (int id : {kCmdZoomIn, kCmdPan, kCmdSelector, kCmdODDemandSelection}) {
      const CommandUi ui = CommandRule(id, a, v);
      EXPECT_EQ(ui.mark, CommandMark::Radio);
      EXPECT_EQ(ui.checked, id == t.checkedCommand) << "tool " << t.tool << " command " << id;
    }
    // Node and Link are offered with the zoom box and the select tool only.
    EXPECT_EQ(CommandRule(kCmdNodeSelection, a, v).enabled, t.tool == 0 || t.tool == 2);
    EXPECT_EQ(CommandRule(kCmdLinkSelection, a, v).enabled, t.tool == 0 || t.tool == 2);
  }
  a.dataLoaded = false;
  a.toolMode = 3;
  EXPECT_FALSE(CommandRule(kCmdODDemandSelection, a, v).checked);

  for (int kind : {0, 1, 2}) {
    v.selectKind = kind;
    EXPECT_EQ(CommandRule(kCmdNodeSelection, a, v).checked, kind == 0);
    EXPECT_EQ(CommandRule(kCmdLinkSelection, a, v).checked, kind == 1);
    EXPECT_EQ(CommandRule(kCmdShowCCTV, a, v).checked, kind == 2);
  }
  v.showDetectors = true;
  v.showCCTV = true;
  v.showZones = false;
  v.showUEPaths = true;
  EXPECT_TRUE(CommandRule(kCmdShowDetectors, a, v).checked);
  EXPECT_TRUE(CommandRule(kCmdShowCCTVs, a, v).checked);
  EXPECT_FALSE(CommandRule(kCmdODZone, a, v).checked);
  EXPECT_TRUE(CommandRule(kCmdUEPaths, a, v).checked);

  a.toolMode = 4;
  a.pathModeOn = 1;
  a.pathModeKind = 0;
  EXPECT_TRUE(CommandRule(kCmdViewSOPaths, a, v).checked);
  a.pathModeKind = 1;
  EXPECT_FALSE(CommandRule(kCmdViewSOPaths, a, v).checked);
  int on = 1, kind = 0;
  ApplyPathModeRule(4, on, kind);
  EXPECT_EQ(on, 1);
  ApplyPathModeRule(2, on, kind);
  EXPECT_EQ(on, 0);
  EXPECT_EQ(kind, -1);

  EXPECT_EQ(MarkOf(kCmdPan), CommandMark::Radio);
  EXPECT_EQ(MarkOf(kCmdShowCCTVs), CommandMark::Check);
  EXPECT_EQ(MarkOf(kCmdZoomOut), CommandMark::None);

  a.outputViewOption = true;
  a.switchView = false;
  EXPECT_TRUE(CommandRule(kCmdOutputViewOption, a, v).checked);
  EXPECT_FALSE(CommandRule(kCmdComponentViewOption, a, v).checked);
  EXPECT_FALSE(CommandRule(kCmdSwitchView, a, v).checked);
  a.toolbarVisible = false;
  EXPECT_FALSE(CommandRule(kCmdViewToolbar, a, v).checked);
  EXPECT_TRUE(CommandRule(kCmdViewStatusBar, a, v).checked);
}

TEST(CommandRule, ViewCommandsNeedAnActiveView)
{
  const AppState a = State(true, true, 3);
  const ActiveViewState none;
  for (int id :
       {kCmdZoomIn, kCmdZoomInStep, kCmdResetView, kCmdShowCCTVs, kCmdExportLinkPerformance, kCmdPrint})
    EXPECT_FALSE(CommandRule(id, a, none).enabled) << id;
  EXPECT_TRUE(CommandRule(kCmdExportLinkPerformance, a, AView()).enabled);
  EXPECT_TRUE(CommandRule(kCmdSetupCorbaAndStart, State(true, true, 4), none).enabled);
}

TEST(Commands, MenusHoldTheirTextsInOrder)
{
  std::map<std::string, std::vector<std::string>> menus;
  for (const MenuDef& m : MainMenus())
    for (const MenuItemDef& item : m.items)
      menus[m.title].push_back(item.IsSeparator() ? "-" : item.text);
  EXPECT_EQ(menus["&File"],
            (std::vector<std::string>{
                "Load Data", "-", "1: Check System Settings", "2: Activate Naming Service",
                "3: Activate Modules on Client Machine(s)", "4: Activate Modules on Server Machine",
                "5: Setup CORBA and Start VORLANTIS-Q", "Close VORLANTIS-Q Components", "-", "&Print...",
                "P&rint Setup...", "-", "E&xit"}));
  EXPECT_EQ(menus["&View"],
            (std::vector<std::string>{"&Toolbar", "&Status Bar", "-", "Clock Window", "CCTVs"}));
  EXPECT_EQ(menus["&Info"],
            (std::vector<std::string>{"Node", "Link", "CCTV", "Detectors", "-",
                                      "Export Link Performance Data", "Export OD Demand Data"}));
  EXPECT_EQ(menus["&Input"],
            (std::vector<std::string>{"Distribution Scheme", "Cycles", "VMS", "Workzone", "Incident",
                                      "Network Modification", "Strategy Selection", "Scenario Management"}));
  EXPECT_EQ(menus["&Help"], (std::vector<std::string>{"&About VORLANTIS-Q..."}));
  const MenuItemDef& clock = MainMenus()[1].items[3];
  ASSERT_EQ(clock.children.size(), 2u);
  EXPECT_EQ(clock.children[0].text, "Advance Clock By One Hour");
  EXPECT_EQ(clock.children[1].text, "Bring Back Clock By One Hour");
}

TEST(Commands, ToolbarOrderAndNames)
{
  std::vector<std::string> names;
  for (int id : ToolbarButtons())
    names.push_back(id == 0 ? "-" : ToolbarButtonName(id));
  EXPECT_EQ(names, (std::vector<std::string>{
                       "Load data", "-", "Selector", "Zoom in on specified view ", "Zoom in one step size",
                       "Zoom out one step size ", " Get same view for prediction", "Previous view",
                       "Reset view", "Pan", "-", "Node selection", "Link selection", "-",
                       "OD demand selection ", "-", "Plots", "-", "Adjust layout of prediction view"}));
  EXPECT_EQ(FindCommand(kCmdLoadData).prompt, "Load Data ");
  EXPECT_EQ(FindCommand(kCmdSameViewForPrediction).prompt, "Get same vew for prediction ");
  EXPECT_EQ(FindCommand(kCmdAdjustPredictionLayout).prompt, "Adjust layout of prediction view");
  EXPECT_EQ(FindCommand(99999).id, 0);
}

TEST(Commands, EveryIdOnceAndEveryOfferedCommandHasARule)
{
  std::set<int> ids;
  for (const CommandText& c : AllCommands())
    EXPECT_TRUE(ids.insert(c.id).second) << "twice: " << c.id;
  std::function<void(const std::vector<MenuItemDef>&)> walk = [&](const std::vector<MenuItemDef>& items) {
    for (const MenuItemDef& item : items) {
      if (!item.children.empty()) {
        walk(item.children);
      } else if (!item.IsSeparator()) {
        EXPECT_TRUE(ids.count(item.id)) << item.text;
      }
    }
  };
  for (const MenuDef& m : MainMenus())
    walk(m.items);
  for (int id : ToolbarButtons())
    EXPECT_TRUE(id == 0 || ids.count(id)) << id;
}

}  // namespace
