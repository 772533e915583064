// The console's step-by-step bring-up of the distributed system, as plain
// code over injected services: the File menu's steps (Check System
// Settings, Activate Naming Service, Activate Modules on Client Machine(s),
// Activate Modules on Server Machine, Setup CORBA and Start, Close
// Components), the end of the console, and the bring-up state they move.
//
//   PlatformBringUp platform(&errorBoxes, runDir);   // launcher and close-down
//   ServantBringUp corba(gui);                        // controller and servant (ServantBringUp.h)
//   BringUpSequence bringUp(platform, corba, output, {runDir});
//   // File menu, on a worker thread (each step may wait for other processes):
//   bringUp.ActivateNamingService();
//   // command enabling, on the window thread:
//   enabled = BringUpStepOffered(step, bringUp.State(), bringUp.Distributed(), loaded, ready);
//
// States: BringUpState (console/logic/BringUpState.h).
//
// A step runs only in the state that offers it, and only one step runs at a
// time: a call while another step runs does nothing (kNotRun). A step that
// fails stops where it failed and keeps the state, so that it can be run
// again; what it had done is not done twice. The output and the services
// are called on the thread that runs the step.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "BringUpState.h"
#include "ScenarioObjects.h"

class ICommandSender;
class IMessageSink;

enum class BringUpStep {
  kCheckSystemSettings,
  kActivateNamingService,
  kActivateClientModules,
  kActivateServerModules,
  kSetupCorbaAndStart,
  kCloseComponents,
};

// Whether the File menu offers a step: Check System Settings needs the
// project loaded, the others the data handed to the views as well
// (dataReady), and each its state as above.
bool BringUpStepOffered(BringUpStep step, int state, bool distributed, bool projectLoaded, bool dataReady);

// Whether QELM_NAME_SERVICE_HOST's value is host:port (a host name or
// address that the batch files accept too, see IsNameServiceAddress; a port
// of 1 to 65535).
bool IsNameServiceHost(const std::string& value);

// ---- the services the steps use ----------------------------------------------

// Starting programs and ending the system's processes.
class IBringUpPlatform
{
public:
  virtual ~IBringUpPlatform() = default;
  // Starts a batch file or program (see CProcessMgr::Execute): its process
  // id, or -1 after the launcher has shown why.
  virtual int Execute(const std::string& file, const std::string& params, const std::string& dir, bool wait,
                      const std::string& title) = 0;
  // Ends the processes of the kill list that belong to this console.
  virtual void CloseComponents() = 0;
};

// The controller and the GUI servant, as Setup CORBA and Start uses them.
// Codes as the controller's (0 success); StartServer and InitORB 0 or -1.
class IBringUpCorba
{
public:
  virtual ~IBringUpCorba() = default;
  // Initialises the ORB with the system's arguments for this naming service
  // ("host:port").
  virtual int InitORB(const std::string& nameServiceHost) = 0;
  virtual int StartServer() = 0;
  virtual int Connect() = 0;
  virtual int Disconnect(bool force) = 0;
  virtual int Subscribe() = 0;
  virtual int Initialize() = 0;
  virtual int StartSystem(bool realTime) = 0;
  virtual std::string GetLastError() const = 0;
  virtual int StopIfRunning() = 0;
  // Where the estimation VMS and the incidents are sent.
  virtual ICommandSender& Sender() = 0;
};

// The control panel's message list and the message boxes.
class IBringUpOutput
{
public:
  enum class Box { kInformation, kError };
  virtual ~IBringUpOutput() = default;
  virtual void AddMessage(const std::string& text) = 0;
  virtual void ShowMessageBox(const std::string& text, Box kind) = 0;
};

