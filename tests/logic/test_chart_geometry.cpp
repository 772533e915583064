// Chart geometry of the information windows: ranges from list positions,
// grid and label steps, point positions, curves, bars and the module
// status window, as tables over small stores.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "CDrawLine.h"
#include "CProject.h"
#include "ChartGeometry.h"
#include "LinkSeries.h"

// Readable failure messages for the geometry's value types.
void PrintTo(const TimeRange& r, std::ostream* os)
{
  *os << "{" << r.start << ".." << r.end << "}";
}
void PrintTo(const ValueRange& v, std::ostream* os)
{
  *os << "{max " << v.maximum << ", min " << v.minimum << ", step " << v.step << "}";
}
void PrintTo(const ScreenPoint& p, std::ostream* os)
{
  *os << "(" << p.x << "," << p.y << ")";
}
void PrintTo(const ScreenRect& r, std::ostream* os)
{
  *os << "[" << r.left << "," << r.top << " " << r.right << "," << r.bottom << "]";
}
void PrintTo(const ChartPen& p, std::ostream* os)
{
  *os << "{style " << static_cast<int>(p.style) << ", width " << p.width << ", colour " << std::hex << p.color
      << std::dec << "}";
}

namespace {

// ---- picture helpers --------------------------------------------------------

std::vector<ChartItem> ItemsOf(const ChartPicture& pic, ChartItemKind kind)
{
  std::vector<ChartItem> out;
  std::copy_if(pic.items.begin(), pic.items.end(), std::back_inserter(out),
               [&](const ChartItem& i) { return i.kind == kind; });
  return out;
}

std::vector<ChartItem> CurvesOf(const ChartPicture& pic, ColorRef colour)
{
  std::vector<ChartItem> out;
  for (const ChartItem& i : ItemsOf(pic, ChartItemKind::Polyline))
    if (i.pen.color == colour)
      out.push_back(i);
  return out;
}

const ChartItem* TextItem(const ChartPicture& pic, const std::string& text)
{
  for (const ChartItem& i : pic.items)
    if (i.kind == ChartItemKind::Text && i.text == text)
      return &i;
  return nullptr;
}

// Vertical lines (time grid) and horizontal lines (value grid).
int CountLines(const ChartPicture& pic, bool vertical)
{
  int n = 0;
  for (const ChartItem& i : ItemsOf(pic, ChartItemKind::Line)) {
    bool v = i.points[0].x == i.points[1].x && i.points[0].y != i.points[1].y;
    bool h = i.points[0].y == i.points[1].y && i.points[0].x != i.points[1].x;
    n += vertical ? v : h;
  }
  return n;
}

std::vector<ScreenPoint> Expected(const ChartScale& s, std::vector<std::pair<int, double>> minuteValues)
{
  std::vector<ScreenPoint> pts;
  for (auto [m, v] : minuteValues)
    pts.push_back({s.X(m), s.Y(v)});
  return pts;
}

constexpr ScreenRect kClient{0, 0, 440, 230};  // 400 x 200 inside the margins

// ---- ranges ----------------------------------------------------------------------

TEST(ChartRanges, TimeRangeFromListPositions)
{
  struct Case
  {
    int begin, end;
    TimeRange range;
    bool empty;
  } cases[] = {
      {0, 0, {0, 10}, false},                                       // both on the first entry: 10 minutes
      {0, 11, {0, 120}, false},                                     // the two-hour window at start
      {6, 17, {60, 180}, false},                                    // rolled by an hour
      {143, 143, {1430, 1440}, false}, {138, 5, {1380, 60}, true},  // the window rolled over midnight
      {5, 0, {50, 10}, true},                                       // Begin after End
      {4, 3, {40, 40}, true},                                       // end equal to start
      {-1, -1, {0, 10}, false},                                     // nothing selected: first items
      {500, 500, {1430, 1440}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.begin) + "," + std::to_string(c.end));
    TimeRange r = TimeRangeFromLists(c.begin, c.end);
    EXPECT_EQ(r, c.range);
    EXPECT_EQ(r.Empty(), c.empty);
  }
}

