#include "Management_i.h"

#include "HRTime.h"
#include "ManagementCommands.h"
#include "VQOStreamLog.h"
#include "qelm_corba_utils.h"
#include "qelm_msg_codes.h"

#include <chrono>
#include <string>
#include <utility>

namespace {

QELM::HRTime OffsetTime(long long ms)
{
  QELM::HRTime t;
  long long sec = ms / 1000, rest = ms % 1000;
  if (rest < 0) {
    rest += 1000;
    sec -= 1;
  }
  t.sec = sec;
  t.msec = rest;
  return t;
}

}  // namespace

Management_i::Management_i(CORBA::ORB_ptr orb, const Options& options, const ManagementSchedule& schedule)
    : m_orb(CORBA::ORB::_duplicate(orb)), m_opt(options), m_schedule(schedule),
      m_targets(options.target_timeout_ms),
      m_modules{{"NOWSIM", K_DESCRIPTIVE, QELM::Descriptive::_PD_repoId, {}, false},
                {"FORESIM", K_PREDICTIVE, QELM::Predictive::_PD_repoId, {}, false},
                {"FORESIM1", K_PREDICTIVE, QELM::Predictive::_PD_repoId, {}, false},
                {"ODE", K_ODESTIMATE, QELM::ODEstimate::_PD_repoId, {}, false},
                {"ODP", K_ODPREDICT, QELM::ODPredict::_PD_repoId, {}, false},
                {"NEARVET", K_SHORTTERM, QELM::ShortTermCC::_PD_repoId, {}, false},
                {"FARVET", K_LONGTERM, QELM::LongTermCC::_PD_repoId, {}, false}},
      m_sim_time(options.start_time)
{}

Management_i::~Management_i()
{
  Finish();
}

void Management_i::SetSelf(QELM::Management_ptr self)
{
  m_self = QELM::Management::_duplicate(self);
}

void Management_i::SetReadyCheck(std::function<bool()> ready)
{
  m_ready = std::move(ready);
}

void Management_i::SetActive(bool active)
{
  std::lock_guard<std::mutex> lock(m_state_mutex);
  m_active = active;
}

void Management_i::Finish()
{
  StopCycles();
  SetActive(false);
  m_targets.StopAll(true);
}

void Management_i::PostOwn(long code)
{
  QELM::MSG m;
  m.ID = code;
  m.timestamp = GetSystemClock();
  m.arg.length(0);
  VQOStreamLog::Line("Sending message %ld (%s).\n", code, MessageCodeName(code));
  m_targets.Post(m);
}

// ---------------------------------------------------------------- messages

void Management_i::SendMsg(const QELM::MSG& m)
{
  return qelm_upcall([&]() -> void {
    if (CommandPayloadSize(m.ID) != 0) {
      std::string text;
      bool ok = DescribeCommand(m, text);
      VQOStreamLog::Line("%s\n", text.c_str());
      if (!ok)
        return;
    } else {
      VQOStreamLog::Line("Message %ld (%s), %u bytes of payload.\n", static_cast<long>(m.ID),
                         MessageCodeName(m.ID), static_cast<unsigned>(m.arg.length()));
    }
    m_targets.Post(m);
  });
}

CORBA::Long Management_i::RegisterTarget(QELM::MessageTarget_ptr trg)
{
  return qelm_upcall([&]() -> CORBA::Long {
    CORBA::Long id = m_targets.Register(trg);
    if (id == 0)
      VQOStreamLog::Line("RegisterTarget refused a nil target.\n");
    else
      VQOStreamLog::Line("Message target %ld registered.\n", static_cast<long>(id));
    return id;
  });
}

CORBA::Long Management_i::UnregisterTarget(CORBA::Long target_id)
{
  return qelm_upcall([&]() -> CORBA::Long {
    if (m_targets.Unregister(target_id)) {
      VQOStreamLog::Line("Message target %ld withdrawn.\n", static_cast<long>(target_id));
      return 0;
    }
    VQOStreamLog::Line("UnregisterTarget: no live target %ld.\n", static_cast<long>(target_id));
    return 1;
  });
}

