// The clock view: the chart window's time axis with the estimation marker
// above it, the prediction marker below it and the prediction stage as a
// bar. The prediction marker is picked up with the mouse and dragged, or
// stepped with the arrow keys, within the stage; the prediction views, the
// chart windows and the control panel's link rows follow (ClockLogic.h
// holds the rules).
#pragma once

#include <QFont>
#include <QRect>
#include <QString>
#include <QWidget>
#include <optional>
#include <vector>

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

  // The hour labels as the view draws them now: their font (condensed,
  // as large as lets every label end before the next begins) and each
  // label with the rectangle its ink covers.
  struct HourLabel
  {
    QString text;
    QRect rect;
  };
  QFont LabelFont() const;
  std::vector<HourLabel> HourLabels() const;

protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

private:
  void AfterPredictionMove();
  // The hour labels' pixel size for the centred axis, the window and its
  // ticks: fitted once and kept until one of them or the font changes.
  int LabelPixels(const ClockAxis& axis, const ChartWindow& chart, const std::vector<ClockTick>& ticks) const;

  struct LabelFit
  {
    int left, top, width, height;
    int chartStart, chartEnd;
    QFont base;
    int pixels;
    bool SameInputs(const LabelFit& o) const
    {
      return left == o.left && top == o.top && width == o.width && height == o.height &&
             chartStart == o.chartStart && chartEnd == o.chartEnd && base == o.base;
    }
  };
  mutable std::optional<LabelFit> m_labelFit;

  ClockAxis m_axis;
  ClockMachine m_machine;
};
