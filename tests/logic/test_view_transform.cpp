// The network view's transform, its logical mapping, its history and its
// line scrolling.
#include <gtest/gtest.h>

#include <cmath>

#include "ViewTransform.h"

namespace {

struct RoundTrip
{
  const char* name;
  ViewState state;
  WorldPoint world;
  ScreenPointD screen;  // expected
};

TEST(ViewTransform, WorldToScreenAndBack)
{
  const RoundTrip cases[] = {
      {"start state", ViewState{}, {100, 50}, {100, 80}},
      {"zoomed about the centre", {0, 30, 2, 2, 411, 290}, {100, 50}, {-211, -130}},
      {"offset and anisotropic", {-50, 10, 0.5, 4, 0, 0}, {300, 20}, {125, 120}},
      {"far off the view", {0, 0, 1000, 1000, 0, 0}, {1e5, -1e5}, {1e8, -1e8}},
  };
  for (const RoundTrip& c : cases) {
    SCOPED_TRACE(c.name);
    ViewTransform t;
    t.SetState(c.state);
    const ScreenPointD s = t.WorldToScreenD(c.world);
    EXPECT_DOUBLE_EQ(s.x, c.screen.x);
    EXPECT_DOUBLE_EQ(s.y, c.screen.y);
    const WorldPoint back = t.ScreenToWorldD(s);
    EXPECT_NEAR(back.x, c.world.x, 1e-6 * (1 + std::fabs(c.world.x)));
    EXPECT_NEAR(back.y, c.world.y, 1e-6 * (1 + std::fabs(c.world.y)));
    EXPECT_DOUBLE_EQ(t.WorldToScreenX(c.world.x), c.screen.x);
    EXPECT_DOUBLE_EQ(t.WorldToScreenY(c.world.y), c.screen.y);
  }
}

TEST(ViewTransform, IntegerFormsTruncateTowardZeroAndStayDefined)
{
  ViewTransform t;
  t.SetState({0, 0, 0.5, 0.5, 0, 0});
  EXPECT_EQ(t.WorldToScreen({-3, 3}), (ScreenPoint{-1, 1}));  // -1.5 -> -1, 1.5 -> 1
  EXPECT_EQ(t.ScreenToWorld({-3, 3}), (IntPoint{-6, 6}));
  t.SetState({0, 0, 1e6, 1e6, 0, 0});
  EXPECT_EQ(t.WorldToScreen({1000000, -1000000}), (ScreenPoint{kScreenCoordLimit, -kScreenCoordLimit}));
}

TEST(ViewTransform, RotationAppliesOnlyWhenTheAngleIsNotZero)
{
  ViewTransform t;
  t.SetState({0, 0, 1, 1, 0, 0});
  t.m_dAngle = std::acos(-1.0) / 2;  // a quarter turn
  const ScreenPointD s = t.WorldToScreenD({10, 0});
  EXPECT_NEAR(s.x, 0, 1e-9);
  EXPECT_NEAR(s.y, 10, 1e-9);
  const WorldPoint back = t.ScreenToWorldD(s);
  EXPECT_NEAR(back.x, 10, 1e-9);
  EXPECT_NEAR(back.y, 0, 1e-9);
}

TEST(ViewTransform, ResetKeepsTheCentreAndZoomStepsStayWithinBounds)
{
  ViewTransform t;
  t.SetState({7, 8, 3, 4, 100, 200});
  t.m_dAngle = 1;
  t.Reset();
  EXPECT_EQ(t.State(), (ViewState{0, 30, 1, 1, 100, 200}));
  EXPECT_EQ(t.m_dAngle, 0.0);

  t.ZoomStep(50, 60, 1.2);
  EXPECT_EQ(t.State(), (ViewState{0, 30, 1.2, 1.2, 50, 60}));
  for (int i = 0; i < 10000; ++i)
    t.ZoomStep(50, 60, 1 / 1.2);
  EXPECT_GT(t.State().scaleX, 0.0);
  const WorldPoint w = t.ScreenToWorldD({10, 10});
  EXPECT_TRUE(std::isfinite(w.x) && std::isfinite(w.y));
}

TEST(LogicalMapping, HundredthsOfAnInchToPixelsAndBack)
{
  const LogicalMapping m{96, 192};
  EXPECT_DOUBLE_EQ(m.LogicalToDeviceX(100), 96);
  EXPECT_DOUBLE_EQ(m.LogicalToDeviceY(100), 192);
  EXPECT_EQ(m.DeviceToLogical(ScreenPoint{96, 192}), (ScreenPoint{100, 100}));
  EXPECT_EQ(m.LogicalToDevice(ScreenPoint{-100, 50}), (ScreenPoint{-96, 96}));
  EXPECT_EQ(m.LogicalToDevice(ScreenRect{100, 100, 0, 0}), (ScreenRect{0, 0, 96, 192}));
}

TEST(ViewHistory, HoldsTheStartStateAndWrapsAtAThousand)
{
  const ViewState start{1, 2, 3, 4, 5, 6};
  ViewHistory h(start);
  EXPECT_FALSE(h.Pop());  // at index 0 nothing happens
  EXPECT_EQ(h.Index(), 0);

  h.Push({10, 0, 1, 1, 0, 0});
  std::optional<ViewState> first = h.Pop();
  ASSERT_TRUE(first);
  EXPECT_EQ(*first, start);  // a pop after one push restores the start, never an unset state

  for (int i = 1; i <= 1000; ++i)
    h.Push({static_cast<double>(i), 0, 1, 1, 0, 0});
  EXPECT_EQ(h.Index(), 0);
  EXPECT_EQ(h.At(0).offsetX, 1000);  // the start state was overwritten
  EXPECT_FALSE(h.Pop());
  h.Push({1001, 0, 1, 1, 0, 0});
  EXPECT_EQ(h.Index(), 1);
  auto back = h.Pop();
  ASSERT_TRUE(back);
  EXPECT_EQ(back->offsetX, 1000);

  h.Reset(start);
  EXPECT_EQ(h.Index(), 0);
  EXPECT_EQ(h.At(0), start);
}

struct ScrollCase
{
  const char* name;
  ScrollLine line;
  double scale;
  double dx, dy;  // offset change
  int dh, dv;     // counters
};

TEST(ScrollByLine, FortyUnitsAndTwoPerLine)
{
  const ScrollCase cases[] = {
      {"right at scale 1", ScrollLine::Right, 1, -42, 0, 1, 0},
      {"left at scale 1", ScrollLine::Left, 1, 42, 0, -1, 0},
      {"down at scale 1", ScrollLine::Down, 1, 0, -42, 0, 1},
      {"up at scale 1", ScrollLine::Up, 1, 0, 42, 0, -1},
      {"right at scale 2", ScrollLine::Right, 2, -22, 0, 1, 0},
      {"right at scale 3", ScrollLine::Right, 3, -15, 0, 1, 0},  // trunc(13.33 + 2)
  };
  for (const ScrollCase& c : cases) {
    SCOPED_TRACE(c.name);
    ViewTransform t;
    t.SetState({0, 0, c.scale, c.scale, 0, 0});
    int h = 0, v = 0;
    ScrollByLine(t, c.line, h, v);
    EXPECT_DOUBLE_EQ(t.State().offsetX, c.dx);
    EXPECT_DOUBLE_EQ(t.State().offsetY, c.dy);
    EXPECT_EQ(h, c.dh);
    EXPECT_EQ(v, c.dv);
  }
  ViewTransform zero;
  zero.SetState({5, 6, 0, 0, 0, 0});
  int h = 0, v = 0;
  ScrollByLine(zero, ScrollLine::Right, h, v);
  EXPECT_EQ(zero.State().offsetX, 5);  // a scale of 0 moves nothing
}

}  // namespace
