#include "BringUp.h"

#include <cstdlib>
#include <fstream>

#include "BatchFiles.h"
#include "CProcessMgr.h"
#include "CProject.h"
#include "CloseDown.h"
#include "CommandSender.h"
#include "Commands.h"
#include "DebugLog.h"
#include "DistributionScheme.h"
#include "GlobalArrays.h"
#include "IncidentLogic.h"
#include "IniFile.h"
#include "LinkSeries.h"
#include "ScenarioObjects.h"
#include "VMSLogic.h"

bool BringUpStepOffered(BringUpStep step, int state, bool distributed, bool projectLoaded, bool dataReady)
{
  // The File menu's own rules, so that a step runs exactly when its command
  // is enabled.
  int command = 0;
  switch (step) {
  case BringUpStep::kCheckSystemSettings: command = kCmdCheckSystemSettings; break;
  case BringUpStep::kActivateNamingService: command = kCmdActivateNamingService; break;
  case BringUpStep::kActivateClientModules: command = kCmdActivateClientModules; break;
  case BringUpStep::kActivateServerModules: command = kCmdActivateServerModules; break;
  case BringUpStep::kSetupCorbaAndStart: command = kCmdSetupCorbaAndStart; break;
  case BringUpStep::kCloseComponents: command = kCmdCloseComponents; break;
  }
  AppState app;
  app.projectLoaded = projectLoaded;
  app.dataLoaded = dataReady;
  app.systemState = state;
  app.distributed = distributed;
  return CommandRule(command, app, ActiveViewState{}).enabled;
}

bool IsNameServiceHost(const std::string& value)
{
  // The characters the run directory's batch files accept, and then a
  // plain host or a bracketed IPv6 address, and a port of 1 to 65535.
  if (!IsNameServiceAddress(value))
    return false;
  const std::size_t colon = value.rfind(':');
  const std::string host = value.substr(0, colon);
  const bool bracketed = host.size() > 2 && host.front() == '[' && host.back() == ']';
  if (!bracketed && host.find_first_of(":[]") != std::string::npos)
    return false;
  const std::string port = value.substr(colon + 1);
  if (port.size() > 5)
    return false;
  const long number = std::stol(port);
  return number >= 1 && number <= 65535;
}

// ---- platform services -----------------------------------------------------------

PlatformBringUp::PlatformBringUp(IMessageSink* errorBoxes, std::string runDir)
    : m_errors(errorBoxes), m_runDir(std::move(runDir))
{}

int PlatformBringUp::Execute(const std::string& file, const std::string& params, const std::string& dir,
                             bool wait, const std::string& title)
{
  CProcessMgr launcher(m_errors);
  return launcher.Execute(file, params, dir, wait, title);
}

void PlatformBringUp::CloseComponents()
{
  ::CloseComponents(CloseDownScope::ForThisConsole(m_runDir));
}

// ---- the sequence ----------------------------------------------------------------

// Holds the sequence busy for one step; a second step at the same time
// finds it taken.
class BringUpSequence::BusyGuard
{
public:
  explicit BusyGuard(std::atomic<bool>& busy) : m_busy(busy) { m_taken = !m_busy.exchange(true); }
  ~BusyGuard()
  {
    if (m_taken)
      m_busy = false;
  }
  BusyGuard(const BusyGuard&) = delete;
  BusyGuard& operator=(const BusyGuard&) = delete;
  bool Taken() const { return m_taken; }

private:
  std::atomic<bool>& m_busy;
  bool m_taken = false;
};

BringUpSequence::BringUpSequence(IBringUpPlatform& platform, IBringUpCorba& corba, IBringUpOutput& output,
                                 Options options)
    : m_platform(platform), m_corba(corba), m_output(output), m_options(std::move(options))
{
  if (!m_options.realTimeMode)
    m_options.realTimeMode = [] { return g_Project.m_nRunMode == 1; };
  if (!m_options.resetSeries)
    m_options.resetSeries = [] { ResetAllLinkSeries(); };
  if (!m_options.nameServiceHost)
    m_options.nameServiceHost = []() -> std::optional<std::string> {
      const char* v = std::getenv("QELM_NAME_SERVICE_HOST");
      if (!v)
        return std::nullopt;
      return std::string(v);
    };
  ReloadDistribution();
}

