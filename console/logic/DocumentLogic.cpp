#include "DocumentLogic.h"

#include <cmath>
#include <optional>

#include "CDrawLine.h"
#include "CDrawObj.h"
#include "ConsoleState.h"
#include "GlobalArrays.h"

bool RunLoadData(const LoadDataSteps& steps)
{
  const bool loaded = steps.load && steps.load();
  if (steps.showDensity)
    steps.showDensity();
  if (steps.repaint)
    steps.repaint();
  // Also after a load that stopped early: the views then draw what was read
  // (every drawing step copes with links and nodes that have no shape or
  // place yet), while the commands that need a whole project read
  // m_bProjectLoaded, which the stopped load left false.
  g_bDataLoaded = true;
  return loaded;
}

namespace {

// Nearest of a list by a position: strictly within the start radius, the
// earlier of equal distances, and below 5000.
template <class T, class Pos>
T* Nearest(const CTypedObArray<T>& list, const WorldPoint& p, double radius, Pos pos)
{
  T* found = nullptr;
  double r = radius;
  for (const auto& item : list) {
    std::optional<WorldPoint> at = pos(*item);
    if (!at)
      continue;
    const WorldPoint q = *at;
    const double d = std::hypot(p.x - q.x, p.y - q.y);
    if (d < r) {
      r = d;
      found = item.get();
    }
  }
  return found && r < 5000.0 ? found : nullptr;
}

}  // namespace

CDrawNode* FindNearestNode(const WorldPoint& p)
{
  return Nearest(g_NodeArray, p, 1200.0 * g_LinkShapeRatio,
                 [](const CDrawNode& n) { return std::optional<WorldPoint>(n.m_ptPos); });
}

CDrawCCTV* FindNearestDetector(const WorldPoint& p)
{
  // A camera without a place for its icon is not found.
  return Nearest(g_CCTVArray, p, 5.0, [](const CDrawCCTV& c) {
    return c.m_bIconPlaced ? std::optional<WorldPoint>(c.m_ptIcon) : std::nullopt;
  });
}

CDrawLine* FindNearestLink(const WorldPoint& p)
{
  CDrawLine* found = nullptr;
  double best = 2000.0;
  for (const auto& link : g_LineArray) {
    const double d = link->DistanceTo(p);
    if (d < best) {
      best = d;
      found = link.get();
    }
  }
  return best < 25.0 ? found : nullptr;
}

int FindZoneAt(IntPoint p)
{
  for (int i = g_ZoneArray.GetSize() - 1; i >= 0; --i)
    if (g_ZoneArray[i]->HitTest({static_cast<double>(p.x), static_cast<double>(p.y)}))
      return i;
  return 0;
}

CPath* FindPathAt(const PathViewOptions& view, LockedPathLists& paths, ScreenPoint p)
{
  for (const auto& path : paths.List(0))
    path->m_nOwnPen = 0;
  for (const auto& path : paths.List(0))
    if (path->HitTest(view, paths, p))
      return path.get();
  return nullptr;
}

int FindLinkByNodes(int fromIndex, int toIndex)
{
  return FindLinkByNodeIndices(fromIndex, toIndex);
}

namespace {
std::string::size_type LastSeparator(const std::string& path)
{
  return path.find_last_of("\\/");
}
}  // namespace

std::string GetDirectoryPart(const std::string& path)
{
  const auto i = LastSeparator(path);
  return i == std::string::npos ? std::string() : path.substr(0, i + 1);
}

std::string GetFileNamePart(const std::string& path)
{
  const auto i = LastSeparator(path);
  return i == std::string::npos ? path : path.substr(i + 1);
}
