// The clock view's axis: minutes to x and back, ticks and labels, the
// prediction stage bar, and the picking up and stepping of the prediction
// marker with the stores it writes.
#include <gtest/gtest.h>

#include "ClockLogic.h"
#include "ResultStores.h"

namespace {

ClockAxis Axis(int left = 0)
{
  ClockAxis a;
  a.left = left;
  return a;
}

struct MappingCase
{
  const char* name;
  ChartWindow chart;
  double minute;
  int x;
};

TEST(ClockMapping, MinuteToX)
{
  const MappingCase cases[] = {
      {"minute 60 is 300 px on", {0, 120}, 60, 300},
      {"window start", {0, 120}, 0, 0},
      {"window end", {0, 120}, 120, 600},
      {"a fraction truncates", {0, 120}, 0.3, 1},
      {"moved window", {60, 180}, 180, 600},
      {"midnight: 23:00", {1380, 60}, 1380, 0},
      {"midnight: 1450 still on the first part", {1380, 60}, 1450, 350},
      {"midnight: 0:00 in the middle", {1380, 60}, 0, 300},
      {"midnight: 1:00 at the end", {1380, 60}, 60, 600},
      {"a window of no length: the left end", {100, 100}, 50, 0},
  };
  for (const MappingCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(MinuteToX(c.minute, c.chart, Axis()), c.x);
    EXPECT_EQ(MinuteToX(c.minute, c.chart, Axis(40)), c.x + 40);
  }
  // Before the window: -0.5 px truncates toward zero.
  EXPECT_EQ(MinuteToX(59.9, {60, 180}, Axis()), 0);
  EXPECT_EQ(MinuteToX(59.9, {60, 180}, Axis(40)), 39);
}

TEST(ClockMapping, XToMinuteIsTheInverseOnWholeMinutes)
{
  for (const ChartWindow chart : {ChartWindow{0, 120}, ChartWindow{60, 180}, ChartWindow{1320, 1440}}) {
    for (int m = chart.start; m <= chart.end; m += 5)
      EXPECT_EQ(XToMinute(MinuteToX(m, chart, Axis(25)), chart, Axis(25)), m) << m;
  }
  // The midnight window counts its second hour on past 1440.
  const ChartWindow midnight{1380, 60};
  EXPECT_EQ(XToMinute(0, midnight, Axis()), 1380);
  EXPECT_EQ(XToMinute(300, midnight, Axis()), 1440);
  EXPECT_EQ(XToMinute(600, midnight, Axis()), 1500);
  ClockAxis flat = Axis();
  flat.width = 0;
  EXPECT_EQ(XToMinute(300, {0, 120}, flat), 0);  // no division by a zero width
}

TEST(ClockMapping, CentredAxis)
{
  ClockAxis a;
  a.Centre(1001);
  EXPECT_EQ(a.left, 200);
  EXPECT_EQ(a.Y0(), 30);
}

TEST(ClockTicks, EveryMinuteWithLabelsEveryFifth)
{
  const std::vector<ClockTick> ticks = ClockTicks({0, 120}, Axis(10));
  ASSERT_EQ(ticks.size(), 121u);
  EXPECT_TRUE(ticks[0].major);
  EXPECT_EQ(ticks[0].label, "0:00");
  EXPECT_EQ(ticks[0].labelX, 10 - 3);
  EXPECT_EQ(ticks[5].label, "0:05");
  EXPECT_EQ(ticks[5].labelX, ticks[5].x - 3);
  EXPECT_EQ(ticks[10].label, "0:10");
  EXPECT_EQ(ticks[10].labelX, ticks[10].x - 5);
  EXPECT_FALSE(ticks[7].major);
  EXPECT_TRUE(ticks[7].label.empty());
  EXPECT_EQ(ticks[60].x, 310);
  EXPECT_EQ(ticks[120].label, "2:00");
}

TEST(ClockTicks, TheMidnightWindowLabelsBothHours)
{
  const std::vector<ClockTick> ticks = ClockTicks({1380, 60}, Axis());
  ASSERT_EQ(ticks.size(), 121u);
  EXPECT_EQ(ticks[0].label, "23:00");
  EXPECT_EQ(ticks[0].labelX, -3);
  EXPECT_EQ(ticks[55].label, "23:55");
  EXPECT_EQ(ticks[60].label, "0:00");
  EXPECT_EQ(ticks[60].x, 300);
  EXPECT_EQ(ticks[120].label, "1:00");
  EXPECT_EQ(ticks[120].labelX, 600 - 5);
}

TEST(ClockTicks, LabelSizeFitsEveryLabelBeforeTheNext)
{
  // A label is half the size wide per character.
  const auto halfSize = [](const std::string& label, int size) {
    return static_cast<int>(label.size()) * size / 2;
  };
  struct Case
  {
    const char* name;
    ChartWindow chart;
    std::function<int(const std::string&, int)> width;
    int expected;
  };
  const Case cases[] = {
      // "0:05" at 32 and "0:10" at 55: 32 + 4 * 10 / 2 + 2 <= 55.
      {"four-character labels", {0, 120}, halfSize, 10},
      // "10:05" and the next 25 pixels on: 5 * 9 / 2 + 2 <= 25.
      {"five-character labels", {600, 720}, halfSize, 9},
      // "23:05" at 32 and "23:10" at 55: 32 + 5 * 8 / 2 + 2 <= 55.
      {"the midnight window", {1380, 60}, halfSize, 8},
      {"labels that always fit", {0, 120}, [](const std::string&, int) { return 1; }, 12},
      {"labels that never fit", {0, 120}, [](const std::string&, int) { return 1000; }, 7},
  };
  for (const Case& c : cases)
    EXPECT_EQ(FitClockLabelSize(ClockTicks(c.chart, Axis(10)), 12, 7, 2, c.width), c.expected) << c.name;
}

TEST(ClockStage, BarAndItsWrapPastMidnight)
{
  const ClockAxis a = Axis();
  StageBar plain = StageBarSpan({30, 90}, {0, 120}, a);
  EXPECT_EQ(plain.xs, 150);
  EXPECT_EQ(plain.xe, 450);
  // A stage from 1395 to 1455 in the midnight window: from 23:15 to 0:15.
  StageBar wrapped = StageBarSpan({1395, 1455}, {1380, 60}, a);
  EXPECT_EQ(wrapped.xs, MinuteToX(1395, {1380, 60}, a));
  EXPECT_EQ(wrapped.xe, MinuteToX(15, {1380, 60}, a));
  EXPECT_EQ(wrapped.xe, 375);
  StageBar empty = StageBarSpan({40, 40}, {0, 120}, a);
  EXPECT_EQ(empty.xs, empty.xe);
  EXPECT_EQ(AxisEndX({1380, 60}, a), 600);
  EXPECT_EQ(AxisEndX({0, 120}, a), 600);
}

struct Click
{
  ScreenPoint at;
  int focus;
  bool grabbed;
};

TEST(ClockMachine, PickUpDropAndFocus)
{
  // Axis line at y 30; estimation marker at x 100, prediction marker at 300.
  const ClockAxis a = Axis();
  struct Sequence
  {
    const char* name;
    std::vector<Click> clicks;
  };
  const Sequence sequences[] = {
      {"lower half near the prediction marker picks it up", {{{310, 40}, 1, true}}},
      {"the next click elsewhere drops it, keeps the focus", {{{280, 45}, 1, true}, {{500, 45}, 1, false}}},
      {"a click on it again picks it up again", {{{300, 40}, 1, true}, {{320, 40}, 1, true}}},
      {"upper half near the estimation marker takes the focus back",
       {{{300, 40}, 1, true}, {{95, 20}, 0, false}}},
      {"upper half far from it leaves the focus", {{{300, 40}, 1, true}, {{300, 20}, 1, false}}},
      {"21 px away is too far", {{{321, 40}, 0, false}}},
      {"on the axis line counts as the upper half", {{{300, 30}, 0, false}}},
  };
  for (const Sequence& s : sequences) {
    SCOPED_TRACE(s.name);
    ClockMachine m;
    for (const Click& c : s.clicks) {
      m.LeftButtonDown(c.at, a, 100, 300);
      EXPECT_EQ(m.m_nFocus, c.focus);
      EXPECT_EQ(m.m_bGrabPred, c.grabbed);
    }
  }
}

TEST(ClockMachine, DragWithinTheStage)
{
  const ClockAxis a = Axis();
  ClockMachine m;
  EXPECT_FALSE(m.MouseMove(300, {0, 120}, a, {0, 120}));  // not picked up
  m.m_bGrabPred = true;
  EXPECT_EQ(m.MouseMove(300, {0, 120}, a, {0, 120}), 60);
  EXPECT_FALSE(m.MouseMove(300, {0, 120}, a, {0, 50}));  // outside the stage
  // After the window moved to 60..180, the axis' right end is minute 180.
  EXPECT_EQ(m.MouseMove(600, {60, 180}, a, {60, 200}), 180);
  // Midnight window: the second hour within a stage past midnight, or
  // from 0:00 for a stage of the new day.
  EXPECT_EQ(m.MouseMove(350, {1380, 60}, a, {1395, 1455}), 1450);
  EXPECT_EQ(m.MouseMove(350, {1380, 60}, a, {0, 30}), 10);
}

TEST(ClockMachine, ArrowKeysOnlyWithTheFocusAndWithinBounds)
{
  ClockMachine m;
  EXPECT_FALSE(m.ArrowKey(1, 10, {0, 120}, {0, 120}));  // no focus
  m.m_nFocus = 1;
  EXPECT_EQ(m.ArrowKey(1, 10, {0, 120}, {0, 120}), 11);
  EXPECT_EQ(m.ArrowKey(-1, 10, {0, 120}, {0, 120}), 9);
  EXPECT_FALSE(m.ArrowKey(1, 20, {0, 120}, {0, 20}));    // would leave the stage
  EXPECT_FALSE(m.ArrowKey(-1, 0, {0, 120}, {-5, 20}));   // below 0
  EXPECT_FALSE(m.ArrowKey(1, 120, {0, 120}, {0, 200}));  // past the window's end
}

TEST(ClockMachine, AMoveWritesBothPredictionViewsAndTheClock)
{
  NetworkViewModel est({kViewCurrentCondition, 0}), p0({kViewPrediction0, 1}), p1({kViewPrediction1, 3});
  const ViewSet views{&est, &p0, &p1};
  est.m_nMinute = 40;
  g_PredictionClock.nSecond = 33;
  ApplyPredictionDrag(55, views);
  EXPECT_EQ(p0.m_nMinute, 55);
  EXPECT_EQ(p1.m_nMinute, 55);
  EXPECT_EQ(g_PredictionOffset.load(), 15);
  EXPECT_EQ(g_PredictionClock.nMinute, 55);
  EXPECT_EQ(g_PredictionClock.nSecond, 0);
  EXPECT_EQ(g_PredictionClock.dMinute, 55.0);
  ApplyPredictionStep(56, 1, views);
  EXPECT_EQ(g_PredictionOffset.load(), 16);
  EXPECT_EQ(p1.m_nMinute, 56);
  EXPECT_EQ(est.m_nMinute, 40);
}

}  // namespace
