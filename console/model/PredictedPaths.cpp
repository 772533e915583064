#include "PredictedPaths.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <stdexcept>

#include "CDrawLine.h"
#include "CProject.h"
#include "FieldReaders.h"
#include "FileHandle.h"

const ColorRef g_PathColorsDimmed[5] = {0x745757, 0x747444, 0x007400, 0x007474, 0x000074};

PredictedPathLists g_PredictedPaths;

namespace {

// Kind of the predicted-path pieces: the pen selected before them.
constexpr int kPathPieceKind = 5;

void DrawPieces(const std::vector<PathSegmentRef>& pieces, int kind, const ViewDrawOptions& view,
                IDrawTarget& dc)
{
  for (const PathSegmentRef& s : pieces)
    if (const CDrawLine* link = g_LineArray.GetAt(s.nLink))
      link->DrawPathSegment(view, dc, kind, s.bFirst, s.bLast);
}

// Segments of consecutive index pairs; an index of -1 (undefined node)
// breaks the pairs it is part of.
std::vector<PathSegmentRef> SegmentsOf(const std::vector<int>& indices)
{
  std::vector<PathSegmentRef> out;
  int n = static_cast<int>(indices.size());
  for (int i = 0; i + 1 < n; ++i) {
    if (indices[i] < 0 || indices[i + 1] < 0)
      continue;
    int link = FindLinkByNodeIndices(indices[i], indices[i + 1]);
    if (link < 0)
      continue;
    out.push_back({link, i == 0, i == n - 2});
  }
  return out;
}

}  // namespace

int CPath::NodeCount() const
{
  return std::clamp(m_nNodeCount, 0, static_cast<int>(m_Nodes.size()));
}

int FindLinkByNodeIndices(int fromIndex, int toIndex)
{
  int i = 0;
  for (const auto& link : g_LineArray) {
    if (link && link->m_nFromIndex == fromIndex && link->m_nToIndex == toIndex)
      return i;
    ++i;
  }
  return -1;
}

std::vector<PathSegmentRef> PathSegmentsByIndex(const CPath& path)
{
  std::vector<int> idx;
  for (int i = 0; i < path.NodeCount(); ++i)
    idx.push_back(path.m_Nodes[i] > static_cast<unsigned>(INT32_MAX) ? -1
                                                                     : static_cast<int>(path.m_Nodes[i]));
  return SegmentsOf(idx);
}

std::vector<PathSegmentRef> PathSegmentsByNumber(const CPath& path, bool* allDefined)
{
  bool all = true;
  std::vector<int> idx;
  for (int i = 0; i < path.NodeCount(); ++i) {
    unsigned number = path.m_Nodes[i];
    int index =
        number > static_cast<unsigned>(INT32_MAX) ? -1 : g_Project.LookupNodeIndex(static_cast<int>(number));
    if (index < 0)
      all = false;
    idx.push_back(index);
  }
  if (allDefined)
    *allDefined = all;
  return SegmentsOf(idx);
}

ColorRef PathClassColor(int pathClass, bool dimmed, const ColorRef viewColors[5])
{
  if (pathClass >= 0 && pathClass <= 4)
    return dimmed ? g_PathColorsDimmed[pathClass] : viewColors[pathClass];
  if (pathClass == 5)
    return dimmed ? 0xBB57BB : 0xFF66FF;
  if (pathClass == 6)
    return dimmed ? 0xBB0057 : 0xFF00CC;
  return dimmed ? 0x006B00 : 0x00CC00;
}

PenSpec PathPen(const CPath& path, ColorRef color)
{
  if (path.m_nOwnPen)
    return GetPenSpec(DrawPen::PredPath);
  return PenSpec{PenStyle::Solid, 2, color};
}

bool AnyHighlighted(const CTypedObArray<CPath>& list)
{
  for (const auto& p : list)
    if (p && p->m_bHighlighted)
      return true;
  return false;
}

void CPath::DrawSegments(const ViewDrawOptions& view, IDrawTarget& dc) const
{
  DrawPieces(PathSegmentsByIndex(*this), m_nSegmentStyle, view, dc);
}

