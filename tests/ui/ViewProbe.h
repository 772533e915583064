// Where a world point lands in a network view's picture, for the tests that
// probe the colour of a link.
#pragma once

#include <QPoint>
#include <cmath>

#include "CLogicView.h"
#include "DrawTypes.h"
#include "ViewTransform.h"

namespace uitest {

// Device pixel of a world point in a view.
inline QPoint DeviceOf(const CLogicView& view, const WorldPoint& w)
{
  const ScreenPointD s = view.Model().m_transform.WorldToScreenD(w);
  const LogicalMapping m = view.Mapping();
  return QPoint(static_cast<int>(std::lround(m.LogicalToDeviceX(TruncScreen(s.x)))),
                static_cast<int>(std::lround(m.LogicalToDeviceY(TruncScreen(s.y)))));
}

}  // namespace uitest
