#include "DrawTool.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <utility>

#include "CDrawLine.h"
#include "ConsoleState.h"
#include "DocumentLogic.h"
#include "GlobalArrays.h"
#include "PredictedPaths.h"
#include "ResultStores.h"
#include "StringPrintf.h"
#include "ViewDecorations.h"
#include "ViewSelection.h"

// The list comes first: the tools below append themselves to it as they
// are constructed, and it outlives them.
std::vector<CDrawTool*> g_ToolList;
unsigned g_DownFlags = 0;
ScreenPoint g_DownPoint;
ScreenPoint g_LastPoint;
ToolHooks g_ToolHooks;

namespace {

CDisplayTool g_DisplayTool;
CMovePictTool g_MovePictTool;
CSelectTool g_SelectTool;
CODPointTool g_ODPointTool;

// A box must be wider and higher than this (world units) to zoom.
constexpr double kMinZoomBox = 3.0;
// The status text names a node this close to the mouse (world units).
constexpr double kStatusNodeDistance = 15.0;
// The arrow's head: stroke length and half-angle (pi written as 3.14159).
constexpr double kArrowHead = 14.0;
constexpr double kPi = 3.14159;

template <class Hook, class... Args>
void Call(const Hook& hook, Args&&... args)
{
  if (hook)
    hook(std::forward<Args>(args)...);
}

void RepaintViews()
{
  Call(g_ToolHooks.repaintViews);
}

}  // namespace

// ---- rubber bands -----------------------------------------------------------

ScreenRect FocusRect(ScreenPoint from, ScreenPoint to)
{
  return {std::min(from.x, to.x), std::min(from.y, to.y), std::max(from.x, to.x), std::max(from.y, to.y)};
}

std::array<Stroke, 3> ArrowStrokes(ScreenPoint from, ScreenPoint to)
{
  const double a = std::atan2(static_cast<double>(to.y - from.y), static_cast<double>(to.x - from.x));
  auto head = [&](double angle) {
    return ScreenPoint{TruncScreen(to.x - kArrowHead * std::cos(angle)),
                       TruncScreen(to.y - kArrowHead * std::sin(angle))};
  };
  return {Stroke{from, to}, Stroke{to, head(a + kPi / 8)}, Stroke{to, head(a - kPi / 8)}};
}

ScreenRect RubberBandBounds(const RubberBand& band)
{
  switch (band.kind) {
  case RubberBand::Kind::FocusRect: return FocusRect(band.from, band.to);
  case RubberBand::Kind::Arrow: {
    ScreenRect r = FocusRect(band.from, band.to);
    for (const Stroke& s : ArrowStrokes(band.from, band.to))
      r = {std::min({r.left, s.b.x}), std::min({r.top, s.b.y}), std::max({r.right, s.b.x}),
           std::max({r.bottom, s.b.y})};
    return r;
  }
  case RubberBand::Kind::None: break;
  }
  return {0, 0, -1, -1};
}

// ---- conversions ------------------------------------------------------------

WorldPoint DeviceToWorld(const ViewTransform& transform, const LogicalMapping& mapping, ScreenPoint device)
{
  const ScreenPoint logical = mapping.DeviceToLogical(device);
  return transform.ScreenToWorldD({static_cast<double>(logical.x), static_cast<double>(logical.y)});
}

WorldPoint DeviceToWorld(const IToolView& view, ScreenPoint device)
{
  return DeviceToWorld(view.Model().m_transform, view.Mapping(), device);
}

IntPoint DeviceToWorldPoint(const IToolView& view, ScreenPoint device)
{
  return view.Model().m_transform.ScreenToWorld(view.Mapping().DeviceToLogical(device));
}

std::string CameraAddressProblem(const std::string& address)
{
  const std::string::size_type colon = address.find(':');
  std::string scheme = colon == std::string::npos ? std::string() : address.substr(0, colon);
  for (char& c : scheme)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  const bool plain = std::none_of(address.begin(), address.end(),
                                  [](char c) { return static_cast<unsigned char>(c) <= ' ' || c == 0x7F; });
  const bool known = scheme == "http" || scheme == "https" || scheme == "file";
  if (known && plain && address.size() > colon + 1)
    return {};
  return "The camera's address \"" + address + "\" is not an http, https or file address; it is not opened.";
}

std::string CameraBrowserFailedText(const std::string& address)
{
  return "The web browser could not be started for \"" + address + "\".";
}

std::string NodeStatusText(const WorldPoint& p)
{
  const CDrawNode* node = FindNearestNode(p);
  if (node && std::hypot(p.x - node->m_ptPos.x, p.y - node->m_ptPos.y) <= kStatusNodeDistance)
    return StringPrintf("Node:No.%d", node->m_nODKey + 1);
  return {};
}

