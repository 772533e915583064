#include "ToolbarIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <map>

#include "Commands.h"

namespace {

template <class Paint>
QIcon Draw(Paint paint)
{
  QPixmap pm(24, 24);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setPen(QPen(QColor(30, 30, 30), 1.6));
  paint(p);
  return QIcon(pm);
}

void Magnifier(QPainter& p)
{
  p.setBrush(QColor(200, 230, 255));
  p.drawEllipse(QRectF(3, 3, 12, 12));
  p.setPen(QPen(QColor(30, 30, 30), 3));
  p.drawLine(QPointF(14, 14), QPointF(21, 21));
  p.setPen(QPen(QColor(30, 30, 30), 1.6));
}

QIcon Make(int id)
{
  switch (id) {
  case kCmdLoadData:
    return Draw([](QPainter& p) {
      p.setBrush(QColor(250, 210, 90));
      p.drawPolygon(QPolygonF(
          {QPointF(2, 6), QPointF(9, 6), QPointF(11, 8), QPointF(21, 8), QPointF(21, 20), QPointF(2, 20)}));
    });
  case kCmdSelector:
    return Draw([](QPainter& p) {
      p.setBrush(Qt::white);
      p.drawPolygon(QPolygonF({QPointF(6, 3), QPointF(18, 14), QPointF(12, 14), QPointF(15, 21),
                               QPointF(12, 22), QPointF(9, 15), QPointF(6, 18)}));
    });
  case kCmdZoomIn:
    return Draw([](QPainter& p) {
      Magnifier(p);
      p.setBrush(Qt::NoBrush);
      p.drawRect(QRectF(6, 6, 6, 6));
    });
  case kCmdZoomInStep:
    return Draw([](QPainter& p) {
      Magnifier(p);
      p.drawLine(QPointF(6, 9), QPointF(12, 9));
      p.drawLine(QPointF(9, 6), QPointF(9, 12));
    });
  case kCmdZoomOut:
    return Draw([](QPainter& p) {
      Magnifier(p);
      p.drawLine(QPointF(6, 9), QPointF(12, 9));
    });
  case kCmdSameViewForPrediction:
    return Draw([](QPainter& p) {
      p.setBrush(QColor(200, 230, 255));
      p.drawRect(QRectF(2, 4, 10, 10));
      p.setBrush(QColor(255, 200, 240));
      p.drawRect(QRectF(11, 10, 10, 10));
    });
  case kCmdPreviousView:
    return Draw([](QPainter& p) {
      p.setBrush(QColor(80, 150, 80));
      p.drawPolygon(QPolygonF({QPointF(3, 12), QPointF(11, 4), QPointF(11, 9), QPointF(21, 9),
                               QPointF(21, 15), QPointF(11, 15), QPointF(11, 20)}));
    });
  case kCmdResetView:
    return Draw([](QPainter& p) {
      p.setBrush(QColor(230, 230, 230));
      p.drawPolygon(QPolygonF({QPointF(3, 12), QPointF(12, 3), QPointF(21, 12), QPointF(18, 12),
                               QPointF(18, 21), QPointF(6, 21), QPointF(6, 12)}));
    });
  case kCmdPan:
    return Draw([](QPainter& p) {
      p.drawLine(QPointF(12, 2), QPointF(12, 22));
      p.drawLine(QPointF(2, 12), QPointF(22, 12));
      p.setBrush(QColor(30, 30, 30));
      p.drawPolygon(QPolygonF({QPointF(12, 2), QPointF(9, 6), QPointF(15, 6)}));
      p.drawPolygon(QPolygonF({QPointF(12, 22), QPointF(9, 18), QPointF(15, 18)}));
      p.drawPolygon(QPolygonF({QPointF(2, 12), QPointF(6, 9), QPointF(6, 15)}));
      p.drawPolygon(QPolygonF({QPointF(22, 12), QPointF(18, 9), QPointF(18, 15)}));
    });
  case kCmdNodeSelection:
    return Draw([](QPainter& p) {
      p.setBrush(QColor(255, 255, 0));
      p.drawEllipse(QRectF(6, 6, 12, 12));
    });
  case kCmdLinkSelection:
    return Draw([](QPainter& p) {
      p.setPen(QPen(QColor(255, 102, 0), 3));
      p.drawLine(QPointF(3, 19), QPointF(21, 5));
    });
  case kCmdODDemandSelection:
    return Draw([](QPainter& p) {
      p.setBrush(QColor(0, 200, 0));
      p.drawEllipse(QRectF(2, 14, 7, 7));
      p.setBrush(QColor(230, 0, 0));
      p.drawEllipse(QRectF(15, 3, 7, 7));
      p.setPen(QPen(QColor(30, 30, 30), 1.2, Qt::DashLine));
      p.drawLine(QPointF(7, 15), QPointF(16, 9));
    });
  case kCmdPlots:
    return Draw([](QPainter& p) {
      p.drawLine(QPointF(3, 3), QPointF(3, 21));
      p.drawLine(QPointF(3, 21), QPointF(21, 21));
      p.setPen(QPen(QColor(0, 120, 220), 2));
      p.drawPolyline(QPolygonF({QPointF(4, 17), QPointF(9, 11), QPointF(13, 14), QPointF(20, 5)}));
    });
  case kCmdAdjustPredictionLayout:
    return Draw([](QPainter& p) {
      p.setBrush(QColor(230, 230, 230));
      p.drawRect(QRectF(3, 3, 18, 18));
      p.drawLine(QPointF(3, 10), QPointF(21, 10));
      p.setBrush(QColor(30, 30, 30));
      p.drawPolygon(QPolygonF({QPointF(12, 12), QPointF(9, 16), QPointF(15, 16)}));
    });
  default: return QIcon();
  }
}

}  // namespace

QIcon ToolbarIcon(int commandId)
{
  static std::map<int, QIcon> icons;
  auto it = icons.find(commandId);
  if (it == icons.end())
    it = icons.emplace(commandId, Make(commandId)).first;
  return it->second;
}
