#include "PainterDrawTarget.h"

#include <QPolygon>
#include <algorithm>
#include <cmath>

#include "DrawingObjects.h"
#include "LineRaster.h"
#include "ViewDecorations.h"

QFont ViewFont(int logicalHeight, const LogicalMapping& mapping, QFont::Weight weight)
{
  QFont font;  // the toolkit's default family
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(std::max(1, static_cast<int>(std::lround(mapping.LogicalToDeviceY(logicalHeight)))));
  font.setWeight(weight);
  return font;
}

PainterDrawTarget::PainterDrawTarget(QPainter& painter, const ViewTransform& transform,
                                     const LogicalMapping& mapping, bool printing, const QRect& bounds)
    : m_painter(painter), m_transform(transform), m_mapping(mapping), m_bPrinting(printing), m_bounds(bounds),
      m_labelFont(ViewFont(kLabelFontHeight, mapping, QFont::Normal))
{
  if (printing)
    m_penScale = std::max(1.0, mapping.dpiX / 96.0);
  QPaintDevice* device = painter.device();
  if (!printing && device && device->devType() == QInternal::Image && painter.transform().isIdentity()) {
    auto* image = static_cast<QImage*>(device);
    const QImage::Format f = image->format();
    if (image->isDetached() &&
        (f == QImage::Format_RGB32 || f == QImage::Format_ARGB32 || f == QImage::Format_ARGB32_Premultiplied))
      m_pImage = image;
  }
}

void PainterDrawTarget::TakePen(const PenSpec& spec)
{
  m_bThinPen = IsThinSolid(spec);
  m_penColour = ToQColor(spec.color).rgb();
}

QRect LogicalToDeviceRect(const LogicalMapping& m, const ScreenRect& r)
{
  const QPoint a = LogicalToDevicePoint(m, ScreenPoint{r.left, r.top});
  const QPoint b = LogicalToDevicePoint(m, ScreenPoint{r.right, r.bottom});
  return QRect(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
               QPoint(std::max(a.x(), b.x()) - 1, std::max(a.y(), b.y()) - 1));
}

QRect OutlineRect(const QRect& r)
{
  return QRect(r.x(), r.y(), std::max(0, r.width() - 1), std::max(0, r.height() - 1));
}

QPen PainterDrawTarget::Scaled(QPen pen) const
{
  if (m_penScale != 1.0)
    pen.setWidthF(pen.widthF() * m_penScale);
  return pen;
}

bool PainterDrawTarget::Outside(const QRect& box) const
{
  // A margin for the widest pen.
  return !box.adjusted(-8, -8, 8, 8).intersects(m_bounds);
}

void PainterDrawTarget::SelectPen(DrawPen pen)
{
  m_painter.setPen(Scaled(DrawingObjects::Get().Pen(pen)));
  TakePen(GetPenSpec(pen));
}

void PainterDrawTarget::SelectCustomPen(const PenSpec& spec)
{
  auto key = std::make_tuple(static_cast<int>(spec.style), spec.width, spec.color);
  auto it = m_customPens.find(key);
  if (it == m_customPens.end())
    it = m_customPens.emplace(key, Scaled(DrawingObjects::MakePen(spec))).first;
  m_painter.setPen(it->second);
  TakePen(spec);
}

void PainterDrawTarget::SelectBrush(DrawBrush brush)
{
  m_painter.setBrush(DrawingObjects::Get().Brush(brush));
}

void PainterDrawTarget::Line(ScreenPoint from, ScreenPoint to)
{
  const QPoint a = ToDevice(from), b = ToDevice(to);
  if (Outside(QRect(a, b).normalized()))
    return;
  if (m_pImage && m_bThinPen) {
    // Straight into the image's pixels: the painter has drawn everything
    // before (it paints at once) and draws nothing over it unasked.
    RasterLine(reinterpret_cast<QRgb*>(m_pImage->bits()), m_pImage->bytesPerLine() / 4, m_pImage->width(), 0,
               m_pImage->height(), QLine(a, b), m_penColour);
    return;
  }
  m_painter.drawLine(a, b);
}

void PainterDrawTarget::Ellipse(const ScreenRect& box)
{
  const QRect r = ToDevice(box);
  if (!Outside(r))
    m_painter.drawEllipse(OutlineRect(r));
}

void PainterDrawTarget::Rectangle(const ScreenRect& box)
{
  const QRect r = ToDevice(box);
  if (!Outside(r))
    m_painter.drawRect(OutlineRect(r));
}

void PainterDrawTarget::Polygon(const std::vector<ScreenPoint>& points)
{
  QPolygon poly;
  poly.reserve(static_cast<int>(points.size()));
  for (const ScreenPoint& p : points)
    poly << ToDevice(p);
  if (!poly.isEmpty() && !Outside(poly.boundingRect()))
    m_painter.drawPolygon(poly);
}

void PainterDrawTarget::Bitmap(int resourceId, ScreenPoint centre, ColorRef)
{
  // The icons were made transparent where they hold their mask colour.
  const QImage& icon = DrawingObjects::Get().Icon(resourceId);
  if (icon.isNull())
    return;
  const QPoint c = ToDevice(centre);
  const QRect r(c - QPoint(icon.width() / 2, icon.height() / 2), icon.size());
  if (Outside(r))
    return;
  if (m_bPrinting) {
    // Icons keep their size on paper relative to the screen.
    const QRectF scaled(c.x() - icon.width() * m_penScale / 2, c.y() - icon.height() * m_penScale / 2,
                        icon.width() * m_penScale, icon.height() * m_penScale);
    m_painter.drawImage(scaled, icon);
    return;
  }
  m_painter.drawImage(r.topLeft(), icon);
}

void PainterDrawTarget::LabelText(const std::string& text, const ScreenRect& box)
{
  const QRect r = ToDevice(box);
  if (Outside(r))
    return;
  m_painter.save();
  m_painter.setFont(m_labelFont);
  m_painter.setPen(ToQColor(m_textColor));
  m_painter.drawText(r, Qt::AlignCenter | Qt::TextDontClip, QString::fromStdString(text));
  m_painter.restore();
}
