// The ORB thread pool: start-up and shutdown lines, threads joined before
// Run returns, refused changes while running, concurrent remote calls.
#include "VQORBThreadPool.h"

#include "TestSupport.h"
#include "VQOStreamLog.h"
#include "qelm_orb_args.h"

#include <QELM.hh>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

// Messages of the log file, without their time prefixes.
std::vector<std::string> LogMessages(const std::string& path)
{
  std::vector<std::string> out;
  std::istringstream in(ReadFile(path));
  std::string line;
  while (std::getline(in, line)) {
    // "hh:mm:ss.mmm: " precedes every prefixed line.
    if (line.size() > 14 && line[2] == ':' && line[5] == ':' && line[8] == '.' && line[12] == ':')
      out.push_back(line.substr(14));
    else
      out.push_back(line);
  }
  return out;
}

int CountPrefix(const std::vector<std::string>& lines, const std::string& prefix)
{
  return static_cast<int>(std::count_if(lines.begin(), lines.end(),
                                        [&](const std::string& l) { return l.rfind(prefix, 0) == 0; }));
}

// Remaining-thread numbers of the shutdown lines.
std::vector<int> Remaining(const std::vector<std::string>& lines)
{
  std::vector<int> out;
  for (const auto& l : lines) {
    const std::string key = "Remaining threads: ";
    const size_t at = l.find(key);
    if (at != std::string::npos && l.find("ORB thread shutdown.") != std::string::npos)
      out.push_back(std::stoi(l.substr(at + key.size())));
  }
  std::sort(out.begin(), out.end());
  return out;
}

// SendMsg blocks until `expected` calls are inside it at once (or a generous
// time-out passes), and records the largest number seen in flight.
class GatheringTarget : public POA_QELM::MessageTarget
{
public:
  // Out of line: GCC misjudges the virtual bases' layout when this is
  // inlined into a new-expression (-Warray-bounds).
  __attribute__((noinline)) explicit GatheringTarget(int expected) : m_expected(expected) {}
  void SendMsg(const QELM::MSG&) override
  {
    std::unique_lock<std::mutex> lock(m_mutex);
    ++m_in_flight;
    m_max = std::max(m_max, m_in_flight);
    m_cv.notify_all();
    m_cv.wait_for(lock, std::chrono::seconds(30), [this] { return m_max >= m_expected; });
    --m_in_flight;
  }
  int max_in_flight()
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_max;
  }

private:
  const int m_expected;
  std::mutex m_mutex;
  std::condition_variable m_cv;
  int m_in_flight = 0;
  int m_max = 0;
};

}  // namespace

class ThreadPool : public ::testing::Test
{
protected:
  void SetUp() override
  {
    ASSERT_TRUE(VQOStreamLog::Open(log_path.c_str(), "w"));
    orb = qelm_orb_init(std::vector<std::string>{}, QELM_ORB_ID, 30000, "giop:tcp:127.0.0.1:");
  }
  void TearDown() override
  {
    if (runner.joinable()) {
      orb->shutdown(false);
      runner.join();
    }
    orb->destroy();
    VQOStreamLog::Close();
  }
  // Runs the pool on a thread of its own; its result lands in run_result.
  void StartRun(VQORBThreadPool& pool)
  {
    runner = std::thread([this, &pool] { run_result = pool.Run(); });
  }
  std::vector<std::string> Log() { return LogMessages(log_path); }
  // A pool that outlives TearDown's join of the runner, also when a test
  // stops early.
  VQORBThreadPool& MakePool(int count)
  {
    pools.push_back(std::make_unique<VQORBThreadPool>(orb.in(), count));
    return *pools.back();
  }

  TempDir dir{"vlq-pool"};
  std::string log_path = dir.file("pool.log");
  CORBA::ORB_var orb;
  std::thread runner;
  std::atomic<int> run_result{-99};
  std::vector<std::unique_ptr<VQORBThreadPool>> pools;
};

TEST_F(ThreadPool, ConstructionAndIdleChanges)
{
  VQORBThreadPool empty;
  EXPECT_TRUE(CORBA::is_nil(empty.GetORB()));
  EXPECT_EQ(empty.GetThreadCount(), 0);
  EXPECT_EQ(empty.GetRunningThreads(), 0);

  VQORBThreadPool with_orb(orb);
  EXPECT_EQ(with_orb.GetThreadCount(), 0);
  EXPECT_TRUE(with_orb.GetORB()->_is_equivalent(orb));

  EXPECT_EQ(empty.SetORB(orb), 0);
  EXPECT_EQ(empty.SetThreadCount(4), 0);
  EXPECT_EQ(empty.GetThreadCount(), 4);
  EXPECT_TRUE(empty.GetORB()->_is_equivalent(orb));
  EXPECT_EQ(empty.WaitForSecondaryThreads(), 0);
}

TEST_F(ThreadPool, CountBelowOneOrNilOrbIsRefused)
{
  for (int count : {0, -3}) {
    VQORBThreadPool& pool = MakePool(count);
    EXPECT_EQ(pool.Run(), -1) << count;
    EXPECT_EQ(pool.GetRunningThreads(), 0);
  }
  VQORBThreadPool no_orb(CORBA::ORB::_nil(), 2);
  EXPECT_EQ(no_orb.Run(), -1);
  const std::string log = ReadFile(log_path);
  EXPECT_NE(log.find("Assertion Failed: \"m_thread_count >= 1\""), std::string::npos);
  EXPECT_EQ(log.find("Launched"), std::string::npos);
}

