#include "NetworkDrawing.h"

#include <algorithm>

#include "CDrawLine.h"
#include "CDrawObj.h"
#include "CProject.h"
#include "GlobalArrays.h"
#include "ScenarioObjects.h"

void TakeStoreInputs(NetworkViewOptions& view)
{
  const bool prediction = view.nViewKind != kViewCurrentCondition;
  view.objects.dMarkMinute = g_EstimationClock.dMinute;
  view.objects.dClockMinute = prediction ? g_PredictionClock.dMinute : g_EstimationClock.dMinute;
  view.objects.dLinkShapeRatio = g_LinkShapeRatio;
}

namespace {

void DrawPathList(const CTypedObArray<CPath>& list, const NetworkViewOptions& view,
                  const LockedPathLists& paths, IPathDrawTarget& dc)
{
  for (const auto& p : list)
    p->Draw(view.objects, view.paths, paths, dc);
  // A path picked in the legend lies on top.
  for (const auto& p : list)
    if (p->m_nOwnPen)
      p->Draw(view.objects, view.paths, paths, dc);
}

}  // namespace

void DrawNetwork(const NetworkViewOptions& view, const LockedPathLists& paths, IPathDrawTarget& dc)
{
  DrawNetworkLinks(view, 0, g_LineArray.GetSize(), dc);
  DrawNetworkAfterLinks(view, paths, dc);
}

void DrawNetworkLinks(const NetworkViewOptions& view, int first, int end, IDrawTarget& dc)
{
  if (!view.bDataLoaded)
    return;
  end = std::min(end, g_LineArray.GetSize());
  for (int i = std::max(first, 0); i < end; ++i)
    g_LineArray[i]->Draw(view.objects, dc);
}

void DrawNetworkAfterLinks(const NetworkViewOptions& view, const LockedPathLists& paths, IPathDrawTarget& dc)
{
  if (!view.bDataLoaded)
    return;
  const ViewDrawOptions& o = view.objects;
  for (const auto& cam : g_CCTVArray)
    cam->Draw(o, dc);
  for (const auto& node : g_NodeArray)
    node->Draw(o, dc);
  if (o.bShowVehicles)
    for (const auto& v : g_VehicleArray)
      if (v->m_nSource == o.nSource)
        v->PositionAt(o, dc);
  for (const auto& v : g_VehicleArray)
    if (v->m_nPathFlag)
      v->DrawPath(o, dc);
  if (o.bShowBusRoutes)
    for (const auto& route : g_Project.m_Paths)
      if (route->m_nSegmentStyle == 0)
        route->DrawSegments(o, dc);
  for (const auto& zone : g_WorkZoneArray)
    zone->Draw(o, dc);
  for (const auto& sign : view.nViewKind == kViewPrediction1 ? g_VMSArrayPredict1 : g_VMSArray)
    sign->Draw(o, dc);
  for (const auto& incident : g_IncidentArray)
    incident->Draw(o, dc);
  if (view.paths.bShowPaths0)
    DrawPathList(paths.List(0), view, paths, dc);
  if (view.paths.bShowPaths1)
    DrawPathList(paths.List(1), view, paths, dc);
  if (view.bShowZones)
    for (const auto& zone : g_ZoneArray)
      zone->Draw(o, dc);
}

std::string ViewTitleText(int viewKind, const ClockRecord& estimation, const ClockRecord& prediction)
{
  const ClockRecord& clock = viewKind == kViewCurrentCondition ? estimation : prediction;
  const std::string text = FormatClockRecord(clock);
  switch (viewKind) {
  case kViewCurrentCondition: return " Current Condition [" + text + "] ";
  case kViewPrediction0: return " State Prediction (0)[" + text + "] ";
  default: return " State Prediction (1)[" + text + "] ";
  }
}
