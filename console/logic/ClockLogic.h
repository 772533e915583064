// The clock view without its widget: the time axis of the chart window with
// the estimation marker above it and the prediction marker below, the
// prediction stage as a bar, and the picking up and stepping of the
// prediction marker. Places are pixels of the clock view.
//
//   ClockAxis axis;                        // left 10, top 20, width 600, height 40
//   axis.Centre(widgetWidth);              // left = width / 2 - 300
//   int x = MinuteToX(60, {0, 120}, axis); // 300 px right of the left end
//   ClockMachine m;
//   m.LeftButtonDown(click, axis, estimationX, predictionX);
//   if (auto t = m.MouseMove(point.x, chart, axis, stage)) ApplyPredictionDrag(*t, ...);
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "DrawTypes.h"
#include "NetworkViewModel.h"

struct ClockAxis
{
  int left = 10;
  int top = 20;
  int width = 600;
  int height = 40;

  // y of the axis line: height / 2 + 10.
  int Y0() const { return height / 2 + 10; }
  // Keeps the axis centred in a view of this width.
  void Centre(int viewWidth) { left = viewWidth / 2 - width / 2; }
};

// The chart window: the axis' first and last minute.
struct ChartWindow
{
  int start = 0;
  int end = 120;
  // The two hours around midnight, 23:00 to 1:00.
  bool IsMidnight() const { return start == 1380 && end == 60; }
};

// The prediction stage: the minutes the prediction marker may take.
struct PredictionStage
{
  int start = 0;
  int end = 0;
  bool Holds(int minute) const { return start <= minute && minute <= end; }
};

// x of a minute. In the midnight window 23:00 to 1:00, minutes 1380 to 1450
// lie on the first part and any other minute m at m + 60 of 120; otherwise
// the window is mapped linearly onto the axis (a window of no length puts
// every minute at the left end). Truncated toward zero.
int MinuteToX(double minute, const ChartWindow& chart, const ClockAxis& axis);
// Minute at an x, in integer arithmetic: start + (x - left) (end - start) /
// width. In the midnight window: 1380 + (x - left) 120 / width, counted on
// past 1440 (so that a stage running past midnight can take it).
int XToMinute(int x, const ChartWindow& chart, const ClockAxis& axis);

struct ClockTick
{
  int x = 0;
  bool major = false;  // every fifth minute: long and labelled
  std::string label;   // FormatMinutes of the minute, for a major tick
  int labelX = 0;      // x - 5, or x - 3 for the minutes below 10
};
// The ticks of every minute of the window (start to end inclusive); a window
// that wraps past midnight (start >= end) gets 121 ticks over two hours,
// labelled from start for the first hour and from 0:00 for the second.
std::vector<ClockTick> ClockTicks(const ChartWindow& chart, const ClockAxis& axis);

// The labels' size: the largest from `largest` down to `smallest` at which
// every label ends at least `gap` pixels before the next one begins (width
// measures a label at a size); `smallest` when none does.
int FitClockLabelSize(const std::vector<ClockTick>& ticks, int largest, int smallest, int gap,
                      const std::function<int(const std::string& label, int size)>& width);

// x from and to of the prediction stage bar. A stage that runs past
// midnight (end >= 1440 and start mod 1440 > 1390) ends at end mod 1440.
struct StageBar
{
  int xs = 0;
  int xe = 0;
};
StageBar StageBarSpan(const PredictionStage& stage, const ChartWindow& chart, const ClockAxis& axis);

// Where the axis line ends: at the window's end, or the axis' full width in
// the midnight window.
int AxisEndX(const ChartWindow& chart, const ClockAxis& axis);

// Picking up and stepping the prediction marker.
//  - A left click in the upper half (y <= y0) within 20 px of the
//    estimation marker gives the focus back to it (focus 0).
//  - A left click in the lower half within 20 px of the prediction marker
//    picks it up and gives it the focus (focus 1).
//  - Every left click first drops the marker; releasing the button does not.
//  - While picked up, the marker follows the mouse within the stage.
//  - The arrow keys step the marker while it has the focus, within the stage
//    and within 0 .. the window's end.
class ClockMachine
{
public:
  int m_nFocus = 0;
  bool m_bGrabPred = false;

  void LeftButtonDown(ScreenPoint p, const ClockAxis& axis, int estimationX, int predictionX);
  // The minute the picked-up marker moves to, if it moves.
  std::optional<int> MouseMove(int x, const ChartWindow& chart, const ClockAxis& axis,
                               const PredictionStage& stage) const;
  // The minute a left (-1) or right (+1) arrow steps the marker to, if it
  // moves.
  std::optional<int> ArrowKey(int step, int predictionMinute, const ChartWindow& chart,
                              const PredictionStage& stage) const;
};

// The stores a move of the prediction marker writes: both prediction views'
// minute, the prediction clock's minute (second 0) and the prediction
// offset. A drag sets the offset to minute - estimation minute; an arrow key
// moves it by its step.
void ApplyPredictionDrag(int minute, const ViewSet& views);
void ApplyPredictionStep(int minute, int step, const ViewSet& views);

// The stores' current values for the clock view.
ChartWindow CurrentChartWindow();
PredictionStage CurrentPredictionStage();
