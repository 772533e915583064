// The main frame's decisions: the machine sum of distribution.ini, the hour
// steps of the chart window, the state commands, the splitter layouts,
// Plots, and the state-only bring-up steps.
#include <gtest/gtest.h>

#include "Commands.h"
#include "DistributionScheme.h"
#include "FrameLogic.h"
#include "NetworkViewModel.h"
#include "ResultStores.h"
#include "TempFiles.h"

#include <vector>

namespace {

TEST(MachineSum, FromDistributionIni)
{
  TempDir dir;
  EXPECT_EQ(ReadMachineSum(dir.File("missing.ini")), -9);

  struct Case
  {
    const char* name;
    const char* text;
    int sum;
  };
  const Case cases[] = {
      {"every module here",
       "[VORLANTISQ]\nforesim=0\nnowsim=0\nnearvet=0\nfarvet=0\nmanagement=0\n"
       "tallyhouse=0\node=0\nodp=0\nforesim1=0\n",
       0},
      {"sums to 0 without all being 0",
       "[VORLANTISQ]\nforesim=-1\nnowsim=1\nnearvet=0\nfarvet=0\n"
       "management=0\ntallyhouse=0\node=0\nodp=0\nforesim1=0\n",
       0},
      {"missing keys count -1", "[VORLANTISQ]\nforesim=2\nnowsim=3\n", 5 - 7},
      {"another section counts nothing", "[OTHER]\nforesim=0\n", -9},
  };
  for (const Case& c : cases) {
    WriteAll(dir.File("distribution.ini"), c.text);
    EXPECT_EQ(ReadMachineSum(dir.File("distribution.ini")), c.sum) << c.name;
  }
  EXPECT_EQ(DistributionRowTable()[MachineSumOrder().front()].key, std::string("foresim"));
  EXPECT_EQ(DistributionRowTable()[MachineSumOrder().back()].key, std::string("foresim1"));
}

// The frame's commands that change only state, from a running system
// (state 5) showing minutes 7, 8 and 9, with the chart window at the
// case's start and end.
TEST(FrameCommands, StateCommandsAndWhatTheyDrawAgain)
{
  struct Case
  {
    const char* name;
    int id;
    int start, end;        // chart window before
    bool handled;          // a state command
    FrameRepaint repaint;  // {network views, estimation view, clock view}
    int startAfter, endAfter;
    int state;
    int minutes[3];  // estimation view, prediction views 0 and 1
    bool clocksCleared;
  };
  const Case cases[] = {
      {"advance", kCmdAdvanceClock, 0, 120, true, {false, false, true}, 60, 180, 5, {7, 8, 9}, false},
      {"advance at the day's end", kCmdAdvanceClock, 1320, 1440, true, {}, 1320, 1440, 5, {7, 8, 9}, false},
      {"bring back", kCmdBringBackClock, 60, 180, true, {false, false, true}, 0, 120, 5, {7, 8, 9}, false},
      {"bring back before 1:00", kCmdBringBackClock, 30, 150, true, {}, 30, 150, 5, {7, 8, 9}, false},
      {"pause",
       kCmdPauseSimulation,
       0,
       120,
       true,
       {true, false, false},
       0,
       120,
       kStatePaused,
       {7, 8, 9},
       false},
      {"rewind", kCmdRewindSimulation, 0, 120, true, {true, false, true}, 0, 120, 5, {7, 0, 0}, true},
      {"show RT data", kCmdShowRTData, 0, 120, true, {false, true, false}, 0, 120, 5, {420, 8, 9}, false},
      {"not a state command", kCmdPlots, 0, 120, false, {}, 0, 120, 5, {7, 8, 9}, false},
      {"a view command", kCmdZoomIn, 0, 120, false, {}, 0, 120, 5, {7, 8, 9}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    NetworkViewModel est{ViewRole{kViewCurrentCondition, 0}};
    NetworkViewModel p0{ViewRole{kViewPrediction0, 1}};
    NetworkViewModel p1{ViewRole{kViewPrediction1, 3}};
    est.m_nMinute = 7;
    p0.m_nMinute = 8;
    p1.m_nMinute = 9;
    g_ChartWindowStart = c.start;
    g_ChartWindowEnd = c.end;
    g_EstimationClock.nHour = 3;
    g_PredictionClock.nWindowEnd = 50;
    int state = kStateStarted;
    const std::optional<FrameRepaint> repaint = ApplyFrameCommand(c.id, state, {&est, &p0, &p1}, 420);
    ASSERT_EQ(repaint.has_value(), c.handled);
    if (repaint) {
      EXPECT_EQ(*repaint, c.repaint);
    }
    EXPECT_EQ(g_ChartWindowStart.load(), c.startAfter);
    EXPECT_EQ(g_ChartWindowEnd.load(), c.endAfter);
    EXPECT_EQ(state, c.state);
    EXPECT_EQ(est.m_nMinute, c.minutes[0]);
    EXPECT_EQ(p0.m_nMinute, c.minutes[1]);
    EXPECT_EQ(p1.m_nMinute, c.minutes[2]);
    EXPECT_EQ(g_EstimationClock.nHour, c.clocksCleared ? 0 : 3);
    EXPECT_EQ(g_PredictionClock.nWindowEnd, c.clocksCleared ? 0 : 50);
  }
  // Show RT Data without an estimation view changes nothing.
  int state = kStateStarted;
  EXPECT_EQ(ApplyFrameCommand(kCmdShowRTData, state, ViewSet{}, 420), FrameRepaint{});
  g_ChartWindowStart = 0;
  g_ChartWindowEnd = 120;
  g_EstimationClock = ClockRecord{};
  g_PredictionClock = ClockRecord{};
}

TEST(ChartWindow, HourSteps)
{
  int s = 0, e = 120;
  EXPECT_TRUE(AdvanceChartWindow(s, e));
  EXPECT_EQ(s, 60);
  EXPECT_EQ(e, 180);
  s = 1320, e = 1440;
  EXPECT_FALSE(AdvanceChartWindow(s, e));  // the end is at 1440
  EXPECT_EQ(s, 1320);
  s = 59, e = 179;
  EXPECT_FALSE(BringBackChartWindow(s, e));  // the start is below 60
  s = 60, e = 180;
  EXPECT_TRUE(BringBackChartWindow(s, e));
  EXPECT_EQ(s, 0);
  EXPECT_EQ(e, 120);
}

TEST(SplitterLayouts, PredictionLayoutsInTurn)
{
  EXPECT_EQ(PredictionLayoutSizes(0, 900), (PaneSizes{900, 0}));
  EXPECT_EQ(PredictionLayoutSizes(1, 900), (PaneSizes{0, 900}));
  EXPECT_EQ(PredictionLayoutSizes(2, 900), (PaneSizes{300, 0}));
  EXPECT_EQ(NextPredictionLayout(0), 1);
  EXPECT_EQ(NextPredictionLayout(1), 2);
  EXPECT_EQ(NextPredictionLayout(2), 0);
  EXPECT_EQ(OutputViewSizes(true, 800), (PaneSizes{800, 0}));
  EXPECT_EQ(OutputViewSizes(false, 800), (PaneSizes{600, 53}));
  EXPECT_EQ(ComponentViewSizes(true, 1600), (PaneSizes{1300, 200}));
  EXPECT_EQ(ComponentViewSizes(false, 1600), (PaneSizes{1600, 0}));
}

TEST(Plots, CreateThenHideAndShowInTurn)
{
  bool hidden = true;
  EXPECT_EQ(PlotsAction(false, hidden), PlotsStep::Create);
  EXPECT_FALSE(hidden);
  EXPECT_EQ(PlotsAction(true, hidden), PlotsStep::Hide);
  EXPECT_TRUE(hidden);
  EXPECT_EQ(PlotsAction(true, hidden), PlotsStep::Show);
  EXPECT_FALSE(hidden);
}

TEST(StateOnlyBringUp, MovesTheStateAsTheStepsDo)
{
  StateOnlyBringUp b;
  // Each step reports at once, exactly once.
  std::vector<int> got;
  auto step = [&](void (StateOnlyBringUp::*f)(int, BringUpDone), int state) {
    const std::size_t before = got.size();
    (b.*f)(state, [&](int s) { got.push_back(s); });
    EXPECT_EQ(got.size(), before + 1);
    return got.back();
  };
  int s = 0;
  s = step(&StateOnlyBringUp::CheckSystemSettings, s);
  EXPECT_EQ(s, 1);
  s = step(&StateOnlyBringUp::ActivateNamingService, s);
  EXPECT_EQ(s, 2);
  s = step(&StateOnlyBringUp::ActivateClientModules, s);
  EXPECT_EQ(s, 3);
  s = step(&StateOnlyBringUp::ActivateServerModules, s);
  EXPECT_EQ(s, 4);
  s = step(&StateOnlyBringUp::SetupCorbaAndStart, s);
  EXPECT_EQ(s, 5);
  EXPECT_EQ(step(&StateOnlyBringUp::CloseComponents, s), 6);
  EXPECT_EQ(step(&StateOnlyBringUp::StartSystem, 4), 4);
  EXPECT_EQ(step(&StateOnlyBringUp::ActivateCorbaServer, 0), 0);
  EXPECT_EQ(step(&StateOnlyBringUp::EstablishCorbaConnection, 2), 4);
  EXPECT_EQ(step(&StateOnlyBringUp::RunSystem, 1), 5);
  EXPECT_EQ(b.OnFrameDestroy(0), 6);
}

}  // namespace
