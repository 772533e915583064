// Choices of the information pages: list items and the ranges their
// positions stand for, first selections, the link list with and without
// "Show links with obs only", and the remembered Min Y / Max Y items.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "CDrawLine.h"
#include "InfoPageLogic.h"
#include "TextHelpers.h"

namespace {

TEST(InfoPages, BeginAndEndLists)
{
  std::vector<std::string> begin = BeginTimeItems();
  std::vector<std::string> end = EndTimeItems();
  ASSERT_EQ(begin.size(), 144u);
  ASSERT_EQ(end.size(), 144u);
  struct Case
  {
    int item;
    const char* begin;
    const char* end;
  } cases[] = {{0, "0:00", "0:10"},
               {5, "0:50", "1:00"},
               {11, "1:50", "2:00"},
               {138, "23:00", "23:10"},
               {143, "23:50", "24:00"}};
  for (const auto& c : cases) {
    EXPECT_EQ(begin[c.item], c.begin) << c.item;
    EXPECT_EQ(end[c.item], c.end) << c.item;
  }
  // Every item's text is the minute its position gives the charts.
  for (int i = 0; i < kTimeListItems; ++i) {
    TimeRange r = TimeRangeFromLists(i, i);
    EXPECT_EQ(begin[i], FormatMinutes(r.start, false));
    EXPECT_EQ(end[i], FormatMinutes(r.end, false));
  }
}

TEST(InfoPages, FirstTimeSelectionsFromTheChartWindow)
{
  struct Case
  {
    int start, end;
    int beginItem, endItem;
  } cases[] = {
      {0, 120, 0, 11},        {60, 180, 6, 17}, {1380, 60, 138, 5},  // rolled over midnight
      {1320, 1440, 132, 143}, {0, 0, 0, 0},                          // an end of 0 selects the first End item
      {-30, 9999, 0, 143},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.start) + ".." + std::to_string(c.end));
    EXPECT_EQ(BeginItemForWindowStart(c.start), c.beginItem);
    EXPECT_EQ(EndItemForWindowEnd(c.end), c.endItem);
  }
  // The window 0..120 gives the charts 0..120.
  EXPECT_EQ(TimeRangeFromLists(BeginItemForWindowStart(0), EndItemForWindowEnd(120)), (TimeRange{0, 120}));
}

TEST(InfoPages, ODListsAndTheirFirstSelections)
{
  struct Case
  {
    int zones;
    std::size_t items;
    int origin;
    int destination;
  } cases[] = {
      {10, 10, 1, 0},                      // zone 2
      {15, 15, 1, 0},    {16, 16, 15, 0},  // zone 16
      {120, 120, 15, 0}, {1, 1, 0, 0},     // one zone: its only item
      {0, 0, -1, -1},                      // no zones: empty lists, nothing selected
      {500, 120, 15, 0}, {-3, 0, -1, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.zones);
    std::vector<std::string> items = ODZoneItems(c.zones);
    ASSERT_EQ(items.size(), c.items);
    if (!items.empty()) {
      EXPECT_EQ(items.front(), "1");
      EXPECT_EQ(items.back(), std::to_string(c.items));
    }
    EXPECT_EQ(ODOriginFirstItem(c.zones), c.origin);
    EXPECT_EQ(ODDestinationFirstItem(c.zones), c.destination);
  }

  std::vector<std::string> maxY = ODMaxYItems();
  ASSERT_EQ(maxY.size(), 5002u);
  EXPECT_EQ(maxY[0], "1");
  EXPECT_EQ(maxY[1], "5");
  EXPECT_EQ(maxY[2], "10");
  EXPECT_EQ(maxY[kODMaxYFirstItem], "490");
  EXPECT_EQ(maxY[5001], "50000");
  for (int i = 0; i < static_cast<int>(maxY.size()); ++i)
    ASSERT_EQ(std::to_string(ODValueRange(i).maximum), maxY[i]) << i;
}