// The launcher and the close-down of console/platform: errors of the
// launcher go to the sink as message boxes; the close-down ends what this
// console started and what works in its run directory.
class PlatformBringUp : public IBringUpPlatform
{
public:
  PlatformBringUp(IMessageSink* errorBoxes, std::string runDir);
  int Execute(const std::string& file, const std::string& params, const std::string& dir, bool wait,
              const std::string& title) override;
  void CloseComponents() override;

private:
  IMessageSink* m_errors;
  std::string m_runDir;
};

// ---- the sequence ------------------------------------------------------------

// The estimation VMS and the incidents that Setup CORBA and Start sends,
// copied on the window thread before the step leaves it: the operator's
// dialogs may change the lists while the step runs.
struct StartScenario
{
  std::vector<CVMS> signs;
  std::vector<CIncident> incidents;
};
StartScenario CopyStartScenario();

class BringUpSequence
{
public:
  enum class Result {
    kNotRun,   // another step runs, or the state does not offer the step
    kDone,     // the step ran to its end and moved the state
    kStopped,  // the step failed part-way; the state is kept
  };

  struct Options
  {
    // The run directory ("" = the current directory): batch files,
    // distribution.ini and debug.log are found there.
    std::string runDir;
    // Real-time mode of the system settings (the project's run mode is 1).
    // Empty: the project's m_nRunMode.
    std::function<bool()> realTimeMode;
    // QELM_NAME_SERVICE_HOST. Empty: the environment's.
    std::function<std::optional<std::string>()> nameServiceHost;
    // Resets the per-link series (Activate CORBA Server). Empty: at once,
    // on the step's thread. The console hands it to its window thread,
    // which paints the series, ahead of every result.
    std::function<void()> resetSeries;
  };

  BringUpSequence(IBringUpPlatform& platform, IBringUpCorba& corba, IBringUpOutput& output, Options options);

  int State() const { return m_state; }
  bool Busy() const { return m_busy; }
  // Modules run on client machines (distribution.ini as last read).
  bool Distributed() const { return m_distributed; }
  // Reads distribution.ini again (after the Distribution dialog's OK).
  void ReloadDistribution();

  // Shows the system settings dialog (on the caller's thread) and moves to
  // state 1 whatever button closed it.
  Result CheckSystemSettings(const std::function<void()>& showDialog);
  // naming_service.bat, window "Naming_Service"; state 2.
  Result ActivateNamingService();
  // The reminder box; state 3.
  Result ActivateClientModules();
  // <key>.bat of every module whose machine number is 0, in key order;
  // state 4 once all of them started.
  Result ActivateServerModules();
  // Activate CORBA Server, Establish CORBA connection and Start, stopping
  // at the first that fails; then the scenario's estimation VMS and
  // incidents are sent; state 5.
  Result SetupCorbaAndStart(const StartScenario& scenario);
  // The same with the lists as they are now: on the thread that owns them.
  Result SetupCorbaAndStart() { return SetupCorbaAndStart(CopyStartScenario()); }
  // Ends the system's processes; state 6.
  Result CloseComponents();
  // The end of the console: the servant stopped, then the processes ended
  // (in every state); state 6.
  void OnFrameDestroy();

private:
  class BusyGuard;
  bool ActivateCorbaServer();
  bool EstablishConnection();
  bool StartSystem();
  void SendScenario(const StartScenario& scenario);
  std::string RunPath(const char* name) const;
  bool Offered(BringUpStep step) const;
  void Failed(const std::string& line, const std::string& box);

  IBringUpPlatform& m_platform;
  IBringUpCorba& m_corba;
  IBringUpOutput& m_output;
  Options m_options;
  std::atomic<int> m_state{kStateNothing};
  std::atomic<bool> m_busy{false};
  std::atomic<bool> m_distributed{false};

  // What Setup CORBA and Start has done (touched by the running step only).
  bool m_serverUp = false;
  bool m_connectFailed = false;
  bool m_connected = false;
  bool m_subscribed = false;
  bool m_initialized = false;
  // Modules the server step has started.
  std::set<std::string> m_startedModules;
};