// ---------------------------------------------------------------- life cycle

CORBA::Long Management_i::Initialize()
{
  return qelm_upcall([&]() -> CORBA::Long {
    std::lock_guard<std::mutex> control(m_control_mutex);
    if (!ForgetEarlierInitialize())
      return 2;
    VQOStreamLog::Line("Initializing...\n");
    if (!InitializeRecordStore())
      return 1;
    int bound = 0;
    for (Module& mod : m_modules)
      if (InitializeModule(mod))
        ++bound;
    std::lock_guard<std::mutex> lock(m_state_mutex);
    m_initialized = true;
    m_initialized_before = true;
    VQOStreamLog::Line("Initialized: record store and %d of %d modules.\n", bound,
                       static_cast<int>(MODULE_COUNT));
    return 0;
  });
}

bool Management_i::ForgetEarlierInitialize()
{
  std::lock_guard<std::mutex> lock(m_state_mutex);
  if (m_cyclic_running) {
    VQOStreamLog::Line("Initialize refused: the cycles are running.\n");
    return false;
  }
  m_initialized = false;
  m_tallyhouse = QELM::Tallyhouse::_nil();
  for (Module& mod : m_modules) {
    mod.task = QELM::Task::_nil();
    mod.initialized = false;
  }
  return true;
}

bool Management_i::InitializeRecordStore()
{
  QELM::Tallyhouse_var th;
  try {
    th = qelm_get_object<QELM::Tallyhouse>(m_orb.in(), "Tallyhouse", m_opt.store_wait_s);
  } catch (...) {
    VQOStreamLog::Line("Initialize failed: the record store Tallyhouse is not available.\n");
    return false;
  }
  {
    std::lock_guard<std::mutex> lock(m_state_mutex);
    m_tallyhouse = QELM::Tallyhouse::_duplicate(th.in());
  }
  try {
    // The record store corrects its clock against this service inside the
    // call, which may sample for up to half a minute.
    omniORB::setClientCallTimeout(th.in(), 60000);
    CORBA::Long r = th->Initialize(m_self.in());
    if (r != 0)
      VQOStreamLog::Line("Tallyhouse::Initialize returned %ld (its clock is not corrected).\n",
                         static_cast<long>(r));
    else
      VQOStreamLog::Line("Record store initialized.\n");
  } catch (const CORBA::Exception& e) {
    VQOStreamLog::Line("Initialize failed: Tallyhouse::Initialize raised %s.\n", e._name());
    std::lock_guard<std::mutex> lock(m_state_mutex);
    m_tallyhouse = QELM::Tallyhouse::_nil();
    return false;
  }
  return true;
}

bool Management_i::InitializeModule(Module& mod)
{
  QELM::Task_var task;
  try {
    task = qelm_get_object<QELM::Task>(m_orb.in(), mod.name, m_opt.module_wait_s);
  } catch (...) {
    VQOStreamLog::Line("Module %s is not bound: skipped.\n", mod.name);
    return false;
  }
  try {
    if (!task->_is_a(mod.repository_id)) {
      VQOStreamLog::Line("Module %s has the wrong interface: skipped.\n", mod.name);
      return false;
    }
    CORBA::Long r = task->Initialize(m_self.in());
    if (r != 0) {
      VQOStreamLog::Line("Module %s refused Initialize (%ld): skipped.\n", mod.name, static_cast<long>(r));
      return false;
    }
  } catch (const CORBA::Exception& e) {
    VQOStreamLog::Line("Module %s failed to initialize (%s): skipped.\n", mod.name, e._name());
    return false;
  }
  std::lock_guard<std::mutex> lock(m_state_mutex);
  mod.task = QELM::Task::_duplicate(task.in());
  mod.initialized = true;
  VQOStreamLog::Line("Module %s initialized.\n", mod.name);
  return true;
}

