#include "CDrawLine.h"

#include <algorithm>
#include <cmath>

#include "GlobalArrays.h"
#include "SlotArena.h"

namespace {

SlotArena& LinkArena()
{
  // Never destroyed: the global link arrays are emptied after every other
  // static is gone.
  static SlotArena* const arena = new SlotArena(sizeof(CDrawLine), alignof(CDrawLine));
  return *arena;
}

}  // namespace

void* CDrawLine::operator new(std::size_t bytes)
{
  return bytes == sizeof(CDrawLine) ? LinkArena().Allocate() : ::operator new(bytes);
}

void CDrawLine::operator delete(void* p, std::size_t bytes) noexcept
{
  if (bytes == sizeof(CDrawLine))
    LinkArena().Free(p);
  else
    ::operator delete(p);
}

const char* LinkTypeName(int linkType)
{
  switch (linkType) {
  case 1: return "Freeway";
  case 2: return "Freeway with detector";
  case 3: return "On Ramp";
  case 4: return "Off Ramp";
  case 5: return "Arterial";
  case 6: return "HOV/HOT Lane";
  case 7: return "Highway";
  default: return "None Type";
  }
}

DrawPen ChooseLinkPen(int selectMark, bool showBusRoutes, bool printing)
{
  DrawPen pen = DrawPen::Grey;
  if (selectMark == 2)
    pen = DrawPen::LinkSelected;
  else if (selectMark == 1)
    pen = DrawPen::LinkHighlight;
  if (showBusRoutes && selectMark != 2)
    pen = DrawPen::Grey;
  if (printing)
    pen = DrawPen::Print;
  return pen;
}

LinkDrawMode ChooseLinkDrawMode(int selectMark, int displayMeasure)
{
  if (selectMark != 1 && selectMark != 2 && (displayMeasure == 1 || displayMeasure == 2))
    return LinkDrawMode::Coloured;
  if (displayMeasure == 3)
    return LinkDrawMode::Queue;
  return LinkDrawMode::Plain;
}

int ColourLevel(double value)
{
  double q = value / 15.0;
  if (!(q > -1.0))  // truncates below 0 (NaN too)
    return -1;
  if (q >= 4.0)
    return 4;
  return static_cast<int>(q);
}

bool RampPenFor(int displayMeasure, int level, DrawPen& pen)
{
  if (level < 0 || level > 4)
    return false;
  int ramp = (displayMeasure == 2) ? 4 - level : level;
  pen = static_cast<DrawPen>(static_cast<int>(DrawPen::Ramp0) + ramp);
  return true;
}

void ShiftSegment(WorldPoint& p1, WorldPoint& p2, double d)
{
  double a = std::atan2(p2.y - p1.y, p2.x - p1.x);
  double dx = -d * std::cos(a - kDrawPi / 2);
  double dy = -d * std::sin(a - kDrawPi / 2);
  p1.x += dx;
  p1.y += dy;
  p2.x += dx;
  p2.y += dy;
}

void ArrowHeadPoints(const WorldPoint& p1, const WorldPoint& p2, double s, WorldPoint& left,
                     WorldPoint& right)
{
  double a = std::atan2(p2.y - p1.y, p2.x - p1.x);
  left = {p2.x - s * std::cos(a + kDrawPi / 8), p2.y - s * std::sin(a + kDrawPi / 8)};
  right = {p2.x - s * std::cos(a - kDrawPi / 8), p2.y - s * std::sin(a - kDrawPi / 8)};
}

double QueueStartFraction(double queuePercent)
{
  double f0 = 1.0 - queuePercent / 100.0;
  if (std::isnan(f0))
    return 1.0;  // no value: no queue
  return f0 < 0.0 ? 0.0 : f0;
}

std::vector<WorldSegment> QueuePieces(const std::vector<WorldPoint>& pts, const std::vector<double>& fr,
                                      double f0)
{
  std::vector<WorldSegment> pieces;
  if (std::isnan(f0))
    return pieces;
  std::size_t n = std::min(pts.size(), fr.size());
  bool started = false;
  for (std::size_t i = 0; i + 1 < n; ++i) {
    if (!started) {
      if (fr[i + 1] <= f0)
        continue;
      started = true;
      double span = fr[i + 1] - fr[i];
      double t = span > 0.0 ? (f0 - fr[i]) / span : 0.0;
      if (t < 0.0)
        t = 0.0;
      WorldPoint s{pts[i].x + t * (pts[i + 1].x - pts[i].x), pts[i].y + t * (pts[i + 1].y - pts[i].y)};
      pieces.push_back({s, pts[i + 1]});
      continue;
    }
    pieces.push_back({pts[i], pts[i + 1]});
  }
  return pieces;
}

