#include "VQTimeCentral.h"

#include "VQCheck.h"
#include "VQOStreamLog.h"
#include "qelm_corba_utils.h"

#include <sys/resource.h>
#include <unistd.h>

#include <cstdlib>
#include <thread>

// ---------------------------------------------------------------------------
// VQWaitableTimer

bool VQWaitableTimer::Set(int64_t due_ms, int64_t period_ms)
{
  std::lock_guard<std::mutex> lock(m_mutex);
  const auto now = std::chrono::steady_clock::now();
  m_period = std::chrono::milliseconds(period_ms > 0 ? period_ms : 0);
  if (due_ms <= 0) {
    // Due at once: the expiry is signalled now.
    m_signalled = true;
    m_armed = m_period.count() > 0;
    m_due = now + m_period;
  } else {
    m_armed = true;
    m_due = now + std::chrono::milliseconds(due_ms);
  }
  m_cv.notify_all();
  return true;
}

bool VQWaitableTimer::Cancel()
{
  std::lock_guard<std::mutex> lock(m_mutex);
  m_armed = false;
  m_cv.notify_all();
  return true;
}

bool VQWaitableTimer::Wait()
{
  std::unique_lock<std::mutex> lock(m_mutex);
  for (;;) {
    if (m_signalled) {
      m_signalled = false;
      return true;
    }
    if (m_armed) {
      const auto now = std::chrono::steady_clock::now();
      if (now >= m_due) {
        if (m_period.count() > 0) {
          // Expiries missed while nobody waited collapse into this one.
          while (m_due <= now)
            m_due += m_period;
        } else {
          m_armed = false;
        }
        return true;
      }
      m_cv.wait_until(lock, m_due);
    } else {
      m_cv.wait(lock);
    }
  }
}

// ---------------------------------------------------------------------------
// VQTimeCentral state

