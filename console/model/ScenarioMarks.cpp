// Marks of the signs, incidents and work zones on the network view.
#include "CDrawLine.h"
#include "GlobalArrays.h"
#include "ScenarioObjects.h"

const CDrawLine* FindFirstLinkByNodes(int fromNode, int toNode)
{
  for (const auto& link : g_LineArray)
    if (link && link->m_nFromNode == fromNode && link->m_nToNode == toNode)
      return link.get();
  return nullptr;
}

namespace {

bool MarkOnLink(int from, int to, double fraction, WorldPoint& at)
{
  const CDrawLine* link = FindFirstLinkByNodes(from, to);
  if (!link)
    return false;
  at = link->PointAtFraction(fraction);
  return true;
}

void DrawMark(IDrawTarget& dc, int bitmap, const WorldPoint& at)
{
  dc.Bitmap(bitmap, ToScreen(dc, at), kScenarioMarkMask);
}

}  // namespace

bool VMSMarkPoint(const CVMS& sign, double minute, WorldPoint& at)
{
  return sign.IsShownAt(minute) && MarkOnLink(sign.m_nFromNode, sign.m_nToNode, kVMSMarkFraction, at);
}

bool IncidentMarkPoint(const CIncident& incident, float minute, WorldPoint& at)
{
  return incident.IsShownAt(minute) &&
         MarkOnLink(incident.m_nFromNode, incident.m_nToNode, kIncidentMarkFraction, at);
}

bool WorkZoneMarkPoint(const CWorkZone& zone, float minute, WorldPoint& at)
{
  return zone.IsShownAt(minute) && MarkOnLink(zone.m_nFromNode, zone.m_nToNode, kWorkZoneMarkFraction, at);
}

// Every view uses the estimation clock's minute (dMarkMinute).
void CVMS::Draw(const ViewDrawOptions& view, IDrawTarget& dc) const
{
  WorldPoint at;
  if (VMSMarkPoint(*this, view.dMarkMinute, at))
    DrawMark(dc, kBmpVMS, at);
}

void CIncident::Draw(const ViewDrawOptions& view, IDrawTarget& dc) const
{
  WorldPoint at;
  if (IncidentMarkPoint(*this, static_cast<float>(view.dMarkMinute), at))
    DrawMark(dc, kBmpIncident, at);
}

void CWorkZone::Draw(const ViewDrawOptions& view, IDrawTarget& dc) const
{
  WorldPoint at;
  if (WorkZoneMarkPoint(*this, static_cast<float>(view.dMarkMinute), at))
    DrawMark(dc, kBmpWorkZone, at);
}