double PathSegmentShift(int kind)
{
  switch (kind) {
  case 0: return 0.3;
  case 1: return 0.6;
  case 3: return 0.3;
  default: return 0.0;
  }
}

CDrawLine::CDrawLine() : m_nIndex(g_LineArray.GetSize()) {}

void CDrawLine::SetShape(std::vector<WorldPoint> points)
{
  m_pPoints = std::move(points);
  m_pFractions.assign(m_pPoints.size(), 0.0);
  double total = ShapeLength();
  double run = 0.0;
  for (std::size_t j = 1; j < m_pPoints.size(); ++j) {
    run += std::hypot(m_pPoints[j].x - m_pPoints[j - 1].x, m_pPoints[j].y - m_pPoints[j - 1].y);
    m_pFractions[j] = total > 0.0 ? run / total : 0.0;
  }
  if (!m_pFractions.empty() && m_pPoints.size() > 1)
    m_pFractions.back() = 1.0;
}

double CDrawLine::ShapeLength() const
{
  double total = 0.0;
  for (std::size_t j = 1; j < m_pPoints.size(); ++j)
    total += std::hypot(m_pPoints[j].x - m_pPoints[j - 1].x, m_pPoints[j].y - m_pPoints[j - 1].y);
  return total;
}

WorldPoint CDrawLine::PointAtFraction(double f) const
{
  std::size_t n = std::min(m_pPoints.size(), m_pFractions.size());
  if (n == 0)
    return {0.0, 0.0};
  if (f + 0.001 >= 1.0)
    return m_pPoints[n - 1];
  for (std::size_t i = 0; i + 1 < n; ++i) {
    if (m_pFractions[i] <= f && f <= m_pFractions[i + 1]) {
      WorldPoint p1 = m_pPoints[i], p2 = m_pPoints[i + 1];
      ShiftSegment(p1, p2, 0.3);
      double span = m_pFractions[i + 1] - m_pFractions[i];
      double t = span > 0.0 ? (f - m_pFractions[i]) / span : 0.0;
      return {p1.x + t * (p2.x - p1.x), p1.y + t * (p2.y - p1.y)};
    }
  }
  return {0.0, 0.0};
}

double CDrawLine::DistanceTo(const WorldPoint& q) const
{
  double best = kDistanceFar;
  bool first = true;
  for (std::size_t i = 0; i + 1 < m_pPoints.size(); ++i) {
    WorldPoint p1 = m_pPoints[i], p2 = m_pPoints[i + 1];
    ShiftSegment(p1, p2, m_dOffset);
    double minX = std::min(p1.x, p2.x), maxX = std::max(p1.x, p2.x);
    double minY = std::min(p1.y, p2.y), maxY = std::max(p1.y, p2.y);
    if (std::fabs(std::trunc(p2.x - p1.x)) < 5.0) {
      minX -= m_dHitMargin;
      maxX += m_dHitMargin;
    }
    if (std::fabs(std::trunc(p2.y - p1.y)) < 5.0) {
      minY -= m_dHitMargin;
      maxY += m_dHitMargin;
    }
    double d = kDistanceFar;
    if (q.x >= minX && q.x <= maxX && q.y >= minY && q.y <= maxY) {
      double vx = p2.x - p1.x, vy = p2.y - p1.y;
      double wx = q.x - p1.x, wy = q.y - p1.y;
      double vv = vx * vx + vy * vy;
      if (vv > 0.0) {
        double vw = vx * wx + vy * wy;
        double num = vv * (wx * wx + wy * wy) - vw * vw;
        d = std::sqrt(std::max(num, 0.0) / vv);
      } else
        d = std::hypot(wx, wy);  // a segment of no length: distance to its point
    }
    if (first || d < best)
      best = d;
    first = false;
  }
  return best;
}

void CDrawLine::DrawIcons(const ViewDrawOptions& view, IDrawTarget& dc) const
{
  if (view.bShowDetectors && (m_nLinkType == 2 || m_bHasDetector) && m_bObserved)
    dc.Bitmap(kBmpDetector, ToScreen(dc, PointAtFraction(kLinkIconFraction)), kMaskYellow);
  // A link without a camera of its own shows the icon all the same; the
  // cameras' places are set by PlaceCameraIcons.
  if (view.bShowCCTV && m_bHasCCTV)
    dc.Bitmap(kBmpCameraOnLink, ToScreen(dc, PointAtFraction(kLinkIconFraction)), kMaskYellow);
}

