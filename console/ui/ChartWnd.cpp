#include "ChartWnd.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPolygon>

#include "DrawingObjects.h"

namespace {

QPen ToQPen(const ChartPen& chartPen)
{
  QPen pen(ToQColor(chartPen.color));
  pen.setWidth(chartPen.width);
  pen.setCapStyle(Qt::FlatCap);
  switch (chartPen.style) {
  case PenStyle::Solid: pen.setStyle(Qt::SolidLine); break;
  case PenStyle::Dashed: pen.setStyle(Qt::DashLine); break;
  case PenStyle::Dotted: pen.setDashPattern({1.0, 1.0}); break;
  }
  return pen;
}

QPoint ToQPoint(const ScreenPoint& p)
{
  return QPoint(p.x, p.y);
}

}  // namespace

void PaintChartPicture(QPainter& painter, const ChartPicture& picture)
{
  QFontMetrics metrics(painter.font());
  for (const ChartItem& item : picture.items) {
    switch (item.kind) {
    case ChartItemKind::Line:
      if (item.points.size() == 2) {
        painter.setPen(ToQPen(item.pen));
        painter.drawLine(ToQPoint(item.points[0]), ToQPoint(item.points[1]));
      }
      break;
    case ChartItemKind::Polyline: {
      QPolygon polygon;
      for (const ScreenPoint& p : item.points)
        polygon << ToQPoint(p);
      painter.setPen(ToQPen(item.pen));
      painter.drawPolyline(polygon);
      break;
    }
    case ChartItemKind::Bar: {
      const ScreenRect& r = item.rect;
      int w = r.right - r.left;
      int h = r.bottom - r.top;
      if (w <= 0 || h <= 0)
        break;
      painter.fillRect(QRect(r.left, r.top, w, h), ToQColor(item.fill));
      if (item.pen.color != item.fill) {
        QPen outline = ToQPen(item.pen);
        outline.setWidth(1);
        painter.setPen(outline);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRect(r.left, r.top, w - 1, h - 1));
      }
      break;
    }
    case ChartItemKind::Text:
      if (!item.points.empty()) {
        painter.setPen(ToQColor(item.pen.color));
        painter.drawText(QPoint(item.points[0].x, item.points[0].y + metrics.ascent()),
                         QString::fromStdString(item.text));
      }
      break;
    }
  }
}

CChartWnd::CChartWnd(std::shared_ptr<const InfoSheetHooks> hooks, QWidget* parent)
    : QWidget(parent), m_hooks(std::move(hooks))
{
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void CChartWnd::paintEvent(QPaintEvent*)
{
  QPainter painter(this);
  painter.fillRect(rect(), Qt::black);
  painter.setBackgroundMode(Qt::TransparentMode);
  painter.setPen(Qt::white);
  painter.setFont(*m_hooks->chartFont);
  DrawChart(painter, {0, 0, width(), height()});
}
