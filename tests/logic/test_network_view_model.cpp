// A network view's model: roles by creation order, the options a paint
// hands to the drawing, what those options make the network draw (pens per
// mark, measure, printing and bus routes, through a recording target), the
// view history through the view's commands, and the clocks' reset.
#include <gtest/gtest.h>

#include "CDrawLine.h"
#include "ConsoleState.h"
#include "GlobalArrays.h"
#include "NetworkViewModel.h"
#include "RecordingDrawTarget.h"

using fixtures::RecordingTarget;

namespace {

TEST(ViewRoles, TakenByCreationOrder)
{
  EXPECT_EQ(NextViewRole(false, false, false), (ViewRole{kViewCurrentCondition, 0}));
  EXPECT_EQ(NextViewRole(true, false, false), (ViewRole{kViewPrediction0, 1}));
  EXPECT_EQ(NextViewRole(true, true, false), (ViewRole{kViewPrediction1, 3}));
  EXPECT_FALSE(NextViewRole(true, true, true));
}

TEST(NetworkViewModel, DrawOptionsCarryEveryInput)
{
  NetworkViewModel v({kViewPrediction0, 1});
  v.m_bShowCCTV = v.m_bShowDetectors = v.m_bShowBusRoutes = v.m_bShowSignals = true;
  v.m_bShowPaths0 = true;
  v.m_nDisplayMeasure = 2;
  v.m_nMinute = 77;
  v.m_bShowZones = false;
  v.m_transform.m_state.scaleX = 3;
  g_PredictionClock.dMinute = 12;
  g_EstimationClock.dMinute = 34;
  g_LinkShapeRatio = 0.5;
  const NetworkViewOptions o = v.DrawOptions(true, 420);
  EXPECT_TRUE(o.objects.bShowCCTV && o.objects.bShowDetectors && o.objects.bShowBusRoutes &&
              o.objects.bShowSignals);
  EXPECT_EQ(o.objects.nDisplayMeasure, 2);
  EXPECT_EQ(o.objects.nSource, 1);
  EXPECT_EQ(o.objects.nMinute, 77);
  EXPECT_EQ(o.objects.dScaleX, 3);
  EXPECT_EQ(o.objects.dClockMinute, 12);  // a prediction view's vehicles follow the prediction clock
  EXPECT_EQ(o.objects.dMarkMinute, 34);   // marks follow the estimation clock
  EXPECT_EQ(o.objects.dLinkShapeRatio, 0.5);
  EXPECT_TRUE(o.paths.bShowPaths0);
  EXPECT_FALSE(o.paths.bEstimationView);
  EXPECT_EQ(o.paths.nLegendLineY, 420);
  EXPECT_EQ(o.paths.pathColors[0], kColorRampDefault[0]);
  EXPECT_EQ(o.nViewKind, kViewPrediction0);
  EXPECT_FALSE(o.bShowZones);
  EXPECT_TRUE(o.bDataLoaded);
  g_LinkShapeRatio = 0;
  g_PredictionClock = {};
  g_EstimationClock = {};
}

// One link drawn by a view: the pen it takes by mark, measure, value,
// printing and the bus-route layer.
TEST(NetworkViewModel, PensOfALinkByTheViewsOptions)
{
  auto* link = new CDrawLine;
  link->SetShape({{0, 0}, {100, 0}});
  g_LineArray.Add(link);
  link->SetSeries(kMeasureDensity, 0, 5, 70);  // level 4
  link->SetSeries(kMeasureSpeed, 0, 5, 70);
  struct Case
  {
    const char* name;
    int mark;
    int measure;
    bool busRoutes;
    bool printing;
    DrawPen pen;
  };
  const Case cases[] = {
      {"plain", 0, 0, false, false, DrawPen::Grey},
      {"density 70: red", 0, 1, false, false, DrawPen::Ramp4},
      {"speed 70: green", 0, 2, false, false, DrawPen::Ramp0},
      {"selected keeps its pen", 2, 1, false, false, DrawPen::LinkSelected},
      {"highlighted", 1, 0, false, false, DrawPen::LinkHighlight},
      {"bus routes: grey", 1, 0, true, false, DrawPen::Grey},
      {"printing: black", 2, 0, false, true, DrawPen::Print},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    NetworkViewModel v({kViewCurrentCondition, 0});
    v.m_nMinute = 5;
    v.m_nDisplayMeasure = c.measure;
    v.m_bShowBusRoutes = c.busRoutes;
    link->m_nSelectMark = c.mark;
    RecordingTarget target;
    target.printing = c.printing;
    LockedPathLists paths = g_PredictedPaths.Lock();
    DrawNetwork(v.DrawOptions(true, 0), paths, target);
    EXPECT_EQ(target.PenBeforeFirstLine(), RecordingTarget::Pen(c.pen));
  }
  NetworkViewModel v({kViewCurrentCondition, 0});
  RecordingTarget before;
  LockedPathLists paths = g_PredictedPaths.Lock();
  DrawNetwork(v.DrawOptions(false, 0), paths, before);
  EXPECT_TRUE(before.ops.empty());  // nothing before the data is loaded
  g_LineArray.RemoveAll();
}

TEST(NetworkViewModel, HistoryThroughTheViewsCommands)
{
  NetworkViewModel v({kViewCurrentCondition, 0});
  const ViewState start = v.m_transform.State();
  EXPECT_FALSE(v.PopView());  // nothing before the first push
  v.m_transform.ZoomStep(100, 100, 1.2);
  v.PushView();
  v.m_transform.ZoomStep(100, 100, 1 / 1.2);
  v.PushView();
  ASSERT_TRUE(v.PopView());
  EXPECT_DOUBLE_EQ(v.m_transform.State().scaleX, 1.2);
  ASSERT_TRUE(v.PopView());
  EXPECT_EQ(v.m_transform.State(), start);  // state 0 was stored at construction
  EXPECT_FALSE(v.PopView());

  v.m_transform.ZoomStep(100, 100, 2);
  v.PushView();
  v.ResetView();
  EXPECT_EQ(v.m_transform.State(), (ViewState{0, 30, 1, 1, 100, 100}));
  EXPECT_FALSE(v.PopView());  // the history starts again from the reset state
  EXPECT_EQ(v.m_history.At(0), v.m_transform.State());

  v.SetLoadedOffsetX(125);
  v.m_transform.ZoomStep(0, 0, 2);
  v.PushView();
  ASSERT_TRUE(v.PopView());
  EXPECT_EQ(v.m_transform.State().offsetX, 125);
}

TEST(NetworkViewModel, ResetClocks)
{
  NetworkViewModel v({kViewPrediction1, 3});
  v.m_nMinute = 9;
  g_EstimationClock = {1, 2, 3, 4.5, 6, 7};
  g_PredictionClock = {1, 2, 3, 4.5, 6, 7};
  ResetClocks(v);
  EXPECT_EQ(v.m_nMinute, 0);
  EXPECT_EQ(g_EstimationClock.nHour + g_EstimationClock.nMinute + g_EstimationClock.nSecond, 0);
  EXPECT_EQ(g_PredictionClock.nWindowStart + g_PredictionClock.nWindowEnd, 0);
  EXPECT_EQ(g_PredictionClock.dMinute, 4.5);  // only the fields named are reset
  g_EstimationClock = {};
  g_PredictionClock = {};
}

}  // namespace
