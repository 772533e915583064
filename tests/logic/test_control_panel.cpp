// The control panel's rules: display modes with the legend ramp and the
// path colours, the layer toggles, the reset of Specify Origin, and the
// property rows of a link.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "CDrawLine.h"
#include "ConsoleState.h"
#include "ControlPanelLogic.h"

namespace {

class Panel : public ::testing::Test
{
protected:
  NetworkViewModel est{{kViewCurrentCondition, 0}};
  NetworkViewModel p0{{kViewPrediction0, 1}};
  NetworkViewModel p1{{kViewPrediction1, 3}};
  ViewSet views{&est, &p0, &p1};
  PanelMarks marks;
  void TearDown() override { CopyDefaultRamp(g_ColorRamp, false); }
};

TEST_F(Panel, EstimationModesSetTheLegendRamp)
{
  est.m_bShowVehicles = est.m_bShowUEPaths = true;
  SetEstimationDisplayMode(views, 2, marks);
  EXPECT_EQ(est.m_nDisplayMeasure, 2);
  EXPECT_EQ(g_ColorRamp[0], 0x0000FFu);  // red first for speed
  EXPECT_EQ(g_ColorRamp[4], 0x00FF00u);
  EXPECT_FALSE(est.m_bShowVehicles);
  EXPECT_FALSE(est.m_bShowUEPaths);
  EXPECT_EQ(marks.currentMode, 2);
  EXPECT_EQ(p0.m_nDisplayMeasure, 0);

  SetEstimationDisplayMode(views, 1, marks);
  EXPECT_EQ(g_ColorRamp[0], 0x00FF00u);
  EXPECT_EQ(marks.currentMode, 1);

  SetEstimationDisplayMode(views, 3, marks);  // queue leaves the ramp
  EXPECT_EQ(g_ColorRamp[0], 0x00FF00u);
  EXPECT_EQ(marks.currentMode, 3);
}

TEST_F(Panel, PredictionModesLeaveTheLegendAndSetPathColours)
{
  SetPredictionDisplayMode(views, 2, marks);
  EXPECT_EQ(g_ColorRamp[0], 0x00FF00u);
  EXPECT_EQ(p0.m_nDisplayMeasure, 2);
  EXPECT_EQ(p1.m_nDisplayMeasure, 2);
  EXPECT_EQ(p0.m_PathColors[0], 0x0000FFu);
  EXPECT_EQ(p1.m_PathColors[4], 0x00FF00u);
  EXPECT_EQ(est.m_nDisplayMeasure, 0);
  EXPECT_EQ(marks.predictionMode, 2);

  SetPredictionDisplayMode(views, 5, marks);  // travel time shows the paths
  EXPECT_TRUE(p0.m_bShowPaths0);
  EXPECT_FALSE(p0.m_bShowPaths1);
  EXPECT_TRUE(p1.m_bShowPaths1);
  EXPECT_FALSE(p1.m_bShowPaths0);
  EXPECT_EQ(p0.m_PathColors[0], 0x0000FFu);  // travel time keeps the colours
  EXPECT_EQ(marks.predictionMode, 5);

  SetPredictionDisplayMode(views, 1, marks);  // density hides them again
  EXPECT_FALSE(p0.m_bShowPaths0);
  EXPECT_FALSE(p1.m_bShowPaths1);
  EXPECT_EQ(p0.m_PathColors[0], 0x00FF00u);
}

TEST_F(Panel, TogglesAndTheirBoxes)
{
  ToggleZones(views, marks);  // zones start on
  EXPECT_FALSE(p0.m_bShowZones);
  EXPECT_FALSE(est.m_bShowZones);
  EXPECT_TRUE(p1.m_bShowZones);
  EXPECT_FALSE(marks.zonesBox);
  ToggleZones(views, marks);
  EXPECT_TRUE(p0.m_bShowZones);
  EXPECT_TRUE(marks.zonesBox);
  EXPECT_TRUE(p1.m_bShowZones);  // twice leaves prediction view 1 untouched

  ToggleBusRoutes(views, marks);
  EXPECT_TRUE(p0.m_bShowBusRoutes && est.m_bShowBusRoutes && marks.busRoutesBox);
  EXPECT_FALSE(p1.m_bShowBusRoutes);

  p1.m_bShowSignals = true;  // signals flip in each view, the box shows the estimation view's
  ToggleSignals(views, marks);
  EXPECT_TRUE(est.m_bShowSignals && p0.m_bShowSignals);
  EXPECT_FALSE(p1.m_bShowSignals);
  EXPECT_TRUE(marks.signalsBox);
}

TEST_F(Panel, ResetDisplayOptions)
{
  for (NetworkViewModel* v : {&est, &p0, &p1})
    v->m_bShowZones = v->m_bShowBusRoutes = v->m_bShowSignals = true;
  est.m_nDisplayMeasure = 2;
  est.m_bShowVehicles = true;
  marks = {2, 1, true, true, true};
  ResetDisplayOptions(views, kViewPrediction0, marks);
  EXPECT_FALSE(p0.m_bShowZones || p0.m_bShowBusRoutes || p0.m_bShowSignals);
  EXPECT_FALSE(est.m_bShowZones || est.m_bShowBusRoutes || est.m_bShowSignals);
  EXPECT_TRUE(p1.m_bShowZones);
  EXPECT_EQ(est.m_nDisplayMeasure, 2);
  EXPECT_EQ(marks, (PanelMarks{2, 1, false, false, false}));
  ResetDisplayOptions(views, kViewCurrentCondition, marks);
  EXPECT_EQ(est.m_nDisplayMeasure, 0);
  EXPECT_FALSE(est.m_bShowVehicles);
  EXPECT_EQ(marks.currentMode, 0);
}

TEST(LinkPropertyRows, TenRowsAtTheEstimationMinute)
{
  CDrawLine link;
  link.m_nIndex = 6;
  link.m_nFromNode = 101;
  link.m_nToNode = 202;
  link.m_nLinkType = 5;
  link.m_nLanes = 3;
  link.m_dLength = 10560;
  link.m_dSatRate = 1900.5;
  link.SetSeries(kMeasureDensity, 0, 30, 12.345);
  link.SetSeries(kMeasureSpeed, 0, 30, 55);
  link.SetSeries(kMeasureQueue, 0, 30, 35);
  const std::vector<PropertyRow> expected = {
      {"Link ID", "7"},
      {"From Node", "101"},
      {"To Node", "202"},
      {"Type", "Arterial"},
      {"Numbers of Lanes", "3"},
      {"Length (mi)", "2.00"},
      {"Sat Rate (veh/hr/ln)", "1900.50"},
      {"Density (veh/mi/ln)", "12.35"},
      {"Speed (mi/hr)", "55.00"},
      {"Queue (% length)", "35.00"},
  };
  EXPECT_EQ(LinkPropertyRows(link, 0, 30), expected);

  const std::vector<PropertyRow> before = LinkPropertyRows(link, 0, 0);
  ASSERT_EQ(before.size(), 10u);
  for (int i = 7; i < 10; ++i)
    EXPECT_EQ(before[static_cast<std::size_t>(i)].second, "--");
}

TEST(LinkPropertyRows, LongAndOddValuesAreShownWhole)
{
  CDrawLine link;
  link.m_nLinkType = 99;
  link.m_dSatRate = 1e25;
  link.SetSeries(kMeasureDensity, 1, 3, std::numeric_limits<double>::quiet_NaN());
  link.SetSeries(kMeasureSpeed, 1, 3, -std::numeric_limits<float>::max());  // the rows keep floats
  const std::vector<PropertyRow> rows = LinkPropertyRows(link, 1, 3);
  EXPECT_EQ(rows[3].second, "None Type");
  EXPECT_EQ(rows[6].second, "10000000000000000905969664.00");
  EXPECT_EQ(rows[7].second, " nan");
  EXPECT_EQ(rows[8].second.size(), 43u);  // "-3" + 38 digits + ".00"
}

TEST(StartedProgramLine, TheLaunchersLineNamesTheFileTheTitleAndTheProcess)
{
  EXPECT_EQ(StartedProgramLine("naming_service.bat", "Naming_Service", 4194304),
            "Started naming_service.bat (Naming_Service), process 4194304.");
  EXPECT_EQ(StartedProgramLine("nowsim.bat", "NOWSIM", 7), "Started nowsim.bat (NOWSIM), process 7.");
}

}  // namespace
