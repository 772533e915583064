// The main frame's decisions without its widgets: the hour steps of the
// chart window, the three prediction layouts and the two unoffered splitter
// toggles, the Plots toggle, and the bring-up steps' seam.
#pragma once

#include <array>
#include <string>

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

// ---- bring-up ---------------------------------------------------------------

// The bring-up steps behind the frame's commands. Each gets the frame's
// state and returns the new one; the frame has already checked the command's
// enable rule. The console's system control (naming service and modules
// through their batch files, the ORB and the controller, close-down)
// replaces StateOnlyBringUp with its own implementation.
class IBringUpActions
{
public:
  virtual ~IBringUpActions() = default;
  virtual int CheckSystemSettings(int state) = 0;    // "1: Check System Settings"
  virtual int ActivateNamingService(int state) = 0;  // "2: Activate Naming Service"
  virtual int ActivateClientModules(int state) = 0;  // "3: Activate Modules on Client Machine(s)"
  virtual int ActivateServerModules(int state) = 0;  // "4: Activate Modules on Server Machine"
  virtual int SetupCorbaAndStart(int state) = 0;     // "5: Setup CORBA and Start VORLANTIS-Q"
  virtual int CloseComponents(int state) = 0;        // "Close VORLANTIS-Q Components"
  // The three parts of Setup CORBA and Start, and the unoffered run command.
  virtual int ActivateCorbaServer(int state) = 0;
  virtual int EstablishCorbaConnection(int state) = 0;
  virtual int StartSystem(int state) = 0;
  virtual int RunSystem(int state) = 0;
  // The frame is going away: stop the servant, kill the module processes.
  virtual int OnFrameDestroy(int state) = 0;
};

// Moves the state as each step would and does nothing else.
class StateOnlyBringUp : public IBringUpActions
{
public:
  int CheckSystemSettings(int) override { return 1; }
  int ActivateNamingService(int) override { return 2; }
  int ActivateClientModules(int) override { return 3; }
  int ActivateServerModules(int) override { return 4; }
  int SetupCorbaAndStart(int) override { return 5; }
  int CloseComponents(int) override { return 6; }
  int ActivateCorbaServer(int state) override { return state; }
  int EstablishCorbaConnection(int) override { return 4; }
  int StartSystem(int state) override { return state; }
  int RunSystem(int) override { return 5; }
  int OnFrameDestroy(int) override { return 6; }
};
