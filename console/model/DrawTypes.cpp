#include "DrawTypes.h"

PenSpec GetPenSpec(DrawPen pen)
{
  switch (pen) {
  case DrawPen::Grey: return {PenStyle::Solid, 1, 0x808080};
  case DrawPen::Print: return {PenStyle::Solid, 2, 0x000000};
  case DrawPen::LinkSelected: return {PenStyle::Solid, 3, 0x0066FF};
  case DrawPen::LinkHighlight: return {PenStyle::Solid, 4, 0x00FFFF};
  case DrawPen::Ramp0: return {PenStyle::Solid, 1, 0x00FF00};
  case DrawPen::Ramp1: return {PenStyle::Solid, 1, 0xFFFF66};
  case DrawPen::Ramp2: return {PenStyle::Solid, 1, 0xFF8080};
  case DrawPen::Ramp3: return {PenStyle::Solid, 1, 0x4080FF};
  case DrawPen::Ramp4: return {PenStyle::Solid, 1, 0x0000FF};
  case DrawPen::Queue: return {PenStyle::Solid, 3, 0xFF33FF};
  case DrawPen::PathDotted: return {PenStyle::Dotted, 1, 0x00FFFF};
  case DrawPen::PathDashed: return {PenStyle::Dashed, 1, 0xFFFFFF};
  case DrawPen::PathGreen: return {PenStyle::Solid, 1, 0x00FF00};
  case DrawPen::PathYellowGreen: return {PenStyle::Solid, 1, 0x00FFCC};
  case DrawPen::PredPath: return {PenStyle::Solid, 4, 0xFF00FF};
  case DrawPen::Zone: return {PenStyle::Dotted, 1, 0xFFFFFF};
  case DrawPen::NodeSelected: return {PenStyle::Solid, 1, 0x000000};
  case DrawPen::NodeHighlight: return {PenStyle::Solid, 2, 0x33FF99};
  }
  return {};
}

ColorRef GetBrushColor(DrawBrush brush)
{
  switch (brush) {
  case DrawBrush::Queue: return 0xFF80FF;
  case DrawBrush::Node: return 0x00FFFF;
  case DrawBrush::NodeGrey: return 0xBBBBBB;
  case DrawBrush::NodeSelected: return 0xFF00FF;
  case DrawBrush::VehicleGreen: return 0x00FF00;
  case DrawBrush::VehicleYellow: return 0x00FFFF;
  case DrawBrush::VehicleRose: return 0x8000FF;
  case DrawBrush::VehicleGrey: return 0x808080;
  case DrawBrush::Hollow: return 0;
  }
  return 0;
}

int TruncScreen(double v)
{
  if (!(v == v))
    return 0;
  if (v >= kScreenCoordLimit)
    return kScreenCoordLimit;
  if (v <= -kScreenCoordLimit)
    return -kScreenCoordLimit;
  return static_cast<int>(v);
}

ScreenPoint ToScreen(const IDrawTarget& target, const WorldPoint& p)
{
  ScreenPointD s = target.WorldToScreenD(p);
  return {TruncScreen(s.x), TruncScreen(s.y)};
}
