// Plain geometry, colour and drawing-target types of the network objects.
// The network objects decide what to draw (pen, brush, colour level, icon
// places) and hand primitives to an IDrawTarget; a network view implements
// the target over its own device context and world/screen transform.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Colour value 0x00BBGGRR (blue in the high byte, red in the low byte).
using ColorRef = std::uint32_t;

struct WorldPoint
{
  double x = 0.0;
  double y = 0.0;
  friend bool operator==(const WorldPoint&, const WorldPoint&) = default;
};

// Integer point, used for screen coordinates and for the integer world
// points of OD zones.
struct IntPoint
{
  int x = 0;
  int y = 0;
  friend bool operator==(const IntPoint&, const IntPoint&) = default;
};
using ScreenPoint = IntPoint;

struct ScreenPointD
{
  double x = 0.0;
  double y = 0.0;
};

struct ScreenRect
{
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  friend bool operator==(const ScreenRect&, const ScreenRect&) = default;
};

// The console's global pens (widths in device units), in the order of
// kPenTable.
enum class DrawPen {
  Grey,
  Print,
  LinkSelected,
  LinkHighlight,
  Ramp0,
  Ramp1,
  Ramp2,
  Ramp3,
  Ramp4,
  Queue,
  PathDotted,
  PathDashed,
  PathGreen,
  PathYellowGreen,
  PredPath,
  Zone,
  NodeSelected,
  NodeHighlight,
};
constexpr int kDrawPenCount = 18;

// The console's global brushes, in the order of kBrushTable.
enum class DrawBrush {
  Queue,
  Node,
  NodeGrey,
  NodeSelected,
  VehicleGreen,
  VehicleYellow,
  VehicleRose,
  VehicleGrey,
  Hollow,  // the stock hollow brush: fills nothing
};
constexpr int kDrawBrushCount = 9;

enum class PenStyle { Solid, Dashed, Dotted };

struct PenSpec
{
  PenStyle style = PenStyle::Solid;
  int width = 1;
  ColorRef color = 0;
  friend constexpr bool operator==(const PenSpec&, const PenSpec&) = default;
};

// The colour ramp of links by density (level 0 to 4) or speed (4 to 0),
// green, light cyan, light blue, orange, red: the ramp pens' colours.
inline constexpr ColorRef kColorRampDefault[5] = {0x00FF00, 0xFFFF66, 0xFF8080, 0x4080FF, 0x0000FF};

// The drawing objects built once at start-up: one row per DrawPen and per
// DrawBrush, in enum order. A view makes its toolkit pens and brushes from
// these tables once.
inline constexpr PenSpec kPenTable[kDrawPenCount] = {
    {PenStyle::Solid, 1, 0x808080},              // Grey: unmarked links, node outlines, cameras
    {PenStyle::Solid, 2, 0x000000},              // Print: links and cameras when printing
    {PenStyle::Solid, 3, 0x0066FF},              // LinkSelected: mark 2
    {PenStyle::Solid, 4, 0x00FFFF},              // LinkHighlight: mark 1
    {PenStyle::Solid, 1, kColorRampDefault[0]},  // Ramp0 green
    {PenStyle::Solid, 1, kColorRampDefault[1]},  // Ramp1 light cyan
    {PenStyle::Solid, 1, kColorRampDefault[2]},  // Ramp2 light blue
    {PenStyle::Solid, 1, kColorRampDefault[3]},  // Ramp3 orange
    {PenStyle::Solid, 1, kColorRampDefault[4]},  // Ramp4 red
    {PenStyle::Solid, 3, 0xFF33FF},              // Queue: the queue piece of a link
    {PenStyle::Dotted, 1, 0x00FFFF},             // PathDotted: path piece of kind 0
    {PenStyle::Dashed, 1, 0xFFFFFF},             // PathDashed: selected for kind 1, at once replaced
    {PenStyle::Solid, 1, 0x00FF00},              // PathGreen: path piece of kind 1
    {PenStyle::Solid, 1, 0x00FFCC},              // PathYellowGreen: path piece of kind 2
    {PenStyle::Solid, 4, 0xFF00FF},              // PredPath: a picked predicted path
    {PenStyle::Dotted, 1, 0xFFFFFF},             // Zone: OD zone outlines
    {PenStyle::Solid, 1, 0x000000},              // NodeSelected
    {PenStyle::Solid, 2, 0x33FF99},              // NodeHighlight: square of half-size 4
};
inline constexpr ColorRef kBrushTable[kDrawBrushCount] = {
    0xFF80FF,  // Queue
    0x00FFFF,  // Node
    0xBBBBBB,  // NodeGrey: while the vehicle layer is on
    0xFF00FF,  // NodeSelected
    0x00FF00,  // VehicleGreen
    0x00FFFF,  // VehicleYellow
    0x8000FF,  // VehicleRose
    0x808080,  // VehicleGrey
    0,         // Hollow
};

