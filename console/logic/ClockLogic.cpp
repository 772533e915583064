#include "ClockLogic.h"

#include <cmath>
#include <cstdlib>

#include "ResultStores.h"
#include "TextHelpers.h"

namespace {

int TruncX(double v)
{
  return TruncScreen(v);
}

}  // namespace

int MinuteToX(double m, const ChartWindow& chart, const ClockAxis& axis)
{
  const double w = axis.width;
  if (chart.IsMidnight()) {
    if (m >= 1380 && m <= 1450)
      return TruncX((m - 1380) * w / 120 + axis.left);
    return TruncX((m + 60) * w / 120 + axis.left);
  }
  const double span = static_cast<double>(chart.end) - chart.start;
  if (span == 0.0)
    return axis.left;
  return TruncX((m - chart.start) * w / span + axis.left);
}

int XToMinute(int x, const ChartWindow& chart, const ClockAxis& axis)
{
  if (axis.width <= 0)
    return chart.start;
  const long long dx = static_cast<long long>(x) - axis.left;
  if (chart.IsMidnight())
    return static_cast<int>(1380 + dx * 120 / axis.width);
  return static_cast<int>(chart.start + dx * (static_cast<long long>(chart.end) - chart.start) / axis.width);
}

std::vector<ClockTick> ClockTicks(const ChartWindow& chart, const ClockAxis& axis)
{
  std::vector<ClockTick> ticks;
  auto labelled = [](int x, int minute, bool small) {
    ClockTick t;
    t.x = x;
    t.major = true;
    t.label = FormatMinutes(minute, true);
    t.labelX = x - (small ? 3 : 5);
    return t;
  };
  if (chart.start < chart.end) {
    for (int t = chart.start; t <= chart.end; ++t) {
      const int x = MinuteToX(t, chart, axis);
      if (t % 5 == 0)
        ticks.push_back(labelled(x, t, t < 10));
      else
        ticks.push_back({x, false, {}, 0});
    }
    return ticks;
  }
  for (int i = 0; i <= 120; ++i) {
    const int x = i * axis.width / 120 + axis.left;
    if (i % 5 == 0)
      ticks.push_back(labelled(x, i < 60 ? chart.start + i : i - 60, i < 10));
    else
      ticks.push_back({x, false, {}, 0});
  }
  return ticks;
}

int FitClockLabelSize(const std::vector<ClockTick>& ticks, int largest, int smallest, int gap,
                      const std::function<int(const std::string& label, int size)>& width)
{
  std::vector<const ClockTick*> labelled;
  for (const ClockTick& t : ticks)
    if (t.major)
      labelled.push_back(&t);
  for (int size = largest; size > smallest; --size) {
    bool fits = true;
    for (std::size_t i = 0; fits && i + 1 < labelled.size(); ++i)
      fits = labelled[i]->labelX + width(labelled[i]->label, size) + gap <= labelled[i + 1]->labelX;
    if (fits)
      return size;
  }
  return smallest;
}

StageBar StageBarSpan(const PredictionStage& stage, const ChartWindow& chart, const ClockAxis& axis)
{
  StageBar bar{MinuteToX(stage.start, chart, axis), MinuteToX(stage.end, chart, axis)};
  if (stage.end >= 1440 && stage.start % 1440 > 1390)
    bar.xe = MinuteToX(stage.end % 1440, chart, axis);
  return bar;
}

int AxisEndX(const ChartWindow& chart, const ClockAxis& axis)
{
  return chart.IsMidnight() ? axis.left + axis.width : MinuteToX(chart.end, chart, axis);
}

void ClockMachine::LeftButtonDown(ScreenPoint p, const ClockAxis& axis, int estimationX, int predictionX)
{
  m_bGrabPred = false;
  if (p.y <= axis.Y0()) {
    if (std::abs(p.x - estimationX) <= 20)
      m_nFocus = 0;
  } else if (std::abs(p.x - predictionX) <= 20) {
    m_bGrabPred = true;
    m_nFocus = 1;
  }
}

std::optional<int> ClockMachine::MouseMove(int x, const ChartWindow& chart, const ClockAxis& axis,
                                           const PredictionStage& stage) const
{
  if (!m_bGrabPred)
    return std::nullopt;
  const int t = XToMinute(x, chart, axis);
  if (stage.Holds(t))
    return t;
  // In the midnight window the second hour counts on past 1440; a stage
  // that does not run past midnight takes those minutes from 0:00.
  if (chart.IsMidnight() && t >= 1440 && stage.Holds(t - 1440))
    return t - 1440;
  return std::nullopt;
}

std::optional<int> ClockMachine::ArrowKey(int step, int predictionMinute, const ChartWindow& chart,
                                          const PredictionStage& stage) const
{
  if (m_nFocus != 1)
    return std::nullopt;
  const int v = predictionMinute + step;
  if (v >= 0 && v <= chart.end && stage.Holds(v))
    return v;
  return std::nullopt;
}

namespace {

void SetPredictionMinute(int minute, const ViewSet& views)
{
  for (NetworkViewModel* v : {views.prediction0, views.prediction1})
    if (v)
      v->m_nMinute = minute;
  g_PredictionClock.nMinute = minute;
  g_PredictionClock.nSecond = 0;
  g_PredictionClock.dMinute = minute;
}

}  // namespace

void ApplyPredictionDrag(int minute, const ViewSet& views)
{
  const int estimation = views.estimation ? views.estimation->m_nMinute : 0;
  g_PredictionOffset = minute - estimation;
  SetPredictionMinute(minute, views);
}

void ApplyPredictionStep(int minute, int step, const ViewSet& views)
{
  g_PredictionOffset += step;
  SetPredictionMinute(minute, views);
}

ChartWindow CurrentChartWindow()
{
  return {g_ChartWindowStart.load(), g_ChartWindowEnd.load()};
}

PredictionStage CurrentPredictionStage()
{
  return {g_PredictionClock.nWindowStart, g_PredictionClock.nWindowEnd};
}