// ---- the base tool ----------------------------------------------------------

CDrawTool::CDrawTool(int toolId) : m_nToolId(toolId)
{
  g_ToolList.push_back(this);
}

CDrawTool::~CDrawTool()
{
  g_ToolList.erase(std::remove(g_ToolList.begin(), g_ToolList.end(), this), g_ToolList.end());
}

CDrawTool* CDrawTool::FindTool(int toolId)
{
  for (CDrawTool* tool : g_ToolList)
    if (tool->m_nToolId == toolId)
      return tool;
  return nullptr;
}

void CDrawTool::OnLButtonDown(IToolView& view, unsigned flags, ScreenPoint point)
{
  view.SetCapture();
  g_DownFlags = flags;
  g_DownPoint = point;
  g_LastPoint = point;
}

void CDrawTool::OnLButtonDblClk(IToolView& view, unsigned, ScreenPoint)
{
  view.ReleaseCapture();
}

void CDrawTool::OnLButtonUp(IToolView& view, unsigned, ScreenPoint)
{
  view.ReleaseCapture();
}

void CDrawTool::OnMouseMove(IToolView&, unsigned, ScreenPoint point)
{
  g_LastPoint = point;
}

// ---- zoom box ---------------------------------------------------------------

CDisplayTool::CDisplayTool() : CDrawTool(kToolZoomBox) {}

void CDisplayTool::OnLButtonDown(IToolView& view, unsigned flags, ScreenPoint point)
{
  m_bDragging = 1;
  m_ptStart = DeviceToWorldPoint(view, point);
  CDrawTool::OnLButtonDown(view, flags, point);
}

void CDisplayTool::OnMouseMove(IToolView& view, unsigned, ScreenPoint point)
{
  if (!m_bDragging)
    return;
  view.SetRubberBand({RubberBand::Kind::FocusRect, g_DownPoint, point});
  g_LastPoint = point;
}

void CDisplayTool::OnLButtonUp(IToolView& view, unsigned flags, ScreenPoint point)
{
  // Only a box begun by a press of this tool zooms: a release alone (the
  // second of a double click) keeps the view.
  const bool pressed = m_bDragging != 0;
  if (pressed)
    view.SetRubberBand({});
  m_bDragging = 0;
  m_ptEnd = DeviceToWorldPoint(view, point);
  const double dx = std::abs(static_cast<double>(m_ptEnd.x) - m_ptStart.x);
  const double dy = std::abs(static_cast<double>(m_ptEnd.y) - m_ptStart.y);
  if (pressed && dx > kMinZoomBox && dy > kMinZoomBox) {
    // The view as it stood (scrolled or copied from the estimation view
    // since the last stored state) is what Previous view comes back to;
    // the press corner of the box comes to the view's top-left corner,
    // whichever way the box was dragged.
    NetworkViewModel& m = view.Model();
    m.StoreView();
    m.m_transform.ZoomToBox(m_ptStart, dx, view.ClientWidthLogical());
    m.PushView();
    view.Invalidate();
  }
  CDrawTool::OnLButtonUp(view, flags, point);
  g_nToolMode = kToolZoomBox;
}

void CDisplayTool::OnLButtonDblClk(IToolView& view, unsigned flags, ScreenPoint point)
{
  {
    const NetworkViewModel& m = view.Model();
    const int legendLine = LegendTop(LegendReferenceHeight(view.ClientHeightLogical())) + 10;
    const PathViewOptions options = m.DrawOptions(g_bDataLoaded, legendLine).paths;
    LockedPathLists paths = g_PredictedPaths.Lock();
    if (CPath* path = FindPathAt(options, paths, view.Mapping().DeviceToLogical(point)))
      path->m_nOwnPen = 1;
  }
  CSelectTool::Select(view, point, false);
  CDrawTool::OnLButtonDblClk(view, flags, point);
}

// ---- pan --------------------------------------------------------------------

CMovePictTool::CMovePictTool() : CDrawTool(kToolPan) {}

void CMovePictTool::OnLButtonDown(IToolView& view, unsigned flags, ScreenPoint point)
{
  m_ptPrev = point;
  m_ptStartWorld = DeviceToWorldPoint(view, point);
  CDrawTool::OnLButtonDown(view, flags, point);
  m_bDragging = 1;
}

void CMovePictTool::OnMouseMove(IToolView& view, unsigned flags, ScreenPoint point)
{
  CDrawTool::OnMouseMove(view, flags, point);
  if (!m_bDragging)
    return;
  m_ptCur = point;
  // The mouse's way in logical units, so that the network follows it.
  const LogicalMapping map = view.Mapping();
  ViewState& s = view.Model().m_transform.m_state;
  if (s.scaleX != 0.0 && s.scaleY != 0.0) {
    s.offsetX += map.DeviceToLogicalX(m_ptCur.x - m_ptPrev.x) / s.scaleX;
    s.offsetY += map.DeviceToLogicalY(m_ptCur.y - m_ptPrev.y) / s.scaleY;
  }
  m_ptPrev = m_ptCur;
  view.Invalidate();
}

