// The command queue between the operator dialogs and the controller: the
// actions leave the caller at once and are made later on the queue's own
// thread, in the order given, each failed action told once with the text of
// its first failed send; closing drops what has not begun. A send that
// throws, on the queue's thread and on the caller's, is a failed send with
// the exception's text, and the action's other sends and the next actions
// are still made.
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "CProject.h"  // IMessageSink
#include "CommandQueue.h"
#include "TestSupport.h"

namespace {

// A sender whose sends wait at a gate the test opens, and fail as scripted.
class GatedSender : public ICommandSender
{
public:
  struct Sent
  {
    int code;  // the incident's from-node: which send it was
    std::thread::id thread;
  };

  void Open()
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_open = true;
    m_cv.notify_all();
  }
  // Sends entered so far, at the gate or past it.
  int Entered()
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_entered;
  }
  std::vector<Sent> Sends()
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_sent;
  }

  // from-node numbers above 100 fail with the text "failed <n>".
  int SendIncident(int, int fromNode, int, float, float, float) override
  {
    std::unique_lock<std::mutex> lock(m_mutex);
    ++m_entered;
    m_cv.wait(lock, [this] { return m_open; });
    m_sent.push_back({fromNode, std::this_thread::get_id()});
    if (fromNode <= 100)
      return 0;
    m_error = "failed " + std::to_string(fromNode);
    return 9;
  }
  int SendVMS(int, int, int, int, const int*, float, float, const int*) override { return 0; }
  int SendWorkZone(int, int, int, float, float, float, int, int) override { return 0; }
  std::string GetLastError() const override
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_error;
  }

private:
  mutable std::mutex m_mutex;
  std::condition_variable m_cv;
  bool m_open = false;
  int m_entered = 0;
  std::vector<Sent> m_sent;
  std::string m_error;
};

// Incidents whose from-node says what the send does: 0 succeeds, 1 throws a
// standard exception, 2 throws something else, 3 fails with a code.
class ThrowingSender : public ICommandSender
{
public:
  int SendIncident(int, int fromNode, int, float, float, float) override
  {
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_sent.push_back(fromNode);
    }
    switch (fromNode) {
    case 1: throw std::runtime_error("the reference went away");
    case 2: throw 42;
    case 3: return 9;
    default: return 0;
    }
  }
  int SendVMS(int, int, int, int, const int*, float, float, const int*) override { return 0; }
  int SendWorkZone(int, int, int, float, float, float, int, int) override { return 0; }
  std::string GetLastError() const override { return "failed with a code"; }
  std::vector<int> Sent()
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_sent;
  }

private:
  std::mutex m_mutex;
  std::vector<int> m_sent;
};

struct LockedSink : IMessageSink
{
  void ShowMessage(const std::string& text) override
  {
    std::lock_guard<std::mutex> lock(mutex);
    messages.push_back(text);
  }
  std::vector<std::string> Messages()
  {
    std::lock_guard<std::mutex> lock(mutex);
    return messages;
  }
  std::mutex mutex;
  std::vector<std::string> messages;
};

ICommandSender::Send Incident(int fromNode)
{
  return [fromNode](ICommandSender& s) { return s.SendIncident(1, fromNode, 2, 0.0f, 1.0f, 0.1f); };
}

TEST(CommandQueue, ActionsLeaveTheCallerAndRunInOrderWithOneReportEach)
{
  GatedSender sender;
  LockedSink reports, callerSink;
  CommandQueue queue(sender, reports);

  // The gate is shut: nothing can be sent, and yet every call returns.
  queue.RunAction({Incident(1)}, callerSink);
  queue.RunAction({Incident(201), Incident(202)}, callerSink);  // a Change whose two sends fail
  queue.RunAction({Incident(3), Incident(204)}, callerSink);    // the second send fails
  queue.RunAction({Incident(5)}, callerSink);
  EXPECT_EQ(queue.Pending(), 4);
  ASSERT_TRUE(WaitUntil([&] { return sender.Entered() == 1; }));
  EXPECT_TRUE(sender.Sends().empty());

  sender.Open();
  ASSERT_TRUE(WaitUntil([&] { return queue.Pending() == 0; }));
  std::vector<int> order;
  for (const GatedSender::Sent& s : sender.Sends()) {
    order.push_back(s.code);
    EXPECT_NE(s.thread, std::this_thread::get_id());
  }
  EXPECT_EQ(order, (std::vector<int>{1, 201, 202, 3, 204, 5}));
  // One line per failed action, the first failure's text; the caller's
  // sink (a dialog that may be closed by now) is not used.
  EXPECT_EQ(reports.Messages(), (std::vector<std::string>{"failed 201", "failed 204"}));
  EXPECT_TRUE(callerSink.Messages().empty());
}

