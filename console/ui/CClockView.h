// The clock view: the chart window's time axis with the estimation marker
// above it, the prediction marker below it and the prediction stage as a
// bar. The prediction marker is picked up with the mouse and dragged, or
// stepped with the arrow keys, within the stage; the prediction views, the
// chart windows and the control panel's link rows follow (ClockLogic.h
// holds the rules).
#pragma once

#include <QWidget>

#include "ClockLogic.h"

class CClockView : public QWidget
{
  Q_OBJECT
public:
  explicit CClockView(QWidget* parent = nullptr);
  ~CClockView() override;

  const ClockAxis& Axis() const { return m_axis; }
  const ClockMachine& Machine() const { return m_machine; }
  // x of the two markers as the view draws them now.
  int EstimationMarkerX() const;
  int PredictionMarkerX() const;

protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

private:
  void AfterPredictionMove();

  ClockAxis m_axis;
  ClockMachine m_machine;
};