constexpr PenSpec GetPenSpec(DrawPen pen)
{
  const int i = static_cast<int>(pen);
  return i >= 0 && i < kDrawPenCount ? kPenTable[i] : PenSpec{};
}
// Hollow gives 0.
constexpr ColorRef GetBrushColor(DrawBrush brush)
{
  const int i = static_cast<int>(brush);
  return i >= 0 && i < kDrawBrushCount ? kBrushTable[i] : 0;
}

// Red, green and blue of a colour value 0x00BBGGRR.
struct RgbColor
{
  int r = 0;
  int g = 0;
  int b = 0;
  friend constexpr bool operator==(const RgbColor&, const RgbColor&) = default;
};
constexpr RgbColor ToRgb(ColorRef c)
{
  return {static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>((c >> 16) & 0xFF)};
}
constexpr ColorRef FromRgb(int r, int g, int b)
{
  return static_cast<ColorRef>(r & 0xFF) | (static_cast<ColorRef>(g & 0xFF) << 8) |
         (static_cast<ColorRef>(b & 0xFF) << 16);
}
static_assert(ToRgb(0x0066FF) == RgbColor{255, 102, 0});

// Bitmap resources drawn by the network objects and their mask colours.
constexpr int kBmpVMS = 172;
constexpr int kBmpIncident = 167;
constexpr int kBmpSignal = 177;
constexpr int kBmpPathEnd = 193;
constexpr int kBmpPathMark = 195;
constexpr int kBmpDestination = 199;
constexpr int kBmpOrigin = 200;
constexpr int kBmpWorkZone = 225;
constexpr int kBmpDetector = 229;
constexpr int kBmpCameraOnLink = 231;
constexpr int kBmpCamera = 232;
constexpr ColorRef kMaskYellow = 0x00FFFF;
constexpr ColorRef kMaskWhite = 0xFFFFFF;

// The value of pi used by every drawing routine.
constexpr double kDrawPi = 3.14159;

// Everything the network objects' drawing reads besides the objects
// themselves and the drawing target: the view's options and the values of
// the result stores and the load that the drawing depends on. The drawing
// reads no global setting or clock; a view fills this before it paints
// (TakeStoreInputs in NetworkDrawing.h fills the last three).
struct ViewDrawOptions
{
  bool bShowCCTV = false;
  bool bShowDetectors = false;
  bool bShowBusRoutes = false;
  bool bShowSignals = false;
  bool bShowUEPaths = false;
  bool bShowVehicles = false;
  int nDisplayMeasure = 0;  // 0 none, 1 density, 2 speed, 3 queue, 5 travel time
  int nSource = 0;          // result source the view shows (0, 1 or 3)
  int nMinute = 0;          // minute of the results the view shows
  double dScaleX = 1.0;     // the view's x zoom factor
  // Minute of the estimation clock: whether a VMS, incident or work zone is
  // in force (every view uses it).
  double dMarkMinute = 0.0;
  // Minute of the view's own clock (the prediction clock in a prediction
  // view, else the estimation clock): where vehicles stand.
  double dClockMinute = 0.0;
  // Mean shape ratio of the links (g_LinkShapeRatio): sizes the node circles.
  double dLinkShapeRatio = 0.0;
};

// A drawing surface: a device context seen through a world/screen transform.
// Screen coordinates are integer logical coordinates of the view.
class IDrawTarget
{
public:
  virtual ~IDrawTarget() = default;
  // World to screen, not truncated (the objects truncate).
  virtual ScreenPointD WorldToScreenD(const WorldPoint& p) const = 0;
  virtual bool IsPrinting() const = 0;
  virtual void SelectPen(DrawPen pen) = 0;
  virtual void SelectBrush(DrawBrush brush) = 0;
  virtual void SetTextColor(ColorRef color) = 0;
  virtual void Line(ScreenPoint from, ScreenPoint to) = 0;
  virtual void Ellipse(const ScreenRect& box) = 0;
  virtual void Rectangle(const ScreenRect& box) = 0;
  virtual void Polygon(const std::vector<ScreenPoint>& points) = 0;
  // Draws the bitmap transparently (mask colour), centred on the point: its
  // top-left corner is the point minus half its width and height.
  virtual void Bitmap(int resourceId, ScreenPoint centre, ColorRef mask) = 0;
  // Zone label: centred in the box without clipping, in the label font.
  virtual void LabelText(const std::string& text, const ScreenRect& box) = 0;
};

// Screen coordinate of a real one: truncated toward zero and kept within
// +/- kScreenCoordLimit (a point far off the view, from an odd coordinate in
// a data file, stays a defined integer with room for the few units that
// the drawing adds around it); NaN gives 0.
constexpr int kScreenCoordLimit = 1 << 29;
int TruncScreen(double v);

// World point to truncated screen point.
ScreenPoint ToScreen(const IDrawTarget& target, const WorldPoint& p);
