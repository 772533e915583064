// The fast way of drawing a view against drawing every stroke through
// QPainter: the pictures may differ only where a stroke shorter than a
// pixel was left out, at any zoom and whatever the number of stripes.
#include <gtest/gtest.h>

#include <QPainter>
#include <random>
#include <set>

#include "CDrawLine.h"
#include "CDrawObj.h"
#include "CProject.h"
#include "ConsoleState.h"
#include "GlobalArrays.h"
#include "NetworkRenderer.h"
#include "PainterDrawTarget.h"
#include "UiFixtures.h"
#include "ViewPainting.h"

using uitest::GeneratedRunDir;

namespace {

// Where the model draws strokes shorter than a pixel: the device pixel of
// both their ends.
class SubPixelStrokes : public IPathDrawTarget
{
public:
  SubPixelStrokes(const ViewTransform& t, const LogicalMapping& m) : m_t(t), m_m(m) {}
  std::set<std::pair<int, int>> points;
  ScreenPointD WorldToScreenD(const WorldPoint& p) const override { return m_t.WorldToScreenD(p); }
  bool IsPrinting() const override { return false; }
  void SelectPen(DrawPen) override {}
  void SelectCustomPen(const PenSpec&) override {}
  void SelectBrush(DrawBrush) override {}
  void SetTextColor(ColorRef) override {}
  void Line(ScreenPoint a, ScreenPoint b) override
  {
    const QPoint da = LogicalToDevicePoint(m_m, a), db = LogicalToDevicePoint(m_m, b);
    if (da == db)
      points.insert({da.x(), da.y()});
  }
  void Ellipse(const ScreenRect&) override {}
  void Rectangle(const ScreenRect&) override {}
  void Polygon(const std::vector<ScreenPoint>&) override {}
  void Bitmap(int, ScreenPoint, ColorRef) override {}
  void LabelText(const std::string&, const ScreenRect&) override {}

private:
  const ViewTransform& m_t;
  LogicalMapping m_m;
};

class FastPath : public ::testing::Test
{
protected:
  void SetUp() override
  {
    uitest::App();
    ASSERT_TRUE(run.ok());
    g_Project.SetSinks(nullptr, nullptr, [](int) {});
    ASSERT_TRUE(g_Project.LoadNetworkData());
    g_Project.StopRealTimeReader();
    g_bDataLoaded = true;
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> density(0, 90);
    for (const auto& link : g_LineArray)
      link->SetSeries(kMeasureDensity, 0, 3, density(rng));
    g_LineArray[5]->m_nSelectMark = 2;  // a wide pen too
    g_LineArray[9]->m_nSelectMark = 1;
    g_NodeArray[4]->m_nSelectMark = 1;
  }
  void TearDown() override
  {
    g_bDataLoaded = false;
    g_Project.ClearNetworkArrays();
    g_Project.SetSinks(nullptr, nullptr, nullptr);
  }

  QImage Reference(const NetworkViewModel& view)
  {
    QImage reference(kSize, QImage::Format_RGB32);
    QPainter p(&reference);
    PaintNetworkView(p, view, Context());
    return reference;
  }
  static ViewPaintContext Context() { return ViewPaintContext::Current(kSize, LogicalMapping{96, 96}); }

