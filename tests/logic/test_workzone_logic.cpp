// The work zone dialog's logic: the capacity items over all 100 entries,
// the two edits' checks, building, list lines, the controls that show a
// stored work zone, and the sends of Add, Change and Delete.
#include <gtest/gtest.h>

#include "DialogFixtures.h"
#include "DialogLists.h"
#include "StringPrintf.h"
#include "WorkZoneLogic.h"

using dialogs::LoadedNetwork;

namespace {

class WorkZoneLogic : public LoadedNetwork
{};

TEST(WorkZoneItems, CapacityItemsShowAndSendTheirRate)
{
  const std::vector<std::string> items = CapacityItems();
  ASSERT_EQ(items.size(), 100u);
  EXPECT_EQ(items[0], "0.01");
  EXPECT_EQ(items[52], "0.53");
  EXPECT_EQ(items[58], "0.59");
  EXPECT_EQ(items[98], "0.99");
  EXPECT_EQ(items[99], "1.00");
  // Every item: the rate it sends is the one it shows, and shows it again.
  for (int i = 0; i < kCapacityItems; ++i) {
    const float rate = static_cast<float>(i + 1) / 100.0f;
    EXPECT_EQ(StringPrintf("%3.2f", static_cast<double>(rate)), items[static_cast<std::size_t>(i)]) << i;
    EXPECT_EQ(CapacityItemOf(rate), i) << i;
    // A rate read back through a double (a file, a payload) finds it too.
    EXPECT_EQ(CapacityItemOf(static_cast<float>(static_cast<double>(i + 1) / 100.0)), i) << i;
  }
  EXPECT_EQ(CapacityItemOf(0.0f), 0);
  EXPECT_EQ(CapacityItemOf(1.7f), 99);
  EXPECT_EQ(CapacityItemOf(-3.0f), 0);
}

TEST(WorkZoneItems, IntegerEditChecks)
{
  struct Case
  {
    const char* text;
    int lo, hi;
    bool ok;
    int value;
    const char* message;
  };
  const Case cases[] = {
      {"0", 0, 100, true, 0, ""},
      {"100", 0, 100, true, 100, ""},
      {"101", 0, 100, false, 0, "Please enter an integer between 0 and 100."},
      {"-1", 0, 100, false, 0, "Please enter an integer between 0 and 100."},
      {"0", 0, 4000, true, 0, ""},
      {"4000", 0, 4000, true, 4000, ""},
      {"4001", 0, 4000, false, 0, "Please enter an integer between 0 and 4000."},
      {" 55 ", 0, 100, true, 55, ""},
      {"+7", 0, 100, true, 7, ""},
      {"", 0, 100, false, 0, "Please enter an integer."},
      {"fast", 0, 100, false, 0, "Please enter an integer."},
      {"5 0", 0, 100, false, 0, "Please enter an integer."},
      {"50mph", 0, 100, false, 0, "Please enter an integer."},
      {"99999999999999999999", 0, 4000, false, 0, "Please enter an integer."},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.text);
    int value = -1;
    std::string message;
    EXPECT_EQ(ParseIntInRange(k.text, k.lo, k.hi, value, message), k.ok);
    EXPECT_EQ(message, k.message);
    if (k.ok) {
      EXPECT_EQ(value, k.value);
    }
  }
}