TEST(ChartRanges, ValueRangeOfEveryChart)
{
  struct Case
  {
    const char* name;
    ValueRange got;
    ValueRange expected;
  } cases[] = {
      {"density 50", LinkValueRange(kLinkDensity, 0), {50, 0, 10}},
      {"density 100", LinkValueRange(kLinkDensity, 1), {100, 0, 20}},
      {"density 200", LinkValueRange(kLinkDensity, 2), {200, 0, 20}},
      {"density 300", LinkValueRange(kLinkDensity, 3), {300, 0, 30}},
      {"speed 100", LinkValueRange(kLinkSpeed, 0), {100, 0, 10}},
      {"speed 200 is honoured", LinkValueRange(kLinkSpeed, 1), {200, 0, 20}},
      {"queue 100", LinkValueRange(kLinkQueue, 0), {100, 0, 10}},
      {"queue, index past the list", LinkValueRange(kLinkQueue, 3), {100, 0, 10}},
      {"density, nothing selected", LinkValueRange(kLinkDensity, -1), {50, 0, 10}},
      {"vehicles 0..8000", PerformanceValueRange(kPerfVehicles, 0, 7), {8000, 0, 1000}},
      {"vehicles 2000..1000000", PerformanceValueRange(kPerfVehicles, 2, 999), {1000000, 2000, 1000}},
      {"freeway 0..80", PerformanceValueRange(kPerfFreewaySpeed, 0, 7), {80, 0, 10}},
      {"travel time 0..50", PerformanceValueRange(kPerfTravelTime, 0, 4), {50, 0, 10}},
      {"surface 30..100", PerformanceValueRange(kPerfSurfaceSpeed, 3, 9), {100, 30, 10}},
      {"long term first", ConsistencyValueRange(kCstLongTerm, 9, 9), {10000, -10000, 4000}},
      {"long term 2000", ConsistencyValueRange(kCstLongTerm, 0, 0), {1000, -1000, 1000}},
      {"long term span 9000", ConsistencyValueRange(kCstLongTerm, 4, 3), {4000, -5000, 1000}},
      {"long term span 10000", ConsistencyValueRange(kCstLongTerm, 4, 4), {5000, -5000, 2000}},
      {"long term span 20000", ConsistencyValueRange(kCstLongTerm, 9, 9), {10000, -10000, 4000}},
      {"long term span 39000", ConsistencyValueRange(kCstLongTerm, 19, 18), {19000, -20000, 4000}},
      {"long term span 40000", ConsistencyValueRange(kCstLongTerm, 19, 19), {20000, -20000, 8000}},
      {"short term first", ConsistencyValueRange(kCstShortTerm, 0, 4), {100, 0, 20}},
      {"short term 280..300", ConsistencyValueRange(kCstShortTerm, 14, 14), {300, 280, 20}},
      {"OD 1", ODValueRange(0), {1, 0, 1}},
      {"OD 5", ODValueRange(1), {5, 0, 1}},
      {"OD 10", ODValueRange(2), {10, 0, 1}},
      {"OD 20, step raised to 2", ODValueRange(3), {20, 0, 2}},
      {"OD 30", ODValueRange(4), {30, 0, 10}},
      {"OD 490 raised to a tenth", ODValueRange(50), {490, 0, 49}},
      {"OD 50000", ODValueRange(5001), {50000, 0, 5000}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.got, c.expected);
  }
}

TEST(ChartScales, GridAndLabelStepsOnTheEdges)
{
  struct Case
  {
    ChartKind kind;
    int length;
    int grid;
    int label;
  } cases[] = {
      {ChartKind::Link, 10, 2, 2},
      {ChartKind::Link, 39, 2, 2},
      {ChartKind::Link, 40, 2, 10},
      {ChartKind::Link, 60, 2, 10},
      {ChartKind::Link, 61, 5, 10},
      {ChartKind::Link, 119, 5, 10},
      {ChartKind::Link, 120, 5, 30},
      {ChartKind::Link, 240, 5, 30},
      {ChartKind::Link, 241, 10, 30},
      {ChartKind::Link, 479, 10, 30},
      {ChartKind::Link, 480, 10, 60},
      {ChartKind::Link, 481, 30, 60},
      {ChartKind::Performance, 39, 2, 2},
      {ChartKind::Performance, 40, 2, 10},
      {ChartKind::Performance, 60, 2, 10},
      {ChartKind::Performance, 61, 5, 10},
      {ChartKind::Performance, 120, 5, 30},
      {ChartKind::Performance, 240, 5, 30},
      {ChartKind::Performance, 241, 10, 30},
      {ChartKind::Performance, 480, 10, 30},
      {ChartKind::Performance, 1440, 10, 30},
      {ChartKind::Consistency, 40, 2, 10},
      {ChartKind::Consistency, 481, 10, 30},
      {ChartKind::OD, 10, 5, 5},
      {ChartKind::OD, 39, 5, 5},
      {ChartKind::OD, 40, 5, 10},
      {ChartKind::OD, 119, 5, 10},
      {ChartKind::OD, 120, 5, 30},
      {ChartKind::OD, 239, 5, 30},
      {ChartKind::OD, 240, 10, 30},
      {ChartKind::OD, 480, 10, 30},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(static_cast<int>(c.kind)) + " length " + std::to_string(c.length));
    EXPECT_EQ(TimeGridStep(c.kind, c.length), c.grid);
    EXPECT_EQ(TimeLabelStep(c.kind, c.length), c.label);
  }
  for (auto [length, step] : {std::pair{10, 2}, {39, 2}, {40, 10}, {119, 10}, {120, 30}, {1440, 30}})
    EXPECT_EQ(StatusLabelStep(length), step) << length;
}