namespace {

int64_t steady_ms()
{
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// The locks of the clock state. Never destroyed: log lines written by other
// static objects at program exit still read the corrected clock.
struct Locks
{
  // Guards the fields of VQTimeCentral (reference, correction, best latency,
  // active flag, worker thread and the test settings).
  std::mutex state;
  // Wakes a worker's pause between samples when the timer is stopped.
  std::condition_variable stop_cv;
  // Held for a whole synchronisation: two never interleave.
  std::mutex sync;
  // Held by StartTimer and StopTimer (with its join) for their whole run.
  std::mutex control;
  // Held for a whole Connect.
  std::mutex connect;
  std::thread worker;
  int pause_modulus = 500;
  int64_t period_override_ms = -1;
  int64_t (*rtt_clock)() = &steady_ms;
};

Locks& locks()
{
  static Locks* l = new Locks;
  return *l;
}

constexpr HRTime k_initial_best_latency = {10, 0};
constexpr HRTime k_latency_limit = {0, 10};
constexpr HRTime k_sample_window = {30, 0};
constexpr int k_period_minutes = 5;

}  // namespace

// Field definitions come before the instance, so that the instance's
// destructor runs while they still exist.
VQWaitableTimer VQTimeCentral::m_htimer;
bool VQTimeCentral::m_active = false;
QELM::Management_var VQTimeCentral::m_time_server;
HRTime VQTimeCentral::m_correction = {0, 0};
HRTime VQTimeCentral::m_best_latency = k_initial_best_latency;
HRTime VQTimeCentral::m_latency_limit = k_latency_limit;
HRTime VQTimeCentral::m_sample_window = k_sample_window;
int VQTimeCentral::m_period_minutes = k_period_minutes;

namespace {
VQTimeCentral s_time_central;
}  // namespace

VQTimeCentral::VQTimeCentral() {}

VQTimeCentral::~VQTimeCentral()
{
  StopTimer();
  // The ORB may already be gone at program exit: the reference is let go
  // without a release rather than touch a destroyed ORB.
  std::lock_guard<std::mutex> lock(locks().state);
  (void)m_time_server._retn();
}

// ---------------------------------------------------------------------------
// Corrected clock

HRTime VQTimeCentral::GetCorrection()
{
  std::lock_guard<std::mutex> lock(locks().state);
  return m_correction;
}

HRTime VQTimeCentral::GetBestLatency()
{
  std::lock_guard<std::mutex> lock(locks().state);
  return m_best_latency;
}

HRTime VQTimeCentral::FromLocal(const HRTime& local)
{
  return local + GetCorrection();
}

HRTime& VQTimeCentral::Now(HRTime& t)
{
  HRTime local;
  HRTimeNow(local);
  t = FromLocal(local);
  return t;
}

HRTime VQTimeCentral::Now()
{
  HRTime t;
  return Now(t);
}

// ---------------------------------------------------------------------------
// Clock correction

bool VQTimeCentral::AcceptSample(const HRTime& rtt, const HRTime& best, const HRTime& limit)
{
  // A round trip below zero is a broken measurement, never a good one.
  if (rtt.sec < 0 || rtt.msec < 0)
    return false;
  return rtt <= best && rtt <= limit;
}

HRTime VQTimeCentral::CorrectionFrom(const HRTime& server, const HRTime& rtt, const HRTime& t1)
{
  return server + rtt / 2.0 - t1;
}

int VQTimeCentral::Connect(QELM::Management_ptr m)
{
  Locks& l = locks();
  std::lock_guard<std::mutex> connect_lock(l.connect);
  if (CORBA::is_nil(m)) {
    // The worker is stopped and joined before the reference goes.
    StopTimer();
    std::lock_guard<std::mutex> lock(l.state);
    m_time_server = QELM::Management::_nil();
    return 0;
  }
  {
    std::lock_guard<std::mutex> lock(l.state);
    m_time_server = QELM::Management::_duplicate(m);
  }
  const int r = Synchronize();
  if (r == -1) {
    std::lock_guard<std::mutex> lock(l.state);
    m_time_server = QELM::Management::_nil();
  } else {
    StartTimer();
  }
  return r;
}

int VQTimeCentral::Synchronize()
{
  return SynchronizeOnce(false);
}

int VQTimeCentral::SynchronizeOnce(bool on_worker)
{
  Locks& l = locks();
  std::lock_guard<std::mutex> sync_lock(l.sync);

  QELM::Management_var server;
  HRTime window;
  int pause_modulus;
  int64_t (*rtt_clock)();
  {
    std::lock_guard<std::mutex> lock(l.state);
    server = QELM::Management::_duplicate(m_time_server.in());
    window = m_sample_window;
    pause_modulus = l.pause_modulus;
    rtt_clock = l.rtt_clock;
  }

  bool found = false;
  bool cancelled = false;
  HRTime rtt = {0, 0};
  HRTime previous_best = {0, 0};
  HRTime correction = {0, 0};
  try {
    if (!qelm_object_non_existent(server.in())) {
      // The window is timed on the monotonic clock: a step of the wall
      // clock neither ends it early nor makes it endless.
      const int64_t start = steady_ms();
      while (!found) {
        if (!(HRTimeFromMilliseconds(steady_ms() - start) <= window))
          break;
        const int pause = pause_modulus > 0 ? std::rand() % pause_modulus : 0;
        if (on_worker) {
          // The worker's pause ends early when the timer is stopped, so that
          // stopping never waits out a whole window.
          std::unique_lock<std::mutex> lock(l.state);
          if (l.stop_cv.wait_for(lock, std::chrono::milliseconds(pause), [] { return !m_active; })) {
            cancelled = true;
            break;
          }
        } else {
          SleepMs(static_cast<uint32_t>(pause));
        }

        // The round trip comes from the monotonic clock; the correction is
        // taken against the local wall clock at the answer.
        const int64_t a0 = rtt_clock();
        const HRTime server_time = server->GetSystemClock();
        const int64_t a1 = rtt_clock();
        const HRTime t1 = HRTimeNow();
        rtt = HRTimeFromMilliseconds(a1 - a0);

        std::lock_guard<std::mutex> lock(l.state);
        if (AcceptSample(rtt, m_best_latency, m_latency_limit)) {
          correction = CorrectionFrom(server_time, rtt, t1);
          m_correction = correction;
          found = true;
          previous_best = m_best_latency;
          m_best_latency = rtt;
        }
      }
    }
  } catch (...) {
    VQOStreamLog::Line("VQTimeCentral: Unspecified error when querying the time server.\n");
    return -1;
  }

  if (found) {
    if (rtt != previous_best) {
      VQOStreamLog::Line("VQTimeCentral: Local-to-server time correction: %d.%03d\n",
                         static_cast<int>(correction.sec), static_cast<int>(correction.msec));
      VQOStreamLog::Line("VQTimeCentral: Latency: %d.%03d\n", static_cast<int>(rtt.sec),
                         static_cast<int>(rtt.msec));
    }
    return 0;
  }
  // A measurement broken off by StopTimer says nothing of the server.
  if (!cancelled)
    VQOStreamLog::Line("VQTimeCentral: Failed to get a more accurate time correction.\n");
  return 1;
}

int VQTimeCentral::StartTimer()
{
  Locks& l = locks();
  std::lock_guard<std::mutex> control_lock(l.control);
  bool ret;
  {
    std::lock_guard<std::mutex> lock(l.state);
    if (m_active)
      return -1;
    m_active = true;
    const int64_t period_ms =
        l.period_override_ms > 0 ? l.period_override_ms : int64_t(m_period_minutes) * 60000;
    ret = m_htimer.Set(0, period_ms);
    try {
      l.worker = std::thread([] {
        try {
          TimerThread();
        } catch (...) {
          VQOStreamLog::Line("VQTimeCentral: the clock correction worker failed and ended.\n");
        }
      });
    } catch (...) {
      // No worker: the timer is not active after all.
      m_active = false;
      m_htimer.Cancel();
      return -1;
    }
  }
  // Checks are reported outside the state lock: a log line reads the clock.
  VQ_CHECK_TEXT(ret, "ret != 0");
  return 0;
}

int VQTimeCentral::StopTimer()
{
  Locks& l = locks();
  std::lock_guard<std::mutex> control_lock(l.control);
  std::thread worker;
  bool ret;
  {
    std::lock_guard<std::mutex> lock(l.state);
    if (!m_active)
      return -1;
    m_active = false;
    l.stop_cv.notify_all();
    // One expiry at once wakes a waiting worker, then no more.
    ret = m_htimer.Set(0, 0);
    m_htimer.Cancel();
    worker = std::move(l.worker);
  }
  VQ_CHECK_TEXT(ret, "ret != 0");
  if (worker.joinable()) {
    if (worker.get_id() == std::this_thread::get_id())
      worker.detach();
    else
      worker.join();
  }
  return 0;
}

bool VQTimeCentral::IsActive()
{
  std::lock_guard<std::mutex> lock(locks().state);
  return m_active;
}

VQWaitableTimer& VQTimeCentral::GetTimer()
{
  return m_htimer;
}

int VQTimeCentral::TimerThread()
{
  // The resynchronisation is background work: the lowest priority this
  // thread can take.
  setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 19);

