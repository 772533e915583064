// The network objects' drawing target over a QPainter: world points go
// through the view's transform to logical units (1/100 inch) and on to
// device pixels, pens, brushes and icons come ready-made from
// DrawingObjects. It decides nothing about what is drawn: the network
// objects do (console/model).
//
//   QPainter p(&image);
//   PainterDrawTarget target(p, view.m_transform, LogicalMapping{96, 96}, false, image.rect());
//   DrawNetwork(options, paths, target);
#pragma once

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <map>

#include "DrawTypes.h"
#include "PredictedPaths.h"
#include "ViewTransform.h"

// The view's fonts at a device's resolution: the text heights of
// ViewDecorations.h in device pixels, the family the toolkit's default sans.
QFont ViewFont(int logicalHeight, const LogicalMapping& mapping, QFont::Weight weight);

// Logical units to device pixels, the one rounding every drawing path uses
// (halves away from zero, kept within the screen coordinate limit).
inline int LogicalToDevice(double v)
{
  if (v >= kScreenCoordLimit)
    return kScreenCoordLimit;
  if (v <= -kScreenCoordLimit)
    return -kScreenCoordLimit;
  return static_cast<int>(v < 0 ? v - 0.5 : v + 0.5);
}
inline QPoint LogicalToDevicePoint(const LogicalMapping& m, ScreenPoint p)
{
  return {LogicalToDevice(m.LogicalToDeviceX(p.x)), LogicalToDevice(m.LogicalToDeviceY(p.y))};
}
// A pen that LineRaster draws: solid and one pixel wide.
inline bool IsThinSolid(const PenSpec& pen)
{
  return pen.style == PenStyle::Solid && pen.width == 1;
}
// A logical rectangle (right and bottom outside) to the device pixels it
// covers.
QRect LogicalToDeviceRect(const LogicalMapping& mapping, const ScreenRect& r);
// The rectangle a shape is given so that its one-pixel outline covers the
// pixels of r and no more (the toolkit's outline takes one pixel beyond the
// rectangle's width).
QRect OutlineRect(const QRect& r);

class PainterDrawTarget : public IPathDrawTarget
{
public:
  // bounds: the device rectangle drawn into; what lies wholly outside it is
  // skipped. When printing, pen widths grow with the device's resolution
  // (a pen's width is given in screen pixels). On a 32-bit image the thin
  // solid pens' lines are written by LineRaster, as the fast way does.
  PainterDrawTarget(QPainter& painter, const ViewTransform& transform, const LogicalMapping& mapping,
                    bool printing, const QRect& bounds);

  ScreenPointD WorldToScreenD(const WorldPoint& p) const override { return m_transform.WorldToScreenD(p); }
  bool IsPrinting() const override { return m_bPrinting; }
  void SelectPen(DrawPen pen) override;
  void SelectCustomPen(const PenSpec& pen) override;
  void SelectBrush(DrawBrush brush) override;
  void SetTextColor(ColorRef color) override { m_textColor = color; }
  void Line(ScreenPoint from, ScreenPoint to) override;
  void Ellipse(const ScreenRect& box) override;
  void Rectangle(const ScreenRect& box) override;
  void Polygon(const std::vector<ScreenPoint>& points) override;
  void Bitmap(int resourceId, ScreenPoint centre, ColorRef mask) override;
  void LabelText(const std::string& text, const ScreenRect& box) override;

private:
  QPoint ToDevice(ScreenPoint p) const { return LogicalToDevicePoint(m_mapping, p); }
  QRect ToDevice(const ScreenRect& r) const { return LogicalToDeviceRect(m_mapping, r); }
  QPen Scaled(QPen pen) const;
  bool Outside(const QRect& deviceBox) const;
  void TakePen(const PenSpec& spec);

  QPainter& m_painter;
  const ViewTransform& m_transform;
  LogicalMapping m_mapping;
  bool m_bPrinting;
  QRect m_bounds;
  double m_penScale = 1.0;
  ColorRef m_textColor = 0x00FF00;
  std::map<std::tuple<int, int, ColorRef>, QPen> m_customPens;
  QFont m_labelFont;
  QImage* m_pImage = nullptr;  // the image painted, when its lines may be written straight
  bool m_bThinPen = false;     // the current pen is thin and solid
  QRgb m_penColour = 0;
};
