#include "VQSystemController.h"

#include <cstdlib>
#include <thread>

#include "HRTime.h"
#include "ScenarioObjects.h"
#include "VQOStreamLog.h"
#include "VQTimeCentral.h"
#include "qelm_command_args.h"
#include "qelm_corba_utils.h"
#include "qelm_msg_codes.h"

namespace {

const char kTextNotActive[] = "VORLANTIS-Q currently not active.";
const char kTextActive[] = "VORLANTIS-Q is currently active.";
const char kTextNotRunning[] = "VORLANTIS-Q is currently not running.";
const char kTextRunning[] = "VORLANTIS-Q is currently running.";
const char kTextNotInitialized[] = "VORLANTIS-Q is not initialized.";
const char kTextInitialized[] = "VORLANTIS-Q is already initialized.";
const char kTextInitializedBefore[] = "VORLANTIS-Q was initialized before. Cannot re-initialize.";
const char kTextSubscribe[] = "Failed to subscribe for messages.";
const char kTextUnsubscribe[] = "Failed to unsubscribe the message target.";
const char kTextUnknown[] = "Unkonwn error occurred.";
const char kTextNoSync[] = "Unable to synchronize time.";

// Seconds Connect waits for Management to appear in the naming service.
constexpr int kResolveTimeoutS = 10;

const char* TextOfCode(int code)
{
  switch (code) {
  case 1: return kTextNotActive;
  case 2: return kTextActive;
  case 3: return kTextNotRunning;
  case 4: return kTextRunning;
  case 5: return kTextNotInitialized;
  case 6: return kTextInitialized;
  case 7: return kTextInitializedBefore;
  default: return kTextUnknown;
  }
}

}  // namespace

VQSystemController::VQSystemController() = default;

VQSystemController::~VQSystemController()
{
  std::lock_guard<std::mutex> lock(m_mutex);
  m_tallyhouse = QELM::Tallyhouse::_nil();
  m_management = QELM::Management::_nil();
  m_orb = CORBA::ORB::_nil();
}

std::string VQSystemController::GetLastError() const
{
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_error;
}

int VQSystemController::Fail(int code, const char* text)
{
  std::lock_guard<std::mutex> lock(m_mutex);
  m_error = text;
  return code;
}

int VQSystemController::Fail(int code)
{
  return Fail(code, TextOfCode(code));
}

QELM::Management_ptr VQSystemController::DuplicateManagement() const
{
  std::lock_guard<std::mutex> lock(m_mutex);
  return QELM::Management::_duplicate(m_management.in());
}

void VQSystemController::SetORB(CORBA::ORB_ptr orb)
{
  std::lock_guard<std::mutex> lock(m_mutex);
  m_orb = CORBA::ORB::_duplicate(orb);
}

CORBA::ORB_ptr VQSystemController::DuplicateORB() const
{
  std::lock_guard<std::mutex> lock(m_mutex);
  return CORBA::ORB::_duplicate(m_orb.in());
}

void VQSystemController::SetRecordStore(QELM::Tallyhouse_ptr store)
{
  std::lock_guard<std::mutex> lock(m_mutex);
  m_tallyhouse = QELM::Tallyhouse::_duplicate(store);
}

bool VQSystemController::HasManagement() const
{
  std::lock_guard<std::mutex> lock(m_mutex);
  return !CORBA::is_nil(m_management.in());
}

bool VQSystemController::HasRecordStore() const
{
  std::lock_guard<std::mutex> lock(m_mutex);
  return !CORBA::is_nil(m_tallyhouse.in());
}

void VQSystemController::SetStartTimeout(std::chrono::milliseconds timeout)
{
  std::lock_guard<std::mutex> lock(m_mutex);
  m_startTimeout = timeout;
}

void VQSystemController::GetSystemStatus(QELM::SystemStatus& status)
{
  QELM::Management_var m = DuplicateManagement();
  try {
    if (!qelm_object_non_existent(m.in())) {
      status = m->GetSystemStatus();
      return;
    }
  } catch (...) {
  }
  status.active = false;
  status.initialized_before = false;
  status.initialized = false;
  status.cyclic_running = false;
}