  while (IsActive()) {
    const bool ret = GetTimer().Wait();
    VQ_CHECK_TEXT(ret, "WAIT_OBJECT_0 == ret");
    if (IsActive())
      SynchronizeOnce(true);
  }
  return 0;
}

// ---------------------------------------------------------------------------
// Test settings

void VQTimeCentral::SetTimingForTest(int64_t sample_window_ms, int pause_modulus, int64_t period_ms)
{
  Locks& l = locks();
  std::lock_guard<std::mutex> lock(l.state);
  m_sample_window = sample_window_ms >= 0 ? HRTimeFromMilliseconds(sample_window_ms) : k_sample_window;
  l.pause_modulus = pause_modulus >= 0 ? pause_modulus : 500;
  l.period_override_ms = period_ms > 0 ? period_ms : -1;
}

void VQTimeCentral::SetRoundTripClockForTest(int64_t (*clock_ms)())
{
  Locks& l = locks();
  std::lock_guard<std::mutex> lock(l.state);
  l.rtt_clock = clock_ms ? clock_ms : &steady_ms;
}

void VQTimeCentral::ResetForTest(QELM::Management_ptr server)
{
  std::lock_guard<std::mutex> lock(locks().state);
  m_time_server = QELM::Management::_duplicate(server);
  m_correction = HRTimeFromMilliseconds(0);
  m_best_latency = k_initial_best_latency;
}

void VQTimeCentral::SetCorrectionForTest(const HRTime& correction)
{
  std::lock_guard<std::mutex> lock(locks().state);
  m_correction = correction;
}