TEST(ChartScales, XAndYOfPoints)
{
  ChartScale s = MakeChartScale(kClient, {0, 100}, {100, 0, 10});
  EXPECT_DOUBLE_EQ(s.hScale, 4.0);
  EXPECT_DOUBLE_EQ(s.vScale, 2.0);
  struct Case
  {
    int minute;
    int x;
  } xs[] = {{0, 20}, {25, 120}, {100, 420}, {-5, 0}};
  for (const auto& c : xs)
    EXPECT_EQ(s.X(c.minute), c.x) << c.minute;
  struct VCase
  {
    double value;
    int y;
  } ys[] = {{0, 210}, {50, 110}, {100, 10}, {0.7, 209}, {150, -90}};
  for (const auto& c : ys)
    EXPECT_EQ(s.Y(c.value), c.y) << c.value;

  // Truncated, not rounded: 400 / 120 pixels per minute.
  ChartScale t = MakeChartScale(kClient, {60, 180}, {50, 0, 10});
  EXPECT_EQ(t.X(60), 20);
  EXPECT_EQ(t.X(61), 23);
  EXPECT_EQ(t.X(62), 26);
  // A range that starts later puts its start at the left margin.
  EXPECT_EQ(t.X(180), 420);
  // Empty ranges and value spans below 1 give zero scales, no division.
  EXPECT_EQ(MakeChartScale(kClient, {1380, 60}, {100, 0, 10}).hScale, 0.0);
  EXPECT_EQ(MakeChartScale(kClient, {40, 40}, {100, 0, 10}).hScale, 0.0);
  EXPECT_EQ(MakeChartScale(kClient, {0, 10}, {5, 5, 1}).vScale, 0.0);
}

// ---- link chart --------------------------------------------------------------------

class LinkChartTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    link.m_nIndex = 4;
    for (int m = 0; m <= 40; ++m) {
      link.SetSeries(kMeasureDensity, kSourceEstimate, m, 10.0 + m);
      link.SetSeries(kMeasureDensity, kSourceObserved, m, 5.0);
      link.SetSeries(kMeasureDensity, kSourcePredict0, m, 50.0);
      link.SetSeries(kMeasureDensity, kSourcePredict1, m, 70.0);
      link.SetSeries(kMeasureSpeed, kSourceEstimate, m, 150.0);
    }
    in.client = kClient;
    in.range = {0, 10};
    in.measure = kLinkDensity;
    in.maxYIndex = 0;  // 0..50
    in.link = &link;
    in.estimationMinute = 3;
    in.predictionStart = 4;
    in.predictionEnd = 6;
  }
  CDrawLine link;
  LinkChartInput in;
};

