// Message queue and worker thread: post order, wake-ups, stop while a
// message is in hand, deletion of unhandled messages, refusal of posts once
// destruction has begun, many concurrent posters.
//
// Waits below only keep a broken target from hanging the test; no result
// depends on how long anything takes.
#include "VQMsgTarget.h"

#include <gtest/gtest.h>

#include <QELM.hh>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <utility>
#include <vector>

namespace {

using namespace std::chrono_literals;
constexpr auto kHangGuard = 60s;

// A message that counts its copies and destructions, so that a test can
// tell handled, deleted and leaked messages apart.
struct Item
{
  static std::atomic<int> live;

  Item(int producer, int seq) : producer(producer), seq(seq) { ++live; }
  Item(const Item& o) : producer(o.producer), seq(o.seq) { ++live; }
  Item& operator=(const Item&) = default;
  ~Item() { --live; }

  int producer;
  int seq;
};
std::atomic<int> Item::live{0};

// What a target's handler saw. It lives outside the target so that it can be
// read while and after the target is destroyed.
class Journal
{
public:
  // Called on the worker thread with each message before it is recorded.
  std::function<void(const Item&)> hook;

  void Record(const Item& item)
  {
    if (hook)
      hook(item);
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_handled.emplace_back(item.producer, item.seq);
    }
    m_cv.notify_all();
  }

  bool WaitForCount(size_t n)
  {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_cv.wait_for(lock, kHangGuard, [&] { return m_handled.size() >= n; });
  }

  std::vector<std::pair<int, int>> Handled()
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_handled;
  }

  std::vector<int> Seqs()
  {
    std::vector<int> seqs;
    for (const auto& h : Handled())
      seqs.push_back(h.second);
    return seqs;
  }

private:
  std::mutex m_mutex;
  std::condition_variable m_cv;
  std::vector<std::pair<int, int>> m_handled;
};

// A point where the handler stops until the test lets it go on.
class Gate
{
public:
  void EnterAndWait()
  {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_entered = true;
    m_cv.notify_all();
    m_cv.wait(lock, [&] { return m_released; });
  }
  bool WaitEntered()
  {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_cv.wait_for(lock, kHangGuard, [&] { return m_entered; });
  }
  void Release()
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_released = true;
    m_cv.notify_all();
  }

private:
  std::mutex m_mutex;
  std::condition_variable m_cv;
  bool m_entered = false;
  bool m_released = false;
};

class RecordingTarget : public VQMsgTarget<Item>
{
public:
  explicit RecordingTarget(Journal& journal, bool stop_in_destructor = true)
      : m_journal(journal), m_stop_in_destructor(stop_in_destructor)
  {}
  ~RecordingTarget() override
  {
    if (m_stop_in_destructor && m_is_running)
      StopLoop();
  }

  int HandleMsg(Item* pmsg) override
  {
    m_journal.Record(*pmsg);
    return 0;
  }

  bool StopRequested() const { return m_stop; }
  bool Running() const { return m_is_running; }

private:
  Journal& m_journal;
  bool m_stop_in_destructor;
};

bool WaitFor(const std::function<bool()>& pred)
{
  const auto end = std::chrono::steady_clock::now() + kHangGuard;
  while (!pred()) {
    if (std::chrono::steady_clock::now() > end)
      return false;
    std::this_thread::sleep_for(1ms);
  }
  return true;
}

TEST(MsgQueue, PopsInArrivalOrderNullWhenEmptyAndClearDeletesNothing)
{
  VQMsgQ<Item> q;
  EXPECT_TRUE(q.Empty());
  EXPECT_EQ(q.Pop(), nullptr);
  Item* a = new Item(0, 1);
  Item* b = new Item(0, 2);
  Item* c = new Item(0, 3);
  q.Push(a);
  q.Push(b);
  q.Push(c);
  EXPECT_FALSE(q.Empty());
  EXPECT_EQ(q.Pop(), a);
  EXPECT_EQ(q.Pop(), b);
  q.Clear();
  EXPECT_TRUE(q.Empty());
  EXPECT_EQ(q.Pop(), nullptr);
  EXPECT_EQ(Item::live, 3) << "Clear must not delete";
  delete a;
  delete b;
  delete c;
  EXPECT_EQ(Item::live, 0);
}

// Three posts before the worker first runs are all handled, in post order,
// whether the worker is started by StartThread or runs Loop on a thread of
// the caller's.
enum class StartMode { StartThread, OwnThread };

class EarlyPosts : public ::testing::TestWithParam<StartMode>
{};

