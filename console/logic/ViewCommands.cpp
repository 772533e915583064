#include "ViewCommands.h"

#include "CDrawObj.h"
#include "ConsoleState.h"
#include "GlobalArrays.h"

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
