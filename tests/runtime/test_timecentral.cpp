// Clock correction and the corrected clock, measured against a Management
// servant of this test running on an ORB in the test process.
#include "HRTime.h"
#include "HRTimeTestUtil.h"
#include "VQOStreamLog.h"
#include "VQTimeCentral.h"
#include "qelm_orb_args.h"

#include <QELM.hh>

#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <ostream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

HRTime FromMs(long long ms)
{
  HRTime t = T(ms / 1000, ms % 1000);
  if (t.msec < 0) {
    t.sec -= 1;
    t.msec += 1000;
  }
  return t;
}

long long ToMs(const HRTime& t)
{
  return t.sec * 1000 + t.msec;
}

// The round-trip clock the servant moves forward during a call, so that a
// test decides the exact round trip of every sample.
std::atomic<int64_t> g_fake_ms{1000000};
int64_t FakeClock()
{
  return g_fake_ms.load();
}

const char* const kCorrectionLine = "VQTimeCentral: Local-to-server time correction: ";
const char* const kLatencyLine = "VQTimeCentral: Latency: ";
const char* const kFailedLine = "VQTimeCentral: Failed to get a more accurate time correction.\n";
const char* const kErrorLine = "VQTimeCentral: Unspecified error when querying the time server.\n";

// A Management service whose clock runs at a set offset from ours and
// answers after a set delay.
class ClockServant : public POA_QELM::Management
{
public:
  void Reset()
  {
    calls = 0;
    delay_ms = 0;
    advance_ms = -1;
    offset_ms = 0;
    fail = false;
    in_flight = 0;
    max_in_flight = 0;
  }

  QELM::HRTime GetSystemClock() override
  {
    ++calls;
    const int now_in = ++in_flight;
    int seen = max_in_flight.load();
    while (now_in > seen && !max_in_flight.compare_exchange_weak(seen, now_in)) {
    }
    struct Leave
    {
      std::atomic<int>& n;
      ~Leave() { --n; }
    } leave{in_flight};
    if (fail)
      throw CORBA::TRANSIENT();
    if (delay_ms > 0)
      SleepMs(static_cast<uint32_t>(delay_ms.load()));
    if (advance_ms >= 0)
      g_fake_ms += advance_ms;
    return HRTimeNow() + FromMs(offset_ms);
  }

  void SendMsg(const QELM::MSG&) override {}
  CORBA::Long RegisterTarget(QELM::MessageTarget_ptr) override { return 1; }
  CORBA::Long UnregisterTarget(CORBA::Long) override { return 0; }
  CORBA::Long Initialize() override { return 0; }
  void Start(QELM::Management::RunModeEnum) override {}
  CORBA::Long Stop() override { return 0; }
  void Shutdown() override {}
  QELM::SystemStatus GetSystemStatus() override
  {
    QELM::SystemStatus s;
    s.timestamp = HRTimeNow();
    s.active = true;
    s.initialized_before = false;
    s.initialized = false;
    s.cyclic_running = false;
    return s;
  }
  QELM::Tallyhouse_ptr GetDataBrokerObject() override { return QELM::Tallyhouse::_nil(); }
  QELM::Task_ptr GetTaskObject(CORBA::Long) override { return QELM::Task::_nil(); }
  QELM::TaskStatus GetTaskStatus(CORBA::Long) override
  {
    QELM::TaskStatus s;
    s.timestamp = HRTimeNow();
    s.ID = 0;
    s.active = false;
    s.initialized = false;
    return s;
  }

  std::atomic<int> calls{0};
  std::atomic<int> delay_ms{0};
  std::atomic<int> advance_ms{-1};
  std::atomic<long long> offset_ms{0};
  std::atomic<bool> fail{false};
  std::atomic<int> in_flight{0};
  std::atomic<int> max_in_flight{0};
};

