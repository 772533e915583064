#include "NetworkViewModel.h"

#include "ConsoleState.h"
#include "ResultStores.h"

std::optional<ViewRole> NextViewRole(bool estimationExists, bool prediction0Exists, bool prediction1Exists)
{
  if (estimationExists && prediction0Exists && !prediction1Exists)
    return ViewRole{kViewPrediction1, 3};
  if (estimationExists && !prediction0Exists)
    return ViewRole{kViewPrediction0, 1};
  if (!estimationExists)
    return ViewRole{kViewCurrentCondition, 0};
  return std::nullopt;
}

NetworkViewModel::NetworkViewModel(ViewRole role) : m_role(role), m_history(m_transform.State())
{
  CopyDefaultRamp(m_PathColors, false);
}

void NetworkViewModel::PushView()
{
  m_history.Push(m_transform.State());
}

void NetworkViewModel::StoreView()
{
  m_history.Store(m_transform.State());
}

bool NetworkViewModel::PopView()
{
  std::optional<ViewState> s = m_history.Pop();
  if (!s)
    return false;
  m_transform.SetState(*s);
  return true;
}

void NetworkViewModel::ResetView()
{
  m_transform.Reset();
  m_history.Reset(m_transform.State());
}

void NetworkViewModel::SetLoadedOffsetX(double offsetX)
{
  m_transform.m_state.offsetX = offsetX;
  m_history.Reset(m_transform.State());
}

NetworkViewOptions NetworkViewModel::DrawOptions(bool dataLoaded, int legendLineY) const
{
  NetworkViewOptions opt;
  ViewDrawOptions& o = opt.objects;
  o.bShowCCTV = m_bShowCCTV;
  o.bShowDetectors = m_bShowDetectors;
  o.bShowBusRoutes = m_bShowBusRoutes;
  o.bShowSignals = m_bShowSignals;
  o.bShowUEPaths = m_bShowUEPaths;
  o.bShowVehicles = m_bShowVehicles;
  o.nDisplayMeasure = m_nDisplayMeasure;
  o.nSource = m_role.source;
  o.nMinute = m_nMinute;
  o.dScaleX = m_transform.State().scaleX;
  PathViewOptions& p = opt.paths;
  p.bShowPaths0 = m_bShowPaths0;
  p.bShowPaths1 = m_bShowPaths1;
  p.bEstimationView = m_role.kind == kViewCurrentCondition;
  p.bEstimationPathDisplay = p.bEstimationView && (m_bShowPaths0 || m_bShowPaths1);
  for (int i = 0; i < 5; ++i)
    p.pathColors[i] = m_PathColors[i];
  p.nLegendLineY = legendLineY;
  opt.nViewKind = m_role.kind;
  opt.bShowZones = m_bShowZones;
  opt.bDataLoaded = dataLoaded;
  TakeStoreInputs(opt);
  return opt;
}

void ResetClocks(NetworkViewModel& view)
{
  view.m_nMinute = 0;
  for (ClockRecord* c : {&g_EstimationClock, &g_PredictionClock}) {
    c->nHour = 0;
    c->nMinute = 0;
    c->nSecond = 0;
  }
  g_PredictionClock.nWindowStart = 0;
  g_PredictionClock.nWindowEnd = 0;
}