TEST_P(EarlyPosts, AllHandledInPostOrder)
{
  Journal journal;
  std::thread own;
  {
    RecordingTarget target(journal);
    for (int i = 1; i <= 3; ++i)
      target.Post(Item(0, i));
    if (GetParam() == StartMode::StartThread) {
      target.StartThread();
      EXPECT_TRUE(target.Running());
    } else {
      own = std::thread([&] { target.Loop(); });
    }
    ASSERT_TRUE(journal.WaitForCount(3));
    EXPECT_EQ(journal.Seqs(), (std::vector<int>{1, 2, 3}));
    ASSERT_TRUE(WaitFor([&] { return target.Running(); }));
    target.StopLoop();
    EXPECT_FALSE(target.Running());
    if (own.joinable())
      own.join();
  }
  EXPECT_EQ(Item::live, 0);
}

INSTANTIATE_TEST_SUITE_P(Target, EarlyPosts, ::testing::Values(StartMode::StartThread, StartMode::OwnThread),
                         [](const auto& info) {
                           return std::string(info.param == StartMode::StartThread ? "StartThread"
                                                                                   : "OwnThread");
                         });

TEST(MsgTarget, PostsDuringHandlingAreHandledNextInOrder)
{
  Journal journal;
  Gate gate;
  {
    RecordingTarget target(journal);
    journal.hook = [&](const Item& item) {
      if (item.seq == 1) {
        target.Post(Item(0, 2));  // from the handler itself
        gate.EnterAndWait();
      }
    };
    target.StartThread();
    target.Post(Item(0, 1));
    ASSERT_TRUE(gate.WaitEntered());
    std::thread other([&] { target.Post(Item(1, 3)); });  // from another thread
    other.join();
    gate.Release();
    ASSERT_TRUE(journal.WaitForCount(3));
    EXPECT_EQ(journal.Seqs(), (std::vector<int>{1, 2, 3}));
  }
  EXPECT_EQ(Item::live, 0);
}

// A handler that throws loses that message only: the loop handles the next
// ones, and the message is deleted.
TEST(MsgTarget, ThrowingHandlerLosesItsMessageAndTheLoopGoesOn)
{
  Journal journal;
  {
    RecordingTarget target(journal);
    journal.hook = [](const Item& item) {
      if (item.seq == 2)
        throw std::runtime_error("handler failed");
      if (item.seq == 3)
        throw -1;
    };
    target.StartThread();
    for (int i = 1; i <= 4; ++i)
      target.Post(Item(0, i));
    ASSERT_TRUE(journal.WaitForCount(2));
    EXPECT_EQ(journal.Seqs(), (std::vector<int>{1, 4}));
    EXPECT_TRUE(target.Running());
  }
  EXPECT_EQ(Item::live, 0);
}

TEST(MsgTarget, StopWhileHandlingEndsAfterThatMessageAndTheRestAreDeletedUnhandled)
{
  Journal journal;
  Gate gate;
  {
    RecordingTarget target(journal);
    journal.hook = [&](const Item& item) {
      if (item.seq == 1)
        gate.EnterAndWait();
    };
    target.StartThread();
    target.Post(Item(0, 1));
    ASSERT_TRUE(gate.WaitEntered());
    target.Post(Item(0, 2));
    target.Post(Item(0, 3));

    std::thread stopper([&] { target.StopLoop(); });
    ASSERT_TRUE(WaitFor([&] { return target.StopRequested(); }));
    EXPECT_TRUE(target.Running()) << "StopLoop must wait for the message in hand";
    // Still accepted after the stop request, but never handled.
    EXPECT_NO_THROW(target.Post(Item(0, 4)));
    gate.Release();
    stopper.join();

    EXPECT_FALSE(target.Running());
    EXPECT_EQ(journal.Seqs(), (std::vector<int>{1}));
    EXPECT_EQ(Item::live, 3) << "messages 2, 3 and 4 wait in the queue";
  }
  EXPECT_EQ(journal.Seqs(), (std::vector<int>{1}));
  EXPECT_EQ(Item::live, 0) << "the destructor deletes what was left";
}

TEST(MsgTarget, PostAfterDestructionHasBegunThrowsMinusOne)
{
  Journal journal;
  Gate gate;
  std::atomic<int> thrown{0};
  std::atomic<int> accepted{0};
  // No stop in the derived destructor: the base destructor finds the
  // handler still running and must refuse posts while it waits for it.
  auto* target = new RecordingTarget(journal, false);
  VQMsgTarget<Item>* base = target;
  journal.hook = [&, base](const Item& item) {
    if (item.seq != 1)
      return;
    gate.EnterAndWait();
    // Posts until the destructor, which runs meanwhile, refuses them.
    for (int n = 100;; ++n) {
      try {
        base->VQMsgTarget<Item>::Post(Item(0, n));
        ++accepted;
      } catch (int e) {
        thrown = e;
        return;
      }
      std::this_thread::sleep_for(1ms);
    }
  };
  target->StartThread();
  target->Post(Item(0, 1));
  ASSERT_TRUE(gate.WaitEntered());
  gate.Release();
  delete target;  // returns once the handler has seen the refusal

  EXPECT_EQ(thrown, -1);
  EXPECT_EQ(journal.Seqs(), (std::vector<int>{1})) << "no message taken once destruction has begun";
  EXPECT_EQ(Item::live, 0) << "accepted posts (" << accepted << ") deleted unhandled";
}

