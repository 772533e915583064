// Small probes of widgets under test: a click on a list's line as the
// mouse makes it, a count of the paint events each watched widget gets, and
// the colour of a module status window's bar.
#pragma once

#include <QEvent>
#include <QImage>
#include <QListWidget>
#include <QObject>
#include <QTest>
#include <gtest/gtest.h>
#include <map>

#include "ChartGeometry.h"
#include "ResultStores.h"

namespace uitest {

inline void ClickLine(QListWidget* list, int line)
{
  QRect rect = list->visualItemRect(list->item(line));
  ASSERT_TRUE(rect.isValid());
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
}

class PaintCounter : public QObject
{
public:
  void Watch(QWidget* w) { w->installEventFilter(this); }
  std::map<QObject*, int> paints;
  bool eventFilter(QObject* obj, QEvent* ev) override
  {
    if (ev->type() == QEvent::Paint)
      ++paints[obj];
    return false;
  }
};

// The colour (RGB) in the middle of the bar of a row and a minute in a
// picture of a module status window, at the chart window of now.
inline QRgb StatusBarPixel(const QImage& picture, int row, int minute)
{
  const StatusScale scale =
      MakeStatusScale({0, 0, picture.width(), picture.height()}, g_ChartWindowStart, g_ChartWindowEnd);
  const ScreenRect bar = StatusBarRect(scale, row, minute);
  return picture.pixel((bar.left + bar.right) / 2, (bar.top + bar.bottom) / 2) & 0xFFFFFF;
}

}  // namespace uitest