TEST(InfoPages, LinkMeasureChoices)
{
  struct Case
  {
    int radio;
    int measure;
    std::vector<std::string> items;
    int selected;
    const char* unit;
  } cases[] = {
      {kLinkDensity, kLinkDensity, {"50", "100", "200", "300"}, 2, "Y-axis unit: Vehicle/mile/lane."},
      {kLinkSpeed, kLinkSpeed, {"100", "200"}, 0, "Y-axis unit: Mile/hour"},
      {kLinkQueue, kLinkQueue, {"100"}, 0, "Y-axis unit: Percentage of link length with a queue."},
      {0, kLinkDensity, {"50", "100", "200", "300"}, 2, "Y-axis unit: Vehicle/mile/lane."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.radio);
    LinkMeasureChoice choice = LinkMeasureChoiceFor(c.radio);
    EXPECT_EQ(choice.chartMeasure, c.measure);
    EXPECT_EQ(choice.maxYItems, c.items);
    EXPECT_EQ(choice.selectedItem, c.selected);
    EXPECT_STREQ(choice.unitText, c.unit);
    // Each item is the maximum of the chart's value axis.
    for (int i = 0; i < static_cast<int>(c.items.size()); ++i)
      EXPECT_EQ(std::to_string(LinkValueRange(c.measure, i).maximum), c.items[i]);
  }
}

class LinkListTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    int nodes[][2] = {{10, 20}, {20, 30}, {30, 40}, {40, 50}, {50, 60}};
    for (auto [from, to] : nodes) {
      auto* link = new CDrawLine;
      link->m_nFromNode = from;
      link->m_nToNode = to;
      links.Add(link);
    }
  }
  CTypedObArray<CDrawLine> links;
};

TEST_F(LinkListTest, EveryLinkOrOnlyTheObservedOnes)
{
  links[1]->m_bObserved = true;
  links[3]->m_bObserved = true;
  links[4]->m_bObserved = true;
  for (int i = 0; i < links.GetSize(); ++i)
    links[i]->m_nIndex = i;

  LinkListModel all = BuildLinkList(links, false);
  EXPECT_EQ(all.lines, (std::vector<std::string>{"No.1: 10->20   ", "No.2: 20->30  x", "No.3: 30->40   ",
                                                 "No.4: 40->50  x", "No.5: 50->60  x"}));
  for (int line = 0; line < 5; ++line)
    EXPECT_EQ(all.LinkOfLine(line), line);

  LinkListModel observed = BuildLinkList(links, true);
  EXPECT_EQ(observed.lines,
            (std::vector<std::string>{"No.2: 20->30  x", "No.4: 40->50  x", "No.5: 50->60  x"}));
  struct Case
  {
    int line;
    int link;
  } lines[] = {{0, 1}, {1, 3}, {2, 4}, {3, -1}, {-1, -1}};
  for (const auto& c : lines)
    EXPECT_EQ(observed.LinkOfLine(c.line), c.link) << c.line;
  EXPECT_EQ(observed.LineOfLink(4), 2);
  EXPECT_EQ(observed.LineOfLink(0), -1);  // not listed
  EXPECT_EQ(all.LineOfLink(3), 3);
  EXPECT_EQ(all.LineOfLink(7), -1);
}

TEST_F(LinkListTest, NoObservedLinkOrNoLinkGivesAnEmptyList)
{
  LinkListModel observed = BuildLinkList(links, true);
  EXPECT_TRUE(observed.lines.empty());
  EXPECT_EQ(observed.LinkOfLine(0), -1);
  EXPECT_EQ(observed.LinkOfLine(-1), -1);
  CTypedObArray<CDrawLine> none;
  EXPECT_TRUE(BuildLinkList(none, false).lines.empty());
}

TEST(InfoPages, PerformanceItemsMatchTheChartRanges)
{
  struct Case
  {
    int measure;
    std::size_t count;
    const char* unit;
  } cases[] = {
      {kPerfVehicles, 1000, "Y-axis unit: Number of vehicles in the network."},
      {kPerfFreewaySpeed, 10, "Y-axis unit: Mile/Hour"},
      {kPerfTravelTime, 10, "Y-axis unit: Min"},
      {kPerfSurfaceSpeed, 10, "Y-axis unit: Mile/Hour"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.measure);
    MinMaxItems items = PerformanceItems(c.measure);
    ASSERT_EQ(items.minItems.size(), c.count);
    ASSERT_EQ(items.maxItems.size(), c.count);
    for (int i = 0; i < static_cast<int>(c.count); ++i) {
      ValueRange r = PerformanceValueRange(c.measure, i, i);
      ASSERT_EQ(items.minItems[i], std::to_string(r.minimum)) << i;
      ASSERT_EQ(items.maxItems[i], std::to_string(r.maximum)) << i;
    }
    EXPECT_STREQ(PerformanceUnitText(c.measure), c.unit);
  }
  EXPECT_EQ(PerformanceItems(kPerfVehicles).maxItems[7], "8000");
  EXPECT_EQ(PerformanceItems(kPerfTravelTime).maxItems[4], "50");
}