void CMovePictTool::OnLButtonUp(IToolView& view, unsigned flags, ScreenPoint point)
{
  // A release without a press of this tool (the second of a double click)
  // stores nothing.
  if (m_bDragging)
    view.Model().PushView();
  CDrawTool::OnLButtonUp(view, flags, point);
  g_nToolMode = kToolPan;
  m_bDragging = 0;
}

void CMovePictTool::OnLButtonDblClk(IToolView& view, unsigned flags, ScreenPoint point)
{
  CDrawTool::OnLButtonDblClk(view, flags, point);
}

// ---- select -----------------------------------------------------------------

CSelectTool::CSelectTool() : CDrawTool(kToolSelect) {}

void CSelectTool::Select(IToolView& view, ScreenPoint point, bool press)
{
  const WorldPoint p = DeviceToWorld(view, point);
  CDrawNode* node = nullptr;
  CDrawLine* link = nullptr;
  CDrawCCTV* camera = nullptr;
  switch (view.Model().m_nSelectKind) {
  case kSelectNode: node = FindNearestNode(p); break;
  case kSelectLink: link = FindNearestLink(p); break;
  case kSelectCamera:
    if (press)
      camera = FindNearestDetector(p);
    break;
  default: break;
  }

  if (node) {
    if (press) {
      g_nODOriginNode = node->m_nODKey;
      LockedPathLists paths = g_PredictedPaths.Lock();
      CollectODPairPaths(paths, g_nODOriginNode, g_nODDestinationNode, g_CurrentMinute);
    }
    SelectNode(node);
  } else if (link) {
    if (link->m_nSelectMark != 2)
      SelectLink(link);
  } else if (camera) {
    if (!IsSelectedCamera(camera))
      SelectCCTV(camera);
    Call(g_ToolHooks.openCamera, camera->m_szAddress);
  } else {
    ClearSelection();
  }

  if (node)
    Call(g_ToolHooks.showNodeProperties, node->FillPropertyList());
  else if (link)
    Call(g_ToolHooks.showLinkInfo);
  // The marks show in every view.
  RepaintViews();
}

void CSelectTool::OnLButtonDown(IToolView& view, unsigned, ScreenPoint point)
{
  Select(view, point, true);
}

void CSelectTool::OnLButtonDblClk(IToolView& view, unsigned flags, ScreenPoint point)
{
  Select(view, point, false);
  CDrawTool::OnLButtonDblClk(view, flags, point);
}

void CSelectTool::OnLButtonUp(IToolView& view, unsigned flags, ScreenPoint point)
{
  CDrawTool::OnLButtonUp(view, flags, point);
}

void CSelectTool::OnMouseMove(IToolView& view, unsigned, ScreenPoint point)
{
  Call(g_ToolHooks.showStatus, NodeStatusText(DeviceToWorld(view, point)));
}

// ---- OD pick ----------------------------------------------------------------

CODPointTool::CODPointTool() : CDrawTool(kToolODPick) {}

void CODPointTool::OnLButtonDown(IToolView& view, unsigned flags, ScreenPoint point)
{
  g_nODStep = 1;
  CDrawTool::OnLButtonDown(view, flags, point);
  m_ptFrom = point;
  m_ptTo = point;
  view.Invalidate();
}

void CODPointTool::OnMouseMove(IToolView& view, unsigned, ScreenPoint point)
{
  if (g_nODStep != 1)
    return;
  m_ptTo = point;
  view.SetRubberBand({RubberBand::Kind::Arrow, m_ptFrom, m_ptTo});
}

void CODPointTool::OnLButtonUp(IToolView& view, unsigned, ScreenPoint point)
{
  if (g_nODStep == 1)
    m_ptTo = point;  // where the button was let go
  g_nODStep = 2;
  view.SetRubberBand({});
  const IntPoint from = DeviceToWorldPoint(view, m_ptFrom);
  const IntPoint to = DeviceToWorldPoint(view, m_ptTo);
  // A point outside every zone counts as the first zone.
  g_nOriginZone = FindZoneAt(from);
  g_nDestinationZone = FindZoneAt(to);
  if (from != to)
    Call(g_ToolHooks.showODPair, g_nOriginZone, g_nDestinationZone);
  else
    g_nToolMode = kToolSelect;
  view.ReleaseCapture();
}

void CODPointTool::OnLButtonDblClk(IToolView& view, unsigned flags, ScreenPoint point)
{
  CDrawTool::OnLButtonDblClk(view, flags, point);
}