std::string BringUpSequence::RunPath(const char* name) const
{
  return m_options.runDir.empty() ? std::string(name) : m_options.runDir + "/" + name;
}

void BringUpSequence::ReloadDistribution()
{
  m_distributed = ReadDistribution(RunPath(kDistributionFile)).distributed;
}

bool BringUpSequence::Offered(BringUpStep step) const
{
  // The data flags are the frame's to test; here the state decides.
  return BringUpStepOffered(step, m_state, m_distributed, true, true);
}

BringUpSequence::Result BringUpSequence::CheckSystemSettings(const std::function<void()>& showDialog)
{
  BusyGuard busy(m_busy);
  if (!busy.Taken() || !Offered(BringUpStep::kCheckSystemSettings))
    return Result::kNotRun;
  if (showDialog)
    showDialog();
  m_state = kStateSettingsChecked;
  return Result::kDone;
}

BringUpSequence::Result BringUpSequence::ActivateNamingService()
{
  BusyGuard busy(m_busy);
  if (!busy.Taken() || !Offered(BringUpStep::kActivateNamingService))
    return Result::kNotRun;
  if (m_platform.Execute("naming_service.bat", "", m_options.runDir, false, "Naming_Service") == -1)
    return Result::kStopped;
  m_state = kStateNamingService;
  return Result::kDone;
}

BringUpSequence::Result BringUpSequence::ActivateClientModules()
{
  BusyGuard busy(m_busy);
  if (!busy.Taken() || !Offered(BringUpStep::kActivateClientModules))
    return Result::kNotRun;
  m_output.ShowMessageBox("Please activate VORLANTIS-Q modules on client machine(s)",
                          IBringUpOutput::Box::kInformation);
  m_state = kStateClientModules;
  return Result::kDone;
}

BringUpSequence::Result BringUpSequence::ActivateServerModules()
{
  BusyGuard busy(m_busy);
  if (!busy.Taken() || !Offered(BringUpStep::kActivateServerModules))
    return Result::kNotRun;
  const std::string ini = RunPath(kDistributionFile);
  bool allStarted = true;
  for (const RunProgram& m : RunPrograms()) {
    if (IniReadInt(kDistributionSection, m.key, -1, ini) != 0 || m_startedModules.count(m.key))
      continue;
    // A batch file that does not start has been reported by the launcher;
    // the others are still started.
    if (m_platform.Execute(std::string(m.key) + ".bat", "", m_options.runDir, false, m.title) == -1)
      allStarted = false;
    else
      m_startedModules.insert(m.key);
  }
  if (!allStarted)
    return Result::kStopped;
  m_state = kStateServerModules;
  return Result::kDone;
}

void BringUpSequence::Failed(const std::string& line, const std::string& box)
{
  m_output.AddMessage(line);
  m_output.AddMessage(m_corba.GetLastError());
  m_output.ShowMessageBox(box, IBringUpOutput::Box::kError);
}

bool BringUpSequence::ActivateCorbaServer()
{
  if (m_serverUp)
    return true;
  const std::optional<std::string> host = m_options.nameServiceHost();
  if (!host) {
    m_output.ShowMessageBox("QELM_NAME_SERVICE_HOST is not set. Set it to the naming service's host:port "
                            "(for example 127.0.0.1:2809) before starting the console.",
                            IBringUpOutput::Box::kError);
    return false;
  }
  if (!IsNameServiceHost(*host)) {
    m_output.ShowMessageBox("QELM_NAME_SERVICE_HOST is \"" + *host +
                                "\", not the naming service's host:port (for example 127.0.0.1:2809).",
                            IBringUpOutput::Box::kError);
    return false;
  }
  if (m_corba.InitORB(*host) != 0) {
    m_output.AddMessage("Failed to initialize the ORB.");
    m_output.ShowMessageBox("Failed to initialize the ORB.", IBringUpOutput::Box::kError);
    return false;
  }
  m_output.AddMessage("Activating the GUI CORBA server...");
  if (m_corba.StartServer() != 0) {
    m_output.AddMessage("Failed to activate the GUI CORBA server.");
    m_output.ShowMessageBox("Failed to activate the GUI CORBA server.", IBringUpOutput::Box::kError);
    return false;
  }
  m_output.AddMessage("CORBA server is active.");
  // No message is handled before the subscription below, so no result is
  // written while the series are reset.
  m_options.resetSeries();
  // The handler's progress lines of this run start in an empty file.
  std::ofstream(RunPath(kDebugLogFile), std::ios::trunc);
  m_serverUp = true;
  return true;
}

