#include "CDrawObj.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "CDrawLine.h"
#include "GlobalArrays.h"

const char* ControlTypeName(int controlType)
{
  switch (controlType) {
  case 1: return "No Control";
  case 2: return "Yield Sign";
  case 3: return "Stop Sign";
  case 4: return "Pre-time Signal";
  case 5: return "Actuated Signal";
  case 6: return "Two-way Stop Sign";
  default: return "No Control";
  }
}

double NodeCircleRadius(double linkShapeRatio, double viewScaleX)
{
  double r = 30.0 * linkShapeRatio * viewScaleX;
  if (!(r >= 1.0))
    r = 1.0;
  if (r > 3.0)
    r = 3.0;
  return r;
}

ScreenRect NodeCircleBox(const ScreenPointD& c, double r)
{
  ScreenRect box{TruncScreen(c.x - r), TruncScreen(c.y - r), TruncScreen(c.x + r), TruncScreen(c.y + r)};
  if (box.right == box.left)
    box.right += 1;
  if (box.bottom == box.top)
    box.bottom += 1;
  return box;
}

void CDrawNode::Draw(const ViewDrawOptions& view, IDrawTarget& dc) const
{
  if (m_nSelectMark != 1)
    dc.SelectBrush(view.bShowVehicles ? DrawBrush::NodeGrey : DrawBrush::Node);
  else {
    dc.SelectPen(DrawPen::NodeSelected);
    dc.SelectBrush(DrawBrush::NodeSelected);
  }
  ScreenPointD c = dc.WorldToScreenD(m_ptPos);
  if (m_nHighlight != 0) {
    dc.SelectPen(DrawPen::NodeHighlight);
    dc.Rectangle(
        {TruncScreen(c.x - 4.0), TruncScreen(c.y - 4.0), TruncScreen(c.x + 4.0), TruncScreen(c.y + 4.0)});
  } else {
    dc.SelectPen(DrawPen::Grey);
    ScreenRect box = NodeCircleBox(c, NodeCircleRadius(view.dLinkShapeRatio, view.dScaleX));
    if ((m_nControlType == 4 || m_nControlType == 5) && view.bShowSignals)
      dc.Bitmap(kBmpSignal, ToScreen(dc, m_ptPos), kMaskWhite);
    else
      dc.Ellipse(box);
    if (m_nSelectMark == 1)
      dc.Ellipse(box);
  }
  if (view.nSource == 0 && view.bShowUEPaths) {
    if (m_bOrigin)
      dc.Bitmap(kBmpOrigin, ToScreen(dc, m_ptPos), kMaskWhite);
    if (m_bDestination)
      dc.Bitmap(kBmpDestination, ToScreen(dc, m_ptPos), kMaskWhite);
  }
}

std::vector<PropertyRow> CDrawNode::FillPropertyList() const
{
  char buf[32];
  std::vector<PropertyRow> rows;
  std::snprintf(buf, sizeof buf, "%d", m_nNodeNumber);
  rows.emplace_back("Node ID", buf);
  rows.emplace_back("Control Type", ControlTypeName(m_nControlType));
  std::snprintf(buf, sizeof buf, "%d", m_nZone);
  rows.emplace_back("Zone No.", buf);
  return rows;
}

bool CDrawNode::HitTest(double viewScaleX, const WorldPoint& q) const
{
  double radius = 30.0 * g_LinkShapeRatio * viewScaleX;
  if (!(radius >= 2.5))
    radius = 2.5;
  return std::hypot(q.x - m_ptPos.x, q.y - m_ptPos.y) < radius;
}

CODZone::CODZone() : m_nIndex(g_ZoneArray.GetSize()) {}

bool CODZone::AddPoint(IntPoint p)
{
  if (m_nPoints >= kZoneMaxPoints)
    return false;
  m_Points[static_cast<std::size_t>(m_nPoints++)] = p;
  long long sx = 0, sy = 0;
  for (int i = 0; i < m_nPoints; ++i) {
    sx += m_Points[i].x;
    sy += m_Points[i].y;
  }
  m_ptCentroid = {static_cast<int>(sx / m_nPoints), static_cast<int>(sy / m_nPoints)};
  m_bCentroidSet = 1;
  return true;
}

void CODZone::Draw(const ViewDrawOptions&, IDrawTarget& dc) const
{
  // A zone without vertices has no outline and no centroid: nothing drawn.
  if (m_nPoints <= 0)
    return;
  dc.SetTextColor(0xFFFFFF);
  dc.SelectPen(DrawPen::Zone);
  dc.SelectBrush(DrawBrush::Hollow);
  std::vector<ScreenPoint> pts;
  pts.reserve(static_cast<std::size_t>(m_nPoints));
  for (int i = 0; i < m_nPoints; ++i)
    pts.push_back(ToScreen(dc, {static_cast<double>(m_Points[i].x), static_cast<double>(m_Points[i].y)}));
  dc.Polygon(pts);
  ScreenPoint c = ToScreen(dc, {static_cast<double>(m_ptCentroid.x), static_cast<double>(m_ptCentroid.y)});
  char label[16];
  std::snprintf(label, sizeof label, "%d", m_nIndex);
  dc.LabelText(label, {c.x - 20, c.y - 20, c.x + 20, c.y + 20});
}

bool CODZone::HitTest(const WorldPoint& q) const
{
  bool inside = false;
  for (int i = 0, j = m_nPoints - 1; i < m_nPoints; j = i++) {
    double xi = m_Points[i].x, yi = m_Points[i].y;
    double xj = m_Points[j].x, yj = m_Points[j].y;
    if ((yi > q.y) != (yj > q.y) && q.x < (xj - xi) * (q.y - yi) / (yj - yi) + xi)
      inside = !inside;
  }
  return inside;
}

void PlaceCameraIcons()
{
  for (const auto& link : g_LineArray) {
    if (!link->m_bHasCCTV)
      continue;
    for (const auto& cam : g_CCTVArray)
      if (cam->m_nLinkFromNode == link->m_nFromNode && cam->m_nLinkToNode == link->m_nToNode) {
        cam->m_ptIcon = link->PointAtFraction(kLinkIconFraction);
        cam->m_bIconPlaced = true;
        break;
      }
  }
}

void CDrawCCTV::Draw(const ViewDrawOptions& view, IDrawTarget& dc) const
{
  if (m_nShown == 1)
    dc.SelectPen(DrawPen::Grey);
  if (dc.IsPrinting())
    dc.SelectPen(DrawPen::Print);
  if (view.bShowCCTV && m_nShown == 1 && m_bIconPlaced)
    dc.Bitmap(kBmpCamera, ToScreen(dc, m_ptIcon), kMaskWhite);
}
