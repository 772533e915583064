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
#include <QPainter>
#include <QRect>
#include <map>

#include "DrawTypes.h"
#include "PredictedPaths.h"
#include "ViewTransform.h"

// The view's fonts at a device's resolution: the text heights of
// ViewDecorations.h in device pixels, the family the toolkit's default sans.
QFont ViewFont(int logicalHeight, const LogicalMapping& mapping, QFont::Weight weight);

class PainterDrawTarget : public IPathDrawTarget
{
public:
  // bounds: the device rectangle drawn into; what lies wholly outside it is
  // skipped. When printing, pen widths grow with the device's resolution
  // (a pen's width is given in screen pixels).
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

  // Logical point to device pixel (rounded, kept within the screen limit).
  QPoint ToDevice(ScreenPoint p) const;
  // Logical rectangle (right and bottom outside) to the device rectangle
  // it covers.
  QRect ToDevice(const ScreenRect& r) const;

private:
  QPen Scaled(QPen pen) const;
  bool Outside(const QRect& deviceBox) const;

  QPainter& m_painter;
  const ViewTransform& m_transform;
  LogicalMapping m_mapping;
  bool m_bPrinting;
  QRect m_bounds;
  double m_penScale = 1.0;
  ColorRef m_textColor = 0x00FF00;
  std::map<std::tuple<int, int, ColorRef>, QPen> m_customPens;
  QFont m_labelFont;
};
