// A send that throws, on the command queue's thread and on the caller's: it
// is reported as a failed send, with the exception's text, and the action's
// other sends and the next actions are still made.
#include <gtest/gtest.h>

#include <functional>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "CProject.h"  // IMessageSink
#include "CommandQueue.h"
#include "TestSupport.h"

namespace {

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
