// Offscreen renders of each chart from a small filled store, probed where
// the geometry puts its curves, bars and marks, and at empty places.
#include <QListWidget>
#include <QRadioButton>

#include "InfoPreview.h"
#include "InfoSheetFixture.h"
#include "PageConsistencyChecking.h"
#include "PageExecutionStatus.h"
#include "PageNetworkPerformance.h"
#include "PageODTable.h"
#include "PageTDLink.h"

namespace {

using uitest::Grab;
using uitest::HasColourNear;
using uitest::PixelRef;

constexpr unsigned kBlack = 0;

ScreenRect ClientOf(const QWidget* w)
{
  return {0, 0, w->width(), w->height()};
}

// Probes the middle of every segment of the curves of a colour that is at
// least 4 pixels long; returns how many were probed.
int ExpectCurveDrawn(const QImage& image, const ChartPicture& pic, ColorRef colour)
{
  int probed = 0;
  for (const ChartItem& item : pic.items) {
    if (item.kind != ChartItemKind::Polyline || item.pen.color != colour)
      continue;
    for (std::size_t k = 1; k < item.points.size(); ++k) {
      ScreenPoint a = item.points[k - 1];
      ScreenPoint b = item.points[k];
      if (std::abs(b.x - a.x) + std::abs(b.y - a.y) < 4)
        continue;
      int x = (a.x + b.x) / 2;
      int y = (a.y + b.y) / 2;
      EXPECT_TRUE(HasColourNear(image, x, y, colour))
          << "curve " << std::hex << colour << std::dec << " at " << x << "," << y;
      ++probed;
    }
  }
  return probed;
}

bool ImageHasColour(const QImage& image, unsigned colour)
{
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (PixelRef(image, x, y) == colour)
        return true;
  return false;
}

class ChartRenderTest : public uitest::InfoSheetTest
{};

TEST_F(ChartRenderTest, LinkChartDrawsTheFourCurves)
{
  MakeLinks(3, {1});
  CDrawLine* link = g_LineArray[1];
  for (int m = 0; m <= 30; ++m) {
    link->SetSeries(kMeasureDensity, kSourceEstimate, m, 40.0);
    link->SetSeries(kMeasureDensity, kSourceObserved, m, 20.0);
    link->SetSeries(kMeasureDensity, kSourcePredict0, m, 100.0);
    link->SetSeries(kMeasureDensity, kSourcePredict1, m, 140.0);
  }
  g_PredictionClock.nWindowStart = 10;
  g_PredictionClock.nWindowEnd = 20;
  estimationMinute = 30;
  g_SelectedLinks = {link};
  MakeSheet();
  CPageTDLink* page = sheet->TDLinkPage();
  ShowPage(page);
  page->EndList()->setCurrentRow(2);  // 0:00 to 0:30

  CInfoPreviewWndLink* chart = page->LinkChart();
  QImage image = Grab(chart);
  ChartPicture pic = BuildLinkChart(chart->SetupScale(ClientOf(chart)));
  EXPECT_GT(ExpectCurveDrawn(image, pic, kCurveEstimation), 10);
  EXPECT_GT(ExpectCurveDrawn(image, pic, kCurveObservation), 10);
  EXPECT_GT(ExpectCurveDrawn(image, pic, kCurvePrediction0), 5);
  EXPECT_GT(ExpectCurveDrawn(image, pic, kCurvePrediction1), 5);

  // Black between the grid lines, away from curves and legends: minute 1,
  // value 150 (grid every 2 minutes and every 20 vehicles).
  ChartScale s = MakeChartScale(ClientOf(chart), {0, 30}, LinkValueRange(kLinkDensity, 2));
  EXPECT_EQ(PixelRef(image, s.X(1), s.Y(150)), kBlack);
  // Grid: solid at the start minute, green.
  EXPECT_EQ(PixelRef(image, s.X(0), s.Y(150)), kChartGrid);

  // The paint made the list follow the selected link without selecting it
  // again in the views.
  EXPECT_EQ(page->LinkList()->currentRow(), 1);
  EXPECT_TRUE(selectedLinks.empty());
}

TEST_F(ChartRenderTest, LinkChartWithoutALinkShowsItsAxesOnly)
{
  MakeLinks(2);
  estimationMinute = 30;
  MakeSheet();
  ShowPage(sheet->TDLinkPage());
  CInfoPreviewWndLink* chart = sheet->TDLinkPage()->LinkChart();
  QImage image = Grab(chart);
  EXPECT_TRUE(ImageHasColour(image, kChartGrid));
  EXPECT_FALSE(ImageHasColour(image, kCurveEstimation));
  EXPECT_FALSE(ImageHasColour(image, kCurvePrediction0));
}

TEST_F(ChartRenderTest, PerformanceChartDrawsOnlyOnceTheDataIsLoaded)
{
  for (int m = 0; m <= 40; ++m)
    g_NetStats[kSourceEstimate][m].numcars = 4000 + 50 * m;
  estimationMinute = 40;
  MakeSheet();
  CPageNetworkPerformance* page = sheet->PerformancePage();
  ShowPage(page);
  auto* chart = page->PerformanceChart();
  QImage image = Grab(chart);
  ChartPicture pic = BuildPerformanceChart(chart->SetupScale(ClientOf(chart)));
  EXPECT_GT(ExpectCurveDrawn(image, pic, kCurvePerformance), 10);

  dataLoaded = false;
  image = Grab(chart);
  for (int y = 0; y < image.height(); y += 7)
    for (int x = 0; x < image.width(); x += 7)
      ASSERT_EQ(PixelRef(image, x, y), kBlack) << x << "," << y;
}

TEST_F(ChartRenderTest, ConsistencyChartLongAndShortTerm)
{
  for (int m = 0; m <= 60; ++m) {
    g_FarvetPerMinute[m] = (m % 10 == 0) ? 3000.0 : -2000.0;
    g_NearvetPerMinute[m] = 20.0 + m;
  }
  estimationMinute = 60;
  MakeSheet();
  CPageConsistencyChecking* page = sheet->ConsistencyPage();
  ShowPage(page);
  auto* chart = page->ConsistencyChart();
  QImage image = Grab(chart);
  ChartPicture pic = BuildConsistencyChart(chart->SetupScale(ClientOf(chart)));
  EXPECT_GT(ExpectCurveDrawn(image, pic, kCurveLongTerm), 5);

  page->MeasureRadio(kCstShortTerm)->click();
  image = Grab(chart);
  pic = BuildConsistencyChart(chart->SetupScale(ClientOf(chart)));
  EXPECT_GT(ExpectCurveDrawn(image, pic, kCurveShortTerm), 10);
  EXPECT_FALSE(ImageHasColour(image, kCurveLongTerm));
}

TEST_F(ChartRenderTest, ODChartBarsOfTheChosenPair)
{
  ASSERT_TRUE(g_Project.SetODSize(4));
  for (int slot = 0; slot < 24; ++slot)
    g_Project.SetODEntry(slot, 1, 0, 100.0 + 10 * slot);
  MakeSheet();
  CPageODTable* page = sheet->ODTablePage();
  ShowPage(page);
  ASSERT_EQ(page->OriginIndex(), 1);  // zone 2 of 4
  ASSERT_EQ(page->DestinationIndex(), 0);
  auto* chart = page->ODChart();
  QImage image = Grab(chart);
  ChartPicture pic = BuildODChart(chart->SetupScale(ClientOf(chart)));
  int bars = 0;
  for (const ChartItem& item : pic.items) {
    if (item.kind != ChartItemKind::Bar)
      continue;
    ++bars;
    const ScreenRect& r = item.rect;
    SCOPED_TRACE(r.left);
    EXPECT_EQ(PixelRef(image, (r.left + r.right) / 2, (r.top + r.bottom) / 2), kODBarFill);
    EXPECT_EQ(PixelRef(image, r.left, (r.top + r.bottom) / 2), kChartWhite);
    EXPECT_EQ(PixelRef(image, (r.left + r.right) / 2, r.top), kChartWhite);
    EXPECT_NE(PixelRef(image, (r.left + r.right) / 2, r.top - 3), kODBarFill);
  }
  EXPECT_EQ(bars, 24);  // the chart window ends at minute 120

  page->OriginList()->setCurrentRow(2);  // a pair with no demand
  image = Grab(chart);
  EXPECT_FALSE(ImageHasColour(image, kODBarFill));
}

TEST_F(ChartRenderTest, ODChartWithNoZonesDrawsItsAxesOnly)
{
  ASSERT_TRUE(g_Project.SetODSize(0));
  MakeSheet();
  CPageODTable* page = sheet->ODTablePage();
  ShowPage(page);
  EXPECT_EQ(page->OriginList()->count(), 0);
  EXPECT_EQ(page->OriginIndex(), -1);
  QImage image = Grab(page->ODChart());
  EXPECT_TRUE(ImageHasColour(image, kChartGrid));
  EXPECT_FALSE(ImageHasColour(image, kODBarFill));
}

TEST_F(ChartRenderTest, StatusWindowBarsAndTheCurrentMinuteMark)
{
  g_ModuleStartMarks[kModuleNowsim][2] = true;
  g_ModuleStartMarks[kModuleNowsim][5] = true;
  g_ModuleStartMarks[kModuleFarvet][4] = true;
  g_EstimationClock.dMinute = 8.0;
  MakeSheet();
  CPageExecutionStatus* page = sheet->ExecutionStatusPage();
  ShowPage(page);
  auto* chart = page->StatusChart();
  QImage image = Grab(chart);
  ChartPicture pic = BuildStatusChart(chart->SetupScale(ClientOf(chart)));
  int started = 0;
  int idle = 0;
  for (const ChartItem& item : pic.items) {
    if (item.kind != ChartItemKind::Bar)
      continue;
    const ScreenRect& r = item.rect;
    unsigned got = PixelRef(image, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    EXPECT_EQ(got, item.fill) << r.left << "," << r.top;
    (item.fill == kStatusStarted ? started : idle) += 1;
  }
  EXPECT_EQ(started, 3);
  EXPECT_EQ(idle, 7 * 9 - 3);  // minutes 0..8 in seven rows
  // The mark: its top line and the axis.
  StatusScale s = MakeStatusScale(ClientOf(chart), 0, 120);
  int c = s.X(8.0);
  int axisY = chart->height() * 18 / 20;
  EXPECT_EQ(PixelRef(image, c, axisY - 17), kStatusNowMark);
  EXPECT_EQ(PixelRef(image, (20 + chart->width()) / 2, axisY), kStatusStarted);
  EXPECT_EQ(PixelRef(image, s.X(60), axisY - 30), kBlack);
}

}  // namespace