TEST_F(LinkChartTest, CurvesOfTheFourSourcesAndTheirLegends)
{
  ChartPicture pic = BuildLinkChart(in);
  ChartScale s = MakeChartScale(kClient, in.range, {50, 0, 10});

  auto est = CurvesOf(pic, kCurveEstimation);
  ASSERT_EQ(est.size(), 1u);
  EXPECT_EQ(est[0].pen, (ChartPen{PenStyle::Solid, 2, kCurveEstimation}));
  EXPECT_EQ(est[0].points, Expected(s, {{0, 10}, {1, 11}, {2, 12}, {3, 13}}));
  EXPECT_TRUE(CurvesOf(pic, kCurveObservation).empty());  // the link has no observations
  EXPECT_EQ(TextItem(pic, "Observation"), nullptr);

  auto p0 = CurvesOf(pic, kCurvePrediction0);
  ASSERT_EQ(p0.size(), 1u);
  EXPECT_EQ(p0[0].points, Expected(s, {{4, 50}, {5, 50}, {6, 50}}));
  auto p1 = CurvesOf(pic, kCurvePrediction1);
  ASSERT_EQ(p1.size(), 1u);
  EXPECT_EQ(p1[0].pen.width, 1);
  EXPECT_EQ(p1[0].points, Expected(s, {{4, 70}, {5, 70}, {6, 70}}));

  struct Legend
  {
    const char* text;
    ScreenPoint at;
  } legends[] = {{"NOWSIM", {365, 25}}, {"FORESIM_0", {365, 50}}, {"FORESIM_1", {365, 70}}};
  for (const auto& l : legends) {
    const ChartItem* t = TextItem(pic, l.text);
    ASSERT_NE(t, nullptr) << l.text;
    EXPECT_EQ(t->points[0], l.at) << l.text;
  }
  // Legend lines in the curves' pens, from right - 130 to right - 85.
  int legendLines = 0;
  for (const ChartItem& i : ItemsOf(pic, ChartItemKind::Line))
    if (i.points[0] == ScreenPoint{310, 30} && i.points[1] == ScreenPoint{355, 30} &&
        i.pen.color == kCurveEstimation)
      ++legendLines;
  EXPECT_EQ(legendLines, 1);

  link.m_bObserved = true;
  pic = BuildLinkChart(in);
  auto obs = CurvesOf(pic, kCurveObservation);
  ASSERT_EQ(obs.size(), 1u);
  EXPECT_EQ(obs[0].points, Expected(s, {{0, 5}, {1, 5}, {2, 5}, {3, 5}}));
  ASSERT_NE(TextItem(pic, "Observation"), nullptr);
  EXPECT_EQ(TextItem(pic, "Observation")->points[0], (ScreenPoint{355, 95}));
}

TEST_F(LinkChartTest, FirstPointAtTheRangeStartWhenTheRangeStartsLater)
{
  in.range = {20, 30};
  in.estimationMinute = 23;
  ChartPicture pic = BuildLinkChart(in);
  ChartScale s = MakeChartScale(kClient, in.range, {50, 0, 10});
  auto est = CurvesOf(pic, kCurveEstimation);
  ASSERT_EQ(est.size(), 1u);
  ASSERT_FALSE(est[0].points.empty());
  EXPECT_EQ(est[0].points.front(), (ScreenPoint{20, s.Y(30)}));  // minute 20 at the left margin
  EXPECT_EQ(est[0].points.size(), 4u);
}

TEST_F(LinkChartTest, SpeedMaxY200IsHonoured)
{
  in.measure = kLinkSpeed;
  in.maxYIndex = 1;
  ChartPicture pic = BuildLinkChart(in);
  EXPECT_NE(TextItem(pic, "200"), nullptr);
  EXPECT_NE(TextItem(pic, "180"), nullptr);
  ChartScale s = MakeChartScale(kClient, in.range, {200, 0, 20});
  auto est = CurvesOf(pic, kCurveEstimation);
  ASSERT_EQ(est.size(), 1u);
  EXPECT_EQ(est[0].points.front(), (ScreenPoint{20, s.Y(150)}));  // 150 stays inside the chart
  EXPECT_GT(est[0].points.front().y, kClient.top);
}

TEST_F(LinkChartTest, AxesAndGrid)
{
  ChartPicture pic = BuildLinkChart(in);
  // 0..10 minutes, grid every 2: six vertical lines, solid 2 px at the start.
  std::vector<ChartItem> vertical;
  for (const ChartItem& i : ItemsOf(pic, ChartItemKind::Line))
    if (i.points[0].x == i.points[1].x)
      vertical.push_back(i);
  ASSERT_EQ(vertical.size(), 6u);
  EXPECT_EQ(vertical[0].pen, (ChartPen{PenStyle::Solid, 2, kChartGrid}));
  EXPECT_EQ(vertical[0].points[0], (ScreenPoint{20, 230}));
  EXPECT_EQ(vertical[0].points[1], (ScreenPoint{20, 0}));
  EXPECT_EQ(vertical[1].pen.style, PenStyle::Dotted);
  // Time labels, 17 pixels above the bottom; x - 5 below minute 20.
  ASSERT_NE(TextItem(pic, "0:02"), nullptr);
  EXPECT_EQ(TextItem(pic, "0:02")->points[0], (ScreenPoint{20 + 80 - 5, 213}));
  // Value grid 0..50 by 10 across the whole width, labels at x 5.
  EXPECT_EQ(CountLines(pic, false), 6 + 3);  // and the three legend lines
  ASSERT_NE(TextItem(pic, "50"), nullptr);
  EXPECT_EQ(TextItem(pic, "50")->points[0], (ScreenPoint{5, 5}));

  // Solid 1 px at multiples of 30 past the start.
  in.range = {0, 120};
  int solid1 = 0;
  for (const ChartItem& i : ItemsOf(BuildLinkChart(in), ChartItemKind::Line))
    if (i.points[0].x == i.points[1].x && i.pen == ChartPen{PenStyle::Solid, 1, kChartGrid})
      ++solid1;
  EXPECT_EQ(solid1, 4);  // 30, 60, 90, 120
}