TEST_F(WorkZoneLogic, BuildChecks)
{
  auto with = [](std::string speed, std::string rate, int startItem = 1, int endItem = 9) {
    WorkZoneControls c;
    c.speedLimit = std::move(speed);
    c.dischargeRate = std::move(rate);
    c.startItem = startItem;
    c.endItem = endItem;
    return c;
  };
  struct Case
  {
    const char* name;
    WorkZoneControls c;
    std::vector<std::string> messages;
  };
  const std::string time = " Please ensure that the start time is before the end time!";
  const Case cases[] = {
      {"opening values", {}, {}},
      {"speed 101", with("101", "1300"), {"Please enter an integer between 0 and 100."}},
      {"rate 4001", with("50", "4001"), {"Please enter an integer between 0 and 4000."}},
      {"both bad: the first only", with("x", "4001"), {"Please enter an integer."}},
      {"edits before times", with("101", "1300", 9, 1), {"Please enter an integer between 0 and 100."}},
      {"times once", with("50", "1300", 9, 1), {time}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    prompts.Clear();
    std::unique_ptr<CWorkZone> z = BuildWorkZone(k.c, prompts);
    EXPECT_EQ(prompts.messages, k.messages);
    EXPECT_EQ(z != nullptr, k.messages.empty());
  }
  std::unique_ptr<CWorkZone> z = BuildWorkZone({}, prompts);
  ASSERT_TRUE(z);
  EXPECT_EQ(z->m_nFromNode, 10);
  EXPECT_EQ(z->m_nToNode, 20);
  EXPECT_EQ(z->m_fStart, 1.0f);
  EXPECT_EQ(z->m_fEnd, 10.0f);
  EXPECT_EQ(z->m_fCapacityReduction, 0.03f);
  EXPECT_EQ(z->m_nSpeedLimit, 50);
  EXPECT_EQ(z->m_nDischargeRate, 1300);
  WorkZoneControls noLink;
  noLink.linkRow = -1;
  prompts.Clear();
  EXPECT_FALSE(BuildWorkZone(noLink, prompts));
  EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(WorkZoneLogic, AddChangeDeleteSendInOrder)
{
  WorkZoneControls first;
  WorkZoneControls second{3, 60, 119, 99, "35", "1800"};
  ASSERT_TRUE(AddWorkZone(first, sender, prompts));
  ASSERT_TRUE(AddWorkZone(second, sender, prompts));
  ASSERT_EQ(sender.Codes(), (std::vector<int>{46, 46}));
  EXPECT_EQ(sender.sent[0].WorkZone(), (WorkZoneMsgArg{10, 20, 1, 10, 0.03f, 50, 1300}));
  EXPECT_EQ(sender.sent[1].WorkZone(), (WorkZoneMsgArg{30, 40, 60, 120, 1.0f, 35, 1800}));
  EXPECT_EQ(sender.sent[0].arg.length(), 28u);
  EXPECT_EQ(WorkZoneListLines(),
            (std::vector<std::string>{
                "Link No.   1:   10->  20, Time:[ 1,10], CapRed:0.03, SpdLimit:50, DisRate:1300",
                "Link No.   4:   30->  40, Time:[60,120], CapRed:1.00, SpdLimit:35, DisRate:1800",
            }));

  sender.sent.clear();
  WorkZoneControls changed{4, 0, 0, 0, "0", "0"};
  ASSERT_TRUE(ChangeWorkZone(0, changed, sender, prompts));
  ASSERT_EQ(sender.Codes(), (std::vector<int>{47, 46}));
  EXPECT_EQ(sender.sent[0].WorkZone(), (WorkZoneMsgArg{10, 20, 1, 10, 0.03f, 50, 1300}));
  EXPECT_EQ(sender.sent[1].WorkZone(), (WorkZoneMsgArg{40, 10, 0, 1, 0.01f, 0, 0}));
  EXPECT_EQ(g_WorkZoneArray[0]->m_nFromNode, 40);
  WorkZoneControls shown;
  ASSERT_TRUE(WorkZoneControlsOf(0, shown));
  EXPECT_EQ(shown, changed);

  // A failing change leaves the stored one; nothing selected does nothing.
  sender.sent.clear();
  EXPECT_FALSE(ChangeWorkZone(0, {4, 0, 0, 0, "500", "0"}, sender, prompts));
  EXPECT_FALSE(ChangeWorkZone(2, changed, sender, prompts));
  EXPECT_FALSE(DeleteWorkZone(-1, sender, prompts));
  EXPECT_TRUE(sender.sent.empty());
  EXPECT_EQ(g_WorkZoneArray[0]->m_nSpeedLimit, 0);

  ASSERT_TRUE(DeleteWorkZone(1, sender, prompts));
  ASSERT_TRUE(DeleteWorkZone(0, sender, prompts));
  ASSERT_EQ(sender.Codes(), (std::vector<int>{47, 47}));
  EXPECT_EQ(sender.sent[0].WorkZone(), (WorkZoneMsgArg{30, 40, 60, 120, 1.0f, 35, 1800}));
  EXPECT_EQ(g_WorkZoneArray.GetSize(), 0);
}

TEST_F(WorkZoneLogic, StoredValuesShownAndUnknownLinks)
{
  auto add = [](int from, int to, float rate) {
    auto z = std::make_unique<CWorkZone>();
    z->m_nFromNode = from;
    z->m_nToNode = to;
    z->m_fStart = 10;
    z->m_fEnd = 20;
    z->m_fCapacityReduction = rate;
    z->m_nSpeedLimit = 45;
    z->m_nDischargeRate = 900;
    g_WorkZoneArray.Add(std::move(z));
  };
  add(20, 30, 0.53f);
  add(20, 30, 0.59f);
  add(99, 98, 0.5f);
  WorkZoneControls c;
  ASSERT_TRUE(WorkZoneControlsOf(0, c));
  EXPECT_EQ(c, (WorkZoneControls{1, 10, 19, 52, "45", "900"}));
  ASSERT_TRUE(WorkZoneControlsOf(1, c));
  EXPECT_EQ(c.capacityItem, 58);
  ASSERT_TRUE(WorkZoneControlsOf(2, c));
  EXPECT_EQ(c.linkRow, -1);
  EXPECT_FALSE(WorkZoneControlsOf(3, c));
  EXPECT_EQ(WorkZoneListLines()[2],
            "Link No.   ?:   99->  98, Time:[10,20], CapRed:0.50, SpdLimit:45, DisRate: 900");
}

TEST_F(WorkZoneLogic, FailedSendShowsTheError)
{
  sender.FailAll();
  ASSERT_TRUE(AddWorkZone({}, sender, prompts));
  ASSERT_TRUE(ChangeWorkZone(0, {}, sender, prompts));
  ASSERT_TRUE(DeleteWorkZone(0, sender, prompts));
  EXPECT_EQ(prompts.messages, std::vector<std::string>(3, "Unkonwn error occurred."));
  EXPECT_EQ(sender.Codes(), (std::vector<int>{46, 47, 46, 47}));
}

}  // namespace
