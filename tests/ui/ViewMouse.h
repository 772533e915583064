// Mouse events into a network view as the window system sends them, where
// a view draws a world point, and zones to pick: for the tests that drive
// the view tools.
#pragma once

#include <QApplication>
#include <QMouseEvent>
#include <cmath>

#include "CDrawLine.h"
#include "CDrawObj.h"
#include "CLogicView.h"
#include "GlobalArrays.h"

namespace uitest {

// Sends one mouse event to a view's client area.
inline void Mouse(CLogicView* view, QEvent::Type type, QPoint at, Qt::MouseButton button = Qt::LeftButton)
{
  const Qt::MouseButtons held = type == QEvent::MouseButtonRelease || type == QEvent::MouseMove
                                    ? Qt::MouseButtons(type == QEvent::MouseMove ? button : Qt::NoButton)
                                    : Qt::MouseButtons(button);
  QMouseEvent e(type, QPointF(at), view->viewport()->mapToGlobal(QPointF(at)),
                type == QEvent::MouseMove ? Qt::NoButton : button, held, Qt::NoModifier);
  QApplication::sendEvent(view->viewport(), &e);
}

inline void DragIn(CLogicView* view, QPoint from, QPoint to)
{
  Mouse(view, QEvent::MouseButtonPress, from);
  Mouse(view, QEvent::MouseMove, (from + to) / 2);
  Mouse(view, QEvent::MouseMove, to);
  Mouse(view, QEvent::MouseButtonRelease, to);
}

// The device pixel where a view draws a world point.
inline QPoint PixelOf(const CLogicView* view, const WorldPoint& w)
{
  const ScreenPoint logical = view->Model().m_transform.WorldToScreen(
      IntPoint{static_cast<int>(std::lround(w.x)), static_cast<int>(std::lround(w.y))});
  const ScreenPoint device = view->Mapping().LogicalToDevice(logical);
  return QPoint(device.x, device.y);
}

// A link whose middle the view shows well inside its client area.
inline CDrawLine* VisibleLink(const CLogicView* view, QPoint& middle)
{
  const QRect inside = view->viewport()->rect().adjusted(20, 60, -20, -80);
  for (const auto& link : g_LineArray) {
    const WorldPoint a = link->m_pPoints.front(), b = link->m_pPoints.back();
    middle = PixelOf(view, {(a.x + b.x) / 2, (a.y + b.y) / 2});
    if (inside.contains(middle) && (PixelOf(view, a) - PixelOf(view, b)).manhattanLength() > 20)
      return link.get();
  }
  return nullptr;
}

// Two square zones side by side (400 world units each), zones 0 and 1 of
// g_ZoneArray, around the world point under pixel (300, 250) of the view,
// which is returned: zone 0 lies left of it, zone 1 right.
inline WorldPoint AddTwoZones(const CLogicView* view)
{
  const WorldPoint mid = DeviceToWorld(*view, {300, 250});
  for (int k = 0; k < 2; ++k) {
    auto* z = new CODZone;
    const int x = static_cast<int>(mid.x) - 400 + 400 * k;
    const int y = static_cast<int>(mid.y) - 200;
    for (IntPoint p :
         {IntPoint{x, y}, IntPoint{x + 400, y}, IntPoint{x + 400, y + 400}, IntPoint{x, y + 400}})
      z->AddPoint(p);
    g_ZoneArray.Add(z);
  }
  return mid;
}

}  // namespace uitest
