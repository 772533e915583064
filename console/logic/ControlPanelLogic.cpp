#include "ControlPanelLogic.h"

#include "CDrawLine.h"
#include "ConsoleState.h"
#include "StringPrintf.h"

namespace {

template <class Fn>
void ForEach(std::initializer_list<NetworkViewModel*> views, Fn fn)
{
  for (NetworkViewModel* v : views)
    if (v)
      fn(*v);
}

}  // namespace

void SetEstimationDisplayMode(const ViewSet& views, int mode, PanelMarks& marks)
{
  ForEach({views.estimation}, [&](NetworkViewModel& v) {
    v.m_nDisplayMeasure = mode;
    v.m_bShowVehicles = false;
    v.m_bShowUEPaths = false;
  });
  marks.currentMode = 0;
  if (mode == 1 || mode == 2)
    CopyDefaultRamp(g_ColorRamp, mode == 2);
  if (mode >= 1 && mode <= 3)
    marks.currentMode = mode;
}

void SetPredictionDisplayMode(const ViewSet& views, int mode, PanelMarks& marks)
{
  ForEach({views.prediction0, views.prediction1}, [&](NetworkViewModel& v) {
    v.m_nDisplayMeasure = mode;
    v.m_bShowVehicles = false;
    v.m_bShowUEPaths = false;
  });
  ForEach({views.prediction0, views.prediction1}, [&](NetworkViewModel& v) {
    v.m_bShowPaths0 = false;
    v.m_bShowPaths1 = false;
    if (mode == 1 || mode == 2)
      CopyDefaultRamp(v.m_PathColors, mode == 2);
  });
  marks.predictionMode = (mode >= 1 && mode <= 3) || mode == 5 ? mode : 0;
  if (mode == 5) {
    if (views.prediction0)
      views.prediction0->m_bShowPaths0 = true;
    if (views.prediction1)
      views.prediction1->m_bShowPaths1 = true;
  }
}

namespace {

// Flips a layer of prediction view 0 and the estimation view; the box shows
// prediction view 0's new state.
void ToggleLayer(const ViewSet& views, bool NetworkViewModel::*layer, bool& box)
{
  ForEach({views.prediction0, views.estimation}, [&](NetworkViewModel& v) { v.*layer = !(v.*layer); });
  if (views.prediction0)
    box = views.prediction0->*layer;
}

}  // namespace

void ToggleZones(const ViewSet& views, PanelMarks& marks)
{
  ToggleLayer(views, &NetworkViewModel::m_bShowZones, marks.zonesBox);
}

void ToggleBusRoutes(const ViewSet& views, PanelMarks& marks)
{
  ToggleLayer(views, &NetworkViewModel::m_bShowBusRoutes, marks.busRoutesBox);
}

void ToggleSignals(const ViewSet& views, PanelMarks& marks)
{
  ForEach({views.estimation, views.prediction0, views.prediction1},
          [](NetworkViewModel& v) { v.m_bShowSignals = !v.m_bShowSignals; });
  if (views.estimation)
    marks.signalsBox = views.estimation->m_bShowSignals;
}

void ResetDisplayOptions(const ViewSet& views, int viewKind, PanelMarks& marks)
{
  ForEach({views.prediction0, views.estimation}, [](NetworkViewModel& v) {
    v.m_bShowZones = false;
    v.m_bShowBusRoutes = false;
    v.m_bShowSignals = false;
  });
  marks.zonesBox = marks.busRoutesBox = marks.signalsBox = false;
  if (viewKind == kViewCurrentCondition) {
    marks.currentMode = 0;
    ForEach({views.estimation}, [](NetworkViewModel& v) {
      v.m_nDisplayMeasure = 0;
      v.m_bShowVehicles = false;
    });
  }
}

const char* const kLinkPropertyNames[kLinkPropertyRows] = {
    "Link ID",
    "From Node",
    "To Node",
    "Type",
    "Numbers of Lanes",
    "Length (mi)",
    "Sat Rate (veh/hr/ln)",
    "Density (veh/mi/ln)",
    "Speed (mi/hr)",
    "Queue (% length)",
};

std::vector<PropertyRow> LinkPropertyRows(const CDrawLine& link, int source, int minute)
{
  const std::string values[7] = {
      StringPrintf("%d", link.m_nIndex + 1),  StringPrintf("%d", link.m_nFromNode),
      StringPrintf("%d", link.m_nToNode),     LinkTypeName(link.m_nLinkType),
      StringPrintf("%d", link.m_nLanes),      StringPrintf("%4.2f", link.m_dLength / 5280),
      StringPrintf("%4.2f", link.m_dSatRate),
  };
  std::vector<PropertyRow> rows;
  for (int i = 0; i < 7; ++i)
    rows.emplace_back(kLinkPropertyNames[i], values[i]);
  // Density, speed and queue.
  for (int m = 0; m < 3; ++m)
    rows.emplace_back(kLinkPropertyNames[7 + m], minute == 0
                                                     ? std::string("--")
                                                     : StringPrintf("%4.2f", link.Series(m, source, minute)));
  return rows;
}

std::string StartedProgramLine(const std::string& file, const std::string& title, int pid)
{
  return "Started " + file + " (" + title + "), process " + std::to_string(pid) + ".";
}
