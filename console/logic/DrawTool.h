// The network views' mouse tools, without the widgets: the zoom box
// (CDisplayTool), the pan tool (CMovePictTool), the selection tool
// (CSelectTool) and the OD pick (CODPointTool), one object of each for the
// whole program, shared by the three views and found by the tool mode
// (g_nToolMode). A view hands each left-button and move message to the
// current tool with itself (IToolView) and the device point; the tool
// changes the view, the selection and the shared state, and reaches the
// rest of the console through g_ToolHooks.
//
//   class View : public IToolView { ... };
//   if (CDrawTool* tool = CDrawTool::FindTool(g_nToolMode))
//     tool->OnLButtonDown(view, kKeyLButton, {x, y});
//   g_ToolHooks.showODPair = [sheet](int o, int d) { sheet->ShowODPair(o, d); };
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "CDrawObj.h"
#include "NetworkViewModel.h"

// Key flags of a mouse message (the state of the buttons and keys).
enum KeyFlag : unsigned {
  kKeyLButton = 0x0001,
  kKeyRButton = 0x0002,
  kKeyShift = 0x0004,
  kKeyControl = 0x0008,
  kKeyMButton = 0x0010,
};

// A line drawn over a view's picture while the mouse drags: the zoom box's
// focus rectangle or the OD pick's arrow, in device pixels of the view.
struct RubberBand
{
  enum class Kind { None, FocusRect, Arrow };
  Kind kind = Kind::None;
  ScreenPoint from;
  ScreenPoint to;
  friend bool operator==(const RubberBand&, const RubberBand&) = default;
};
struct Stroke
{
  ScreenPoint a;
  ScreenPoint b;
  friend bool operator==(const Stroke&, const Stroke&) = default;
};
// The rectangle between the two points, normalised.
ScreenRect FocusRect(ScreenPoint from, ScreenPoint to);
// The arrow from `from` to `to`: the line, then two strokes of length 14 at
// the end, pi/8 either side of the line (ends truncated to integers).
std::array<Stroke, 3> ArrowStrokes(ScreenPoint from, ScreenPoint to);
// The pixels a band covers (inclusive), for repainting only them; an empty
// rectangle for no band.
ScreenRect RubberBandBounds(const RubberBand& band);

// The network view as the tools see it.
class IToolView
{
public:
  virtual ~IToolView() = default;
  virtual NetworkViewModel& Model() = 0;
  virtual const NetworkViewModel& Model() const = 0;
  // Logical units (1/100 inch) of the view's device.
  virtual LogicalMapping Mapping() const = 0;
  // The client area in logical units.
  virtual int ClientWidthLogical() const = 0;
  virtual int ClientHeightLogical() const = 0;
  // The mouse belongs to this view until released.
  virtual void SetCapture() = 0;
  virtual void ReleaseCapture() = 0;
  virtual bool HasCapture() const = 0;
  // The picture is drawn again (the network moved or its marks changed).
  virtual void Invalidate() = 0;
  // The band over the picture (Kind::None removes it); the picture itself
  // is not drawn again.
  virtual void SetRubberBand(const RubberBand& band) = 0;
};

// Device pixel of a view to a world point (through logical units).
WorldPoint DeviceToWorld(const IToolView& view, ScreenPoint device);
IntPoint DeviceToWorldPoint(const IToolView& view, ScreenPoint device);
WorldPoint DeviceToWorld(const ViewTransform& transform, const LogicalMapping& mapping, ScreenPoint device);

// What the tools ask of the rest of the console. An empty function does
// nothing.
struct ToolHooks
{
  // Pane 1 of the status bar.
  std::function<void(const std::string& text)> showStatus;
  // A node's rows into the control panel's property list.
  std::function<void(const std::vector<PropertyRow>& rows)> showNodeProperties;
  // The selected link's rows into the control panel and, when the
  // information sheet is open, its link page.
  std::function<void()> showLinkInfo;
  // A camera's picture: its address in the web browser.
  std::function<void(const std::string& address)> openCamera;
  // The OD pick: the information sheet's OD table page for the two zone
  // positions (the sheet binds it; until then the pick only sets
  // g_nOriginZone and g_nDestinationZone).
  std::function<void(int origin, int destination)> showODPair;
  // The selection changed: every network view is drawn again.
  std::function<void()> repaintViews;
};
extern ToolHooks g_ToolHooks;

// Why a camera's address may not go to the browser: only http, https and
// file addresses, without spaces or control characters, are opened. Empty
// when it may.
std::string CameraAddressProblem(const std::string& address);
// The operator's message when the browser could not be started.
std::string CameraBrowserFailedText(const std::string& address);

