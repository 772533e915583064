// The incident dialog's logic: items, building and checks, list lines, the
// controls that show a stored incident, and the sends of Add, Change and
// Delete as the controller would pack them.
#include <gtest/gtest.h>

#include "DialogFixtures.h"
#include "DialogLists.h"
#include "IncidentLogic.h"

using dialogs::LoadedNetwork;

namespace {

class IncidentLogic : public LoadedNetwork
{};

std::unique_ptr<CIncident> Incident(int from, int to, float start, float end, float severity)
{
  auto i = std::make_unique<CIncident>();
  i->m_nFromNode = from;
  i->m_nToNode = to;
  i->m_fStart = start;
  i->m_fEnd = end;
  i->m_fSeverity = severity;
  return i;
}

TEST(IncidentItems, SeverityAndTimeLists)
{
  EXPECT_EQ(SeverityItems(),
            (std::vector<std::string>{"0.1", "0.2", "0.3", "0.4", "0.5", "0.6", "0.7", "0.8", "0.9", "1.0"}));
  const std::vector<std::string> starts = ClockItems(0, 1439);
  const std::vector<std::string> ends = ClockItems(1, 1440);
  ASSERT_EQ(starts.size(), 1440u);
  ASSERT_EQ(ends.size(), 1440u);
  EXPECT_EQ(starts[0], "0:00");
  EXPECT_EQ(starts[5], "0:05");
  EXPECT_EQ(starts[65], "1:05");
  EXPECT_EQ(starts[90], "1:30");
  EXPECT_EQ(starts[1439], "23:59");
  EXPECT_EQ(ends[0], "0:01");
  EXPECT_EQ(ends[1439], "24:00");
}

TEST_F(IncidentLogic, BuildFromControls)
{
  struct Case
  {
    const char* name;
    IncidentControls c;
    bool built;
    std::vector<std::string> messages;
    int from, to;
    float start, end, severity;
  };
  const std::string timeMsg = " Please ensure that the start time is before the end time!";
  const Case cases[] = {
      {"opening selection", {}, true, {}, 10, 20, 1, 10, 0.3f},
      {"start 0, end item 0", {3, 0, 0, 2}, true, {}, 30, 40, 0, 1, 0.3f},
      {"start 1439, end item 1439", {0, 1439, 1439, 2}, true, {}, 10, 20, 1439, 1440, 0.3f},
      {"start 1439, end item 1438", {0, 1439, 1438, 2}, false, {timeMsg}, 0, 0, 0, 0, 0},
      {"start equals end", {0, 5, 4, 2}, false, {timeMsg}, 0, 0, 0, 0, 0},
      {"severity 1.0", {1, 1, 9, 9}, true, {}, 20, 30, 1, 10, 1.0f},
      {"severity 0.1", {2, 1, 9, 0}, true, {}, 20, 30, 1, 10, 0.1f},
      {"no link selected", {-1, 1, 9, 2}, false, {}, 0, 0, 0, 0, 0},
      {"row past the links", {5, 1, 9, 2}, false, {}, 0, 0, 0, 0, 0},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    prompts.Clear();
    std::unique_ptr<CIncident> i = BuildIncident(k.c, prompts);
    EXPECT_EQ(prompts.messages, k.messages);
    ASSERT_EQ(i != nullptr, k.built);
    if (!i)
      continue;
    EXPECT_EQ(i->m_nFromNode, k.from);
    EXPECT_EQ(i->m_nToNode, k.to);
    EXPECT_EQ(i->m_fStart, k.start);
    EXPECT_EQ(i->m_fEnd, k.end);
    EXPECT_EQ(i->m_fSeverity, k.severity);
  }
}

TEST_F(IncidentLogic, ListLines)
{
  g_IncidentArray.Add(Incident(10, 20, 1, 10, 0.3f));
  g_IncidentArray.Add(Incident(20, 30, 65, 600, 1.0f));  // first of the parallel links
  g_IncidentArray.Add(Incident(99, 98, 0, 1, 0.7f));     // nodes the network lacks
  g_IncidentArray.Add(Incident(30000, 10, 0, 1, 0.1f));  // beyond the node tables
  EXPECT_EQ(IncidentListLines(), (std::vector<std::string>{
                                     "Link No.   1:   10->  20, Time:[0:01,0:10], Severity:0.3",
                                     "Link No.   2:   20->  30, Time:[1:05,10:00], Severity:1.0",
                                     "Link No.   ?:   99->  98, Time:[0:00,0:01], Severity:0.7",
                                     "Link No.   ?: 30000->  10, Time:[0:00,0:01], Severity:0.1",
                                 }));
}

TEST_F(IncidentLogic, ControlsOfAStoredIncident)
{
  // Every item built and shown again gives the same items back.
  for (int s = 0; s < kSeverityItems; ++s) {
    IncidentControls c{4, 30, 59, s};
    std::unique_ptr<CIncident> i = BuildIncident(c, prompts);
    ASSERT_TRUE(i);
    g_IncidentArray.RemoveAll();
    g_IncidentArray.Add(std::move(i));
    IncidentControls shown{-7, -7, -7, -7};
    ASSERT_TRUE(IncidentControlsOf(0, shown));
    EXPECT_EQ(shown, c);
  }

  struct Case
  {
    const char* name;
    float start, end, severity;
    int from, to;
    IncidentControls expected;
  };
  const Case cases[] = {
      {"0.7 read from a file", 0, 1, static_cast<float>(0.7), 10, 20, {0, 0, 0, 6}},
      {"just under a tenth", 0, 1, 0.2999f, 10, 20, {0, 0, 0, 2}},
      {"severity 0 clamped", 0, 1, 0.0f, 10, 20, {0, 0, 0, 0}},
      {"severity 1.5 clamped", 0, 1, 1.5f, 10, 20, {0, 0, 0, 9}},
      {"times past the lists clamped", 1500, 2000, 0.3f, 30, 40, {3, 1439, 1439, 2}},
      {"negative times clamped", -5, -1, 0.3f, 30, 40, {3, 0, 0, 2}},
      {"fractional minutes", 10.75f, 20.5f, 0.3f, 40, 10, {4, 10, 19, 2}},
      {"unknown link keeps the link list", 0, 1, 0.3f, 99, 98, {-1, 0, 0, 2}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    g_IncidentArray.RemoveAll();
    g_IncidentArray.Add(Incident(k.from, k.to, k.start, k.end, k.severity));
    IncidentControls shown;
    ASSERT_TRUE(IncidentControlsOf(0, shown));
    EXPECT_EQ(shown, k.expected);
  }
  IncidentControls untouched;
  EXPECT_FALSE(IncidentControlsOf(1, untouched));
  EXPECT_FALSE(IncidentControlsOf(-1, untouched));
  EXPECT_EQ(untouched, IncidentControls{});
}

TEST_F(IncidentLogic, AddChangeDeleteSendInOrder)
{
  ASSERT_TRUE(AddIncident({0, 1, 9, 2}, sender, prompts));
  ASSERT_TRUE(AddIncident({3, 60, 119, 9}, sender, prompts));
  EXPECT_EQ(sender.Codes(), (std::vector<int>{42, 42}));
  // The exact bytes of the first: 10, 20, 1.0f, 10.0f, 0.3f, little-endian.
  EXPECT_EQ(sender.sent[0].Bytes(),
            (std::vector<unsigned char>{0x0a, 0,    0, 0, 0x14, 0,    0,    0,    0,    0,
                                        0x80, 0x3f, 0, 0, 0x20, 0x41, 0x9a, 0x99, 0x99, 0x3e}));
  EXPECT_EQ(sender.sent[1].Incident(), (IncidentMsgArg{30, 40, 60, 120, 1.0f}));

  // Change keeps the position and sends remove (old) then add (new).
  sender.sent.clear();
  ASSERT_TRUE(ChangeIncident(0, {4, 100, 199, 4}, sender, prompts));
  ASSERT_EQ(sender.Codes(), (std::vector<int>{43, 42}));
  EXPECT_EQ(sender.sent[0].Incident(), (IncidentMsgArg{10, 20, 1, 10, 0.3f}));
  EXPECT_EQ(sender.sent[1].Incident(), (IncidentMsgArg{40, 10, 100, 200, 0.5f}));
  ASSERT_EQ(g_IncidentArray.GetSize(), 2);
  EXPECT_EQ(g_IncidentArray[0]->m_nFromNode, 40);
  EXPECT_EQ(g_IncidentArray[1]->m_nFromNode, 30);

  // A change that fails its check leaves the stored incident and sends nothing.
  sender.sent.clear();
  EXPECT_FALSE(ChangeIncident(0, {0, 50, 10, 2}, sender, prompts));
  EXPECT_TRUE(sender.sent.empty());
  EXPECT_EQ(g_IncidentArray[0]->m_nFromNode, 40);
  EXPECT_EQ(prompts.messages.size(), 1u);

  // No selected line: nothing at all.
  prompts.Clear();
  EXPECT_FALSE(ChangeIncident(-1, {}, sender, prompts));
  EXPECT_FALSE(ChangeIncident(2, {}, sender, prompts));
  EXPECT_FALSE(DeleteIncident(-1, sender, prompts));
  EXPECT_FALSE(DeleteIncident(2, sender, prompts));
  EXPECT_TRUE(sender.sent.empty());
  EXPECT_TRUE(prompts.messages.empty());

  ASSERT_TRUE(DeleteIncident(1, sender, prompts));
  ASSERT_TRUE(DeleteIncident(0, sender, prompts));
  ASSERT_EQ(sender.Codes(), (std::vector<int>{43, 43}));
  EXPECT_EQ(sender.sent[0].Incident(), (IncidentMsgArg{30, 40, 60, 120, 1.0f}));
  EXPECT_EQ(sender.sent[1].Incident(), (IncidentMsgArg{40, 10, 100, 200, 0.5f}));
  EXPECT_EQ(g_IncidentArray.GetSize(), 0);
  EXPECT_TRUE(IncidentListLines().empty());
}

TEST_F(IncidentLogic, FailedSendShowsTheErrorAndKeepsTheChange)
{
  sender.FailAll();
  ASSERT_TRUE(AddIncident({}, sender, prompts));
  EXPECT_EQ(g_IncidentArray.GetSize(), 1);
  EXPECT_EQ(prompts.messages, (std::vector<std::string>{"Unkonwn error occurred."}));

  prompts.Clear();
  ASSERT_TRUE(ChangeIncident(0, {1, 1, 9, 2}, sender, prompts));
  EXPECT_EQ(sender.Codes(), (std::vector<int>{42, 43, 42}));
  EXPECT_EQ(prompts.messages, (std::vector<std::string>{"Unkonwn error occurred."}));  // once per action
  EXPECT_EQ(g_IncidentArray[0]->m_nFromNode, 20);

  prompts.Clear();
  ASSERT_TRUE(DeleteIncident(0, sender, prompts));
  EXPECT_EQ(g_IncidentArray.GetSize(), 0);
  EXPECT_EQ(prompts.messages.size(), 1u);
}

}  // namespace