int VQSystemController::CheckStatus(std::initializer_list<Check> checks, QELM::SystemStatus* read)
{
  QELM::SystemStatus s{};
  GetSystemStatus(s);
  if (read)
    *read = s;
  for (Check c : checks) {
    switch (c) {
    case kActive:
      if (!s.active)
        return Fail(1);
      break;
    case kNotActive:
      if (s.active)
        return Fail(2);
      break;
    case kRunning:
      if (!s.cyclic_running)
        return Fail(3);
      break;
    case kNotRunning:
      if (s.cyclic_running)
        return Fail(4);
      break;
    case kInitialized:
      if (!s.initialized)
        return Fail(5);
      break;
    case kNotInitialized:
      if (s.initialized)
        return Fail(6);
      break;
    case kNeverInitialized:
      if (s.initialized_before)
        return Fail(7);
      break;
    }
  }
  return 0;
}

int VQSystemController::Connect()
{
  if (int code = CheckStatus({kNotActive}))
    return code;
  try {
    CORBA::ORB_var orb = DuplicateORB();
    if (CORBA::is_nil(orb.in()))
      return Fail(9);
    QELM::Management_var m = qelm_get_object<QELM::Management>(orb.in(), "Management", kResolveTimeoutS);
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_management = QELM::Management::_duplicate(m.in());
    }
    VQOStreamLog::Line("Connecting to the time synchronization server...\n");
    if (VQTimeCentral::Connect(m.in()) != 0)
      return Fail(9, kTextNoSync);
    std::lock_guard<std::mutex> lock(m_mutex);
    m_tallyhouse = QELM::Tallyhouse::_nil();
    return 0;
  } catch (...) {
    return Fail(9);
  }
}

int VQSystemController::Disconnect(bool force)
{
  QELM::SystemStatus s{};
  GetSystemStatus(s);
  if (s.cyclic_running) {
    Fail(4);
    if (!force)
      return 4;
  }
  const int result = s.active ? 0 : Fail(1);
  std::lock_guard<std::mutex> lock(m_mutex);
  m_management = QELM::Management::_nil();
  m_tallyhouse = QELM::Tallyhouse::_nil();
  return result;
}

template <class F>
int VQSystemController::OnManagement(F&& call)
{
  try {
    QELM::Management_var m = DuplicateManagement();
    if (CORBA::is_nil(m.in()))
      return Fail(9);
    return call(m.in());
  } catch (...) {
    return Fail(9);
  }
}

int VQSystemController::Initialize()
{
  if (int code = CheckStatus({kActive, kNotInitialized, kNeverInitialized}))
    return code;
  return OnManagement([this](QELM::Management_ptr m) {
    // Initialize waits for the record store and the modules: a bound of its
    // own, the ORB's default again afterwards.
    omniORB::setClientCallTimeout(m, kInitializeTimeoutMs);
    CORBA::Long result = -1;
    try {
      result = m->Initialize();
    } catch (...) {
      omniORB::setClientCallTimeout(m, 0);
      throw;
    }
    omniORB::setClientCallTimeout(m, 0);
    if (result != 0)
      return Fail(9);
    QELM::Tallyhouse_var store = m->GetDataBrokerObject();
    SetRecordStore(store.in());
    return 0;
  });
}

int VQSystemController::Start(QELM::Management::RunModeEnum mode)
{
  if (int code = CheckStatus({kActive, kInitialized, kNotRunning}))
    return code;
  std::chrono::milliseconds timeout;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    timeout = m_startTimeout;
  }
  return OnManagement([&](QELM::Management_ptr m) {
    m->Start(mode);
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    QELM::SystemStatus s{};
    GetSystemStatus(s);
    for (;;) {
      if (s.cyclic_running)
        return 0;
      // The poll ends when the system stops being active, or at the bound.
      if (std::chrono::steady_clock::now() >= deadline)
        return Fail(9);
      SleepMs(static_cast<uint32_t>(std::rand() % 250));
      GetSystemStatus(s);
      if (!s.active)
        return Fail(9);
    }
  });
}