TEST(InfoPages, ConsistencyItemsMatchTheChartRanges)
{
  for (int measure : {kCstLongTerm, kCstShortTerm}) {
    SCOPED_TRACE(measure);
    MinMaxItems items = ConsistencyItems(measure);
    std::size_t count = measure == kCstLongTerm ? 20 : 15;
    ASSERT_EQ(items.minItems.size(), count);
    for (int i = 0; i < static_cast<int>(count); ++i) {
      ValueRange r = ConsistencyValueRange(measure, i, i);
      ASSERT_EQ(items.minItems[i], std::to_string(r.minimum)) << i;
      ASSERT_EQ(items.maxItems[i], std::to_string(r.maximum)) << i;
    }
  }
  EXPECT_EQ(ConsistencyItems(kCstLongTerm).minItems[9], "-10000");
  EXPECT_EQ(ConsistencyItems(kCstShortTerm).maxItems[4], "100");
  EXPECT_STREQ(ConsistencyText(kCstLongTerm),
               "FARVET: difference of total # of vehicles on the entire network.");
  EXPECT_STREQ(ConsistencyText(kCstShortTerm), "NEARVET: root mean square error of link density.");
}

TEST(InfoPages, PerformanceRemembersItemsPerMeasure)
{
  MinMaxSelections sel = PerformanceSelections();
  struct Step
  {
    const char* what;
    int measure;  // -1: no measure change
    int minChange;
    int maxChange;  // -1: none
    int min, max;   // selected afterwards
  } steps[] = {
      {"at first: vehicles 0 and 8000", -1, -1, -1, 0, 7},
      {"freeway speed 0 and 80", kPerfFreewaySpeed, -1, -1, 0, 7},
      {"freeway speed changed", -1, 2, 9, 2, 9},
      {"travel time 0 and 50", kPerfTravelTime, -1, -1, 0, 4},
      {"surface speed takes the freeway's items", kPerfSurfaceSpeed, -1, -1, 2, 9},
      {"surface speed changed", -1, 5, 6, 5, 6},
      {"freeway speed kept its own", kPerfFreewaySpeed, -1, -1, 2, 9},
      {"surface speed remembered nothing", kPerfSurfaceSpeed, -1, -1, 2, 9},
      {"vehicles changed", kPerfVehicles, 3, 20, 3, 20},
      {"travel time", kPerfTravelTime, -1, -1, 0, 4},
      {"vehicles kept", kPerfVehicles, -1, -1, 3, 20},
  };
  for (const auto& s : steps) {
    SCOPED_TRACE(s.what);
    if (s.measure >= 0)
      sel.SetMeasure(s.measure);
    if (s.minChange >= 0)
      sel.MinChanged(s.minChange);
    if (s.maxChange >= 0)
      sel.MaxChanged(s.maxChange);
    EXPECT_EQ(sel.MinItem(), s.min);
    EXPECT_EQ(sel.MaxItem(), s.max);
  }
}

TEST(InfoPages, ConsistencyRemembersItemsPerMeasure)
{
  MinMaxSelections sel = ConsistencySelections();
  EXPECT_EQ(sel.Measure(), kCstLongTerm);
  EXPECT_EQ(sel.MinItem(), 9);
  EXPECT_EQ(sel.MaxItem(), 9);
  sel.SetMeasure(kCstShortTerm);
  EXPECT_EQ(sel.MinItem(), 0);
  EXPECT_EQ(sel.MaxItem(), 4);
  sel.MinChanged(3);
  sel.SetMeasure(kCstLongTerm);
  EXPECT_EQ(sel.MinItem(), 9);
  sel.MaxChanged(12);
  sel.SetMeasure(kCstShortTerm);
  EXPECT_EQ(sel.MinItem(), 3);
  EXPECT_EQ(sel.MaxItem(), 4);
  sel.SetMeasure(kCstLongTerm);
  EXPECT_EQ(sel.MaxItem(), 12);
}

}  // namespace