TEST(CommandQueue, CloseDropsWhatHasNotBegun)
{
  GatedSender sender;
  LockedSink reports, callerSink;
  auto queue = std::make_unique<CommandQueue>(sender, reports);
  queue->RunAction({Incident(1), Incident(2)}, callerSink);
  queue->RunAction({Incident(3)}, callerSink);
  ASSERT_TRUE(WaitUntil([&] { return sender.Entered() == 1; }));

  queue->Close();
  queue->RunAction({Incident(4)}, callerSink);  // taken no more
  EXPECT_EQ(queue->Pending(), 1);               // the action under way
  sender.Open();
  queue.reset();  // waits for it

  std::vector<int> order;
  for (const GatedSender::Sent& s : sender.Sends())
    order.push_back(s.code);
  EXPECT_EQ(order, (std::vector<int>{1, 2}));
}

TEST(CommandQueue, WithoutAQueueTheActionRunsAtOnceOnTheCallersSink)
{
  GatedSender sender;
  sender.Open();
  LockedSink sink;
  sender.RunAction({Incident(7), Incident(301), Incident(302)}, sink);
  ASSERT_EQ(sender.Sends().size(), 3u);
  EXPECT_EQ(sender.Sends()[0].thread, std::this_thread::get_id());
  EXPECT_EQ(sink.Messages(), std::vector<std::string>{"failed 301"});
}

struct ThrowCase
{
  const char* name;
  int throwingSend;  // from-node of the send that throws
  std::string report;
};

const ThrowCase kThrowCases[] = {
    {"a standard exception", 1, "The command could not be sent: the reference went away"},
    {"something else", 2, "The command could not be sent."},
};

TEST(CommandQueue, AThrowingSendIsReportedAsAFailedSendAndTheQueueGoesOn)
{
  for (const ThrowCase& c : kThrowCases) {
    SCOPED_TRACE(c.name);
    ThrowingSender sender;
    LockedSink reports, callerSink;
    CommandQueue queue(sender, reports);
    // A Change whose first send throws, then an action that fails with a
    // code and one that succeeds.
    queue.RunAction({Incident(c.throwingSend), Incident(0)}, callerSink);
    queue.RunAction({Incident(3)}, callerSink);
    queue.RunAction({Incident(0)}, callerSink);
    ASSERT_TRUE(WaitUntil([&] { return queue.Pending() == 0; }));
    EXPECT_EQ(sender.Sent(), (std::vector<int>{c.throwingSend, 0, 3, 0}));
    EXPECT_EQ(reports.Messages(), (std::vector<std::string>{c.report, "failed with a code"}));
    EXPECT_TRUE(callerSink.Messages().empty());
  }
}

TEST(CommandQueue, WithoutAQueueAThrowingSendIsReportedOnTheCallersSink)
{
  for (const ThrowCase& c : kThrowCases) {
    SCOPED_TRACE(c.name);
    ThrowingSender sender;
    LockedSink sink;
    sender.RunAction({Incident(0), Incident(c.throwingSend), Incident(3)}, sink);
    EXPECT_EQ(sender.Sent(), (std::vector<int>{0, c.throwingSend, 3}));
    EXPECT_EQ(sink.Messages(), std::vector<std::string>{c.report});
  }
}

}  // namespace
