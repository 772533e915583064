// VQTimeCentral: the corrected clock of this process (local clock plus the
// correction towards the Management service's clock) and the clock
// correction that measures it by sampling Management::GetSystemClock and
// refreshes it on a worker thread every few minutes.
#pragma once

#include "HRTime.h"

#include <QELM.hh>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

// An auto-reset waitable timer: armed with a first due time and an optional
// period; a waiter wakes once per expiry (expiries nobody waited for
// collapse into one).
class VQWaitableTimer
{
public:
  VQWaitableTimer() = default;
  VQWaitableTimer(const VQWaitableTimer&) = delete;
  VQWaitableTimer& operator=(const VQWaitableTimer&) = delete;

  // First expiry after due_ms (0 or less: at once), then every period_ms
  // (0: only once). Returns true.
  bool Set(int64_t due_ms, int64_t period_ms);
  // Disarms the timer; an expiry already signalled stays signalled.
  bool Cancel();
  // Waits without time-out for the next expiry and resets the signal.
  bool Wait();

private:
  std::mutex m_mutex;
  std::condition_variable m_cv;
  bool m_armed = false;
  bool m_signalled = false;
  std::chrono::steady_clock::time_point m_due{};
  std::chrono::milliseconds m_period{0};
};

class VQTimeCentral
{
public:
  VQTimeCentral();
  virtual ~VQTimeCentral();

  VQTimeCentral(const VQTimeCentral&) = delete;
  VQTimeCentral& operator=(const VQTimeCentral&) = delete;

  // Local clock plus the correction, in normal form.
  static HRTime& Now(HRTime& t);
  static HRTime Now();
  // A local clock reading turned into the corrected clock.
  static HRTime FromLocal(const HRTime& local);

  // Sets the clock source and synchronises (0, 1 or -1, as Synchronize);
  // nil stops the timer and returns 0.
  static int Connect(QELM::Management_ptr m);
  // One measurement: 0 corrected (or unchanged best), 1 no acceptable
  // sample, -1 the server call failed.
  static int Synchronize();
  // Arms the timer (first expiry at once, then every period) and starts the
  // worker: 0, or -1 when already active.
  static int StartTimer();
  // Disarms the timer and waits for the worker to end: 0, or -1 when not
  // active.
  static int StopTimer();
  static bool IsActive();
  static VQWaitableTimer& GetTimer();
  // The worker's body: at each expiry of the timer one synchronisation,
  // until the timer is stopped. Returns 0.
  static int TimerThread();

  static HRTime GetCorrection();
  static HRTime GetBestLatency();

  // Whether a sample's round trip is taken: not negative, no longer than the
  // best accepted so far and no longer than the limit.
  static bool AcceptSample(const HRTime& rtt, const HRTime& best, const HRTime& limit);
  // The correction a sample gives: server + rtt / 2 - t1 (t1 the local clock
  // when the answer came).
  static HRTime CorrectionFrom(const HRTime& server, const HRTime& rtt, const HRTime& t1);

  // For tests only: a shorter sampling window, pause between samples
  // (pause_modulus ms: a pause of rand() % pause_modulus, 0 for none) and
  // resynchronisation period than the production values; negative values
  // restore the production ones.
  static void SetTimingForTest(int64_t sample_window_ms, int pause_modulus, int64_t period_ms);
  // For tests only: the monotonic millisecond clock that times a round trip
  // (nullptr restores the steady clock).
  static void SetRoundTripClockForTest(int64_t (*clock_ms)());
  // For tests only, while inactive: back to the state at program start (no
  // correction, best latency 10 s) with the given clock source (nil: none),
  // without synchronising or starting the timer.
  static void ResetForTest(QELM::Management_ptr server = QELM::Management::_nil());
  static void SetCorrectionForTest(const HRTime& correction);

private:
  static int SynchronizeOnce(bool on_worker);

  static VQWaitableTimer m_htimer;
  static bool m_active;
  static QELM::Management_var m_time_server;
  static HRTime m_correction;
  static HRTime m_best_latency;
  static HRTime m_latency_limit;
  static HRTime m_sample_window;
  static int m_period_minutes;
};