std::string ReadFile(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

int Count(const std::string& text, const std::string& what)
{
  int n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
    ++n;
  return n;
}

// Waits (up to a generous limit) until the condition holds.
template <class F>
bool WaitFor(F condition)
{
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end)
      return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

class TimeCentralTest : public testing::Test
{
protected:
  static void SetUpTestSuite()
  {
    orb_ = qelm_orb_init(std::vector<std::string>{}, QELM_ORB_ID, 10000, "giop:tcp:127.0.0.1:");
    CORBA::Object_var obj = orb_->resolve_initial_references("RootPOA");
    poa_ = PortableServer::POA::_narrow(obj.in());
    PortableServer::POAManager_var manager = poa_->the_POAManager();
    manager->activate();
    servant_ = new ClockServant;
    PortableServer::ObjectId_var id = poa_->activate_object(servant_);
    CORBA::Object_var ref = poa_->id_to_reference(id.in());
    server_ = QELM::Management::_narrow(ref.in());
  }

  static void TearDownTestSuite()
  {
    VQTimeCentral::Connect(QELM::Management::_nil());
    VQTimeCentral::ResetForTest();
    server_ = QELM::Management::_nil();
    PortableServer::ObjectId_var id = poa_->servant_to_id(servant_);
    poa_->deactivate_object(id.in());
    servant_->_remove_ref();
    servant_ = nullptr;
    poa_ = PortableServer::POA::_nil();
    orb_->destroy();
    orb_ = CORBA::ORB::_nil();
  }

  void SetUp() override
  {
    ASSERT_FALSE(CORBA::is_nil(server_.in()));
    VQTimeCentral::Connect(QELM::Management::_nil());
    servant_->Reset();
    VQTimeCentral::ResetForTest();
    // A one-second window, short pauses and a long period unless a test
    // wants more resynchronisations.
    VQTimeCentral::SetTimingForTest(1000, 20, 600000);
    VQTimeCentral::SetRoundTripClockForTest(nullptr);
    char tmpl[] = "/tmp/vlq_clock_test_XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    log_ = dir_ + "/clock.log";
    ASSERT_TRUE(VQOStreamLog::Open(log_.c_str(), "w"));
  }

  void TearDown() override
  {
    VQTimeCentral::Connect(QELM::Management::_nil());
    VQTimeCentral::ResetForTest();
    VQTimeCentral::SetTimingForTest(-1, -1, -1);
    VQTimeCentral::SetRoundTripClockForTest(nullptr);
    VQOStreamLog::Close();
    std::remove(log_.c_str());
    rmdir(dir_.c_str());
  }

  std::string Log() const { return ReadFile(log_); }

  // Exact round trips: every call takes this many milliseconds.
  static void FixRoundTrip(int ms)
  {
    VQTimeCentral::SetRoundTripClockForTest(&FakeClock);
    servant_->advance_ms = ms;
  }

  static CORBA::ORB_var orb_;
  static PortableServer::POA_var poa_;
  static ClockServant* servant_;
  static QELM::Management_var server_;
  std::string dir_;
  std::string log_;
};

CORBA::ORB_var TimeCentralTest::orb_;
PortableServer::POA_var TimeCentralTest::poa_;
ClockServant* TimeCentralTest::servant_ = nullptr;
QELM::Management_var TimeCentralTest::server_;

// ---------------------------------------------------------------------------
// Pure rules

TEST(TimeCentralRules, AcceptSample)
{
  struct Case
  {
    HRTime rtt, best, limit;
    bool accepted;
  } cases[] = {
      {T(0, 10), T(10, 0), T(0, 10), true},   // exactly the limit
      {T(0, 11), T(10, 0), T(0, 10), false},  // just over it
      {T(0, 0), T(10, 0), T(0, 10), true},
      {T(0, 5), T(0, 5), T(0, 10), true},   // equal to the best so far
      {T(0, 6), T(0, 5), T(0, 10), false},  // the best never grows
      {T(0, 9), T(0, 8), T(0, 10), false},
      {T(1, 0), T(10, 0), T(0, 10), false},
      {T(-1, 999), T(10, 0), T(0, 10), false},  // a negative round trip
      {T(-1, 0), T(10, 0), T(0, 10), false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(VQTimeCentral::AcceptSample(c.rtt, c.best, c.limit), c.accepted)
        << testing::PrintToString(c.rtt) << " best " << testing::PrintToString(c.best);
}

TEST(TimeCentralRules, CorrectionIsServerPlusHalfRoundTripMinusAnswerTime)
{
  struct Case
  {
    HRTime server, rtt, t1;
    long long sec, msec;
  } cases[] = {
      {T(100, 0), T(0, 10), T(100, 305), -1, 700},
      {T(200, 500), T(0, 0), T(100, 0), 100, 500},
      {T(100, 0), T(0, 7), T(100, 0), 0, 3},
      {T(50, 0), T(0, 2), T(50, 1), 0, 0},
  };
  for (const auto& c : cases) {
    const HRTime got = VQTimeCentral::CorrectionFrom(c.server, c.rtt, c.t1);
    EXPECT_EQ(got.sec, c.sec) << testing::PrintToString(c.server);
    EXPECT_EQ(got.msec, c.msec) << testing::PrintToString(c.server);
  }
}

// ---------------------------------------------------------------------------
// Waitable timer

TEST(WaitableTimer, FirstExpiryAtOnceThenPeriodic)
{
  VQWaitableTimer timer;
  ASSERT_TRUE(timer.Set(0, 20));
  for (int i = 0; i < 3; ++i)
    EXPECT_TRUE(timer.Wait());
  EXPECT_TRUE(timer.Cancel());
}

TEST(WaitableTimer, OneShotWakesAWaiterAndCancelKeepsASignalledExpiry)
{
  VQWaitableTimer timer;
  std::atomic<bool> woke{false};
  std::thread waiter([&] {
    timer.Wait();
    woke = true;
  });
  timer.Set(30, 0);
  waiter.join();
  EXPECT_TRUE(woke);

  // Due at once and cancelled right after: the expiry still wakes the next
  // wait, as a stop needs.
  timer.Set(0, 0);
  timer.Cancel();
  EXPECT_TRUE(timer.Wait());
}

// ---------------------------------------------------------------------------
// Corrected clock

TEST_F(TimeCentralTest, CorrectedClockBeforeSynchronisationIsTheLocalClock)
{
  EXPECT_EQ(VQTimeCentral::GetCorrection(), T(0, 0));
  for (int i = 0; i < 100; ++i) {
    const HRTime before = HRTimeNow();
    HRTime filled;
    HRTime& same = VQTimeCentral::Now(filled);
    const HRTime by_value = VQTimeCentral::Now();
    const HRTime after = HRTimeNow();
    ASSERT_EQ(&same, &filled);
    ASSERT_TRUE(before <= filled && filled <= by_value && by_value <= after);
  }
}

TEST_F(TimeCentralTest, CorrectionIsAddedInNormalForm)
{
  struct Case
  {
    HRTime correction, local;
    long long sec, msec;
  } cases[] = {
      {T(-1, 700), T(100, 200), 99, 900},
      {T(-1, 700), T(100, 300), 100, 0},
      {T(0, 900), T(100, 200), 101, 100},
      {T(5, 0), T(100, 999), 105, 999},
  };
  for (const auto& c : cases) {
    VQTimeCentral::SetCorrectionForTest(c.correction);
    const HRTime got = VQTimeCentral::FromLocal(c.local);
    EXPECT_EQ(got.sec, c.sec) << testing::PrintToString(c.correction);
    EXPECT_EQ(got.msec, c.msec) << testing::PrintToString(c.correction);
  }

  // Now() follows the same rule on the live clock.
  VQTimeCentral::SetCorrectionForTest(T(-1, 700));
  const HRTime before = HRTimeNow() + T(-1, 700);
  const HRTime now = VQTimeCentral::Now();
  const HRTime after = HRTimeNow() + T(-1, 700);
  EXPECT_TRUE(before <= now && now <= after);
  EXPECT_GE(now.msec, 0);
  EXPECT_LT(now.msec, 1000);
}

// ---------------------------------------------------------------------------
// Synchronisation against the servant

TEST_F(TimeCentralTest, AcceptedRoundTripSetsTheCorrectionToTheServerOffset)
{
  const long long offsets[] = {0, 5000, -300, 123456, -86400000};
  for (long long offset : offsets) {
    VQTimeCentral::ResetForTest(server_.in());
    servant_->offset_ms = offset;
    VQOStreamLog::Open(log_.c_str(), "w");

    ASSERT_EQ(VQTimeCentral::Synchronize(), 0) << offset;
    const HRTime c = VQTimeCentral::GetCorrection();
    EXPECT_GE(c.msec, 0);
    EXPECT_LT(c.msec, 1000);
    EXPECT_NEAR(static_cast<double>(ToMs(c)), static_cast<double>(offset), 20.0) << offset;
    EXPECT_TRUE(VQTimeCentral::GetBestLatency() <= T(0, 10));

    // Both lines, with the correction and the latency in normal form.
    char expected[128];
    std::snprintf(expected, sizeof expected, "%s%d.%03d\n", kCorrectionLine, static_cast<int>(c.sec),
                  static_cast<int>(c.msec));
    const std::string text = Log();
    EXPECT_EQ(Count(text, expected), 1) << text;
    const HRTime best = VQTimeCentral::GetBestLatency();
    std::snprintf(expected, sizeof expected, "%s%d.%03d\n", kLatencyLine, static_cast<int>(best.sec),
                  static_cast<int>(best.msec));
    EXPECT_EQ(Count(text, expected), 1) << text;
    if (offset == -300) {
      // Minus 0.3 s is written in normal form: -1.7.
      EXPECT_EQ(Count(text, std::string(kCorrectionLine) + "-1."), 1) << text;
    }
  }
}

TEST_F(TimeCentralTest, RoundTripOfTheLimitIsAcceptedAndOneMoreIsNot)
{
  struct Case
  {
    int rtt_ms;
    int result;
  } cases[] = {{10, 0}, {11, 1}, {0, 0}, {25, 1}};
  VQTimeCentral::SetTimingForTest(300, 5, 600000);
  for (const auto& c : cases) {
    VQTimeCentral::ResetForTest(server_.in());
    servant_->Reset();
    FixRoundTrip(c.rtt_ms);
    VQOStreamLog::Open(log_.c_str(), "w");

    EXPECT_EQ(VQTimeCentral::Synchronize(), c.result) << c.rtt_ms;
    const std::string text = Log();
    if (c.result == 0) {
      EXPECT_EQ(VQTimeCentral::GetBestLatency(), FromMs(c.rtt_ms)) << c.rtt_ms;
      // The first acceptable sample ends the measurement.
      EXPECT_EQ(servant_->calls.load(), 1) << c.rtt_ms;
      EXPECT_EQ(Count(text, kFailedLine), 0) << text;
    } else {
      EXPECT_EQ(VQTimeCentral::GetBestLatency(), T(10, 0)) << c.rtt_ms;
      EXPECT_EQ(VQTimeCentral::GetCorrection(), T(0, 0)) << c.rtt_ms;
      EXPECT_GT(servant_->calls.load(), 1) << c.rtt_ms;
      EXPECT_EQ(Count(text, kFailedLine), 1) << text;
      EXPECT_EQ(Count(text, kCorrectionLine), 0) << text;
    }
  }
}

TEST_F(TimeCentralTest, BestLatencyOnlyShrinksAndAnEqualRoundTripUpdatesSilently)
{
  VQTimeCentral::SetTimingForTest(300, 5, 600000);
  VQTimeCentral::ResetForTest(server_.in());

  struct Step
  {
    int rtt_ms;
    long long offset_ms;
    int result;
    int correction_lines;  // in the log so far
    long long correction_ms;
  } steps[] = {
      {5, 1000, 0, 1, 1000},  // first: logged
      {5, 2000, 0, 1, 2000},  // equal to the best: corrected, nothing logged
      {7, 3000, 1, 1, 2000},  // longer than the best: refused, correction kept
      {3, 4000, 0, 2, 4000},  // shorter: corrected and logged
      {4, 5000, 1, 2, 4000},
  };
  for (const auto& s : steps) {
    FixRoundTrip(s.rtt_ms);
    servant_->offset_ms = s.offset_ms;
    EXPECT_EQ(VQTimeCentral::Synchronize(), s.result) << s.rtt_ms << " ms";
    const std::string text = Log();
    EXPECT_EQ(Count(text, kCorrectionLine), s.correction_lines) << text;
    EXPECT_EQ(Count(text, kLatencyLine), s.correction_lines) << text;
    EXPECT_NEAR(static_cast<double>(ToMs(VQTimeCentral::GetCorrection())),
                static_cast<double>(s.correction_ms), 20.0)
        << s.rtt_ms << " ms";
  }
  EXPECT_EQ(VQTimeCentral::GetBestLatency(), T(0, 3));
}

TEST_F(TimeCentralTest, SlowServerSamplesForTheWindowThenTheTimerStartsAllTheSame)
{
  servant_->delay_ms = 20;
  EXPECT_EQ(VQTimeCentral::Connect(server_.in()), 1);
  EXPECT_TRUE(VQTimeCentral::IsActive());
  EXPECT_GT(servant_->calls.load(), 1);
  EXPECT_EQ(VQTimeCentral::GetCorrection(), T(0, 0));
  EXPECT_EQ(VQTimeCentral::GetBestLatency(), T(10, 0));
  EXPECT_GE(Count(Log(), kFailedLine), 1) << Log();
  EXPECT_EQ(VQTimeCentral::Connect(QELM::Management::_nil()), 0);
  EXPECT_FALSE(VQTimeCentral::IsActive());
}

TEST_F(TimeCentralTest, ServerExceptionFailsDropsTheReferenceAndStartsNoTimer)
{
  VQTimeCentral::SetCorrectionForTest(T(2, 250));
  servant_->fail = true;
  EXPECT_EQ(VQTimeCentral::Connect(server_.in()), -1);
  EXPECT_FALSE(VQTimeCentral::IsActive());
  EXPECT_EQ(VQTimeCentral::GetCorrection(), T(2, 250));
  std::string text = Log();
  EXPECT_EQ(Count(text, kErrorLine), 1) << text;
  EXPECT_EQ(servant_->calls.load(), 1);

  // The reference is gone: a new measurement does not reach the servant.
  servant_->fail = false;
  EXPECT_EQ(VQTimeCentral::Synchronize(), 1);
  EXPECT_EQ(servant_->calls.load(), 1);
  text = Log();
  EXPECT_EQ(Count(text, kFailedLine), 1) << text;
}

TEST_F(TimeCentralTest, ExceptionFromARunningTimerIsLoggedAndTheNextExpiryFollows)
{
  VQTimeCentral::SetTimingForTest(300, 5, 40);
  ASSERT_EQ(VQTimeCentral::Connect(server_.in()), 0);
  servant_->fail = true;
  ASSERT_TRUE(WaitFor([] { return servant_->calls.load() >= 4; }));
  EXPECT_TRUE(VQTimeCentral::IsActive());
  EXPECT_EQ(VQTimeCentral::Connect(QELM::Management::_nil()), 0);
  EXPECT_GE(Count(Log(), kErrorLine), 2) << Log();
}

TEST_F(TimeCentralTest, ReferenceToAnObjectThatIsGoneGivesOneAndStartsTheTimer)
{
  auto* gone = new ClockServant;
  PortableServer::ObjectId_var id = poa_->activate_object(gone);
  CORBA::Object_var obj = poa_->id_to_reference(id.in());
  QELM::Management_var ref = QELM::Management::_narrow(obj.in());
  poa_->deactivate_object(id.in());
  gone->_remove_ref();

  EXPECT_EQ(VQTimeCentral::Connect(ref.in()), 1);
  EXPECT_TRUE(VQTimeCentral::IsActive());
  EXPECT_GE(Count(Log(), kFailedLine), 1) << Log();
  EXPECT_EQ(VQTimeCentral::Connect(QELM::Management::_nil()), 0);
}

TEST_F(TimeCentralTest, ConnectNilAndTimerCallsReportTheirState)
{
  // Nil while inactive: 0 and nothing else.
  EXPECT_EQ(VQTimeCentral::Connect(QELM::Management::_nil()), 0);
  EXPECT_FALSE(VQTimeCentral::IsActive());
  EXPECT_EQ(servant_->calls.load(), 0);
  EXPECT_EQ(Log(), "");

  EXPECT_EQ(VQTimeCentral::StopTimer(), -1);
  EXPECT_EQ(VQTimeCentral::StartTimer(), 0);
  EXPECT_TRUE(VQTimeCentral::IsActive());
  EXPECT_EQ(VQTimeCentral::StartTimer(), -1);
  EXPECT_EQ(VQTimeCentral::StopTimer(), 0);
  EXPECT_FALSE(VQTimeCentral::IsActive());
  EXPECT_EQ(VQTimeCentral::StopTimer(), -1);
  // And again after a stop.
  EXPECT_EQ(VQTimeCentral::StartTimer(), 0);
  EXPECT_EQ(VQTimeCentral::StopTimer(), 0);
}

TEST_F(TimeCentralTest, TimerResynchronisesUntilStoppedAndStopJoinsTheWorker)
{
  VQTimeCentral::SetTimingForTest(300, 5, 30);
  ASSERT_EQ(VQTimeCentral::Connect(server_.in()), 0);
  const int after_connect = servant_->calls.load();
  EXPECT_GE(after_connect, 1);
  // The worker synchronises at once and then at every period.
  ASSERT_TRUE(WaitFor([&] { return servant_->calls.load() >= after_connect + 4; }));

  ASSERT_EQ(VQTimeCentral::Connect(QELM::Management::_nil()), 0);
  EXPECT_FALSE(VQTimeCentral::IsActive());
  EXPECT_EQ(servant_->in_flight.load(), 0);
  const int after_stop = servant_->calls.load();
  SleepMs(300);
  EXPECT_EQ(servant_->calls.load(), after_stop);
}

TEST_F(TimeCentralTest, WorkerSynchronisesAtOnceAfterConnectThenWaitsForThePeriod)
{
  // A period far longer than the test: the worker's second measurement can
  // only come from the timer's first expiry, which is due at once.
  VQTimeCentral::SetTimingForTest(300, 5, 600000);
  FixRoundTrip(5);
  ASSERT_EQ(VQTimeCentral::Connect(server_.in()), 0);
  EXPECT_EQ(servant_->calls.load(), 1) << "the first sample of 5 ms is taken";
  ASSERT_TRUE(WaitFor([] { return servant_->calls.load() >= 2; }));
  // The worker's sample equals the best so far: taken, nothing logged.
  ASSERT_TRUE(WaitFor([] { return servant_->in_flight.load() == 0; }));
  SleepMs(200);
  EXPECT_EQ(servant_->calls.load(), 2) << "no further measurement before the period";
  const std::string text = Log();
  EXPECT_EQ(Count(text, kCorrectionLine), 1) << text;
  EXPECT_EQ(Count(text, kFailedLine), 0) << text;
  EXPECT_EQ(VQTimeCentral::Connect(QELM::Management::_nil()), 0);
}

TEST_F(TimeCentralTest, StopBreaksOffAWorkersMeasurementWithoutAFailureLine)
{
  // Production window: a stop must not wait it out.
  VQTimeCentral::SetTimingForTest(30000, 20, 600000);
  VQTimeCentral::ResetForTest(server_.in());
  servant_->delay_ms = 20;
  ASSERT_EQ(VQTimeCentral::StartTimer(), 0);
  ASSERT_TRUE(WaitFor([] { return servant_->calls.load() >= 3; }));
  EXPECT_EQ(VQTimeCentral::StopTimer(), 0);
  EXPECT_EQ(servant_->in_flight.load(), 0);
  EXPECT_EQ(Count(Log(), kFailedLine), 0) << Log();
}

TEST_F(TimeCentralTest, ConnectWhileTheWorkerRunsNeverOverlapsMeasurements)
{
  VQTimeCentral::SetTimingForTest(100, 3, 5);
  servant_->delay_ms = 2;
  ASSERT_GE(VQTimeCentral::Connect(server_.in()), 0);
  for (int i = 0; i < 10; ++i)
    EXPECT_GE(VQTimeCentral::Connect(server_.in()), 0);
  std::thread other([] {
    for (int i = 0; i < 10; ++i)
      VQTimeCentral::Synchronize();
  });
  for (int i = 0; i < 10; ++i)
    VQTimeCentral::Synchronize();
  other.join();
  EXPECT_TRUE(VQTimeCentral::IsActive());
  EXPECT_EQ(VQTimeCentral::Connect(QELM::Management::_nil()), 0);
  EXPECT_GT(servant_->calls.load(), 20);
  EXPECT_EQ(servant_->max_in_flight.load(), 1);
}

}  // namespace
