// The network views after Load Data: the title band's colour, the links in
// their pens at probed pixels, the legend, the views' repaint with a new
// measure, their cached picture, and printing on white paper.
#include <gtest/gtest.h>

#include <QPainter>
#include <QPrinter>
#include <filesystem>

#include "CComponentView.h"
#include "CDrawLine.h"
#include "CLogicView.h"
#include "ConsoleWindows.h"
#include "GlobalArrays.h"
#include "UiFixtures.h"
#include "ViewPrinter.h"
#include "ViewProbe.h"

using uitest::Console;
using uitest::DeviceOf;
using uitest::GeneratedRunDir;
using uitest::Pixel;

namespace {

// Whether a pixel of the colour lies within 1 px of p.
bool ColourNear(const QImage& image, QPoint p, QRgb colour)
{
  for (int dy = -1; dy <= 1; ++dy)
    for (int dx = -1; dx <= 1; ++dx) {
      const QPoint q = p + QPoint(dx, dy);
      if (image.rect().contains(q) && Pixel(image, q.x(), q.y()) == colour)
        return true;
    }
  return false;
}

// The middle of the first segment of the first link fully inside the view.
QPoint SomeLinkPixel(const CLogicView& view)
{
  const QRect inside = QRect(QPoint(0, 0), view.viewport()->size()).adjusted(4, 40, -4, -60);
  for (const auto& link : g_LineArray) {
    if (link->PointCount() < 2)
      continue;
    const WorldPoint a = link->m_pPoints[0], b = link->m_pPoints[1];
    const QPoint mid = DeviceOf(view, {(a.x + b.x) / 2, (a.y + b.y) / 2});
    if (inside.contains(mid) && (DeviceOf(view, a) - DeviceOf(view, b)).manhattanLength() > 8)
      return mid;
  }
  return {-1, -1};
}

constexpr QRgb kTitleBand = 0x8080FF;  // 0xFF8080 as RGB
constexpr QRgb kGreen = 0x00FF00;
constexpr QRgb kGrey = 0x808080;

TEST(Views, BeforeLoadDataOnlyBackgroundTitleAndNoNetwork)
{
  GeneratedRunDir run;
  Console console;
  for (CLogicView* v : {g_pEstimationView, g_pPredictionView0, g_pPredictionView1}) {
    const QImage image = v->viewport()->grab().toImage();
    EXPECT_EQ(Pixel(image, 5, 3), kTitleBand);
    EXPECT_EQ(Pixel(image, image.width() / 2, image.height() / 2), 0x000000u);
  }
}

TEST(Views, AfterLoadDataEachViewShowsItsTitleAndTheNetwork)
{
  GeneratedRunDir run;
  Console console;
  console.Frame().ExecuteCommand(kCmdLoadData);
  ASSERT_TRUE(g_bDataLoaded);
  for (CLogicView* v : {g_pEstimationView, g_pPredictionView0, g_pPredictionView1}) {
    SCOPED_TRACE(v->accessibleName().toStdString());
    const QImage image = v->viewport()->grab().toImage();
    EXPECT_EQ(Pixel(image, 5, 3), kTitleBand);
    const QPoint p = SomeLinkPixel(*v);
    ASSERT_GE(p.x(), 0);
    // Density 0 at minute 0: every link in the ramp's first colour.
    EXPECT_TRUE(ColourNear(image, p, kGreen)) << p.x() << "," << p.y();
  }
  // With no measure the links are grey.
  g_pPredictionView0->Model().m_nDisplayMeasure = 0;
  g_pPredictionView0->Invalidate();
  const QImage plain = g_pPredictionView0->viewport()->grab().toImage();
  EXPECT_TRUE(ColourNear(plain, SomeLinkPixel(*g_pPredictionView0), kGrey));
}

TEST(Views, SpeedTurnsTheLegendRedFirstInEveryView)
{
  GeneratedRunDir run;
  Console console;
  console.Frame().ExecuteCommand(kCmdLoadData);
  auto firstBox = [](CLogicView* v) {
    const QImage image = v->viewport()->grab().toImage();
    const LogicalMapping m = v->Mapping();
    const int clientH = static_cast<int>(m.DeviceToLogicalY(image.height()));
    const int t = clientH - 30;  // legend top, see ViewDecorations
    return Pixel(image, static_cast<int>(m.LogicalToDeviceX(45)),
                 static_cast<int>(m.LogicalToDeviceY(t + 7)));
  };
  for (CLogicView* v : {g_pEstimationView, g_pPredictionView0, g_pPredictionView1})
    EXPECT_EQ(firstBox(v), kGreen);
  g_pComponentView->SetEstimationDisplayMode(2);
  for (CLogicView* v : {g_pEstimationView, g_pPredictionView0, g_pPredictionView1})
    EXPECT_EQ(firstBox(v), 0xFF0000u) << v->accessibleName().toStdString();
  g_pComponentView->SetPredictionDisplayMode(2);  // the prediction views leave the legend
  EXPECT_EQ(firstBox(g_pPredictionView0), 0xFF0000u);
  g_pComponentView->SetEstimationDisplayMode(1);
}

TEST(Views, APaintBlitsTheCachedPictureUntilItIsInvalidated)
{
  GeneratedRunDir run;
  Console console;
  console.Frame().ExecuteCommand(kCmdLoadData);
  CLogicView* v = g_pEstimationView;
  v->RenderIfNeeded();
  const qint64 key = v->CachedImage().cacheKey();
  v->viewport()->repaint();
  EXPECT_EQ(v->CachedImage().cacheKey(), key);  // blitted, not drawn again
  v->Invalidate();
  v->RenderIfNeeded();
  EXPECT_NE(v->CachedImage().cacheKey(), key);
}

TEST(Views, ZoomAndPreviousView)
{
  GeneratedRunDir run;
  Console console;
  CMainFrame& f = console.Frame();
  f.ExecuteCommand(kCmdLoadData);
  const ViewState start = g_pEstimationView->Model().m_transform.State();
  f.ToolbarAction(kCmdZoomInStep)->trigger();
  EXPECT_DOUBLE_EQ(g_pEstimationView->Model().m_transform.State().scaleX, 1.2);
  f.ToolbarAction(kCmdZoomOut)->trigger();
  f.ToolbarAction(kCmdPreviousView)->trigger();
  EXPECT_DOUBLE_EQ(g_pEstimationView->Model().m_transform.State().scaleX, 1.2);
  f.ToolbarAction(kCmdSameViewForPrediction)->trigger();
  EXPECT_EQ(g_pPredictionView1->Model().m_transform.State(), g_pEstimationView->Model().m_transform.State());
  f.ToolbarAction(kCmdPreviousView)->trigger();
  EXPECT_EQ(g_pEstimationView->Model().m_transform.State(), start);
  f.ToolbarAction(kCmdPan)->trigger();
  EXPECT_EQ(g_nToolMode, kToolPan);
  EXPECT_TRUE(f.ToolbarAction(kCmdPan)->isChecked());
  EXPECT_FALSE(f.ToolbarAction(kCmdZoomIn)->isChecked());
  EXPECT_FALSE(f.ToolbarAction(kCmdNodeSelection)->isEnabled());  // only with the zoom box or the selector
  f.ToolbarAction(kCmdZoomIn)->trigger();
}

TEST(Views, PrintingOnWhitePaperWithBlackPens)
{
  GeneratedRunDir run;
  Console console;
  console.Frame().ExecuteCommand(kCmdLoadData);
  CLogicView* v = g_pEstimationView;
  v->Model().m_nDisplayMeasure = 0;  // links not coloured by a measure
  QImage paper(800, 600, QImage::Format_RGB32);
  {
    QPainter p(&paper);
    v->PaintTo(p, paper.size(), LogicalMapping{96, 96}, true);
  }
  EXPECT_EQ(Pixel(paper, 790, 590), 0xFFFFFFu);                  // paper, not the screen's black
  EXPECT_TRUE(ColourNear(paper, SomeLinkPixel(*v), 0x000000u));  // the 2-wide print pen

  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName("view.pdf");
  EXPECT_TRUE(PrintView(*v, printer));
  EXPECT_GT(std::filesystem::file_size("view.pdf"), 1000u);
}

}  // namespace
