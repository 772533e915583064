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

// A call that reached its peer and got no answer within its time-out: the
// peer may still carry it out.
bool NotAnswered(const CORBA::SystemException& e)
{
  if (dynamic_cast<const CORBA::TIMEOUT*>(&e))
    return true;
  return dynamic_cast<const CORBA::TRANSIENT*>(&e) && e.minor() == omni::TRANSIENT_CallTimedout;
}

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
  m_store.Set(QELM::Tallyhouse::_nil());
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_management = QELM::Management::_nil();
  }
  m_store.SetORB(CORBA::ORB::_nil());
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
  m_store.SetORB(orb);
}

CORBA::ORB_ptr VQSystemController::DuplicateORB() const
{
  return m_store.ORB();
}

void VQSystemController::SetRecordStore(QELM::Tallyhouse_ptr store)
{
  m_store.Set(store);
}

bool VQSystemController::HasManagement() const
{
  std::lock_guard<std::mutex> lock(m_mutex);
  return !CORBA::is_nil(m_management.in());
}

bool VQSystemController::HasRecordStore() const
{
  QELM::Tallyhouse_var held = m_store.Held();
  return !CORBA::is_nil(held.in());
}

void VQSystemController::SetStartTimeout(std::chrono::milliseconds timeout)
{
  std::lock_guard<std::mutex> lock(m_mutex);
  m_startTimeout = timeout;
}

void VQSystemController::GetSystemStatus(QELM::SystemStatus& status)
{
  ReadStatus(status);
}

bool VQSystemController::ReadStatus(QELM::SystemStatus& status)
{
  QELM::Management_var m = DuplicateManagement();
  bool answered = true;
  try {
    if (!CORBA::is_nil(m.in()) && !m->_non_existent()) {
      status = m->GetSystemStatus();
      return true;
    }
  } catch (const CORBA::SystemException& e) {
    answered = !NotAnswered(e);
  } catch (...) {
  }
  status.active = false;
  status.initialized_before = false;
  status.initialized = false;
  status.cyclic_running = false;
  return answered;
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
    // Every later call on the reference (its duplicates are the same
    // reference) is bounded.
    omniORB::setClientCallTimeout(m.in(), kCallTimeoutMs);
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_management = QELM::Management::_duplicate(m.in());
    }
    VQOStreamLog::Line("Connecting to the time synchronization server...\n");
    if (VQTimeCentral::Connect(m.in()) != 0)
      return Fail(9, kTextNoSync);
    m_store.Set(QELM::Tallyhouse::_nil());
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
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_management = QELM::Management::_nil();
  }
  m_store.Set(QELM::Tallyhouse::_nil());
  return result;
}

template <class F>
int VQSystemController::OnManagement(F&& call, const char* noAnswer)
{
  try {
    QELM::Management_var m = DuplicateManagement();
    if (CORBA::is_nil(m.in()))
      return Fail(9);
    return call(m.in());
  } catch (const CORBA::SystemException& e) {
    return NotAnswered(e) ? Fail(9, noAnswer) : Fail(9);
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
    // own, the usual one again afterwards.
    omniORB::setClientCallTimeout(m, kInitializeTimeoutMs);
    CORBA::Long result = -1;
    try {
      result = m->Initialize();
    } catch (...) {
      omniORB::setClientCallTimeout(m, kCallTimeoutMs);
      throw;
    }
    omniORB::setClientCallTimeout(m, kCallTimeoutMs);
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
    bool answered = ReadStatus(s);
    for (;;) {
      if (s.cyclic_running)
        return 0;
      // The start was sent: a Management that does not answer may still
      // start the cycles.
      if (!answered)
        return Fail(9, kTextNoAnswer);
      // The poll ends when the system stops being active, or at the bound.
      if (std::chrono::steady_clock::now() >= deadline)
        return Fail(9);
      SleepMs(static_cast<uint32_t>(std::rand() % 250));
      answered = ReadStatus(s);
      if (answered && !s.active)
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
  return OnManagement(
      [&](QELM::Management_ptr m) {
        m->SendMsg(msg);
        return 0;
      },
      kTextCommandNoAnswer);
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
  const std::string what = "fetching " + ResultKindName(static_cast<int>(kind));
  QELM::Tallyhouse_var store = m_store.Get();
  if (CORBA::is_nil(store.in())) {
    error = HasRecordStore()
                ? what + " failed: the record store Tallyhouse is not bound in the naming service "
                         "or does not answer."
                : "no record store (the system is not initialized).";
    return false;
  }
  try {
    QELM::DBKRecord_var r = store->GetLatestRecord(kind);
    out = ToPlainRecord(r._retn(), static_cast<int>(kind));
    m_store.Answered(store.in());
    return true;
  } catch (const CORBA::SystemException& e) {
    error = what + " failed (" + e._name() + ").";
    m_store.Failed(store.in(), e);
  } catch (const CORBA::Exception& e) {
    error = what + " failed (" + e._name() + ").";
  } catch (...) {
    error = what + " failed.";
  }
  return false;
}

bool VQSystemController::RecordStoreLost() const
{
  return m_store.Lost();
}
