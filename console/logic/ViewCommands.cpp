#include "ViewCommands.h"

#include "CDrawObj.h"
#include "Commands.h"
#include "ConsoleState.h"
#include "GlobalArrays.h"
#include "ResultStores.h"

void ZoomViewStep(NetworkViewModel& view, int clientWidthLogical, int clientHeightLogical, double factor)
{
  view.m_transform.ZoomStep(static_cast<int>(clientWidthLogical / 2.0),
                            static_cast<int>(clientHeightLogical / 2.0), factor);
  view.PushView();
}

void SameViewForPrediction(const ViewSet& views)
{
  if (!views.estimation)
    return;
  const ViewState s = views.estimation->m_transform.State();
  for (NetworkViewModel* v : {views.prediction0, views.prediction1})
    if (v)
      v->m_transform.SetState(s);
}

void RunPathMode(int kind, LockedPathLists& paths, int currentMinute)
{
  const int wasOn = g_nPathModeOn;
  const bool toggles = kind == kPathModeUE ? g_nPathModeKind != kPathModeSO : g_nPathModeKind != kPathModeUE;
  if (toggles)
    g_nPathModeOn = g_nPathModeOn ? 0 : 1;
  if (g_nPathModeOn) {
    g_nToolMode = kToolPathMode;
    g_nPathModeKind = kind;
    if (wasOn)
      CollectODPairPaths(paths, g_nODOriginNode, g_nODDestinationNode, currentMinute);
  } else {
    g_nToolMode = kToolPan;
  }
}

namespace {

void ClearNodeODMarks()
{
  for (const auto& n : g_NodeArray) {
    n->m_bOrigin = false;
    n->m_bDestination = false;
    n->m_nSelectMark = 0;
  }
}

}  // namespace

void SpecifyOrigin(LockedPathLists& paths)
{
  paths.List(0).RemoveAll();
  ClearNodeODMarks();
  for (CDrawNode* n : g_SelectedNodes) {
    n->m_bOrigin = true;
    g_nODOriginNode = n->m_nODKey;
  }
  g_SelectedNodes.clear();
}

bool SpecifyDestination(LockedPathLists& paths, int currentMinute)
{
  g_nODDestinationNode = -1;
  for (CDrawNode* n : g_SelectedNodes)
    if (n->m_nHighlight != 0) {
      n->m_bDestination = true;
      g_nODDestinationNode = n->m_nODKey;
    }
  const bool valid = g_nODDestinationNode != -1;
  if (!valid) {
    paths.List(0).RemoveAll();
    g_SelectedNodes.clear();
    ClearNodeODMarks();
  }
  CollectODPairPaths(paths, g_nODOriginNode, g_nODDestinationNode, currentMinute);
  for (const auto& n : g_NodeArray)
    n->m_nSelectMark = 0;
  g_SelectedNodes.clear();
  return valid;
}

ViewCommandStep ApplyViewCommand(int id, const ViewCommandTarget& target)
{
  NetworkViewModel& view = target.view;
  auto setSelectKind = [&](int kind) {
    for (NetworkViewModel* v : {target.views.estimation, target.views.prediction0, target.views.prediction1})
      if (v)
        v->m_nSelectKind = kind;
  };
  auto toggle = [](bool& flag) {
    flag = !flag;
    return ViewCommandStep::kRepaintView;
  };
  auto pathMode = [](int kind) {
    LockedPathLists paths = g_PredictedPaths.Lock();
    RunPathMode(kind, paths, g_CurrentMinute);
    return ViewCommandStep::kRepaintView;
  };
  switch (id) {
  case kCmdZoomIn: g_nToolMode = kToolZoomBox; return ViewCommandStep::kNothing;
  case kCmdZoomInStep:
  case kCmdZoomOut:
    ZoomViewStep(view, target.clientWidthLogical, target.clientHeightLogical,
                 id == kCmdZoomInStep ? kZoomStepFactor : 1.0 / kZoomStepFactor);
    return ViewCommandStep::kRepaintView;
  case kCmdSameViewForPrediction:
    SameViewForPrediction(target.views);
    return ViewCommandStep::kRepaintAllViews;
  case kCmdPreviousView: return view.PopView() ? ViewCommandStep::kRepaintView : ViewCommandStep::kNothing;
  case kCmdResetView: view.ResetView(); return ViewCommandStep::kRepaintView;
  case kCmdPan: g_nToolMode = kToolPan; return ViewCommandStep::kNothing;
  case kCmdSelector: g_nToolMode = kToolSelect; return ViewCommandStep::kNothing;
  case kCmdODDemandSelection:
    view.m_bShowZones = true;
    g_nToolMode = kToolODPick;
    g_nODStep = 0;
    return ViewCommandStep::kRepaintView;
  case kCmdNodeSelection: setSelectKind(kSelectNode); return ViewCommandStep::kNothing;
  case kCmdLinkSelection: setSelectKind(kSelectLink); return ViewCommandStep::kNothing;
  case kCmdShowCCTV:
    view.m_nSelectKind = kSelectCamera;
    g_nToolMode = kToolSelect;
    return ViewCommandStep::kNothing;
  case kCmdShowDetectors: return toggle(view.m_bShowDetectors);
  case kCmdShowCCTVs: return toggle(view.m_bShowCCTV);
  case kCmdODZone: return toggle(view.m_bShowZones);
  case kCmdExportLinkPerformance:
  case kCmdExportODDemand: return ViewCommandStep::kExport;
  case kCmdViewUEPaths: return pathMode(kPathModeUE);
  case kCmdViewSOPaths: return pathMode(kPathModeSO);
  case kCmdSpecifyOrigin: return ViewCommandStep::kSpecifyOrigin;
  case kCmdSpecifyDestination: return ViewCommandStep::kSpecifyDestination;
  default: return ViewCommandStep::kNothing;
  }
}