void CDrawLine::DrawPlain(const ViewDrawOptions& view, IDrawTarget& dc) const
{
  DrawIcons(view, dc);
  for (std::size_t i = 0; i + 1 < m_pPoints.size(); ++i) {
    const WorldPoint& p1 = m_pPoints[i];
    const WorldPoint& p2 = m_pPoints[i + 1];
    ScreenPoint e = ToScreen(dc, p2);
    dc.Line(ToScreen(dc, p1), e);
    double len = std::hypot(p2.x - p1.x, p2.y - p1.y);
    double s = std::min(2.0 * m_dOffset, len / 10.0);
    WorldPoint l, r;
    ArrowHeadPoints(p1, p2, s, l, r);
    dc.Line(e, ToScreen(dc, l));
    dc.Line(e, ToScreen(dc, r));
  }
}

DrawPen LinkStrokePen(const CDrawLine& link, const ViewDrawOptions& view, bool printing)
{
  DrawPen pen = ChooseLinkPen(link.m_nSelectMark, view.bShowBusRoutes, printing);
  if (ChooseLinkDrawMode(link.m_nSelectMark, view.nDisplayMeasure) == LinkDrawMode::Coloured) {
    double v = link.Series(view.nDisplayMeasure - 1, view.nSource, view.nMinute);
    DrawPen ramp;
    if (RampPenFor(view.nDisplayMeasure, ColourLevel(v), ramp))
      pen = ramp;
  }
  return pen;
}

void CDrawLine::Draw(const ViewDrawOptions& view, IDrawTarget& dc) const
{
  DrawPen pen = ChooseLinkPen(m_nSelectMark, view.bShowBusRoutes, dc.IsPrinting());
  dc.SelectPen(pen);
  switch (ChooseLinkDrawMode(m_nSelectMark, view.nDisplayMeasure)) {
  case LinkDrawMode::Coloured: {
    const DrawPen stroke = LinkStrokePen(*this, view, dc.IsPrinting());
    if (stroke != pen)
      dc.SelectPen(stroke);
    DrawPlain(view, dc);
    break;
  }
  case LinkDrawMode::Queue: {
    DrawPlain(view, dc);
    double f0 = QueueStartFraction(Series(kMeasureQueue, view.nSource, view.nMinute));
    dc.SelectBrush(DrawBrush::Queue);
    dc.SelectPen(DrawPen::Queue);
    for (const WorldSegment& piece : QueuePieces(m_pPoints, m_pFractions, f0)) {
      DrawIcons(view, dc);
      dc.Line(ToScreen(dc, piece.from), ToScreen(dc, piece.to));
    }
    break;
  }
  case LinkDrawMode::Plain: DrawPlain(view, dc); break;
  }
}

void CDrawLine::DrawPathSegment(const ViewDrawOptions&, IDrawTarget& dc, int kind, bool isFirst,
                                bool isLast) const
{
  double shift = PathSegmentShift(kind);
  switch (kind) {
  case 0: dc.SelectPen(DrawPen::PathDotted); break;
  case 1:
    dc.SelectPen(DrawPen::PathDashed);
    dc.SelectPen(DrawPen::PathGreen);
    break;
  case 2: dc.SelectPen(DrawPen::PathYellowGreen); break;
  default: break;  // the current pen
  }
  std::size_t segments = m_pPoints.size() < 2 ? 0 : m_pPoints.size() - 1;
  for (std::size_t i = 0; i < segments; ++i) {
    WorldPoint p1 = m_pPoints[i], p2 = m_pPoints[i + 1];
    ShiftSegment(p1, p2, shift);
    ScreenPoint e = ToScreen(dc, p2);
    dc.Line(ToScreen(dc, p1), e);
    double len = std::hypot(p2.x - p1.x, p2.y - p1.y);
    double s = std::min(2.0, len / 5.0);
    WorldPoint l, r;
    ArrowHeadPoints(p1, p2, s, l, r);
    dc.Line(e, ToScreen(dc, l));
    dc.Line(e, ToScreen(dc, r));
    bool firstSeg = (i == 0), lastSeg = (i + 1 == segments);
    if (kind == 0) {
      if (firstSeg && isFirst)
        dc.Bitmap(kBmpPathEnd, ToScreen(dc, m_pPoints[i + 1]), kMaskYellow);
      if (lastSeg && isLast)
        dc.Bitmap(kBmpPathEnd, ToScreen(dc, m_pPoints[i]), kMaskYellow);
    } else if (kind == 1) {
      WorldPoint mid{(p1.x + p2.x) / 2, (p1.y + p2.y) / 2};
      if (firstSeg && isFirst)
        dc.Bitmap(kBmpPathMark, ToScreen(dc, mid), kMaskYellow);
      if (lastSeg && isLast)
        dc.Bitmap(kBmpPathMark, ToScreen(dc, mid), kMaskYellow);
    }
  }
}
