#include "DrawingObjects.h"

#include <QPainter>
#include <QPolygon>

QColor ToQColor(ColorRef c)
{
  const RgbColor rgb = ToRgb(c);
  return QColor(rgb.r, rgb.g, rgb.b);
}

QPen DrawingObjects::MakePen(const PenSpec& spec)
{
  QPen pen(ToQColor(spec.color));
  pen.setWidth(spec.width);
  pen.setCosmetic(true);
  pen.setStyle(spec.style == PenStyle::Dotted   ? Qt::DotLine
               : spec.style == PenStyle::Dashed ? Qt::DashLine
                                                : Qt::SolidLine);
  pen.setCapStyle(spec.width > 1 ? Qt::RoundCap : Qt::FlatCap);
  pen.setJoinStyle(Qt::RoundJoin);
  return pen;
}

namespace {

// An icon drawn on its mask colour, which then becomes transparent.
template <class Paint>
QImage MaskedIcon(int w, int h, ColorRef mask, Paint paint)
{
  QImage img(w, h, QImage::Format_ARGB32);
  const QColor maskColor = ToQColor(mask);
  img.fill(maskColor);
  {
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, false);
    paint(p);
  }
  const QRgb m = maskColor.rgb();
  for (int y = 0; y < h; ++y) {
    auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
    for (int x = 0; x < w; ++x)
      if ((line[x] & 0xFFFFFF) == (m & 0xFFFFFF))
        line[x] = 0;
  }
  return img.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QImage VMSIcon()
{
  // A message sign on a post.
  return MaskedIcon(16, 14, kMaskWhite, [](QPainter& p) {
    p.setPen(QColor(40, 40, 40));
    p.setBrush(QColor(20, 20, 20));
    p.drawRect(0, 0, 15, 9);
    p.setPen(QColor(255, 190, 0));
    for (int x = 2; x < 14; x += 2) {
      p.drawPoint(x, 3);
      p.drawPoint(x, 6);
    }
    p.fillRect(7, 10, 2, 4, QColor(90, 90, 90));
  });
}

QImage IncidentIcon()
{
  // A red warning triangle with an exclamation mark.
  return MaskedIcon(15, 14, kMaskWhite, [](QPainter& p) {
    p.setPen(QColor(200, 0, 0));
    p.setBrush(QColor(255, 40, 40));
    p.drawPolygon(QPolygon({QPoint(7, 0), QPoint(14, 13), QPoint(0, 13)}));
    p.fillRect(7, 4, 1, 5, Qt::black);
    p.fillRect(7, 11, 1, 1, Qt::black);
  });
}

QImage SignalIcon()
{
  // A traffic light: red, amber and green lamps in a dark body.
  return MaskedIcon(8, 16, kMaskWhite, [](QPainter& p) {
    p.setPen(QColor(30, 30, 30));
    p.setBrush(QColor(50, 50, 50));
    p.drawRect(0, 0, 7, 15);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 0, 0));
    p.drawRect(2, 2, 3, 3);
    p.setBrush(QColor(255, 190, 0));
    p.drawRect(2, 6, 3, 3);
    p.setBrush(QColor(0, 220, 0));
    p.drawRect(2, 10, 3, 3);
  });
}

QImage RingIcon(QColor fill, ColorRef mask)
{
  return MaskedIcon(9, 9, mask, [fill](QPainter& p) {
    p.setPen(Qt::black);
    p.setBrush(fill);
    p.drawEllipse(0, 0, 8, 8);
  });
}

QImage DiamondIcon(QColor fill, ColorRef mask)
{
  return MaskedIcon(9, 9, mask, [fill](QPainter& p) {
    p.setPen(Qt::black);
    p.setBrush(fill);
    p.drawPolygon(QPolygon({QPoint(4, 0), QPoint(8, 4), QPoint(4, 8), QPoint(0, 4)}));
  });
}

QImage FlagIcon(QColor flag)
{
  // A flag on a pole; the pole's foot is the icon's centre column.
  return MaskedIcon(12, 14, kMaskWhite, [flag](QPainter& p) {
    p.fillRect(5, 0, 2, 14, QColor(60, 60, 60));
    p.setPen(Qt::black);
    p.setBrush(flag);
    p.drawRect(7, 0, 4, 6);
  });
}

