// The link property dialog's logic: a link's attributes as the members,
// records built from them, list lines, the delete guard and
// estimate/new_network.dat byte for byte.
#include <gtest/gtest.h>

#include <filesystem>

#include "CDrawLine.h"
#include "DialogFixtures.h"
#include "DialogLists.h"
#include "LinkModLogic.h"

using dialogs::LoadedNetwork;

namespace {

class LinkModLogic : public LoadedNetwork
{
protected:
  // The controls right after a link is chosen: its own attributes.
  static LinkModControls Chosen(int row, int startItem = 1, int endItem = 9)
  {
    LinkModControls c;
    c.linkRow = row;
    c.startItem = startItem;
    c.endItem = endItem;
    c.values = LinkModValuesOf(*LinkAtRow(row));
    return c;
  }
};

TEST(LinkModItems, LinkTypes)
{
  EXPECT_EQ(LinkTypeItems(),
            (std::vector<std::string>{"Freeway", "Freeway w/Detector", "On Ramp", "Off Ramp", "Arterial",
                                      "HOT", "Highway", "HOV", "Freeway HOT", "Freeway HOV"}));
}

TEST_F(LinkModLogic, AttributesOfALink)
{
  // Link 1 of the small network: 20->30, 1 left bay, 0 right bays, 2000 ft,
  // 2 lanes, flow model 1.5, speed limit 55.5, service flow 2200.25,
  // saturation flow 1800.5, type 3, grade -1.25.
  LinkModValues v = LinkModValuesOf(*LinkAtRow(1), 7);
  EXPECT_EQ(v, (LinkModValues{2, 2, 0, 1800, 2200, 7, 55, 1, -1, 1, 2000}));
}

TEST_F(LinkModLogic, AddingAtOnceStoresTheLinksAttributes)
{
  ASSERT_TRUE(AddLinkMod(Chosen(1), prompts));
  ASSERT_EQ(g_LinkModArray.GetSize(), 1);
  const CDrawLine& r = *g_LinkModArray[0];
  const CDrawLine& link = *LinkAtRow(1);
  EXPECT_EQ(r.m_nFromNode, 20);
  EXPECT_EQ(r.m_nToNode, 30);
  EXPECT_EQ(r.m_nIndex, 1);
  EXPECT_EQ(r.m_dModStart, 1.0);
  EXPECT_EQ(r.m_dModEnd, 10.0);
  EXPECT_EQ(r.m_nLinkType, link.m_nLinkType);
  EXPECT_EQ(r.m_nLanes, link.m_nLanes);
  EXPECT_EQ(r.m_dLength, link.m_dLength);
  EXPECT_EQ(r.m_fValue1, link.m_fValue1);
  EXPECT_EQ(r.m_fValue2, link.m_fValue2);
  EXPECT_EQ(r.m_fValue5, 1800.0f);  // whole part of the link's saturation flow
  EXPECT_EQ(r.m_dSatRate, 2200.0);  // and of its service flow
  EXPECT_EQ(LinkModListLines(), (std::vector<std::string>{"Link No.   2:   20->  30, Time:[0:01,0:10]"}));
  EXPECT_EQ(LinkModLinkRow(0), 1);
  EXPECT_EQ(LinkModLinkRow(1), -1);

  // One record: the count and its line once.
  const std::filesystem::path file = "estimate/new_network.dat";
  ASSERT_TRUE(WriteNewNetworkFileIn(".", prompts));
  EXPECT_EQ(ReadAll(file), "1\n"
                           "     20        30      1.0     10.0      2000    2   1    1800    2200\n");
  // No records: the count alone.
  g_LinkModArray.RemoveAll();
  ASSERT_TRUE(WriteNewNetworkFileIn(".", prompts));
  EXPECT_EQ(ReadAll(file), "0\n");
  EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(LinkModLogic, EditedValuesAndTimesInTheFile)
{
  LinkModControls c = Chosen(3, 480, 539);
  c.values.lanes = 3;
  c.values.flowModel = 2;
  c.values.satFlow = 1900;
  c.values.serviceFlow = 2100;
  c.values.linkTypeIndex = 9;
  ASSERT_TRUE(AddLinkMod(c, prompts));
  ASSERT_TRUE(AddLinkMod(Chosen(0, 0, 1438), prompts));
  EXPECT_EQ(g_LinkModArray[0]->m_nLinkType, 10);
  ASSERT_TRUE(WriteNewNetworkFile("estimate/new_network.dat"));
  EXPECT_EQ(ReadAll("estimate/new_network.dat"),
            "2\n"
            "     30        40    480.0    540.0       500    3   2    1900    2100\n"
            "     10        20      0.0   1439.0      1000    2   1    1800    2200\n");
  EXPECT_EQ(LinkModListLines()[1], "Link No.   1:   10->  20, Time:[0:00,23:59]");
}

TEST_F(LinkModLogic, ChecksAndChange)
{
  ASSERT_TRUE(AddLinkMod(Chosen(0), prompts));
  // Start not before end: nothing stored, the old record kept on Change.
  EXPECT_FALSE(AddLinkMod(Chosen(1, 10, 9), prompts));
  EXPECT_FALSE(ChangeLinkMod(0, Chosen(1, 10, 8), prompts));
  EXPECT_EQ(prompts.messages, std::vector<std::string>(2, kStartBeforeEndMessage));
  EXPECT_EQ(g_LinkModArray.GetSize(), 1);
  EXPECT_EQ(g_LinkModArray[0]->m_nFromNode, 10);
  // No selection: nothing.
  prompts.Clear();
  LinkModControls noLink = Chosen(0);
  noLink.linkRow = -1;
  EXPECT_FALSE(ChangeLinkMod(0, noLink, prompts));
  EXPECT_FALSE(ChangeLinkMod(5, Chosen(1), prompts));
  EXPECT_TRUE(prompts.messages.empty());
  // A valid change replaces the record in its place.
  ASSERT_TRUE(ChangeLinkMod(0, Chosen(4, 100, 199), prompts));
  EXPECT_EQ(g_LinkModArray.GetSize(), 1);
  EXPECT_EQ(g_LinkModArray[0]->m_nFromNode, 40);
  EXPECT_EQ(g_LinkModArray[0]->m_dModEnd, 200.0);
}

TEST_F(LinkModLogic, DeleteGuard)
{
  struct Case
  {
    int minute;
    bool deleted;
  };
  // The record's window is minutes 1 to 10, both included.
  const Case cases[] = {{0, true}, {1, false}, {5, false}, {10, false}, {11, true}, {-1, true}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.minute);
    g_LinkModArray.RemoveAll();
    prompts.Clear();
    ASSERT_TRUE(AddLinkMod(Chosen(0), prompts));
    EXPECT_EQ(DeleteLinkMod(0, k.minute, prompts), k.deleted);
    EXPECT_EQ(g_LinkModArray.GetSize(), k.deleted ? 0 : 1);
    EXPECT_EQ(prompts.messages,
              k.deleted ? std::vector<std::string>{} : std::vector<std::string>{kLinkModInUseMessage});
  }
  EXPECT_FALSE(DeleteLinkMod(-1, 0, prompts));
  EXPECT_FALSE(DeleteLinkMod(7, 0, prompts));
}

TEST_F(LinkModLogic, FileThatCannotBeWritten)
{
  ASSERT_TRUE(AddLinkMod(Chosen(0), prompts));
  std::filesystem::remove_all("estimate");
  EXPECT_FALSE(WriteNewNetworkFileIn(".", prompts));
  EXPECT_EQ(prompts.messages, (std::vector<std::string>{" The file is in use"}));
  EXPECT_EQ(g_LinkModArray.GetSize(), 1);
}

}  // namespace