TEST_F(LinkChartTest, WithoutALinkOnlyTheAxes)
{
  in.link = nullptr;
  ChartPicture pic = BuildLinkChart(in);
  EXPECT_TRUE(ItemsOf(pic, ChartItemKind::Polyline).empty());
  EXPECT_EQ(TextItem(pic, "NOWSIM"), nullptr);
  EXPECT_EQ(CountLines(pic, true), 6);
  EXPECT_EQ(CountLines(pic, false), 6);
}

TEST_F(LinkChartTest, EmptyTimeRangeDrawsTheValueAxisOnly)
{
  for (TimeRange r : {TimeRange{1380, 60}, TimeRange{50, 10}, TimeRange{40, 40}}) {
    SCOPED_TRACE(r.start);
    in.range = r;
    ChartPicture pic = BuildLinkChart(in);
    EXPECT_EQ(CountLines(pic, true), 0);
    EXPECT_EQ(CountLines(pic, false), 6);
    EXPECT_TRUE(ItemsOf(pic, ChartItemKind::Polyline).empty());
    EXPECT_NE(TextItem(pic, "0"), nullptr);
  }
}

TEST_F(LinkChartTest, EstimationBeforeTheRangeAndPredictionOutsideTheStore)
{
  in.range = {20, 30};
  in.estimationMinute = 10;
  in.predictionStart = 4990;
  in.predictionEnd = 6000;  // read up to the last minute of the series only
  ChartPicture pic = BuildLinkChart(in);
  EXPECT_TRUE(CurvesOf(pic, kCurveEstimation).empty());
  auto p0 = CurvesOf(pic, kCurvePrediction0);
  ASSERT_EQ(p0.size(), 1u);
  EXPECT_EQ(p0[0].points.size(), 10u);  // 4990..4999
}

// ---- performance chart -----------------------------------------------------------

TEST(PerformanceChart, CurveOfTheChosenStatistic)
{
  std::vector<NetStatRecord> stats(kStoreMinutes);
  for (int m = 0; m < 100; ++m)
    stats[m] = {1000 * (m % 5), 1.0 + m, 2.0 + m, 3.0 + m};
  PerformanceChartInput in;
  in.client = kClient;
  in.range = {10, 20};
  in.estimationMinute = 12;
  in.stats = stats;
  in.dataLoaded = true;
  struct Case
  {
    int measure;
    int minIdx, maxIdx;
    ValueRange range;
    double first;  // value at minute 10
  } cases[] = {
      {kPerfVehicles, 0, 7, {8000, 0, 1000}, 0.0},
      {kPerfFreewaySpeed, 0, 7, {80, 0, 10}, 12.0},  // AvgDen
      {kPerfTravelTime, 0, 4, {50, 0, 10}, 11.0},    // AvgStop
      {kPerfSurfaceSpeed, 0, 7, {80, 0, 10}, 13.0},  // AvgSpeed
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.measure);
    in.measure = c.measure;
    in.minYIndex = c.minIdx;
    in.maxYIndex = c.maxIdx;
    ChartPicture pic = BuildPerformanceChart(in);
    ChartScale s = MakeChartScale(kClient, in.range, c.range);
    auto curve = CurvesOf(pic, kCurvePerformance);
    ASSERT_EQ(curve.size(), 1u);
    ASSERT_EQ(curve[0].points.size(), 3u);  // minutes 10, 11, 12
    EXPECT_EQ(curve[0].points[0], (ScreenPoint{20, s.Y(c.first)}));
    EXPECT_EQ(curve[0].points[2].x, s.X(12));
  }
  // Value grid inside the margins: from left - 5 to right - left + 5.
  in.measure = kPerfVehicles;
  in.minYIndex = 0;
  in.maxYIndex = 7;
  ChartPicture pic = BuildPerformanceChart(in);
  bool found = false;
  for (const ChartItem& i : ItemsOf(pic, ChartItemKind::Line))
    if (i.points[0] == ScreenPoint{15, 210} && i.points[1] == ScreenPoint{425, 210})
      found = i.pen.width == 2;
  EXPECT_TRUE(found);
}