bool BringUpSequence::EstablishConnection()
{
  if (!m_connected) {
    // A failed clock synchronisation keeps the Management reference, and
    // Management then reports itself active: forget it first.
    if (m_connectFailed)
      m_corba.Disconnect(true);
    if (m_corba.Connect() != 0) {
      m_connectFailed = true;
      Failed("Failed to connect VORLANTIS-Q. Reason: ", "Failed to connect VORLANTIS-Q.");
      return false;
    }
    m_connected = true;
    m_output.AddMessage("Connected to VORLANTIS-Q.");
  }
  if (!m_subscribed) {
    if (m_corba.Subscribe() != 0) {
      Failed("Failed to subscribe for messages. Reason:",
             "Failed to start VORLANTIS-Q. Reason:" + m_corba.GetLastError());
      return false;
    }
    m_subscribed = true;
    m_output.AddMessage("Subscribed to VORLANTIS-Q messages.");
  }
  return true;
}

bool BringUpSequence::StartSystem()
{
  if (!m_initialized) {
    if (m_corba.Initialize() != 0) {
      Failed("Failed to initialize. Reason:", "Failed to initialize. Reason:" + m_corba.GetLastError());
      return false;
    }
    m_initialized = true;
    m_output.AddMessage("VORLANTIS-Q Initialized.");
  }
  if (m_corba.StartSystem(m_options.realTimeMode()) != 0) {
    Failed("Failed to start VORLANTIS-Q. Reason: ",
           "Failed to start VORLANTIS-Q. Reason: " + m_corba.GetLastError());
    return false;
  }
  m_output.AddMessage("VORLANTIS-Q scheduler started.");
  return true;
}

StartScenario CopyStartScenario()
{
  StartScenario scenario;
  for (const auto& sign : g_VMSArray)
    if (sign)
      scenario.signs.push_back(*sign);
  for (const auto& incident : g_IncidentArray)
    if (incident)
      scenario.incidents.push_back(*incident);
  return scenario;
}

void BringUpSequence::SendScenario(const StartScenario& scenario)
{
  ICommandSender& sender = m_corba.Sender();
  for (const CVMS& sign : scenario.signs)
    SendVMSCommand(sender, 1, sign);
  for (const CIncident& incident : scenario.incidents)
    SendIncidentCommand(sender, 1, incident);
}

BringUpSequence::Result BringUpSequence::SetupCorbaAndStart(const StartScenario& scenario)
{
  BusyGuard busy(m_busy);
  if (!busy.Taken() || !Offered(BringUpStep::kSetupCorbaAndStart))
    return Result::kNotRun;
  if (!ActivateCorbaServer() || !EstablishConnection() || !StartSystem())
    return Result::kStopped;
  SendScenario(scenario);
  m_state = kStateStarted;
  return Result::kDone;
}

BringUpSequence::Result BringUpSequence::CloseComponents()
{
  BusyGuard busy(m_busy);
  if (!busy.Taken() || !Offered(BringUpStep::kCloseComponents))
    return Result::kNotRun;
  m_platform.CloseComponents();
  m_state = kStateClosed;
  return Result::kDone;
}

void BringUpSequence::OnFrameDestroy()
{
  m_corba.StopIfRunning();
  m_platform.CloseComponents();
  m_state = kStateClosed;
}
