#include "ViewTransform.h"

#include <algorithm>
#include <cmath>

namespace {

// Zoom factors stay within these, so that no transform divides by zero or
// overflows however often the operator zooms.
constexpr double kMinScale = 1e-6;
constexpr double kMaxScale = 1e6;

// An offset step truncated toward zero; NaN or a huge value moves nothing.
double TruncStep(double v)
{
  if (!std::isfinite(v) || std::fabs(v) > 1e12)
    return 0.0;
  return std::trunc(v);
}

}  // namespace

ScreenPointD ViewTransform::WorldToScreenD(const WorldPoint& p) const
{
  const ViewState& s = m_state;
  double u = (p.x + s.offsetX - s.centerX) * s.scaleX;
  double v = (p.y + s.offsetY - s.centerY) * s.scaleY;
  if (m_dAngle != 0.0) {
    const double c = std::cos(m_dAngle), n = std::sin(m_dAngle);
    const double ru = u * c - v * n;
    v = u * n + v * c;
    u = ru;
  }
  return {u + s.centerX, v + s.centerY};
}

WorldPoint ViewTransform::ScreenToWorldD(const ScreenPointD& p) const
{
  const ViewState& s = m_state;
  double u = p.x - s.centerX;
  double v = p.y - s.centerY;
  if (m_dAngle != 0.0) {
    const double c = std::cos(m_dAngle), n = std::sin(m_dAngle);
    const double ru = u * c + v * n;
    v = v * c - u * n;
    u = ru;
  }
  const double sx = s.scaleX != 0.0 ? s.scaleX : kMinScale;
  const double sy = s.scaleY != 0.0 ? s.scaleY : kMinScale;
  return {u / sx + s.centerX - s.offsetX, v / sy + s.centerY - s.offsetY};
}

ScreenPoint ViewTransform::WorldToScreen(const IntPoint& p) const
{
  ScreenPointD s = WorldToScreenD({static_cast<double>(p.x), static_cast<double>(p.y)});
  return {TruncScreen(s.x), TruncScreen(s.y)};
}

IntPoint ViewTransform::ScreenToWorld(const ScreenPoint& p) const
{
  WorldPoint w = ScreenToWorldD({static_cast<double>(p.x), static_cast<double>(p.y)});
  return {TruncScreen(w.x), TruncScreen(w.y)};
}

double ViewTransform::WorldToScreenX(double x) const
{
  return (x + m_state.offsetX - m_state.centerX) * m_state.scaleX + m_state.centerX;
}

double ViewTransform::WorldToScreenY(double y) const
{
  return (y + m_state.offsetY - m_state.centerY) * m_state.scaleY + m_state.centerY;
}

void ViewTransform::Reset()
{
  m_state.offsetX = 0.0;
  m_state.offsetY = kTitleHeight + 5.0;
  m_state.scaleX = 1.0;
  m_state.scaleY = 1.0;
  m_dAngle = 0.0;
}

void ViewTransform::ZoomStep(double cx, double cy, double factor)
{
  m_state.centerX = cx;
  m_state.centerY = cy;
  m_state.scaleX = std::clamp(m_state.scaleX * factor, kMinScale, kMaxScale);
  m_state.scaleY = std::clamp(m_state.scaleY * factor, kMinScale, kMaxScale);
}

void ViewTransform::ZoomToBox(const IntPoint& corner, double boxWidth, double clientWidth)
{
  if (!(boxWidth > 0.0))
    return;
  const double scale = std::clamp(clientWidth / boxWidth, kMinScale, kMaxScale);
  m_state.scaleX = scale;
  m_state.scaleY = scale;
  m_state.offsetX = (0.0 - m_state.centerX) / scale + m_state.centerX - corner.x;
  m_state.offsetY = (0.0 - m_state.centerY) / scale + m_state.centerY - corner.y;
}

ScreenPoint LogicalMapping::DeviceToLogical(ScreenPoint p) const
{
  return {TruncScreen(DeviceToLogicalX(p.x)), TruncScreen(DeviceToLogicalY(p.y))};
}

ScreenPoint LogicalMapping::LogicalToDevice(ScreenPoint p) const
{
  return {TruncScreen(LogicalToDeviceX(p.x)), TruncScreen(LogicalToDeviceY(p.y))};
}

namespace {
ScreenRect Normalised(ScreenPoint a, ScreenPoint b)
{
  return {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}
}  // namespace

ScreenRect LogicalMapping::DeviceToLogical(const ScreenRect& r) const
{
  return Normalised(DeviceToLogical(ScreenPoint{r.left, r.top}),
                    DeviceToLogical(ScreenPoint{r.right, r.bottom}));
}

ScreenRect LogicalMapping::LogicalToDevice(const ScreenRect& r) const
{
  return Normalised(LogicalToDevice(ScreenPoint{r.left, r.top}),
                    LogicalToDevice(ScreenPoint{r.right, r.bottom}));
}

ViewHistory::ViewHistory(const ViewState& initial)
{
  Reset(initial);
}

void ViewHistory::Reset(const ViewState& initial)
{
  m_nIndex = 0;
  m_states.fill(initial);
}

void ViewHistory::Push(const ViewState& s)
{
  m_nIndex = m_nIndex >= kSize - 1 ? 0 : m_nIndex + 1;
  m_states[static_cast<std::size_t>(m_nIndex)] = s;
}

void ViewHistory::Store(const ViewState& s)
{
  m_states[static_cast<std::size_t>(m_nIndex)] = s;
}

std::optional<ViewState> ViewHistory::Pop()
{
  if (m_nIndex < 1)
    return std::nullopt;
  --m_nIndex;
  return m_states[static_cast<std::size_t>(m_nIndex)];
}

void ScrollByLine(ViewTransform& t, ScrollLine line, int& hPos, int& vPos)
{
  constexpr double kStep = 40.0;
  ViewState& s = t.m_state;
  if (s.scaleX == 0.0 || s.scaleY == 0.0)
    return;
  const double c = std::cos(t.m_dAngle), n = std::sin(t.m_dAngle);
  const bool horizontal = line == ScrollLine::Left || line == ScrollLine::Right;
  // Left and up move the network the other way from right and down.
  const double sign = line == ScrollLine::Left || line == ScrollLine::Up ? 1.0 : -1.0;
  (horizontal ? hPos : vPos) -= static_cast<int>(sign);
  // The axis of the bar moves by the step and two units, the other by the
  // rotation's share of the step.
  double& along = horizontal ? s.offsetX : s.offsetY;
  double& across = horizontal ? s.offsetY : s.offsetX;
  const double alongScale = horizontal ? s.scaleX : s.scaleY;
  const double acrossScale = horizontal ? s.scaleY : s.scaleX;
  along += sign * TruncStep(kStep * c / alongScale + 2.0);
  across += sign * TruncStep(kStep * n / acrossScale);
}