TEST(PerformanceChart, NothingBeforeLoadForAnEmptyRangeOrAnInvertedValueRange)
{
  std::vector<NetStatRecord> stats(kStoreMinutes);
  PerformanceChartInput in;
  in.client = kClient;
  in.range = {0, 120};
  in.stats = stats;
  in.dataLoaded = false;
  EXPECT_TRUE(BuildPerformanceChart(in).items.empty());
  in.dataLoaded = true;
  EXPECT_FALSE(BuildPerformanceChart(in).items.empty());
  in.range = {1380, 60};
  EXPECT_TRUE(BuildPerformanceChart(in).items.empty());
  in.range = {0, 120};
  in.minYIndex = 8;  // 8000 above the maximum 8000
  EXPECT_TRUE(BuildPerformanceChart(in).items.empty());
  // Before any message: a flat line at zero up to the estimation minute.
  in.minYIndex = 0;
  in.estimationMinute = 5;
  auto curve = CurvesOf(BuildPerformanceChart(in), kCurvePerformance);
  ASSERT_EQ(curve.size(), 1u);
  for (const ScreenPoint& p : curve[0].points)
    EXPECT_EQ(p.y, 210);
}

// ---- consistency chart --------------------------------------------------------------

TEST(ConsistencyChart, LongTermEveryFifthMinuteShortTermEveryMinute)
{
  std::vector<double> farvet(kStoreMinutes), nearvet(kStoreMinutes);
  for (int m = 0; m < 100; ++m) {
    farvet[m] = 100.0 * m;
    nearvet[m] = m;
  }
  ConsistencyChartInput in;
  in.client = kClient;
  in.range = {0, 60};
  in.estimationMinute = 23;
  in.farvet = farvet;
  in.nearvet = nearvet;
  in.dataLoaded = true;

  in.measure = kCstLongTerm;
  in.minYIndex = 9;
  in.maxYIndex = 9;
  ChartPicture pic = BuildConsistencyChart(in);
  ChartScale s = MakeChartScale(kClient, in.range, {10000, -10000, 4000});
  auto longTerm = CurvesOf(pic, kCurveLongTerm);
  ASSERT_EQ(longTerm.size(), 1u);
  EXPECT_EQ(longTerm[0].points, Expected(s, {{0, 0}, {5, 500}, {10, 1000}, {15, 1500}, {20, 2000}}));
  EXPECT_NE(TextItem(pic, "-10000"), nullptr);
  EXPECT_NE(TextItem(pic, "6000"), nullptr);

  in.measure = kCstShortTerm;
  in.minYIndex = 0;
  in.maxYIndex = 4;
  pic = BuildConsistencyChart(in);
  auto shortTerm = CurvesOf(pic, kCurveShortTerm);
  ASSERT_EQ(shortTerm.size(), 1u);
  ASSERT_EQ(shortTerm[0].points.size(), 23u);  // minutes 0..22, below the estimation minute
  ChartScale t = MakeChartScale(kClient, in.range, {100, 0, 20});
  EXPECT_EQ(shortTerm[0].points.front(), (ScreenPoint{20, t.Y(0)}));
  EXPECT_EQ(shortTerm[0].points.back(), (ScreenPoint{t.X(22), t.Y(22)}));

  in.dataLoaded = false;
  EXPECT_TRUE(BuildConsistencyChart(in).items.empty());
}

// ---- OD chart --------------------------------------------------------------------------

class ODChartTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    project = std::make_unique<CProject>();
    ASSERT_TRUE(project->SetODSize(3));
    for (int slot = 0; slot < 30; ++slot)
      project->SetODEntry(slot, 1, 2, 10.0 * slot);
    in.client = kClient;
    in.range = {0, 60};
    in.maxYIndex = 50;  // 490
    in.origin = 1;
    in.destination = 2;
    in.chartWindowEnd = 30;
    in.project = project.get();
    in.dataLoaded = true;
  }
  std::unique_ptr<CProject> project;
  ODChartInput in;
};

