// The network view's world/screen transform, its mapping of logical units
// (1/100 inch) to device pixels, its history of earlier states and the line
// scrolling of its scroll bars. Plain C++: the view widget keeps one of each
// and the drawing target converts through them.
//
//   ViewTransform t;                        // offset (0, 30), scale 1, centre (411, 290)
//   ScreenPointD s = t.WorldToScreenD({100, 50});
//   LogicalMapping m{96, 96};               // device pixels per inch
//   double px = m.LogicalToDeviceX(s.x);    // 0.96 px per logical unit
//   ViewHistory h(t.State());               // state 0 stored at construction
//   t.ZoomAbout(...); h.Push(t.State());
//   if (auto prev = h.Pop()) t.SetState(*prev);
#pragma once

#include <array>
#include <optional>

#include "DrawTypes.h"

// Height of a view's title band, in logical units.
constexpr int kTitleHeight = 25;

// What the view history keeps of a transform: offsets, scales and centre
// (not the angle).
struct ViewState
{
  double offsetX = 0.0;
  double offsetY = kTitleHeight + 5.0;
  double scaleX = 1.0;
  double scaleY = 1.0;
  double centerX = 411.0;
  double centerY = 290.0;
  friend bool operator==(const ViewState&, const ViewState&) = default;
};

class ViewTransform
{
public:
  ViewState m_state;      // offsets, scales and centre
  double m_dAngle = 0.0;  // radians; nothing sets it, rotation applies only when it is not 0.0

  const ViewState& State() const { return m_state; }
  void SetState(const ViewState& s) { m_state = s; }

  // World to screen (logical units), and back; the integer forms truncate
  // toward zero (a point far off the view is held within the screen
  // coordinate limit, NaN gives 0).
  ScreenPointD WorldToScreenD(const WorldPoint& p) const;
  WorldPoint ScreenToWorldD(const ScreenPointD& p) const;
  ScreenPoint WorldToScreen(const IntPoint& p) const;
  IntPoint ScreenToWorld(const ScreenPoint& p) const;
  // One coordinate, without rotation.
  double WorldToScreenX(double x) const;
  double WorldToScreenY(double y) const;

  // Offsets (0, title height + 5), angle 0, scales 1; the centre stays.
  void Reset();
  // Step zoom about the window's middle: the centre becomes (cx, cy) and
  // both scales are multiplied by the factor.
  void ZoomStep(double cx, double cy, double factor);
  // Zoom to a box: both scales become the client width over the box width
  // and the offsets put the world point `corner` (the box's press point)
  // at the screen's top-left.
  void ZoomToBox(const IntPoint& corner, double boxWidth, double clientWidth);
};

// Logical units (1/100 inch) and device pixels of one device.
struct LogicalMapping
{
  double dpiX = 96.0;
  double dpiY = 96.0;

  double LogicalToDeviceX(double x) const { return x * dpiX / 100.0; }
  double LogicalToDeviceY(double y) const { return y * dpiY / 100.0; }
  double DeviceToLogicalX(double x) const { return x * 100.0 / dpiX; }
  double DeviceToLogicalY(double y) const { return y * 100.0 / dpiY; }
  // Integer forms, truncated toward zero (clamped like screen points).
  ScreenPoint DeviceToLogical(ScreenPoint p) const;
  ScreenPoint LogicalToDevice(ScreenPoint p) const;
  // Rectangles; the result is normalised (left <= right, top <= bottom).
  ScreenRect DeviceToLogical(const ScreenRect& r) const;
  ScreenRect LogicalToDevice(const ScreenRect& r) const;
};

// The 1000 earlier view states. Every entry holds the state the view
// started with (stored at construction and at every Reset) until a Push or
// a Store puts another there, so a Pop never hands back a state that was
// never stored.
class ViewHistory
{
public:
  static constexpr int kSize = 1000;

  explicit ViewHistory(const ViewState& initial = ViewState{});
  // Empties the history down to one stored state at index 0.
  void Reset(const ViewState& initial);
  // Advances the index (999 wraps to 0) and stores the state there.
  void Push(const ViewState& s);
  // Stores the state at the present index.
  void Store(const ViewState& s);
  // At index 1 or more: goes back one and returns the state stored there;
  // at index 0: nothing.
  std::optional<ViewState> Pop();
  int Index() const { return m_nIndex; }
  const ViewState& At(int i) const { return m_states[static_cast<std::size_t>(i)]; }

private:
  std::array<ViewState, kSize> m_states{};
  int m_nIndex = 0;
};

// The line requests of the scroll bars (the others do nothing).
enum class ScrollLine { Left, Right, Up, Down };

// One line of scrolling (40 screen units): moves the offsets and the scroll
// counter. At angle 0 and scale 1 a line right moves the network 42 units
// to the left. A scale of 0 leaves the offsets as they are.
void ScrollByLine(ViewTransform& t, ScrollLine line, int& hPos, int& vPos);
