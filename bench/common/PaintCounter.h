// Counts the paints of the widgets it watches, so that a benchmark's
// figures are known to include the repaint.
//
//   PaintCounter counter;
//   view->viewport()->installEventFilter(&counter);
#pragma once

#include <QEvent>
#include <QObject>

class PaintCounter : public QObject
{
public:
  int paints = 0;
  bool eventFilter(QObject*, QEvent* e) override
  {
    if (e->type() == QEvent::Paint)
      ++paints;
    return false;
  }
};
