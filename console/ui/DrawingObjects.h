// The Qt pens, brushes and icons of the network views and the clock view,
// made once from the drawing tables (kPenTable, kBrushTable) and the icon
// painters below, and shared read-only by every view and every rendering
// thread.
//
//   const DrawingObjects& d = DrawingObjects::Get();   // built on first use
//   painter.setPen(d.Pen(DrawPen::Grey));
//   painter.drawImage(topLeft, d.Icon(kBmpVMS));
#pragma once

#include <QBrush>
#include <QColor>
#include <QImage>
#include <QPen>
#include <map>

#include "DrawTypes.h"

// Bitmaps of the clock view (the network objects' ids are in DrawTypes.h).
constexpr int kBmpPredictionMarker = 182;
constexpr int kBmpEstimationMarker = 183;
constexpr int kBmpPredictionMarkerGrabbed = 186;
constexpr int kBmpClockPicture = 192;

QColor ToQColor(ColorRef c);

class DrawingObjects
{
public:
  // Built once, thread-safe.
  static const DrawingObjects& Get();

  const QPen& Pen(DrawPen pen) const { return m_pens[static_cast<int>(pen)]; }
  const QBrush& Brush(DrawBrush brush) const { return m_brushes[static_cast<int>(brush)]; }
  // A pen of a spec (cosmetic: its width is in device pixels).
  static QPen MakePen(const PenSpec& spec);
  // The icon of a bitmap id (mask colour made transparent); a null image
  // for an unknown id.
  const QImage& Icon(int resourceId) const;

private:
  DrawingObjects();
  QPen m_pens[kDrawPenCount];
  QBrush m_brushes[kDrawBrushCount];
  std::map<int, QImage> m_icons;
};