QImage WorkZoneIcon()
{
  // An orange road-works diamond.
  return MaskedIcon(15, 15, kMaskWhite, [](QPainter& p) {
    p.setPen(Qt::black);
    p.setBrush(QColor(255, 140, 0));
    p.drawPolygon(QPolygon({QPoint(7, 0), QPoint(14, 7), QPoint(7, 14), QPoint(0, 7)}));
    p.fillRect(5, 7, 5, 2, Qt::black);
  });
}

QImage DetectorIcon()
{
  return MaskedIcon(8, 8, kMaskYellow, [](QPainter& p) {
    p.setPen(Qt::white);
    p.setBrush(QColor(0, 90, 255));
    p.drawRect(0, 0, 7, 7);
    p.fillRect(3, 3, 2, 2, Qt::white);
  });
}

QImage CameraIcon(ColorRef mask, QColor body)
{
  // A camera: body, lens and a small mount.
  return MaskedIcon(14, 10, mask, [body](QPainter& p) {
    p.setPen(Qt::black);
    p.setBrush(body);
    p.drawRect(0, 2, 9, 6);
    p.drawPolygon(QPolygon({QPoint(9, 4), QPoint(13, 2), QPoint(13, 8), QPoint(9, 6)}));
    p.fillRect(3, 0, 3, 2, QColor(60, 60, 60));
  });
}

QImage MarkerIcon(bool pointingDown, QColor fill, QColor edge)
{
  // A triangle pointing at the axis: the estimation marker above it points
  // down, the prediction marker below it points up.
  return MaskedIcon(13, 11, kMaskYellow, [=](QPainter& p) {
    p.setPen(edge);
    p.setBrush(fill);
    if (pointingDown)
      p.drawPolygon(QPolygon({QPoint(0, 0), QPoint(12, 0), QPoint(6, 10)}));
    else
      p.drawPolygon(QPolygon({QPoint(6, 0), QPoint(12, 10), QPoint(0, 10)}));
  });
}

QImage ClockPicture()
{
  // A small clock face, copied as it is (no mask).
  QImage img(20, 20, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::black);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setPen(QPen(QColor(0, 255, 0), 1.5));
  p.setBrush(QColor(0, 60, 0));
  p.drawEllipse(QRectF(1.5, 1.5, 17, 17));
  p.drawLine(QPointF(10, 10), QPointF(10, 4.5));
  p.drawLine(QPointF(10, 10), QPointF(14, 12));
  return img;
}

}  // namespace

DrawingObjects::DrawingObjects()
{
  for (int i = 0; i < kDrawPenCount; ++i)
    m_pens[i] = MakePen(kPenTable[i]);
  for (int i = 0; i < kDrawBrushCount; ++i)
    m_brushes[i] = static_cast<DrawBrush>(i) == DrawBrush::Hollow ? QBrush(Qt::NoBrush)
                                                                  : QBrush(ToQColor(kBrushTable[i]));
  m_icons[kBmpVMS] = VMSIcon();
  m_icons[kBmpIncident] = IncidentIcon();
  m_icons[kBmpSignal] = SignalIcon();
  m_icons[kBmpPathEnd] = RingIcon(QColor(255, 255, 0), kMaskYellow);
  m_icons[kBmpPathMark] = DiamondIcon(QColor(0, 255, 0), kMaskYellow);
  m_icons[kBmpDestination] = FlagIcon(QColor(255, 0, 0));
  m_icons[kBmpOrigin] = FlagIcon(QColor(0, 200, 0));
  m_icons[kBmpWorkZone] = WorkZoneIcon();
  m_icons[kBmpDetector] = DetectorIcon();
  m_icons[kBmpCameraOnLink] = CameraIcon(kMaskYellow, QColor(230, 230, 230));
  m_icons[kBmpCamera] = CameraIcon(kMaskWhite, QColor(160, 160, 160));
  m_icons[kBmpPredictionMarker] = MarkerIcon(false, ToQColor(0xFF33CC), QColor(255, 255, 255));
  m_icons[kBmpPredictionMarkerGrabbed] = MarkerIcon(false, QColor(255, 255, 255), ToQColor(0xFF33CC));
  m_icons[kBmpEstimationMarker] = MarkerIcon(true, QColor(0, 255, 0), QColor(255, 255, 255));
  m_icons[kBmpClockPicture] = ClockPicture();
}

const DrawingObjects& DrawingObjects::Get()
{
  static const DrawingObjects objects;
  return objects;
}

const QImage& DrawingObjects::Icon(int resourceId) const
{
  static const QImage none;
  auto it = m_icons.find(resourceId);
  return it == m_icons.end() ? none : it->second;
}
