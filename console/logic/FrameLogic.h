// The main frame's decisions without its widgets: the hour steps of the
// chart window, the three prediction layouts and the two unoffered splitter
// toggles, the Plots toggle, the commands that change only state (Pause,
// Rewind, Show RT Data), and the bring-up steps' seam.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>

#include "BringUpState.h"

struct ViewSet;

// ---- chart window -----------------------------------------------------------

// Advance Clock: both ends + 60 while the end is below 1440; Bring Back
// Clock: both - 60 while the start is at least 60. False when nothing moved.
bool AdvanceChartWindow(int& start, int& end);
bool BringBackChartWindow(int& start, int& end);

// ---- splitter layouts -------------------------------------------------------

struct PaneSizes
{
  int first = 0;   // ideal size of row or column 0
  int second = 0;  // ideal size of row or column 1 (0: it takes the rest)
  friend bool operator==(const PaneSizes&, const PaneSizes&) = default;
};
// The prediction views' rows for a layout (0: only prediction view 0, 1:
// only prediction view 1, 2: a third and the rest) in a client area of
// height h, and the layout that comes next.
PaneSizes PredictionLayoutSizes(int layout, int h);
int NextPredictionLayout(int layout);
// The unoffered toggles: the clock view's row and the control panel's
// column, as the flag stands before it is flipped.
PaneSizes OutputViewSizes(bool optionSet, int h);
PaneSizes ComponentViewSizes(bool optionSet, int w);

// ---- Plots ------------------------------------------------------------------

enum class PlotsStep { Create, Show, Hide };
// What Plots does with the information sheet, and the hidden flag after it.
PlotsStep PlotsAction(bool sheetHasWindow, bool& sheetHidden);

// ---- the frame's state commands ------------------------------------------------

// What the window draws again after ApplyFrameCommand.
struct FrameRepaint
{
  bool networkViews = false;    // the three network views
  bool estimationView = false;  // the estimation view alone
  bool clockView = false;
  friend bool operator==(const FrameRepaint&, const FrameRepaint&) = default;
};
// Runs the frame's commands that change only state: Advance and Bring Back
// Clock By One Hour move the chart window (g_ChartWindowStart and
// g_ChartWindowEnd), Pause simulation sets kStatePaused, Rewind simulation
// sets the prediction views' minutes and both clock records to 0, Show RT
// Data shows the project's start minute in the estimation view. Says what
// is drawn again; empty for any other command.
std::optional<FrameRepaint> ApplyFrameCommand(int id, int& systemState, const ViewSet& views,
                                              int startMinute);

// ---- bring-up ---------------------------------------------------------------

// The bring-up steps behind the frame's commands. Each gets the frame's
// state and reports the new one through done, exactly once, on the window
// thread: at once for a step that finishes on the spot, or later, from the
// window thread's event loop, for a step that runs elsewhere (one that waits
// for other processes). The frame counts as busy from the call until done:
// every bring-up command is disabled meanwhile (AppState::bringUpBusy). The
// frame has already checked the command's enable rule. The console's system
// control (naming service and modules through their batch files, the ORB
// and the controller, close-down) replaces StateOnlyBringUp with its own
// implementation.
using BringUpDone = std::function<void(int state)>;

class IBringUpActions
{
public:
  virtual ~IBringUpActions() = default;
  // The File menu's steps: "1: Check System Settings", "2: Activate Naming
  // Service", "3: Activate Modules on Client Machine(s)", "4: Activate
  // Modules on Server Machine", "5: Setup CORBA and Start VORLANTIS-Q",
  // "Close VORLANTIS-Q Components".
  virtual void CheckSystemSettings(int state, BringUpDone done) = 0;
  virtual void ActivateNamingService(int state, BringUpDone done) = 0;
  virtual void ActivateClientModules(int state, BringUpDone done) = 0;
  virtual void ActivateServerModules(int state, BringUpDone done) = 0;
  virtual void SetupCorbaAndStart(int state, BringUpDone done) = 0;
  virtual void CloseComponents(int state, BringUpDone done) = 0;
  // The three parts of Setup CORBA and Start, and the unoffered run command.
  virtual void ActivateCorbaServer(int state, BringUpDone done) = 0;
  virtual void EstablishCorbaConnection(int state, BringUpDone done) = 0;
  virtual void StartSystem(int state, BringUpDone done) = 0;
  virtual void RunSystem(int state, BringUpDone done) = 0;
  // The frame is going away (synchronous, also while a step runs: it waits
  // for that step): stop the servant, kill the module processes.
  virtual int OnFrameDestroy(int state) = 0;
};

// Moves the state as each step would and does nothing else.
class StateOnlyBringUp : public IBringUpActions
{
public:
  void CheckSystemSettings(int, BringUpDone done) override { done(kStateSettingsChecked); }
  void ActivateNamingService(int, BringUpDone done) override { done(kStateNamingService); }
  void ActivateClientModules(int, BringUpDone done) override { done(kStateClientModules); }
  void ActivateServerModules(int, BringUpDone done) override { done(kStateServerModules); }
  void SetupCorbaAndStart(int, BringUpDone done) override { done(kStateStarted); }
  void CloseComponents(int, BringUpDone done) override { done(kStateClosed); }
  void ActivateCorbaServer(int state, BringUpDone done) override { done(state); }
  void EstablishCorbaConnection(int, BringUpDone done) override { done(kStateServerModules); }
  void StartSystem(int state, BringUpDone done) override { done(state); }
  void RunSystem(int, BringUpDone done) override { done(kStateStarted); }
  int OnFrameDestroy(int) override { return kStateClosed; }
};