  // The fast way with a renderer of its own against every stroke.
  void Compare(const NetworkViewModel& view, int threads)
  {
    NetworkRenderer renderer;
    Compare(view, threads, renderer);
  }
  void Compare(const NetworkViewModel& view, int threads, NetworkRenderer& renderer)
  {
    const QImage reference = Reference(view);
    QImage fast(kSize, QImage::Format_RGB32);
    LockedPathLists paths = g_PredictedPaths.Lock();
    RenderOptions options;
    options.threads = threads;
    RenderNetworkView(fast, view, Context(), paths, renderer, options);
    EXPECT_GT(renderer.Primitives(), 100u);

    // Every pixel that differs must lie next to a stroke shorter than a pixel.
    SubPixelStrokes skipped(view.m_transform, Context().mapping);
    DrawNetwork(view.DrawOptions(true, Context().LegendLineY()), paths, skipped);
    int differ = 0, unexplained = 0;
    for (int y = 0; y < kSize.height(); ++y)
      for (int x = 0; x < kSize.width(); ++x) {
        if (reference.pixel(x, y) == fast.pixel(x, y))
          continue;
        ++differ;
        bool explained = false;
        for (int dy = -1; dy <= 1 && !explained; ++dy)
          for (int dx = -1; dx <= 1 && !explained; ++dx)
            explained = skipped.points.count({x + dx, y + dy}) > 0;
        if (!explained && ++unexplained <= 5)
          ADD_FAILURE() << "pixel " << x << "," << y << " differs: " << std::hex << reference.pixel(x, y)
                        << " vs " << fast.pixel(x, y);
      }
    EXPECT_EQ(unexplained, 0) << differ << " pixels differ";
  }

  static constexpr QSize kSize{900, 700};
  GeneratedRunDir run{40, 60};  // 9,400 links: the link layer in several pieces
};

TEST_F(FastPath, FullExtentAndZoomedAtAnyStripeCount)
{
  NetworkViewModel view({kViewCurrentCondition, 0});
  view.m_nDisplayMeasure = 1;
  view.m_nMinute = 3;
  for (int stripes : {1, 3, 8}) {
    SCOPED_TRACE(testing::Message() << stripes << " stripes");
    view.m_transform.SetState({0, 30, 1.0, 1.0, 0, 0});
    Compare(view, stripes);
    view.m_transform.SetState({-150, -120, 3.7, 3.7, 0, 0});  // zoomed: strokes cross the edges and stripes
    Compare(view, stripes);
  }
}

TEST_F(FastPath, AnotherMinuteRecoloursTheKeptLinks)
{
  NetworkViewModel view({kViewCurrentCondition, 0});
  view.m_nDisplayMeasure = 2;
  view.m_nMinute = 3;
  view.m_transform.SetState({-40, -10, 1.7, 1.7, 0, 0});
  for (const auto& link : g_LineArray)
    link->SetSeries(kMeasureSpeed, 0, 3, 10), link->SetSeries(kMeasureSpeed, 0, 4, 70);
  NetworkRenderer renderer;
  Compare(view, 3, renderer);
  EXPECT_FALSE(renderer.KeptLinks());
  view.m_nMinute = 4;  // new values, the same geometry
  g_LineArray[7]->m_nSelectMark = 2;
  Compare(view, 3, renderer);
  EXPECT_TRUE(renderer.KeptLinks());
  view.m_nDisplayMeasure = 1;  // another measure: colours only
  Compare(view, 3, renderer);
  EXPECT_TRUE(renderer.KeptLinks());
  view.m_transform.SetState({-40, -10, 1.8, 1.8, 0, 0});  // the geometry changed
  Compare(view, 3, renderer);
  EXPECT_FALSE(renderer.KeptLinks());
  view.m_nDisplayMeasure = 3;  // queue pieces follow the values
  Compare(view, 3, renderer);
  view.m_nMinute = 3;
  Compare(view, 3, renderer);
  EXPECT_FALSE(renderer.KeptLinks());
}

TEST_F(FastPath, QueueAndPlainDrawing)
{
  NetworkViewModel view({kViewPrediction0, 1});
  view.m_nDisplayMeasure = 3;
  for (const auto& link : g_LineArray)
    link->SetSeries(kMeasureQueue, 1, 0, 40);
  view.m_transform.SetState({-20, -40, 2.2, 2.2, 0, 0});
  Compare(view, 5);
  view.m_nDisplayMeasure = 0;
  view.m_bShowSignals = true;
  Compare(view, 4);
}

}  // namespace