TEST_F(ThreadPool, OneThreadStartsNoSecondaryThread)
{
  VQORBThreadPool& pool = MakePool(1);
  StartRun(pool);
  ASSERT_TRUE(WaitUntil([&] { return pool.GetRunningThreads() == 1; }));
  orb->shutdown(false);
  runner.join();
  EXPECT_EQ(run_result, 0);
  EXPECT_EQ(pool.GetRunningThreads(), 0);
  const auto lines = Log();
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "VQORBThreadPool: Launched 0 secondary threads. Running the main thread...",
                       "Main ORB thread shutdown. Remaining threads: 0"}));
}

TEST_F(ThreadPool, TwelveThreadsStartAndEndTogether)
{
  VQORBThreadPool& pool = MakePool(12);
  StartRun(pool);
  // The start-up line comes only once the 11 secondary threads are in the
  // loop.
  ASSERT_TRUE(WaitUntil([&] { return CountPrefix(Log(), "VQORBThreadPool: Launched") == 1; }));
  EXPECT_GE(pool.GetRunningThreads(), 11);
  EXPECT_EQ(Log().front(), "VQORBThreadPool: Launched 11 secondary threads. Running the main thread...");
  ASSERT_TRUE(WaitUntil([&] { return pool.GetRunningThreads() == 12; }));

  // Changes while running are refused.
  EXPECT_EQ(pool.SetThreadCount(3), -1);
  EXPECT_EQ(pool.GetThreadCount(), 12);
  EXPECT_EQ(pool.SetORB(CORBA::ORB::_nil()), -1);
  EXPECT_TRUE(pool.GetORB()->_is_equivalent(orb));
  EXPECT_NE(ReadFile(log_path).find("Assertion Failed: \"m_running_threads == 0\""), std::string::npos);

  orb->shutdown(false);
  runner.join();
  EXPECT_EQ(run_result, 0);
  EXPECT_EQ(pool.GetRunningThreads(), 0);

  // When Run has returned, all 12 threads have logged their shutdown, each
  // with a different remaining count.
  const auto lines = Log();
  EXPECT_EQ(CountPrefix(lines, "Main ORB thread shutdown. Remaining threads: "), 1);
  EXPECT_EQ(CountPrefix(lines, "ORB thread shutdown. Remaining threads: "), 11);
  std::vector<int> expected(12);
  for (int i = 0; i < 12; ++i)
    expected[i] = i;
  EXPECT_EQ(Remaining(lines), expected);

  // Idle again: it can be changed and run once more.
  EXPECT_EQ(pool.SetThreadCount(2), 0);
}

TEST_F(ThreadPool, RunAgainAfterShutdownOfAnotherOrb)
{
  // A pool can be run twice in a row over fresh ORBs.
  for (int round = 0; round < 2; ++round) {
    VQORBThreadPool& pool = MakePool(3);
    StartRun(pool);
    ASSERT_TRUE(WaitUntil([&] { return pool.GetRunningThreads() == 3; }));
    orb->shutdown(false);
    runner.join();
    EXPECT_EQ(run_result, 0);
    if (round == 0) {
      orb->destroy();
      orb = qelm_orb_init(std::vector<std::string>{}, QELM_ORB_ID, 30000, "giop:tcp:127.0.0.1:");
    }
  }
  EXPECT_EQ(CountPrefix(Log(), "VQORBThreadPool: Launched 2 secondary threads."), 2);
}

TEST_F(ThreadPool, ServesConcurrentRemoteCalls)
{
  const int calls = 12;
  CORBA::Object_var obj = orb->resolve_initial_references("RootPOA");
  PortableServer::POA_var poa = PortableServer::POA::_narrow(obj);
  PortableServer::POAManager_var mgr = poa->the_POAManager();
  mgr->activate();
  GatheringTarget* target = new GatheringTarget(calls);
  PortableServer::ObjectId_var id = poa->activate_object(target);
  CORBA::Object_var ref = poa->id_to_reference(id.in());
  CORBA::String_var ior = orb->object_to_string(ref);

  VQORBThreadPool& pool = MakePool(12);
  StartRun(pool);
  ASSERT_TRUE(WaitUntil([&] { return pool.GetRunningThreads() == 12; }));

  // Another process calls from 12 threads at once, over as many
  // connections.
  ChildProcess client;
  ChildProcess::Options opt;
  opt.stdout_file = dir.file("client.out");
  opt.stderr_file = opt.stdout_file;
  ASSERT_TRUE(client.Start(
      WirePeerPath(),
      {"sendmsg-parallel", ior.in(), std::to_string(calls), "-ORBmaxGIOPConnectionPerServer", "16"}, opt));
  ASSERT_TRUE(client.Wait(std::chrono::seconds(60)));
  EXPECT_EQ(client.ExitCode(), 0) << ReadFile(opt.stdout_file);
  EXPECT_EQ(target->max_in_flight(), calls);

  orb->shutdown(true);
  runner.join();
  EXPECT_EQ(run_result, 0);
  target->_remove_ref();
}

TEST_F(ThreadPool, OrbShutDownBeforeAllThreadsEnteredStillEndsRun)
{
  // Secondary threads that find the ORB already shut down leave the loop at
  // once, before the others have entered it: Run must not wait for a full
  // house that never comes.
  for (int count : {2, 5, 12}) {
    orb->shutdown(false);
    VQORBThreadPool& pool = MakePool(count);
    StartRun(pool);
    ASSERT_TRUE(WaitUntil([&] { return run_result.load() != -99; }, std::chrono::seconds(30)))
        << "Run did not return with " << count << " threads";
    runner.join();
    EXPECT_EQ(run_result, 0) << count;
    EXPECT_EQ(pool.GetRunningThreads(), 0) << count;
    run_result = -99;
    orb->destroy();
    orb = qelm_orb_init(std::vector<std::string>{}, QELM_ORB_ID, 30000, "giop:tcp:127.0.0.1:");
  }
}
