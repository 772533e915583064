// Links, nodes, zones and cameras: geometry, hit tests, drawing decisions
// and the per-link series.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "CDrawLine.h"
#include "CDrawObj.h"
#include "GlobalArrays.h"
#include "RecordingDrawTarget.h"

using fixtures::RecordingTarget;

namespace {

std::unique_ptr<CDrawLine> MakeLine(std::vector<WorldPoint> pts, int from = 1, int to = 2)
{
  auto l = std::make_unique<CDrawLine>();
  l->m_nFromNode = from;
  l->m_nToNode = to;
  l->SetShape(std::move(pts));
  return l;
}

std::string LineOp(int x1, int y1, int x2, int y2)
{
  return "line " + std::to_string(x1) + "," + std::to_string(y1) + " " + std::to_string(x2) + "," +
         std::to_string(y2);
}

TEST(NetworkObjects, PointAtFractionTable)
{
  auto l = MakeLine({{0, 0}, {100, 0}, {100, 100}});
  struct Case
  {
    double f;
    WorldPoint expected;
  } cases[] = {
      {0.25, {50.0, 0.3}},      // shifted sideways by 0.3
      {0.75, {99.7, 50.0}},     // second segment, shifted to its side
      {0.999, {100.0, 100.0}},  // f + 0.001 reaches 1: last vertex, unshifted
      {1.0, {100.0, 100.0}},   {2.0, {100.0, 100.0}}, {-0.1, {0.0, 0.0}},  // no segment holds it
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.f);
    WorldPoint p = l->PointAtFraction(c.f);
    EXPECT_NEAR(p.x, c.expected.x, 1e-4);
    EXPECT_NEAR(p.y, c.expected.y, 1e-4);
  }
  CDrawLine empty;
  EXPECT_EQ(empty.PointAtFraction(0.5), (WorldPoint{0.0, 0.0}));
  auto point = MakeLine({{3, 4}});
  EXPECT_EQ(point->PointAtFraction(0.2), (WorldPoint{0.0, 0.0}));
  EXPECT_EQ(point->PointAtFraction(1.0), (WorldPoint{3.0, 4.0}));
}

TEST(NetworkObjects, DistanceAndHitTestTable)
{
  auto flat = MakeLine({{0, 0}, {100, 0}});  // measured on y = 1 (offset 1)
  auto diagonal = MakeLine({{0, 0}, {100, 100}});
  struct Case
  {
    const CDrawLine* line;
    WorldPoint q;
    double distance;
    bool hit;
  } cases[] = {
      {flat.get(), {50, 1}, 0.0, true},
      {flat.get(), {50, 2.9}, 1.9, true},      // inside the widened box (margin 2)
      {flat.get(), {50, 3.5}, 5000.0, false},  // outside the box
      {flat.get(), {150, 1}, 5000.0, false},   // on the extension of the line
      {flat.get(), {99.99, 1}, 0.0, true},
      {flat.get(), {100, 1}, 5000.0, false},  // the shifted end lies a hair left of 100
      {diagonal.get(), {50, 50}, 1.0, true},  // a wide segment gets no margin
      {diagonal.get(), {101, 101}, 5000.0, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.q.x) + "," + std::to_string(c.q.y));
    double d = c.line->DistanceTo(c.q);
    if (c.distance >= 5000.0)
      EXPECT_EQ(d, 5000.0);
    else
      EXPECT_NEAR(d, c.distance, 1e-4);
    EXPECT_EQ(c.line->HitTest(c.q), c.hit);
  }
  // Diagonal (60, 40) lies inside the box: its distance is that to the line.
  EXPECT_NEAR(diagonal->DistanceTo({60, 40}), std::sqrt(200.0) + 1.0, 1e-3);
  // No segment, or a segment of no length: defined values, no division.
  CDrawLine none;
  EXPECT_EQ(none.DistanceTo({0, 0}), 5000.0);
  auto dot = MakeLine({{5, 5}, {5, 5}});
  EXPECT_TRUE(std::isfinite(dot->DistanceTo({5, 6})));
}

TEST(NetworkObjects, ColourLevelsAndRamp)
{
  struct Case
  {
    double value;
    int level;
    DrawPen density;
    DrawPen speed;
  } cases[] = {
      {0.0, 0, DrawPen::Ramp0, DrawPen::Ramp4},  {14.9, 0, DrawPen::Ramp0, DrawPen::Ramp4},
      {15.0, 1, DrawPen::Ramp1, DrawPen::Ramp3}, {44.0, 2, DrawPen::Ramp2, DrawPen::Ramp2},
      {60.0, 4, DrawPen::Ramp4, DrawPen::Ramp0}, {75.0, 4, DrawPen::Ramp4, DrawPen::Ramp0},
      {1e9, 4, DrawPen::Ramp4, DrawPen::Ramp0},  {-5.0, 0, DrawPen::Ramp0, DrawPen::Ramp4},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(ColourLevel(c.value), c.level);
    DrawPen p;
    ASSERT_TRUE(RampPenFor(1, c.level, p));
    EXPECT_EQ(p, c.density);
    ASSERT_TRUE(RampPenFor(2, c.level, p));
    EXPECT_EQ(p, c.speed);
  }
  EXPECT_EQ(ColourLevel(-15.0), -1);
  EXPECT_EQ(ColourLevel(std::nan("")), -1);
  DrawPen p = DrawPen::Grey;
  EXPECT_FALSE(RampPenFor(1, -1, p));
  EXPECT_EQ(p, DrawPen::Grey);
}