TEST(MsgTarget, NeverStartedTargetQueuesPostsAndDeletesThemUnhandled)
{
  Journal journal;
  {
    RecordingTarget target(journal);
    for (int i = 0; i < 5; ++i)
      target.Post(Item(0, i));
    EXPECT_EQ(Item::live, 5);
    target.StopLoop();  // not running: refused, returns at once
    EXPECT_FALSE(target.Running());
  }
  EXPECT_TRUE(journal.Handled().empty());
  EXPECT_EQ(Item::live, 0);
}

TEST(MsgTarget, DestroyingARunningIdleTargetStopsAndJoinsItsWorker)
{
  Journal journal;
  {
    RecordingTarget target(journal, false);
    target.StartThread();
    target.Post(Item(0, 1));
    ASSERT_TRUE(journal.WaitForCount(1));
  }
  EXPECT_EQ(journal.Seqs(), (std::vector<int>{1}));
  EXPECT_EQ(Item::live, 0);
}

TEST(MsgTarget, CanBeStartedAgainAfterAStop)
{
  Journal journal;
  RecordingTarget target(journal);
  target.StartThread();
  target.Post(Item(0, 1));
  ASSERT_TRUE(journal.WaitForCount(1));
  target.StopLoop();
  target.Post(Item(0, 2));
  target.StartThread();
  ASSERT_TRUE(journal.WaitForCount(2));
  EXPECT_EQ(journal.Seqs(), (std::vector<int>{1, 2}));
}

TEST(MsgTarget, ConcurrentPostersLoseNothingAndKeepTheirOrder)
{
  constexpr int kProducers = 8;
  constexpr int kPerProducer = 2000;
  Journal journal;
  {
    RecordingTarget target(journal);
    target.StartThread();
    std::vector<std::thread> producers;
    for (int p = 0; p < kProducers; ++p)
      producers.emplace_back([&target, p] {
        for (int i = 0; i < kPerProducer; ++i)
          target.Post(Item(p, i));
      });
    for (auto& t : producers)
      t.join();
    ASSERT_TRUE(journal.WaitForCount(kProducers * kPerProducer));
    const auto handled = journal.Handled();
    ASSERT_EQ(handled.size(), static_cast<size_t>(kProducers * kPerProducer));
    std::vector<int> next(kProducers, 0);
    for (const auto& [producer, seq] : handled) {
      ASSERT_GE(producer, 0);
      ASSERT_LT(producer, kProducers);
      ASSERT_EQ(seq, next[producer]) << "producer " << producer;
      ++next[producer];
    }
  }
  EXPECT_EQ(Item::live, 0);
}

// The system's own message type: the handler gets a deep copy taken at the
// post, whatever the caller does with its message afterwards.
class MsgRecorder : public VQMsgTarget<QELM::MSG>
{
public:
  ~MsgRecorder() override
  {
    if (m_is_running)
      StopLoop();
  }
  int HandleMsg(QELM::MSG* pmsg) override
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    ids.push_back(pmsg->ID);
    std::vector<unsigned char> bytes(pmsg->arg.get_buffer(), pmsg->arg.get_buffer() + pmsg->arg.length());
    args.push_back(bytes);
    return 0;
  }
  size_t Count()
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    return ids.size();
  }

  std::mutex m_mutex;
  std::vector<long> ids;
  std::vector<std::vector<unsigned char>> args;
};

TEST(MsgTarget, SystemMessagesAreCopiedOnPost)
{
  MsgRecorder target;
  QELM::MSG msg;
  msg.ID = 42;
  msg.timestamp.sec = 10;
  msg.timestamp.msec = 5;
  msg.arg.length(3);
  msg.arg[0] = 1;
  msg.arg[1] = 2;
  msg.arg[2] = 3;
  target.Post(msg);
  msg.ID = 43;
  msg.arg[0] = 9;
  msg.arg.length(1);
  target.Post(msg);
  target.StartThread();
  ASSERT_TRUE(WaitFor([&] { return target.Count() == 2; }));
  std::lock_guard<std::mutex> lock(target.m_mutex);
  EXPECT_EQ(target.ids, (std::vector<long>{42, 43}));
  EXPECT_EQ(target.args[0], (std::vector<unsigned char>{1, 2, 3}));
  EXPECT_EQ(target.args[1], (std::vector<unsigned char>{9}));
}

}  // namespace