// The status text of the select tool for a world point: "Node:No.%d" (the
// node's OD key + 1) within 15 of the nearest node, else empty.
std::string NodeStatusText(const WorldPoint& p);

class CDrawTool
{
public:
  explicit CDrawTool(int toolId);
  virtual ~CDrawTool();
  CDrawTool(const CDrawTool&) = delete;
  CDrawTool& operator=(const CDrawTool&) = delete;

  int m_nToolId;

  // The first tool of g_ToolList with the id, or null (the path mode has
  // none).
  static CDrawTool* FindTool(int toolId);

  // The base press captures the mouse and records the down flags and point
  // (the last point too); the double click and the release let the mouse
  // go; the move records the last point.
  virtual void OnLButtonDown(IToolView& view, unsigned flags, ScreenPoint point);
  virtual void OnLButtonDblClk(IToolView& view, unsigned flags, ScreenPoint point);
  virtual void OnLButtonUp(IToolView& view, unsigned flags, ScreenPoint point);
  virtual void OnMouseMove(IToolView& view, unsigned flags, ScreenPoint point);
};

// Every tool, in construction order: zoom box, pan, select, OD pick.
extern std::vector<CDrawTool*> g_ToolList;
// Shared by all tools: key flags and place of the last press, and the last
// place seen while the button was down (device pixels).
extern unsigned g_DownFlags;
extern ScreenPoint g_DownPoint;
extern ScreenPoint g_LastPoint;

// The zoom box: drag a box; one wider and higher than 3 world units fills
// the view's width, the press point at the view's top-left, and Previous
// view goes back to the view as it stood before the box. A double
// click picks a predicted path in the legend and selects as the select
// tool's double click does.
class CDisplayTool : public CDrawTool
{
public:
  CDisplayTool();
  int m_bDragging = 0;
  IntPoint m_ptStart;  // world points of the press and the release
  IntPoint m_ptEnd;
  void OnLButtonDown(IToolView& view, unsigned flags, ScreenPoint point) override;
  void OnLButtonDblClk(IToolView& view, unsigned flags, ScreenPoint point) override;
  void OnLButtonUp(IToolView& view, unsigned flags, ScreenPoint point) override;
  void OnMouseMove(IToolView& view, unsigned flags, ScreenPoint point) override;
};

// The pan tool: the network follows the mouse while the button is down;
// the release stores the new view state in the history.
class CMovePictTool : public CDrawTool
{
public:
  CMovePictTool();
  int m_bDragging = 0;
  IntPoint m_ptStartWorld;
  ScreenPoint m_ptPrev;
  ScreenPoint m_ptCur;
  void OnLButtonDown(IToolView& view, unsigned flags, ScreenPoint point) override;
  void OnLButtonDblClk(IToolView& view, unsigned flags, ScreenPoint point) override;
  void OnLButtonUp(IToolView& view, unsigned flags, ScreenPoint point) override;
  void OnMouseMove(IToolView& view, unsigned flags, ScreenPoint point) override;
};

// The selection tool: a click selects the node, link or camera (by the
// view's select kind) under the mouse and shows its properties; a camera's
// picture opens in the browser. A move shows the nearest node in the
// status bar.
class CSelectTool : public CDrawTool
{
public:
  CSelectTool();
  void OnLButtonDown(IToolView& view, unsigned flags, ScreenPoint point) override;
  void OnLButtonDblClk(IToolView& view, unsigned flags, ScreenPoint point) override;
  void OnLButtonUp(IToolView& view, unsigned flags, ScreenPoint point) override;
  void OnMouseMove(IToolView& view, unsigned flags, ScreenPoint point) override;
  // What a press (press: true) or a double click (false) selects; the
  // zoom box's double click selects the same way.
  static void Select(IToolView& view, ScreenPoint point, bool press);
};

// The OD pick: drag an arrow from an origin zone to a destination zone;
// the two zones go to the OD table page. A release where the press was
// hands over to the selection tool.
class CODPointTool : public CDrawTool
{
public:
  CODPointTool();
  ScreenPoint m_ptFrom;
  ScreenPoint m_ptTo;
  void OnLButtonDown(IToolView& view, unsigned flags, ScreenPoint point) override;
  void OnLButtonDblClk(IToolView& view, unsigned flags, ScreenPoint point) override;
  void OnLButtonUp(IToolView& view, unsigned flags, ScreenPoint point) override;
  void OnMouseMove(IToolView& view, unsigned flags, ScreenPoint point) override;
};