void Management_i::Start(QELM::Management::RunModeEnum run_mode)
{
  return qelm_upcall([&]() -> void {
    std::lock_guard<std::mutex> control(m_control_mutex);
    const bool real_time = run_mode == QELM::Management::RUN_REAL_TIME;
    {
      std::lock_guard<std::mutex> lock(m_state_mutex);
      if (!m_active || !m_initialized) {
        VQOStreamLog::Line("Start refused: not initialized.\n");
        return;
      }
      if (m_cyclic_running) {
        VQOStreamLog::Line("Start ignored: the cycles are already running.\n");
        return;
      }
      m_cyclic_running = true;
    }
    if (m_cycle_thread.joinable())
      m_cycle_thread.join();
    {
      std::lock_guard<std::mutex> lock(m_cycle_mutex);
      m_stop_cycles = false;
    }
    VQOStreamLog::Line("Cyclic executive started (%s, %d s per cycle).\n",
                       real_time ? "real time" : "sequential", m_schedule.cycle_seconds);
    PostOwn(MSG_CYCLIC_STARTED);
    m_cycle_thread = std::thread(&Management_i::CycleLoop, this, real_time);
  });
}

CORBA::Long Management_i::StopCycles()
{
  std::lock_guard<std::mutex> control(m_control_mutex);
  {
    std::lock_guard<std::mutex> lock(m_cycle_mutex);
    m_stop_cycles = true;
  }
  m_cycle_wake.notify_all();
  if (!m_cycle_thread.joinable())
    return 1;
  m_cycle_thread.join();
  return 0;
}

CORBA::Long Management_i::Stop()
{
  return qelm_upcall([&]() -> CORBA::Long {
    VQOStreamLog::Line("Stop requested.\n");
    return StopCycles();
  });
}

void Management_i::Shutdown()
{
  return qelm_upcall([&]() -> void {
    VQOStreamLog::Line("Shutting down...\n");
    StopCycles();
    SetActive(false);
    // What the cycles sent last (the stop code among it) reaches the targets
    // while the ORB still runs; a target that takes longer is drained at exit.
    m_targets.WaitDelivered(std::chrono::milliseconds(m_opt.target_timeout_ms));
    if (m_ready) {
      const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
      while (!m_ready() && std::chrono::steady_clock::now() < limit)
        SleepMs(10);
    }
    m_orb->shutdown(false);
  });
}

// ---------------------------------------------------------------- queries

QELM::SystemStatus Management_i::GetSystemStatus()
{
  return qelm_upcall([&]() -> QELM::SystemStatus {
    QELM::SystemStatus s;
    s.timestamp = GetSystemClock();
    std::lock_guard<std::mutex> lock(m_state_mutex);
    s.active = m_active;
    s.initialized_before = m_initialized_before;
    s.initialized = m_initialized;
    s.cyclic_running = m_cyclic_running;
    return s;
  });
}

QELM::HRTime Management_i::GetSystemClock()
{
  QELM::HRTime t = HRTimeNow();
  if (m_opt.clock_offset_ms != 0)
    t += OffsetTime(m_opt.clock_offset_ms);
  return t;
}

QELM::Tallyhouse_ptr Management_i::GetDataBrokerObject()
{
  return qelm_upcall([&]() -> QELM::Tallyhouse_ptr {
    std::lock_guard<std::mutex> lock(m_state_mutex);
    return QELM::Tallyhouse::_duplicate(m_tallyhouse.in());
  });
}

QELM::Task_ptr Management_i::GetTaskObject(CORBA::Long objID)
{
  return qelm_upcall([&]() -> QELM::Task_ptr {
    std::lock_guard<std::mutex> lock(m_state_mutex);
    if (objID < 0 || objID >= MODULE_COUNT)
      return QELM::Task::_nil();
    return QELM::Task::_duplicate(m_modules[objID].task.in());
  });
}

QELM::TaskStatus Management_i::GetTaskStatus(CORBA::Long objID)
{
  return qelm_upcall([&]() -> QELM::TaskStatus {
    QELM::TaskStatus s;
    s.timestamp = GetSystemClock();
    s.ID = objID;
    s.active = false;
    s.initialized = false;
    std::lock_guard<std::mutex> lock(m_state_mutex);
    if (objID >= 0 && objID < MODULE_COUNT) {
      s.active = !CORBA::is_nil(m_modules[objID].task.in());
      s.initialized = m_modules[objID].initialized;
    }
    return s;
  });
}

