// Small probes of widgets under test: a click on a list's line as the
// mouse makes it, and a count of the paint events each watched widget gets.
#pragma once

#include <QEvent>
#include <QListWidget>
#include <QObject>
#include <QTest>
#include <gtest/gtest.h>
#include <map>

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

}  // namespace uitest