TEST_F(ODChartTest, OneBarPerFiveMinuteSlotUpToTheChartWindowEnd)
{
  ChartPicture pic = BuildODChart(in);
  ChartScale s = MakeChartScale(kClient, in.range, ODValueRange(50));
  auto bars = ItemsOf(pic, ChartItemKind::Bar);
  ASSERT_EQ(bars.size(), 6u);  // t = 0, 5, ..., 25
  for (std::size_t k = 0; k < bars.size(); ++k) {
    int t = static_cast<int>(k) * 5;
    SCOPED_TRACE(t);
    EXPECT_EQ(bars[k].rect, (ScreenRect{s.X(t), s.Y(10.0 * k), s.X(t + 5), s.Y(0)}));
    EXPECT_EQ(bars[k].fill, kODBarFill);
    EXPECT_EQ(bars[k].pen, (ChartPen{PenStyle::Solid, 1, kChartWhite}));
  }
  // The time grid stands from 5 pixels above the bottom to y 5, labels
  // 15 pixels above the bottom.
  for (const ChartItem& i : ItemsOf(pic, ChartItemKind::Line))
    if (i.points[0].x == i.points[1].x) {
      EXPECT_EQ(i.points[0].y, 225);
      EXPECT_EQ(i.points[1].y, 5);
    }
  ASSERT_NE(TextItem(pic, "0:10"), nullptr);  // every 10 minutes over an hour
  EXPECT_EQ(TextItem(pic, "0:10")->points[0].y, 215);
  EXPECT_EQ(TextItem(pic, "0:05"), nullptr);
}

TEST_F(ODChartTest, NoZonesOrPositionsOutsideTheTableDrawNoBars)
{
  struct Case
  {
    const char* name;
    int odSize;
    int origin;
    int destination;
  } cases[] = {
      {"no zones", 0, 1, 2},
      {"nothing selected", 3, -1, 0},
      {"origin past the zone count", 3, 3, 0},
      {"zone count beyond the table", 500, 120, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    project->m_ODSize = c.odSize;  // as a record could set it
    in.origin = c.origin;
    in.destination = c.destination;
    ChartPicture pic = BuildODChart(in);
    EXPECT_TRUE(ItemsOf(pic, ChartItemKind::Bar).empty());
    EXPECT_FALSE(pic.items.empty());  // the axes
  }
  project->m_ODSize = 500;
  EXPECT_EQ(ClampedODSize(*project), kMaxZones);
  project->m_ODSize = -4;
  EXPECT_EQ(ClampedODSize(*project), 0);
}

TEST_F(ODChartTest, MaxYOnItsFirstEntry)
{
  in.maxYIndex = 0;
  ChartPicture pic = BuildODChart(in);
  EXPECT_NE(TextItem(pic, "0"), nullptr);
  EXPECT_NE(TextItem(pic, "1"), nullptr);
  EXPECT_EQ(CountLines(pic, false), 2);
  in.dataLoaded = false;
  EXPECT_TRUE(BuildODChart(in).items.empty());
  in.dataLoaded = true;
  in.range = {1380, 60};
  EXPECT_TRUE(BuildODChart(in).items.empty());
}

// ---- module status chart ------------------------------------------------------------------

class StatusChartTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    in.client = {0, 0, 440, 200};  // 400 pixels for the window, 10 pixels per row unit
    in.windowStart = 0;
    in.windowEnd = 100;
    in.currentMinute = 3.5;
    in.marks = marks;
  }
  bool marks[kModuleSlots][kStoreMinutes] = {};
  StatusChartInput in;
};

TEST_F(StatusChartTest, BarsFromTheWindowStartToTheCurrentMinute)
{
  marks[kModuleNowsim][2] = true;
  marks[kModuleODE][3] = true;
  marks[kModuleForesim1][1] = true;  // no row shows the second prediction
  ChartPicture pic = BuildStatusChart(in);
  auto bars = ItemsOf(pic, ChartItemKind::Bar);
  ASSERT_EQ(bars.size(), 7u * 4u);  // seven rows, minutes 0..3
  StatusScale s = MakeStatusScale(in.client, 0, 100);
  struct Case
  {
    int row;
    int minute;
    ScreenRect rect;
    ColorRef colour;
  } cases[] = {
      {0, 0, {20, 10, 24, 17}, kStatusIdle},    {0, 2, {28, 10, 32, 17}, kStatusStarted},
      {4, 3, {32, 90, 36, 97}, kStatusStarted}, {6, 3, {32, 130, 36, 137}, kStatusIdle},
      {3, 1, {24, 70, 28, 77}, kStatusIdle},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.row) + "/" + std::to_string(c.minute));
    EXPECT_EQ(StatusBarRect(s, c.row, c.minute), c.rect);
    const ChartItem& bar = bars[static_cast<std::size_t>(c.row * 4 + c.minute)];
    EXPECT_EQ(bar.rect, c.rect);
    EXPECT_EQ(bar.fill, c.colour);
  }
  // Row labels 15 pixels above their rows.
  ASSERT_NE(TextItem(pic, "NOWSIM"), nullptr);
  EXPECT_EQ(TextItem(pic, "NOWSIM")->points[0], (ScreenPoint{20, -5}));
  EXPECT_EQ(TextItem(pic, "ODP")->points[0], (ScreenPoint{20, 115}));
}

