#include "ViewSelection.h"

#include <algorithm>

#include "CDrawLine.h"
#include "CDrawObj.h"
#include "GlobalArrays.h"

namespace {

void ClearNodeAndLinkMarks()
{
  for (CDrawNode* n : g_SelectedNodes)
    n->m_nSelectMark = 0;
  for (CDrawLine* l : g_SelectedLinks)
    l->m_nSelectMark = 0;
}

template <class T>
bool RemoveFrom(std::vector<T*>& list, T* item)
{
  auto it = std::find(list.begin(), list.end(), item);
  if (it == list.end())
    return false;
  list.erase(it);
  return true;
}

}  // namespace

bool SelectNode(CDrawNode* node)
{
  ClearNodeAndLinkMarks();
  if (!node)
    return false;
  node->m_nSelectMark = 1;
  RemoveFrom(g_SelectedNodes, node);
  g_SelectedNodes.push_back(node);
  return true;
}

bool SelectLink(CDrawLine* link)
{
  ClearNodeAndLinkMarks();
  g_SelectedNodes.clear();
  g_SelectedLinks.clear();
  if (link) {
    link->m_nSelectMark = 2;
    g_SelectedLinks.push_back(link);
  }
  return true;
}

bool SelectCCTV(CDrawCCTV* camera)
{
  ClearSelection();
  if (camera) {
    camera->m_nShown = 1;
    g_SelectedCCTVs.push_back(camera);
  }
  return true;
}

void ClearSelection()
{
  ClearNodeAndLinkMarks();
  for (CDrawCCTV* c : g_SelectedCCTVs)
    c->m_nShown = 1;
  g_SelectedNodes.clear();
  g_SelectedLinks.clear();
  g_SelectedCCTVs.clear();
}

bool DeselectNode(CDrawNode* node)
{
  return RemoveFrom(g_SelectedNodes, node);
}

bool DeselectLink(CDrawLine* link)
{
  return RemoveFrom(g_SelectedLinks, link);
}

CDrawLine* SelectedLink()
{
  return g_SelectedLinks.empty() ? nullptr : g_SelectedLinks.back();
}

bool IsSelectedCamera(const CDrawCCTV* camera)
{
  return std::find(g_SelectedCCTVs.begin(), g_SelectedCCTVs.end(), camera) != g_SelectedCCTVs.end();
}