bool CPath::Draw(const ViewDrawOptions& view, const PathViewOptions& paths, const LockedPathLists& lists,
                 IPathDrawTarget& dc) const
{
  bool all = true;
  const bool shown[2] = {paths.bShowPaths0, paths.bShowPaths1};
  for (int l = 0; l < 2; ++l) {
    const CTypedObArray<CPath>& list = lists.List(l);
    if (list.IsEmpty() || !shown[l])
      continue;
    bool dimmed = AnyHighlighted(list) && !m_bHighlighted;
    dc.SelectCustomPen(PathPen(*this, PathClassColor(m_nClass, dimmed, paths.pathColors)));
    bool defined = true;
    DrawPieces(PathSegmentsByNumber(*this, &defined), kPathPieceKind, view, dc);
    all = all && defined;
  }
  return all;
}

int PathLegendLineY(int windowHeight, int titleHeight)
{
  return windowHeight + 15 - (titleHeight + 10) + 10;
}

ScreenRect PathSwatch(int pathClass, int legendLineY)
{
  return ScreenRect{30 + 70 * pathClass, legendLineY - 10, 80 + 70 * pathClass, legendLineY + 10};
}

bool PathSwatchHit(int pathClass, int legendLineY, ScreenPoint p)
{
  ScreenRect r = PathSwatch(pathClass, legendLineY);
  return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

bool CPath::HitTest(const PathViewOptions& view, const LockedPathLists& lists, ScreenPoint p) const
{
  bool viaEstimation = view.bEstimationView && view.bEstimationPathDisplay;
  if (!lists.List(0).IsEmpty() && (viaEstimation || view.bShowPaths0) &&
      PathSwatchHit(m_nClass, view.nLegendLineY, p))
    return true;
  if (!lists.List(1).IsEmpty() && (viaEstimation || view.bShowPaths1) &&
      PathSwatchHit(m_nClass, view.nLegendLineY, p))
    return true;
  return false;
}

// ---- the path lists ----------------------------------------------------------

LockedPathLists::LockedPathLists(PredictedPathLists& owner) : m_owner(&owner), m_lock(owner.m_mutex)
{
  m_owner->m_holder.store(std::this_thread::get_id());
}

LockedPathLists::LockedPathLists(LockedPathLists&& other) noexcept
    : m_owner(other.m_owner), m_lock(std::move(other.m_lock))
{
  other.m_owner = nullptr;
}

LockedPathLists::~LockedPathLists()
{
  if (m_owner && m_lock.owns_lock())
    m_owner->m_holder.store(std::thread::id());
}

CTypedObArray<CPath>& LockedPathLists::List(int instance)
{
  return m_owner->m_lists[instance == 1 ? 1 : 0];
}

const CTypedObArray<CPath>& LockedPathLists::List(int instance) const
{
  return m_owner->m_lists[instance == 1 ? 1 : 0];
}

LockedPathLists PredictedPathLists::Lock()
{
  if (m_holder.load() == std::this_thread::get_id())
    throw std::logic_error("the predicted-path lists are already locked by this thread");
  return LockedPathLists(*this);
}

std::string PredictedPathFile(int instance)
{
  return instance == 1 ? "predict1/Predictive_PathTravelTime.dat" : "predict/Predictive_PathTravelTime.dat";
}

PathFileResult ReadPredictedPathFile(const std::string& path, CTypedObArray<CPath>& list)
{
  PathFileResult res;
  list.RemoveAll();
  UniqueFile f = OpenFile(path, "r");
  if (!f) {
    res.status = PathFileStatus::kNotOpened;
    return res;
  }
  std::FILE* in = f.get();
  std::optional<int> skipped = fields::NextUnsignedInt(in);
  std::optional<int> n = skipped ? fields::NextUnsignedInt(in) : std::nullopt;
  if (!n) {
    res.status = PathFileStatus::kShort;
    return res;
  }
  res.declared = *n;
  const int passes = std::min(*n, kMaxPredictedPaths);
  int expected = 1;
  for (int pass = 0; pass < passes; ++pass) {
    std::optional<int> index = fields::NextUnsignedInt(in);
    if (!index) {
      res.status = PathFileStatus::kShort;
      return res;
    }
    if (*index != expected) {
      // The entries after a bad one cannot be told apart any more.
      ++res.badIndexPasses;
      res.status = PathFileStatus::kBadEntry;
      return res;
    }
    std::optional<double> time = fields::NextReal(in);
    std::optional<int> count = time ? fields::NextUnsignedInt(in) : std::nullopt;
    if (!count) {
      res.status = PathFileStatus::kShort;
      return res;
    }
    if (*count > kMaxPredictedPathNodes) {
      res.status = PathFileStatus::kBadEntry;
      return res;
    }
    auto p = std::make_unique<CPath>();
    p->m_dTravelTime = *time;
    for (int i = 0; i < *count; ++i) {
      std::optional<int> node = fields::NextUnsignedInt(in);
      if (!node) {
        res.status = PathFileStatus::kShort;
        return res;
      }
      p->m_Nodes.push_back(static_cast<unsigned>(*node));
    }
    p->m_nNodeCount = *count;
    p->m_nClass = expected - 1;
    p->m_bHighlighted = true;
    list.Add(std::move(p));
    ++res.taken;
    ++expected;
  }
  if (*n > passes)
    res.status = PathFileStatus::kBadEntry;
  return res;
}

PathFileResult ReadPredictedPaths(LockedPathLists& lists, int instance)
{
  return ReadPredictedPathFile(PredictedPathFile(instance), lists.List(instance));
}

void CollectODPairPaths(LockedPathLists& lists, int origin, int destination, int currentMinute)
{
  if (origin == -1 || destination == -1 || origin == destination)
    return;
  int slot = currentMinute / 5;
  int count = 0;
  for (const auto& p : g_AllPaths) {
    if (!p || p->m_nOrigin != origin || p->m_nDestination != destination || p->m_nDepartureSlot != slot)
      continue;
    auto copy = std::make_unique<CPath>(*p);
    copy->m_nClass = count++;
    copy->m_bHighlighted = false;
    lists.List(0).Add(std::move(copy));
  }
}

// ---- vehicles ----------------------------------------------------------------

DrawBrush VehicleBrush(const CVehicle& v)
{
  if (v.m_nPathFlag)
    return DrawBrush::VehicleYellow;
  return v.m_nLate ? DrawBrush::VehicleRose : DrawBrush::VehicleGreen;
}

bool CVehicle::PositionAtMinute(double t, WorldPoint& at)
{
  for (int i = 0; i + 1 < PointCount(); ++i) {
    const CVehicleNode& a = m_Trajectory[i];
    const CVehicleNode& b = m_Trajectory[i + 1];
    if (!(a.m_dArrival < t && t <= b.m_dArrival))
      continue;
    m_nLate = (b.m_dArrival - t > a.m_dSlack) ? 0 : 1;
    const CDrawLine* link = g_LineArray.GetAt(FindLinkByNodeIndices(a.m_nNode, b.m_nNode));
    if (!link)
      return false;
    // A step of no travel time puts the vehicle at the link's end.
    double f = a.m_dTravelTime > 0.0 ? (t - a.m_dArrival) / a.m_dTravelTime : 1.0;
    at = link->PointAtFraction(f);
    return true;
  }
  return false;
}

void CVehicle::PositionAt(const ViewDrawOptions& view, IDrawTarget& dc)
{
  WorldPoint at;
  if (PositionAtMinute(view.dClockMinute, at))
    Draw(view, dc, at, 0.0);
}

void CVehicle::Draw(const ViewDrawOptions&, IDrawTarget& dc, const WorldPoint& at, double) const
{
  dc.SelectBrush(VehicleBrush(*this));
  dc.SelectPen(DrawPen::Print);
  ScreenPoint c = ToScreen(dc, at);
  dc.Ellipse(ScreenRect{c.x - 2, c.y - 2, c.x + 2, c.y + 2});
}

void CVehicle::DrawPath(const ViewDrawOptions& view, IDrawTarget& dc) const
{
  std::vector<int> idx;
  for (const CVehicleNode& n : m_Trajectory)
    idx.push_back(n.m_nNode);
  DrawPieces(SegmentsOf(idx), 2, view, dc);
}