TEST_F(StatusChartTest, AxisLabelsAndTheCurrentMinuteMark)
{
  ChartPicture pic = BuildStatusChart(in);
  auto lines = ItemsOf(pic, ChartItemKind::Line);
  ASSERT_EQ(lines.size(), 6u);
  struct Case
  {
    ScreenPoint from, to;
    ColorRef colour;
  } cases[] = {
      {{20, 180}, {435, 180}, kStatusStarted},   // axis
      {{427, 176}, {435, 180}, kStatusStarted},  // arrow head
      {{427, 184}, {435, 180}, kStatusStarted},
      {{24, 163}, {34, 180}, kStatusNowMark},  // c = 20 + 3.5 x 4 = 34
      {{44, 163}, {34, 180}, kStatusNowMark},
      {{44, 163}, {24, 163}, kStatusNowMark},
  };
  for (std::size_t k = 0; k < lines.size(); ++k) {
    SCOPED_TRACE(k);
    EXPECT_EQ(lines[k].points[0], cases[k].from);
    EXPECT_EQ(lines[k].points[1], cases[k].to);
    EXPECT_EQ(lines[k].pen.color, cases[k].colour);
  }
  // Every 10 minutes for a window of 100, without leading zero.
  ASSERT_NE(TextItem(pic, "0:00"), nullptr);
  EXPECT_EQ(TextItem(pic, "0:00")->points[0], (ScreenPoint{15, 183}));
  EXPECT_EQ(TextItem(pic, "0:10")->points[0], (ScreenPoint{55, 183}));
  EXPECT_EQ(TextItem(pic, "0:20")->points[0], (ScreenPoint{97, 183}));
  EXPECT_EQ(TextItem(pic, "1:40")->points[0], (ScreenPoint{417, 183}));
}

TEST_F(StatusChartTest, CurrentMinuteBeforeTheWindowAndEmptyWindows)
{
  in.windowStart = 60;
  in.windowEnd = 180;
  in.currentMinute = 30;
  ChartPicture pic = BuildStatusChart(in);
  EXPECT_TRUE(ItemsOf(pic, ChartItemKind::Bar).empty());
  auto lines = ItemsOf(pic, ChartItemKind::Line);
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_LT(lines[4].points[1].x, 20);  // the mark stands left of the axis start

  for (auto [start, end] : {std::pair{1380, 60}, {120, 120}}) {
    SCOPED_TRACE(start);
    in.windowStart = start;
    in.windowEnd = end;
    in.currentMinute = 1400;
    pic = BuildStatusChart(in);
    EXPECT_TRUE(ItemsOf(pic, ChartItemKind::Bar).empty());
    EXPECT_EQ(ItemsOf(pic, ChartItemKind::Line).size(), 3u);  // the axis and its arrow
    EXPECT_EQ(ItemsOf(pic, ChartItemKind::Text).size(), 7u);  // the row labels
  }
  // A current minute past the stores reads no mark outside them.
  in.windowStart = 4900;
  in.windowEnd = 5020;
  in.currentMinute = 6000;
  EXPECT_EQ(ItemsOf(BuildStatusChart(in), ChartItemKind::Bar).size(), 7u * 100u);
}

TEST_F(StatusChartTest, LabelStepsByWindowLength)
{
  struct Case
  {
    int end;
    const char* present;
    const char* absent;
  } cases[] = {
      {30, "0:10", "0:02"},    // step 2: minutes not on a ten have no text
      {40, "0:10", "0:02"},    // step 10
      {119, "1:50", nullptr},  // step 10
      {120, "0:30", "0:10"},   // step 30
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.end);
    in.windowEnd = c.end;
    ChartPicture pic = BuildStatusChart(in);
    EXPECT_NE(TextItem(pic, c.present), nullptr);
    if (c.absent) {
      EXPECT_EQ(TextItem(pic, c.absent), nullptr);
    }
  }
  in.windowEnd = 30;
  int labels = 0;
  for (const ChartItem& i : ItemsOf(BuildStatusChart(in), ChartItemKind::Text))
    labels += i.text.find(':') != std::string::npos;
  EXPECT_EQ(labels, 4);  // 0:00, 0:10, 0:20, 0:30
}

}  // namespace