// ---------------------------------------------------------------- cycles

void Management_i::CycleLoop(bool real_time)
{
  using clock = std::chrono::steady_clock;
  int pace_ms = m_opt.pause_ms;
  if (real_time) {
    if (m_opt.pace_ms >= 0)
      pace_ms = m_opt.pace_ms;
    else if (m_schedule.from_file)
      pace_ms = m_schedule.cycle_seconds * 1000;
    else
      pace_ms = 2000;
  }
  const auto t0 = clock::now();
  long long k = 0;
  // Nothing thrown leaves the thread: a failure ends the cycles as a stop does.
  try {
    for (;;) {
      {
        std::lock_guard<std::mutex> lock(m_cycle_mutex);
        if (m_stop_cycles)
          break;
      }
      const double start = m_sim_time;
      const double end = start + m_schedule.cycle_seconds;
      RunCycle(start, end);
      m_sim_time = end;
      ++k;
      const auto next = real_time ? t0 + std::chrono::milliseconds(pace_ms * k)
                                  : clock::now() + std::chrono::milliseconds(pace_ms);
      std::unique_lock<std::mutex> lock(m_cycle_mutex);
      m_cycle_wake.wait_until(lock, next, [this] { return m_stop_cycles; });
    }
  } catch (...) {
    VQOStreamLog::Line("Cyclic executive failed in cycle %lld.\n", k + 1);
  }
  {
    std::lock_guard<std::mutex> lock(m_state_mutex);
    m_cyclic_running = false;
  }
  VQOStreamLog::Line("Cyclic executive stopped after %lld cycles.\n", k);
  PostOwn(MSG_CYCLIC_STOPPED);
}

void Management_i::RunCycle(double start, double end)
{
  VQOStreamLog::Line("Cycle %.0f to %.0f s.\n", start, end);
  for (Module& mod : m_modules) {
    {
      std::lock_guard<std::mutex> lock(m_cycle_mutex);
      if (m_stop_cycles)
        return;
    }
    QELM::Task_var task;
    {
      std::lock_guard<std::mutex> lock(m_state_mutex);
      task = QELM::Task::_duplicate(mod.task.in());
    }
    if (CORBA::is_nil(task.in()))
      continue;
    try {
      CORBA::Object_ptr obj = task.in();
      switch (mod.kind) {
      case K_DESCRIPTIVE: {
        QELM::Descriptive_var d = QELM::Descriptive::_unchecked_narrow(obj);
        d->Simulate(static_cast<CORBA::ULongLong>(start), static_cast<CORBA::ULongLong>(end), 0);
        break;
      }
      case K_PREDICTIVE: {
        QELM::Predictive_var p = QELM::Predictive::_unchecked_narrow(obj);
        p->Simulate(0);
        break;
      }
      case K_ODESTIMATE: {
        QELM::ODEstimate_var o = QELM::ODEstimate::_unchecked_narrow(obj);
        o->RunODEStart(static_cast<CORBA::Float>(end));
        o->RunODECorrection();
        break;
      }
      case K_ODPREDICT: {
        QELM::ODPredict_var o = QELM::ODPredict::_unchecked_narrow(obj);
        CORBA::Float s = static_cast<CORBA::Float>(end);
        o->RunODPredict(s, static_cast<CORBA::Float>(m_schedule.odp_horizon_seconds));
        break;
      }
      case K_SHORTTERM: {
        QELM::ShortTermCC_var c = QELM::ShortTermCC::_unchecked_narrow(obj);
        c->RunShortTermCC();
        break;
      }
      case K_LONGTERM: {
        QELM::LongTermCC_var c = QELM::LongTermCC::_unchecked_narrow(obj);
        c->RunLongTermCC();
        break;
      }
      }
    } catch (const CORBA::Exception& e) {
      VQOStreamLog::Line("Module %s failed in its cycle (%s): dropped from the cycles.\n", mod.name,
                         e._name());
      std::lock_guard<std::mutex> lock(m_state_mutex);
      mod.task = QELM::Task::_nil();
    }
  }
}
