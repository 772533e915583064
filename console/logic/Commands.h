// Every command of the console's main window: its id, its texts (menu text,
// status-bar prompt, tooltip), where it is offered (menus and toolbar), and
// the one rule that says, from the application's state and the active
// network view, whether it is enabled and whether it carries a check or
// radio mark. The window binds each menu item and toolbar button to an id
// and applies CommandRule after every change of state or of active view.
//
//   AppState app = ...;  ActiveViewState view = ...;
//   CommandUi ui = CommandRule(kCmdActivateNamingService, app, view);
//   action->setEnabled(ui.enabled);
#pragma once

#include <string>
#include <vector>

#include "BringUpState.h"
#include "ConsoleState.h"

// Command ids (the console's resource ids).
enum CommandId : int {
  // Document
  kCmdLoadData = 32915,
  kCmdLoadOutput = 32909,
  kCmdExportToDatabase = 32916,
  kCmdDatabaseCopy = 32917,
  // Main frame: bring-up
  kCmdCheckSystemSettings = 32939,
  kCmdActivateNamingService = 32947,
  kCmdActivateClientModules = 32948,
  kCmdActivateServerModules = 32935,
  kCmdSetupCorbaAndStart = 32933,
  kCmdCloseComponents = 32937,
  // Main frame: clock window
  kCmdAdvanceClock = 32940,
  kCmdBringBackClock = 32941,
  // Main frame: Input menu
  kCmdDistributionScheme = 32949,
  kCmdInputCycles = 32924,
  kCmdInputVMS = 32928,
  kCmdInputWorkzone = 32950,
  kCmdInputIncident = 32927,
  kCmdNetworkModification = 32957,
  kCmdStrategySelection = 32954,
  kCmdScenarioManagement = 32956,
  // Main frame: toolbar
  kCmdPlots = 32872,
  kCmdAdjustPredictionLayout = 32951,
  // Main frame: handled, not offered
  kCmdActivateCorbaServer = 32931,
  kCmdEstablishCorbaConnection = 32776,
  kCmdStartSystem = 32932,
  kCmdRunSystem = 32938,
  kCmdPauseSimulation = 32779,
  kCmdRewindSimulation = 32784,
  kCmdOutputViewOption = 32796,
  kCmdComponentViewOption = 32797,
  kCmdShowRTData = 32943,
  kCmdSwitchView = 32899,
  kCmdVehicle = 32878,
  kCmdVehicle2 = 32786,
  kCmdCapability = 32906,
  kCmdUnnamed32907 = 32907,
  kCmdAdvanceSettings = 32910,
  kCmdDatabaseView = 32913,
  kCmdEditProjectSettings = 32905,
  kCmdInputSystemData = 32925,
  kCmdInputScenarioData = 32926,
  // Network view
  kCmdZoomIn = 32772,
  kCmdZoomInStep = 32842,
  kCmdZoomOut = 32773,
  kCmdSameViewForPrediction = 32847,
  kCmdPreviousView = 32845,
  kCmdResetView = 32778,
  kCmdPan = 32775,
  kCmdSelector = 32782,
  kCmdODDemandSelection = 32813,
  kCmdNodeSelection = 32870,
  kCmdLinkSelection = 32871,
  kCmdShowCCTV = 32952,
  kCmdShowDetectors = 32946,
  kCmdExportLinkPerformance = 32944,
  kCmdExportODDemand = 32945,
  kCmdShowCCTVs = 32953,
  kCmdODZone = 32846,
  kCmdViewUEPaths = 32852,
  kCmdViewSOPaths = 32853,
  kCmdSpecifyOrigin = 32891,
  kCmdSpecifyDestination = 32892,
  kCmdUEPaths = 32896,
  // Framework commands
  kCmdFileNew = 57600,
  kCmdFileOpen = 57601,
  kCmdPrintSetup = 57606,
  kCmdPrint = 57607,
  kCmdAppExit = 57665,
  kCmdAppAbout = 57664,
  kCmdViewToolbar = 59392,
  kCmdViewStatusBar = 59393,
};

struct CommandText
{
  int id = 0;
  std::string text;     // menu text, or the button's name where no menu offers it
  std::string prompt;   // status-bar prompt
  std::string tooltip;  // toolbar tooltip
};
// Every command above, in id order of this header.
const std::vector<CommandText>& AllCommands();
// The texts of a command; an empty record (id 0) for an unknown id.
const CommandText& FindCommand(int id);

// A menu item: a command, a separator (id 0, no children) or a submenu
// (children, titled text).
struct MenuItemDef
{
  int id = 0;
  std::string text;
  std::vector<MenuItemDef> children;
  bool IsSeparator() const { return id == 0 && children.empty(); }
};
struct MenuDef
{
  std::string title;
  std::vector<MenuItemDef> items;
};
// The menu bar: File, View, Info, Input, Help.
const std::vector<MenuDef>& MainMenus();

// The toolbar's buttons in order; 0 is a separator. A button's name is its
// tooltip.
const std::vector<int>& ToolbarButtons();
// Name of a toolbar button (its tooltip, else its prompt, else its text).
std::string ToolbarButtonName(int id);

// Everything the rules read of the application.
struct AppState
{
  bool projectLoaded = false;       // m_bProjectLoaded
  bool dataLoaded = false;          // g_bDataLoaded
  int systemState = kStateNothing;  // BringUpState
  // Some program of distribution.ini runs on a client machine (a value of 1
  // to 8): the client-machine reminder comes before the server step.
  bool distributed = false;
  // A bring-up step runs: every bring-up command waits for it.
  bool bringUpBusy = false;
  int toolMode = kToolZoomBox;       // g_nToolMode
  int pathModeOn = 1;                // g_nPathModeOn
  int pathModeKind = kPathModeNone;  // g_nPathModeKind
  bool outputViewOption = false;
  bool componentViewOption = false;
  bool switchView = true;
  bool toolbarVisible = true;
  bool statusBarVisible = true;
};

// Everything the rules read of the active network view.
struct ActiveViewState
{
  bool present = false;  // a network view is active
  int selectKind = kSelectNode;
  bool showDetectors = false;
  bool showCCTV = false;
  bool showZones = true;
  bool showUEPaths = false;
};

enum class CommandMark { None, Check, Radio };

struct CommandUi
{
  bool enabled = true;
  CommandMark mark = CommandMark::None;  // the kind of mark the command carries
  bool checked = false;                  // the mark is shown
  friend bool operator==(const CommandUi&, const CommandUi&) = default;
};

// The enable and check rule of every command. Commands of the network view
// are disabled while no network view is active. An unknown id is disabled.
CommandUi CommandRule(int id, const AppState& app, const ActiveViewState& view);

// The kind of mark a command carries (whatever the state).
CommandMark MarkOf(int id);

// The path-mode flags after the SO-paths rule has run: whenever the tool is
// not the path mode, the flag is cleared and the kind is none.
void ApplyPathModeRule(int toolMode, int& pathModeOn, int& pathModeKind);
