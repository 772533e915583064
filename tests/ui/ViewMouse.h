// Mouse events into a network view as the window system sends them, and
// where a view draws a world point: for the tests that drive the view
// tools.
#pragma once

#include <QApplication>
#include <QMouseEvent>
#include <cmath>

#include "CDrawLine.h"
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

}  // namespace uitest