TEST(NetworkObjects, LinkPenTable)
{
  struct Case
  {
    const char* name;
    int mark;
    bool busRoutes;
    bool printing;
    int measure;
    double value;
    DrawPen pen;
  } cases[] = {
      {"plain", 0, false, false, 0, 0, DrawPen::Grey},
      {"selected", 2, false, false, 0, 0, DrawPen::LinkSelected},
      {"highlighted", 1, false, false, 0, 0, DrawPen::LinkHighlight},
      {"selected under bus routes", 2, true, false, 0, 0, DrawPen::LinkSelected},
      {"highlighted under bus routes", 1, true, false, 0, 0, DrawPen::Grey},
      {"printing", 2, false, true, 0, 0, DrawPen::Print},
      {"density 0 is green", 0, false, false, 1, 0, DrawPen::Ramp0},
      {"density 75 is red", 0, false, false, 1, 75, DrawPen::Ramp4},
      {"speed 75 is green", 0, false, false, 2, 75, DrawPen::Ramp0},
      {"speed 14 is red", 0, false, false, 2, 14, DrawPen::Ramp4},
      {"negative level keeps the pen", 0, false, false, 1, -20, DrawPen::Grey},
      {"no value keeps the pen", 0, false, false, 2, std::numeric_limits<double>::quiet_NaN(), DrawPen::Grey},
      {"selected never coloured", 2, false, false, 1, 75, DrawPen::LinkSelected},
      {"selected never coloured by speed", 2, false, false, 2, 0, DrawPen::LinkSelected},
      {"selected keeps its pen in queue mode under bus routes", 2, true, false, 3, 0, DrawPen::LinkSelected},
      {"highlighted never coloured", 1, false, false, 2, 0, DrawPen::LinkHighlight},
      {"travel time draws plainly", 0, false, false, 5, 75, DrawPen::Grey},
      {"coloured when printing", 0, false, true, 1, 30, DrawPen::Ramp2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto l = MakeLine({{0, 0}, {100, 0}});
    l->m_nSelectMark = c.mark;
    ViewDrawOptions v;
    v.bShowBusRoutes = c.busRoutes;
    v.nDisplayMeasure = c.measure;
    v.nSource = kSourcePredict1;
    v.nMinute = 33;
    if (c.measure == 1 || c.measure == 2)
      l->SetSeries(c.measure - 1, kSourcePredict1, 33, c.value);
    RecordingTarget t;
    t.printing = c.printing;
    l->Draw(v, t);
    EXPECT_EQ(t.PenBeforeFirstLine(), RecordingTarget::Pen(c.pen));
    EXPECT_EQ(t.Count("line "), 3);  // the segment and its two arrow strokes
  }
}

TEST(NetworkObjects, QueuePiecesTable)
{
  struct Case
  {
    double queue;
    std::vector<std::string> pieces;
  } cases[] = {
      {0.0, {}},
      {50.0, {LineOp(50, 0, 100, 0)}},
      {75.0, {LineOp(25, 0, 50, 0), LineOp(50, 0, 100, 0)}},
      {100.0, {LineOp(0, 0, 50, 0), LineOp(50, 0, 100, 0)}},
      {250.0, {LineOp(0, 0, 50, 0), LineOp(50, 0, 100, 0)}},
      {-10.0, {}},
      // No value: nothing in magenta (not a fan of lines to the view's corner).
      {std::numeric_limits<double>::quiet_NaN(), {}},
      {std::numeric_limits<double>::infinity(), {LineOp(0, 0, 50, 0), LineOp(50, 0, 100, 0)}},
      {-std::numeric_limits<double>::infinity(), {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.queue);
    auto l = MakeLine({{0, 0}, {50, 0}, {100, 0}});
    l->SetSeries(kMeasureQueue, kSourcePredict0, 7, c.queue);
    ViewDrawOptions v;
    v.nDisplayMeasure = 3;
    v.nSource = kSourcePredict0;
    v.nMinute = 7;
    RecordingTarget t;
    l->Draw(v, t);
    std::vector<std::string> after;
    bool queuePen = false;
    for (const auto& op : t.ops) {
      if (op == RecordingTarget::Pen(DrawPen::Queue))
        queuePen = true;
      else if (queuePen && op.rfind("line ", 0) == 0)
        after.push_back(op);
    }
    EXPECT_TRUE(queuePen);
    EXPECT_EQ(after, c.pieces);
    EXPECT_EQ(t.PenBeforeFirstLine(), RecordingTarget::Pen(DrawPen::Grey));  // drawn plainly first
  }
}

TEST(NetworkObjects, LinkIconsAndCameraPlace)
{
  g_CCTVArray.RemoveAll();
  auto other = new CDrawCCTV;
  other->m_nLinkFromNode = 9;
  other->m_nLinkToNode = 2;
  g_CCTVArray.Add(other);
  auto cam = new CDrawCCTV;
  cam->m_nLinkFromNode = 1;
  cam->m_nLinkToNode = 2;
  g_CCTVArray.Add(cam);

  struct Case
  {
    const char* name;
    bool showDetectors, showCCTV;
    int type;
    bool hasDetector, observed, hasCCTV;
    int detectorIcons, cameraIcons;
  } cases[] = {
      {"nothing shown", false, false, 2, true, true, true, 0, 0},
      {"detector link of type 2", true, false, 2, false, true, false, 1, 0},
      {"detector mark", true, false, 5, true, true, false, 1, 0},
      {"detector not observed", true, false, 2, true, false, false, 0, 0},
      {"camera", false, true, 5, false, false, true, 0, 1},
      {"camera option without camera", false, true, 5, false, false, false, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto l = MakeLine({{0, 0}, {100, 0}});
    l->m_nLinkType = c.type;
    l->m_bHasDetector = c.hasDetector;
    l->m_bObserved = c.observed;
    l->m_bHasCCTV = c.hasCCTV;
    ViewDrawOptions v;
    v.bShowDetectors = c.showDetectors;
    v.bShowCCTV = c.showCCTV;
    RecordingTarget t;
    cam->m_ptIcon = {-1, -1};
    l->Draw(v, t);
    // At fraction 0.45, shifted by 0.3 (pi as 3.14159 leaves x a hair below 45).
    EXPECT_EQ(t.Count("bmp 229 44,0 65535"), c.detectorIcons);
    EXPECT_EQ(t.Count("bmp 231 44,0 65535"), c.cameraIcons);
    EXPECT_EQ(cam->m_ptIcon, (WorldPoint{-1, -1}));  // drawing moves no camera
  }
  // No camera watches the link: the icon is drawn all the same.
  auto lone = MakeLine({{0, 0}, {100, 0}}, 5, 6);
  lone->m_bHasCCTV = true;
  ViewDrawOptions v;
  v.bShowCCTV = true;
  RecordingTarget t;
  lone->Draw(v, t);
  EXPECT_EQ(t.Count("bmp 231"), 1);

  // The cameras' places, set once the load has read them: the first camera
  // watching a marked link stands where the link draws its icon.
  g_LineArray.RemoveAll();
  auto unmarked = MakeLine({{0, 50}, {100, 50}}, 9, 2);
  g_LineArray.Add(unmarked.release());
  auto marked = MakeLine({{0, 0}, {100, 0}});
  marked->m_bHasCCTV = true;
  g_LineArray.Add(marked.release());
  auto second = new CDrawCCTV;  // a second camera on the same link
  second->m_nLinkFromNode = 1;
  second->m_nLinkToNode = 2;
  g_CCTVArray.Add(second);
  cam->m_ptIcon = {-1, -1};
  cam->m_bIconPlaced = false;  // as read from CCTV.dat
  second->m_bIconPlaced = false;
  PlaceCameraIcons();
  EXPECT_TRUE(cam->m_bIconPlaced);
  EXPECT_FALSE(second->m_bIconPlaced);  // no place: skipped by the drawing
  {
    ViewDrawOptions shown;
    shown.bShowCCTV = true;
    RecordingTarget t;
    second->Draw(shown, t);
    EXPECT_EQ(t.Count("bmp"), 0);
    cam->Draw(shown, t);
    EXPECT_EQ(t.Count("bmp 232"), 1);
  }
  EXPECT_NEAR(cam->m_ptIcon.x, 45.0, 1e-3);
  EXPECT_NEAR(cam->m_ptIcon.y, 0.3, 1e-3);
  EXPECT_EQ(second->m_ptIcon, (WorldPoint{0, 0}));
  EXPECT_EQ(other->m_ptIcon, (WorldPoint{0, 0}));  // its link has no camera mark
  g_LineArray.RemoveAll();
  g_CCTVArray.RemoveAll();
}

TEST(NetworkObjects, ArrowHeads)
{
  WorldPoint l, r;
  ArrowHeadPoints({0, 0}, {100, 0}, 2.0, l, r);
  EXPECT_NEAR(l.x, 100 - 2 * std::cos(3.14159 / 8), 1e-9);
  EXPECT_NEAR(l.y, -2 * std::sin(3.14159 / 8), 1e-9);
  EXPECT_NEAR(r.y, 2 * std::sin(3.14159 / 8), 1e-9);
  // Arrow size: the smaller of 2 x offset and a tenth of the segment.
  auto shortLink = MakeLine({{0, 0}, {10, 0}});
  RecordingTarget t;
  t.scale = 100.0;
  shortLink->Draw(ViewDrawOptions{}, t);
  int x = static_cast<int>((10 - 1.0 * std::cos(3.14159 / 8)) * 100.0);
  EXPECT_EQ(t.ops[2].substr(0, 15), "line 1000,0 " + std::to_string(x).substr(0, 3));
}

TEST(NetworkObjects, PathSegmentKinds)
{
  auto l = MakeLine({{0, 0}, {100, 0}, {200, 0}});
  struct Case
  {
    int kind;
    std::vector<std::string> pens;
    std::vector<std::string> bitmaps;
  } cases[] = {
      {0, {RecordingTarget::Pen(DrawPen::PathDotted)}, {"bmp 193 100,0 65535", "bmp 193 100,0 65535"}},
      {1,
       {RecordingTarget::Pen(DrawPen::PathDashed), RecordingTarget::Pen(DrawPen::PathGreen)},
       {"bmp 195 49,0 65535", "bmp 195 149,0 65535"}},  // shifted midpoints, truncated
      {2, {RecordingTarget::Pen(DrawPen::PathYellowGreen)}, {}},
      {3, {}, {}},
      {5, {}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.kind);
    RecordingTarget t;
    l->DrawPathSegment(ViewDrawOptions{}, t, c.kind, true, true);
    std::vector<std::string> pens, bitmaps;
    for (const auto& op : t.ops) {
      if (op.rfind("pen ", 0) == 0)
        pens.push_back(op);
      if (op.rfind("bmp ", 0) == 0)
        bitmaps.push_back(op);
    }
    EXPECT_EQ(pens, c.pens);
    EXPECT_EQ(bitmaps, c.bitmaps);
    EXPECT_EQ(t.Count("line "), 6);
  }
  EXPECT_EQ(PathSegmentShift(0), 0.3);
  EXPECT_EQ(PathSegmentShift(1), 0.6);
  EXPECT_EQ(PathSegmentShift(2), 0.0);
  EXPECT_EQ(PathSegmentShift(3), 0.3);
  WorldPoint p1{0, 0}, p2{100, 0};
  ShiftSegment(p1, p2, 0.6);
  EXPECT_NEAR(p1.y, 0.6, 1e-6);
  EXPECT_NEAR(p2.x, 100.0, 1e-5);
  WorldPoint q1{0, 0}, q2{0, 100};  // pointing up: moved to -x
  ShiftSegment(q1, q2, 1.0);
  EXPECT_NEAR(q1.x, -1.0, 1e-6);
}

TEST(NetworkObjects, NodeCircleAndHitTest)
{
  struct Case
  {
    double ratio, scale, radius;
  } cases[] = {{0.001, 1.0, 1.0}, {0.05, 1.0, 1.5}, {1.0, 1.0, 3.0}, {0.05, 4.0, 3.0}, {0.0, 1.0, 1.0}};
  for (const auto& c : cases)
    EXPECT_DOUBLE_EQ(NodeCircleRadius(c.ratio, c.scale), c.radius);
  EXPECT_EQ(NodeCircleBox({10.5, 20.5}, 1.5), (ScreenRect{9, 19, 12, 22}));
  EXPECT_EQ(NodeCircleBox({5.5, 5.5}, 0.2), (ScreenRect{5, 5, 6, 6}));  // equal values raised by 1

  CDrawNode n;
  n.m_ptPos = {100, 100};
  double saved = g_LinkShapeRatio;
  g_LinkShapeRatio = 0.0;
  EXPECT_TRUE(n.HitTest(1.0, {102, 100}));  // at least 2.5
  EXPECT_FALSE(n.HitTest(1.0, {102.5, 100}));
  g_LinkShapeRatio = 1.0;
  EXPECT_TRUE(n.HitTest(2.0, {159, 100}));  // 60, no upper limit
  EXPECT_FALSE(n.HitTest(2.0, {160, 100}));
  g_LinkShapeRatio = saved;
}

// A coordinate far outside the int range (an odd value in linkxy.dat, a
// deep zoom) becomes a defined screen coordinate at the limit, not whatever
// an out-of-range conversion gives.
TEST(NetworkObjects, FarScreenCoordinatesStayDefined)
{
  struct Case
  {
    double v;
    int screen;
  } cases[] = {{12.9, 12},
               {-12.9, -12},
               {1e300, kScreenCoordLimit},
               {-1e300, -kScreenCoordLimit},
               {3e9, kScreenCoordLimit},
               {-3e9, -kScreenCoordLimit},
               {std::nan(""), 0}};
  for (const auto& c : cases)
    EXPECT_EQ(TruncScreen(c.v), c.screen) << c.v;

  RecordingTarget t;
  t.scale = 1e200;
  auto l = MakeLine({{0, 0}, {1, 1}});
  l->Draw(ViewDrawOptions{}, t);
  EXPECT_EQ(t.ops[1].rfind(
                "line 0,0 " + std::to_string(kScreenCoordLimit) + "," + std::to_string(kScreenCoordLimit), 0),
            0u)
      << t.ops[1];
  CDrawNode n;
  n.m_ptPos = {-1, 2};
  RecordingTarget t2;
  t2.scale = 1e200;
  n.Draw(ViewDrawOptions{}, t2);
  EXPECT_EQ(t2.ops.back(),
            "ellipse " + std::to_string(-kScreenCoordLimit) + "," + std::to_string(kScreenCoordLimit) + "," +
                std::to_string(-kScreenCoordLimit + 1) + "," + std::to_string(kScreenCoordLimit + 1));
}

TEST(NetworkObjects, NodeDrawingTable)
{
  struct Case
  {
    const char* name;
    int mark, highlight, control, source;
    bool signals, vehicles, ue, origin, destination;
    std::vector<std::string> ops;
  } cases[] = {
      {"plain",
       0,
       0,
       1,
       0,
       false,
       false,
       false,
       false,
       false,
       {RecordingTarget::Brush(DrawBrush::Node), RecordingTarget::Pen(DrawPen::Grey), "ellipse 9,9,11,11"}},
      {"vehicle layer",
       0,
       0,
       1,
       1,
       false,
       true,
       false,
       false,
       false,
       {RecordingTarget::Brush(DrawBrush::NodeGrey), RecordingTarget::Pen(DrawPen::Grey),
        "ellipse 9,9,11,11"}},
      {"signal shown",
       0,
       0,
       4,
       0,
       true,
       false,
       false,
       false,
       false,
       {RecordingTarget::Brush(DrawBrush::Node), RecordingTarget::Pen(DrawPen::Grey),
        "bmp 177 10,10 16777215"}},
      {"signal type 4, option off",
       0,
       0,
       4,
       0,
       false,
       false,
       false,
       false,
       false,
       {RecordingTarget::Brush(DrawBrush::Node), RecordingTarget::Pen(DrawPen::Grey), "ellipse 9,9,11,11"}},
      {"signal option off",
       0,
       0,
       5,
       0,
       false,
       false,
       false,
       false,
       false,
       {RecordingTarget::Brush(DrawBrush::Node), RecordingTarget::Pen(DrawPen::Grey), "ellipse 9,9,11,11"}},
      {"selected",
       1,
       0,
       1,
       0,
       false,
       false,
       false,
       false,
       false,
       {RecordingTarget::Pen(DrawPen::NodeSelected), RecordingTarget::Brush(DrawBrush::NodeSelected),
        RecordingTarget::Pen(DrawPen::Grey), "ellipse 9,9,11,11", "ellipse 9,9,11,11"}},
      {"highlighted",
       0,
       1,
       1,
       0,
       false,
       false,
       false,
       false,
       false,
       {RecordingTarget::Brush(DrawBrush::Node), RecordingTarget::Pen(DrawPen::NodeHighlight),
        "rect 6,6,14,14"}},
      {"origin and destination in the estimation view",
       0,
       0,
       1,
       0,
       false,
       false,
       true,
       true,
       true,
       {RecordingTarget::Brush(DrawBrush::Node), RecordingTarget::Pen(DrawPen::Grey), "ellipse 9,9,11,11",
        "bmp 200 10,10 16777215", "bmp 199 10,10 16777215"}},
      {"no marks in a prediction view",
       0,
       0,
       1,
       1,
       false,
       false,
       true,
       true,
       true,
       {RecordingTarget::Brush(DrawBrush::Node), RecordingTarget::Pen(DrawPen::Grey), "ellipse 9,9,11,11"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CDrawNode n;
    n.m_ptPos = {10, 10};
    n.m_nSelectMark = c.mark;
    n.m_nHighlight = c.highlight;
    n.m_nControlType = c.control;
    n.m_bOrigin = c.origin;
    n.m_bDestination = c.destination;
    ViewDrawOptions v;
    v.nSource = c.source;
    v.bShowSignals = c.signals;
    v.bShowVehicles = c.vehicles;
    v.bShowUEPaths = c.ue;
    v.dLinkShapeRatio = 0.0;
    RecordingTarget t;
    n.Draw(v, t);
    EXPECT_EQ(t.ops, c.ops);
  }
  // The circle's size comes from the options' shape ratio: 30 x 1.0, kept at 3.
  CDrawNode n;
  n.m_ptPos = {10, 10};
  ViewDrawOptions v;
  v.dLinkShapeRatio = 1.0;
  RecordingTarget t;
  n.Draw(v, t);
  EXPECT_EQ(t.ops.back(), "ellipse 7,7,13,13");
}

TEST(NetworkObjects, PropertyRowsAndNames)
{
  CDrawNode n;
  n.m_nNodeNumber = 1234;
  n.m_nZone = 7;
  n.m_nControlType = 9;
  auto rows = n.FillPropertyList();
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0], (PropertyRow{"Node ID", "1234"}));
  EXPECT_EQ(rows[1], (PropertyRow{"Control Type", "No Control"}));
  EXPECT_EQ(rows[2], (PropertyRow{"Zone No.", "7"}));
  const char* control[] = {"No Control",      "No Control",      "Yield Sign",        "Stop Sign",
                           "Pre-time Signal", "Actuated Signal", "Two-way Stop Sign", "No Control"};
  for (int i = 0; i < 8; ++i)
    EXPECT_STREQ(ControlTypeName(i), control[i]);
  const char* types[] = {"None Type",    "Freeway",  "Freeway with detector",
                         "On Ramp",      "Off Ramp", "Arterial",
                         "HOV/HOT Lane", "Highway",  "None Type"};
  for (int i = 0; i < 9; ++i)
    EXPECT_STREQ(LinkTypeName(i), types[i]);
}

TEST(NetworkObjects, ZoneCentroidLabelAndHitTest)
{
  g_ZoneArray.RemoveAll();
  g_ZoneArray.Add(new CODZone);
  auto* z = new CODZone;
  EXPECT_EQ(z->m_nIndex, 1);
  g_ZoneArray.Add(z);
  for (IntPoint p : {IntPoint{0, 0}, IntPoint{10, 0}, IntPoint{10, 11}, IntPoint{0, 11}})
    ASSERT_TRUE(z->AddPoint(p));
  RecordingTarget t;
  z->Draw(ViewDrawOptions{}, t);
  EXPECT_EQ(t.ops, (std::vector<std::string>{"text 16777215", RecordingTarget::Pen(DrawPen::Zone),
                                             RecordingTarget::Brush(DrawBrush::Hollow),
                                             "polygon 0,0 10,0 10,11 0,11", "label 1 -15,-15,25,25"}));
  EXPECT_EQ(z->m_ptCentroid, (IntPoint{5, 5}));  // integer mean
  z->m_Points[2] = {100, 100};
  RecordingTarget t2;
  z->Draw(ViewDrawOptions{}, t2);
  EXPECT_EQ(z->m_ptCentroid, (IntPoint{5, 5}));  // drawing leaves it as it is
  EXPECT_EQ(t2.ops.back(), "label 1 -15,-15,25,25");

  struct Case
  {
    WorldPoint q;
    bool inside;
  } cases[] = {{{5, 5}, true}, {{11, 5}, false}, {{-1, 5}, false}, {{5, 12}, false}};
  CODZone square;
  for (IntPoint p : {IntPoint{0, 0}, IntPoint{10, 0}, IntPoint{10, 11}, IntPoint{0, 11}})
    square.AddPoint(p);
  for (const auto& c : cases)
    EXPECT_EQ(square.HitTest(c.q), c.inside) << c.q.x << "," << c.q.y;
  // Alternate filling: the overlap of a doubled outline is outside.
  CODZone bow;
  for (IntPoint p : {IntPoint{0, 0}, IntPoint{10, 10}, IntPoint{10, 0}, IntPoint{0, 10}})
    bow.AddPoint(p);
  EXPECT_TRUE(bow.HitTest({2, 5}));
  EXPECT_FALSE(bow.HitTest({5, 2}));

  CODZone full;
  for (int i = 0; i < kZoneMaxPoints; ++i)
    ASSERT_TRUE(full.AddPoint({i, i}));
  EXPECT_FALSE(full.AddPoint({0, 0}));
  EXPECT_EQ(full.m_nPoints, kZoneMaxPoints);
  CODZone none;
  RecordingTarget t3;
  none.Draw(ViewDrawOptions{}, t3);  // no vertices: no centroid, nothing drawn
  EXPECT_TRUE(t3.ops.empty());
  EXPECT_FALSE(none.HitTest({0, 0}));
  g_ZoneArray.RemoveAll();
}

TEST(NetworkObjects, CameraDrawing)
{
  struct Case
  {
    int shown;
    bool option, printing;
    std::vector<std::string> ops;
  } cases[] = {
      {1, true, false, {RecordingTarget::Pen(DrawPen::Grey), "bmp 232 4,6 16777215"}},
      {1, false, false, {RecordingTarget::Pen(DrawPen::Grey)}},
      {1,
       true,
       true,
       {RecordingTarget::Pen(DrawPen::Grey), RecordingTarget::Pen(DrawPen::Print), "bmp 232 4,6 16777215"}},
      {0, true, false, {}},
  };
  for (const auto& c : cases) {
    CDrawCCTV cam;
    cam.m_nShown = c.shown;
    cam.m_ptIcon = {4.7, 6.2};
    ViewDrawOptions v;
    v.bShowCCTV = c.option;
    RecordingTarget t;
    t.printing = c.printing;
    cam.Draw(v, t);
    EXPECT_EQ(t.ops, c.ops);
  }
}

TEST(NetworkObjects, LinkIndexFollowsConstructionOrder)
{
  g_LineArray.RemoveAll();
  for (int i = 0; i < 3; ++i) {
    auto* l = new CDrawLine;
    EXPECT_EQ(l->m_nIndex, i);
    g_LineArray.Add(l);
  }
  EXPECT_EQ(g_LineArray.GetAt(3), nullptr);
  EXPECT_EQ(g_LineArray.GetAt(-1), nullptr);
  EXPECT_FALSE(g_LineArray.RemoveAt(3));
  EXPECT_TRUE(g_LineArray.RemoveAt(0));
  EXPECT_EQ(g_LineArray[0]->m_nIndex, 1);
  g_LineArray.RemoveAll();
  EXPECT_TRUE(g_LineArray.IsEmpty());
}

// ---- per-link series ------------------------------------------------------

TEST(LinkSeriesStore, ValuesReadBackAndResetKeepsFlow)
{
  CDrawLine l;
  struct Write
  {
    int measure, source, minute;
    double value;
  } writes[] = {{kMeasureDensity, 0, 0, 12.5}, {kMeasureSpeed, 1, 4999, 61.0},  {kMeasureQueue, 2, 127, 40.0},
                {kMeasureQueue, 2, 128, 41.0}, {kMeasureFlow, 3, 1439, 1800.0}, {kMeasureFlow, 0, 10, -3.0}};
  for (const auto& w : writes)
    ASSERT_TRUE(l.SetSeries(w.measure, w.source, w.minute, w.value));
  // The rows keep floats (the queue as a fraction, read in percent).
  for (const auto& w : writes)
    EXPECT_FLOAT_EQ(l.Series(w.measure, w.source, w.minute), w.value);
  // Outside the series: refused, reads 0.
  for (auto bad :
       {Write{4, 0, 0, 1}, Write{-1, 0, 0, 1}, Write{0, 4, 0, 1}, Write{0, 0, 5000, 1}, Write{0, 0, -1, 1}}) {
    EXPECT_FALSE(l.SetSeries(bad.measure, bad.source, bad.minute, bad.value));
    EXPECT_EQ(l.Series(bad.measure, bad.source, bad.minute), 0.0);
  }

  std::size_t before = l.m_dSeries.AllocatedBytes();
  ResetAllLinkSeries();
  EXPECT_EQ(l.m_dSeries.AllocatedBytes(), before);  // the reset allocates nothing
  for (int s = 0; s < kSeriesSources; ++s)
    for (int m : {0, 127, 128, 2500, 4999}) {
      EXPECT_EQ(l.Series(kMeasureDensity, s, m), 0.0);
      EXPECT_EQ(l.Series(kMeasureSpeed, s, m), 75.0);
      EXPECT_EQ(l.Series(kMeasureQueue, s, m), 0.0);
    }
  EXPECT_EQ(l.Series(kMeasureFlow, 3, 1439), 1800.0);  // flow unchanged
  EXPECT_EQ(l.Series(kMeasureFlow, 0, 10), -3.0);
  // A link made after the reset reads the reset values too.
  CDrawLine later;
  EXPECT_EQ(later.Series(kMeasureSpeed, 2, 300), 75.0);
  // Writing after the reset: the written minute changes, its neighbours keep
  // the reset value.
  ASSERT_TRUE(l.SetSeries(kMeasureSpeed, 1, 4998, 20.0));
  EXPECT_EQ(l.Series(kMeasureSpeed, 1, 4998), 20.0);
  EXPECT_EQ(l.Series(kMeasureSpeed, 1, 4999), 75.0);
  EXPECT_EQ(l.Series(kMeasureSpeed, 1, 4990), 75.0);
  EXPECT_EQ(LinkSeriesBaseValue(kMeasureSpeed), 75.0);
  EXPECT_EQ(LinkSeriesBaseValue(kMeasureFlow), 0.0);
}

TEST(LinkSeriesStore, RunsAndMinutesWrittenInOneGo)
{
  CDrawLine l;
  // A run across a page boundary, and one that reaches past the series:
  // the minutes outside are skipped.
  const double run[] = {1, 2, 3, 4};
  EXPECT_EQ(l.m_dSeries.SetRange(kMeasureSpeed, kSourcePredict0, 126, run, 4), 4);
  for (int k = 0; k < 4; ++k)
    EXPECT_EQ(l.Series(kMeasureSpeed, kSourcePredict0, 126 + k), run[k]);
  EXPECT_EQ(l.m_dSeries.SetRange(kMeasureQueue, kSourcePredict1, 4998, run, 4), 2);
  EXPECT_FLOAT_EQ(l.Series(kMeasureQueue, kSourcePredict1, 4999), 2.0);
  EXPECT_EQ(l.m_dSeries.SetRange(kMeasureFlow, kSourceEstimate, -2, run, 3), 1);
  EXPECT_EQ(l.Series(kMeasureFlow, kSourceEstimate, 0), 3.0);
  EXPECT_EQ(l.m_dSeries.SetRange(kMeasureFlow, kSourceEstimate, 2147483647, run, 4), 0);
  EXPECT_EQ(l.m_dSeries.SetRange(kSeriesMeasures, kSourceEstimate, 0, run, 4), 0);
  EXPECT_EQ(l.m_dSeries.SetRange(kMeasureFlow, kSeriesSources, 0, run, 4), 0);
  EXPECT_EQ(l.m_dSeries.SetRange(kMeasureFlow, kSourceEstimate, 0, nullptr, 4), 0);

  const double four[kSeriesMeasures] = {10, 20, 30, 40};
  EXPECT_TRUE(l.m_dSeries.SetMeasures(kSourceObserved, 777, four));
  for (int measure = 0; measure < kSeriesMeasures; ++measure)
    EXPECT_FLOAT_EQ(l.Series(measure, kSourceObserved, 777), four[measure]);
  EXPECT_FALSE(l.m_dSeries.SetMeasures(kSourceObserved, 5000, four));
  EXPECT_FALSE(l.m_dSeries.SetMeasures(-1, 0, four));
  // After a reset, a run writes its minutes and the rest of the page reads
  // the reset values.
  ResetAllLinkSeries();
  EXPECT_EQ(l.m_dSeries.SetRange(kMeasureSpeed, kSourcePredict0, 130, run, 1), 1);
  EXPECT_EQ(l.Series(kMeasureSpeed, kSourcePredict0, 130), 1.0);
  EXPECT_EQ(l.Series(kMeasureSpeed, kSourcePredict0, 129), 75.0);
}

// A record's values come back exactly as it carried them: floats, the
// queue fraction in percent as the fraction times 100. The observation
// source's density row keeps the doubles of the observation file.
TEST(LinkSeriesStore, ValuesKeepTheWidthTheyArriveWith)
{
  CDrawLine l;
  const float density[] = {12.3456789f, 0.1f}, speed[] = {61.0000038f, 1e-7f};
  const float queue[] = {0.123456789f, 1.0f}, flow[] = {1799.99988f, 3.4e38f};
  const float* const values[kSeriesMeasures] = {density, speed, queue, flow};
  l.m_dSeries.SetRecordRun(kSourcePredict0, 4997, values, 1, 2, true);
  for (int t = 0; t < 3; ++t) {
    const int k = t < 2 ? t : 1;  // the last step again at 4999
    EXPECT_EQ(l.Series(kMeasureDensity, kSourcePredict0, 4997 + t), static_cast<double>(density[k])) << t;
    EXPECT_EQ(l.Series(kMeasureSpeed, kSourcePredict0, 4997 + t), static_cast<double>(speed[k])) << t;
    EXPECT_EQ(l.Series(kMeasureQueue, kSourcePredict0, 4997 + t), queue[k] * 100.0) << t;
    EXPECT_EQ(l.Series(kMeasureFlow, kSourcePredict0, 4997 + t), static_cast<double>(flow[k])) << t;
  }
  // A strided run writes only the measures given.
  const float steps[] = {1, 99, 2, 99, 3, 99};
  const float* const speedOnly[kSeriesMeasures] = {nullptr, steps, nullptr, nullptr};
  l.m_dSeries.SetRecordRun(kSourceEstimate, 10, speedOnly, 2, 3, false);
  EXPECT_EQ(l.Series(kMeasureSpeed, kSourceEstimate, 12), 3.0);
  EXPECT_EQ(l.Series(kMeasureSpeed, kSourceEstimate, 13), LinkSeriesBaseValue(kMeasureSpeed));

  // More digits than a float holds: kept whole in the observed density row
  // only.
  const double observed = 1234567.891;
  ASSERT_TRUE(l.SetSeries(kMeasureDensity, kSourceObserved, 5, observed));
  EXPECT_EQ(l.Series(kMeasureDensity, kSourceObserved, 5), observed);
  ASSERT_TRUE(l.SetSeries(kMeasureDensity, kSourceEstimate, 5, observed));
  EXPECT_EQ(l.Series(kMeasureDensity, kSourceEstimate, 5), static_cast<double>(static_cast<float>(observed)));
  EXPECT_TRUE(LinkSeries::RowHoldsDoubles(kMeasureDensity, kSourceObserved));
  EXPECT_FALSE(LinkSeries::RowHoldsDoubles(kMeasureSpeed, kSourceObserved));
  EXPECT_FALSE(LinkSeries::RowHoldsDoubles(kMeasureDensity, kSourcePredict1));
}

TEST(LinkSeriesStore, MemoryGrowsWithMinutesWritten)
{
  CDrawLine l;
  EXPECT_EQ(l.m_dSeries.AllocatedBytes(), 0u);
  for (int m = 0; m < 5000; ++m)
    (void)l.Series(kMeasureDensity, 0, m);  // reads allocate nothing
  EXPECT_EQ(l.m_dSeries.AllocatedBytes(), 0u);
  for (int measure = 0; measure < kSeriesMeasures; ++measure)
    for (int m = 0; m < 120; ++m)
      l.SetSeries(measure, kSourceEstimate, m, m + measure);
  std::size_t two = l.m_dSeries.AllocatedBytes();
  EXPECT_GT(two, 0u);
  // Four rows of one page of floats each, not 4 x 5000 doubles.
  EXPECT_LE(two, 4u * (sizeof(void*) * LinkSeries::kPages + 8 + LinkSeries::kPageMinutes * sizeof(float)));
  for (int m = 0; m < 120; ++m)
    EXPECT_EQ(l.Series(kMeasureFlow, kSourceEstimate, m), m + 3.0);
  std::size_t global = LinkSeriesAllocatedBytes();
  {
    CDrawLine temp;
    temp.SetSeries(0, 0, 0, 1.0);
    EXPECT_GT(LinkSeriesAllocatedBytes(), global);
  }
  EXPECT_EQ(LinkSeriesAllocatedBytes(), global);  // freed with the link
}

TEST(LinkSeriesStore, ConcurrentWritersAndReader)
{
  CDrawLine l;
  std::atomic<bool> stop{false};
  std::thread reader([&] {
    double sum = 0;
    while (!stop.load())
      for (int m = 0; m < 5000; m += 7)
        sum += l.Series(kMeasureDensity, kSourceObserved, m);
    (void)sum;
  });
  auto writer = [&l](int first) {
    for (int m = first; m < 5000; m += 2)
      l.SetSeries(kMeasureDensity, kSourceObserved, m, m * 0.5);
  };
  std::thread a(writer, 0), b(writer, 1);
  a.join();
  b.join();
  stop = true;
  reader.join();
  for (int m = 0; m < 5000; ++m)
    ASSERT_EQ(l.Series(kMeasureDensity, kSourceObserved, m), m * 0.5) << m;
}

}  // namespace