int VQSystemController::Subscribe(QELM::MessageTarget_ptr target, CORBA::Long& id)
{
  if (int code = CheckStatus({kActive}))
    return code;
  return OnManagement([&](QELM::Management_ptr m) {
    id = m->RegisterTarget(target);
    return id != 0 ? 0 : Fail(8, kTextSubscribe);
  });
}

int VQSystemController::Unsubscribe(CORBA::Long id)
{
  if (int code = CheckStatus({kActive}))
    return code;
  return OnManagement(
      [&](QELM::Management_ptr m) { return m->UnregisterTarget(id) == 0 ? 0 : Fail(8, kTextUnsubscribe); });
}

int VQSystemController::Stop()
{
  if (int code = CheckStatus({kActive, kRunning}))
    return code;
  return OnManagement([](QELM::Management_ptr m) {
    m->Stop();
    return 0;
  });
}

int VQSystemController::Shutdown(bool force)
{
  QELM::SystemStatus s{};
  if (int code = CheckStatus({kActive}, &s))
    return code;
  if (s.cyclic_running && !force)
    return Fail(4);
  const int code = OnManagement([](QELM::Management_ptr m) {
    VQTimeCentral::Connect(QELM::Management::_nil());
    m->Shutdown();
    return 0;
  });
  if (code != 0)
    return code;
  Disconnect(force);
  return 0;
}

int VQSystemController::SendMsg(const QELM::MSG& msg)
{
  return OnManagement([&](QELM::Management_ptr m) {
    m->SendMsg(msg);
    return 0;
  });
}

int VQSystemController::SendIncident(int action, int fromNode, int toNode, float start, float end,
                                     float severity)
{
  const CommandPayload c = IncidentCommand(action, fromNode, toNode, start, end, severity);
  return SendMsg(MakeCommandMsg(c.code, c.arg));
}

// The console hands over a sign's detour nodes in an array of its own size;
// the command reads that many.
static_assert(kVMSMaxDetourNodes == VMSMsgArg::MAX_PATH_NODES,
              "a sign's detour nodes fill the command's path");

int VQSystemController::SendVMS(int action, int type, int fromNode, int toNode, const int* params,
                                float start, float end, const int* subPath)
{
  const CommandPayload c = VMSCommand(action, type, fromNode, toNode, params, start, end, subPath);
  return SendMsg(MakeCommandMsg(c.code, c.arg));
}

int VQSystemController::SendWorkZone(int action, int fromNode, int toNode, float start, float end,
                                     float capacityReduction, int speedLimit, int dischargeRate)
{
  const CommandPayload c =
      WorkZoneCommand(action, fromNode, toNode, start, end, capacityReduction, speedLimit, dischargeRate);
  return SendMsg(MakeCommandMsg(c.code, c.arg));
}

bool VQSystemController::FetchLatest(QELM::Tallyhouse::DBKIDEnum kind, PlainRecord& out, std::string& error)
{
  QELM::Tallyhouse_var store;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    store = QELM::Tallyhouse::_duplicate(m_tallyhouse.in());
  }
  if (CORBA::is_nil(store.in())) {
    error = "no record store (the system is not initialized).";
    return false;
  }
  try {
    QELM::DBKRecord_var r = store->GetLatestRecord(kind);
    out = ToPlainRecord(r._retn(), static_cast<int>(kind));
    return true;
  } catch (const CORBA::Exception& e) {
    error = "fetching " + ResultKindName(static_cast<int>(kind)) + " failed (" + e._name() + ").";
  } catch (...) {
    error = "fetching " + ResultKindName(static_cast<int>(kind)) + " failed.";
  }
  return false;
}
