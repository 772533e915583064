#include "ChartGeometry.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "CDrawLine.h"
#include "CProject.h"
#include "LinkSeries.h"
#include "TextHelpers.h"

const char* const kStatusRowLabels[kStatusRows] = {"NOWSIM", "FORESIM", "NEARVET", "FARVET",
                                                   "ODE",    "ODEC",    "ODP"};

namespace {

constexpr ChartPen kGridDotted{PenStyle::Dotted, 1, kChartGrid};
constexpr ChartPen kGridSolid1{PenStyle::Solid, 1, kChartGrid};
constexpr ChartPen kGridSolid2{PenStyle::Solid, 2, kChartGrid};
constexpr ChartPen kTextPen{PenStyle::Solid, 1, kChartWhite};

// Last minute a curve may read from a store of a given size.
int LastMinute(std::size_t size)
{
  return static_cast<int>(std::min<std::size_t>(size, kStoreMinutes)) - 1;
}

void AddLine(ChartPicture& pic, const ChartPen& pen, ScreenPoint from, ScreenPoint to)
{
  ChartItem item;
  item.kind = ChartItemKind::Line;
  item.pen = pen;
  item.points = {from, to};
  pic.items.push_back(std::move(item));
}

void AddText(ChartPicture& pic, ScreenPoint at, std::string text)
{
  if (text.empty())
    return;
  ChartItem item;
  item.kind = ChartItemKind::Text;
  item.pen = kTextPen;
  item.points = {at};
  item.text = std::move(text);
  pic.items.push_back(std::move(item));
}

void AddBar(ChartPicture& pic, const ChartPen& outline, ColorRef fill, ScreenRect rect)
{
  ChartItem item;
  item.kind = ChartItemKind::Bar;
  item.pen = outline;
  item.fill = fill;
  item.rect = rect;
  pic.items.push_back(std::move(item));
}

// A curve through the points of the minutes from first to last (inclusive)
// in steps; nothing when fewer than two points result.
template <class ValueAt>
void AddCurve(ChartPicture& pic, const ChartScale& s, const ChartPen& pen, int first, int last, int step,
              ValueAt valueAt)
{
  ChartItem item;
  item.kind = ChartItemKind::Polyline;
  item.pen = pen;
  for (int m = std::max(first, 0); m <= last; m += step)
    item.points.push_back({s.X(m), s.Y(valueAt(m))});
  if (item.points.size() >= 2)
    pic.items.push_back(std::move(item));
}

std::string IntText(int v)
{
  char buf[16];
  std::snprintf(buf, sizeof buf, "%d", v);
  return buf;
}

// Vertical grid and time labels; nothing for an empty time range.
void AddTimeAxis(ChartPicture& pic, const ChartScale& s, ChartKind kind)
{
  const TimeRange& r = s.range;
  if (r.Empty())
    return;
  const ScreenRect& c = s.client;
  bool od = kind == ChartKind::OD;
  int gridTop = od ? c.top + 5 : c.top;
  int gridBottom = od ? c.bottom - 5 : c.bottom;
  int grid = TimeGridStep(kind, r.Length());
  for (int m = r.start; m <= r.end; ++m) {
    if (m % grid != 0)
      continue;
    const ChartPen& pen = m == r.start ? kGridSolid2 : (m % 30 == 0 ? kGridSolid1 : kGridDotted);
    AddLine(pic, pen, {s.X(m), gridBottom}, {s.X(m), gridTop});
  }
  int labels = TimeLabelStep(kind, r.Length());
  int labelY = c.bottom - (od ? 15 : 17);
  for (int m = r.start; m <= r.end; ++m) {
    if (m % labels != 0)
      continue;
    AddText(pic, {s.X(m) - (m / 2 < 10 ? 5 : 3), labelY}, FormatMinutes(m, true));
  }
}

// Horizontal grid with its labels from the minimum to the maximum.
void AddValueAxis(ChartPicture& pic, const ChartScale& s, int x0, int x1)
{
  const ValueRange& v = s.values;
  for (int value = v.minimum; value <= v.maximum; value += v.step) {
    int y = s.Y(value);
    AddLine(pic, value == v.minimum ? kGridSolid2 : kGridDotted, {x0, y}, {x1, y});
    AddText(pic, {5, y - 5}, IntText(value));
  }
}

// Value grid of the performance and consistency charts, inside the margins.
void AddInnerValueAxis(ChartPicture& pic, const ChartScale& s)
{
  AddValueAxis(pic, s, s.client.left + s.left - 5, s.client.right - s.left + 5);
}

void AddLegend(ChartPicture& pic, const ScreenRect& c, const ChartPen& pen, int lineY, int textDx, int textY,
               const char* text)
{
  AddLine(pic, pen, {c.right - 130, lineY}, {c.right - 85, lineY});
  AddText(pic, {c.right - textDx, textY}, text);
}

}  // namespace

// ---- ranges -----------------------------------------------------------------

TimeRange TimeRangeFromLists(int beginIndex, int endIndex)
{
  beginIndex = std::clamp(beginIndex, 0, kTimeListItems - 1);
  endIndex = std::clamp(endIndex, 0, kTimeListItems - 1);
  return {beginIndex * kTimeListMinutes, (endIndex + 1) * kTimeListMinutes};
}

namespace {

struct MaxYChoice
{
  int maximum;
  int step;
};

std::vector<MaxYChoice> LinkMaxYChoices(int measure)
{
  switch (measure) {
  case kLinkSpeed: return {{100, 10}, {200, 20}};
  case kLinkQueue: return {{100, 10}};
  default: return {{50, 10}, {100, 20}, {200, 20}, {300, 30}};
  }
}

}  // namespace

std::vector<int> LinkMaxYValues(int measure)
{
  std::vector<int> values;
  for (const MaxYChoice& c : LinkMaxYChoices(measure))
    values.push_back(c.maximum);
  return values;
}

ValueRange LinkValueRange(int measure, int maxYIndex)
{
  std::vector<MaxYChoice> choices = LinkMaxYChoices(measure);
  const MaxYChoice& c = choices[static_cast<std::size_t>(std::clamp(maxYIndex, 0, int(choices.size()) - 1))];
  return {c.maximum, 0, c.step};
}

ValueRange PerformanceValueRange(int measure, int minIndex, int maxIndex)
{
  int unit = measure == kPerfVehicles ? 1000 : 10;
  return {(std::max(maxIndex, 0) + 1) * unit, std::max(minIndex, 0) * unit, unit};
}

double PerformanceValue(const NetStatRecord& record, int measure)
{
  switch (measure) {
  case kPerfFreewaySpeed: return record.AvgDen;
  case kPerfTravelTime: return record.AvgStop;
  case kPerfSurfaceSpeed: return record.AvgSpeed;
  default: return record.numcars;
  }
}

ValueRange ConsistencyValueRange(int measure, int minIndex, int maxIndex)
{
  minIndex = std::max(minIndex, 0);
  maxIndex = std::max(maxIndex, 0);
  if (measure == kCstShortTerm)
    return {(maxIndex + 1) * 20, minIndex * 20, 20};
  ValueRange v{(maxIndex + 1) * 1000, -(minIndex + 1) * 1000, 1000};
  int span = v.maximum - v.minimum;
  if (span >= 40000)
    v.step = 8000;
  else if (span >= 20000)
    v.step = 4000;
  else if (span >= 10000)
    v.step = 2000;
  return v;
}

int ODMaxYValue(int maxYIndex)
{
  if (maxYIndex <= 0)
    return 1;
  if (maxYIndex == 1)
    return 5;
  return (maxYIndex - 1) * 10;
}

ValueRange ODValueRange(int maxYIndex)
{
  ValueRange v{ODMaxYValue(maxYIndex), 0, 1};
  v.step = v.maximum < 21 ? 1 : 10;
  v.step = std::max(v.step, (v.maximum - v.minimum) / 10);
  return v;
}

// ---- scales -------------------------------------------------------------------

int TimeGridStep(ChartKind kind, int length)
{
  switch (kind) {
  case ChartKind::Link: return length > 480 ? 30 : length > 240 ? 10 : length > 60 ? 5 : 2;
  case ChartKind::OD: return length >= 240 ? 10 : 5;
  default: return length > 240 ? 10 : length > 60 ? 5 : 2;
  }
}

int TimeLabelStep(ChartKind kind, int length)
{
  int step = length >= 120 ? 30 : length >= 40 ? 10 : 2;
  if (kind == ChartKind::Link && length >= 480)
    step = 60;
  if (kind == ChartKind::OD && length < 40)
    step = 5;
  return step;
}

int StatusLabelStep(int length)
{
  return length >= 120 ? 30 : length >= 40 ? 10 : 2;
}

int ChartScale::X(int minute) const
{
  return TruncScreen(client.left + left + (minute - range.start) * hScale);
}

int ChartScale::Y(double value) const
{
  return client.bottom - bottom - TruncScreen((value - values.minimum) * vScale);
}

ChartScale MakeChartScale(const ScreenRect& client, TimeRange range, ValueRange values)
{
  ChartScale s;
  s.client = client;
  s.range = range;
  s.values = values;
  s.values.step = std::max(values.step, 1);
  int width = client.right - client.left;
  int height = client.bottom - client.top;
  if (!range.Empty())
    s.hScale = double(width - s.left - s.right) / range.Length();
  if (values.maximum - values.minimum >= 1)
    s.vScale = double(height - s.top - s.bottom) / (values.maximum - values.minimum);
  return s;
}

// ---- the charts -----------------------------------------------------------------

ChartPicture BuildLinkChart(const LinkChartInput& in)
{
  ChartPicture pic;
  ChartScale s = MakeChartScale(in.client, in.range, LinkValueRange(in.measure, in.maxYIndex));
  const ScreenRect& c = s.client;
  AddTimeAxis(pic, s, ChartKind::Link);
  AddValueAxis(pic, s, c.left, c.right);
  if (!in.link || in.range.Empty())
    return pic;

  const CDrawLine& link = *in.link;
  int measure = std::clamp(in.measure, kLinkDensity, kLinkQueue) - 1;  // series measure index
  int last = LastMinute(kStoreMinutes);
  auto curve = [&](int source, const ChartPen& pen, int first, int to) {
    AddCurve(pic, s, pen, first, std::min(to, last), 1,
             [&](int m) { return link.Series(measure, source, m); });
  };

  const ChartPen estimation{PenStyle::Solid, 2, kCurveEstimation};
  curve(kSourceEstimate, estimation, in.range.start, in.estimationMinute);
  AddLegend(pic, c, estimation, 30, 75, 25, "NOWSIM");

  if (link.m_bObserved) {
    const ChartPen observation{PenStyle::Solid, 1, kCurveObservation};
    curve(kSourceObserved, observation, in.range.start, in.estimationMinute);
    AddLegend(pic, c, observation, 100, 85, 95, "Observation");
  }

  const ChartPen prediction0{PenStyle::Solid, 1, kCurvePrediction0};
  curve(kSourcePredict0, prediction0, in.predictionStart, in.predictionEnd);
  AddLegend(pic, c, prediction0, 55, 75, 50, "FORESIM_0");

  const ChartPen prediction1{PenStyle::Solid, 1, kCurvePrediction1};
  curve(kSourcePredict1, prediction1, in.predictionStart, in.predictionEnd);
  AddLegend(pic, c, prediction1, 75, 75, 70, "FORESIM_1");
  return pic;
}

ChartPicture BuildPerformanceChart(const PerformanceChartInput& in)
{
  ChartPicture pic;
  ValueRange v = PerformanceValueRange(in.measure, in.minYIndex, in.maxYIndex);
  if (!in.dataLoaded || in.range.Empty() || v.maximum <= v.minimum)
    return pic;
  ChartScale s = MakeChartScale(in.client, in.range, v);
  AddTimeAxis(pic, s, ChartKind::Performance);
  AddInnerValueAxis(pic, s);
  const ChartPen pen{PenStyle::Solid, 1, kCurvePerformance};
  AddCurve(pic, s, pen, in.range.start, std::min(in.estimationMinute, LastMinute(in.stats.size())), 1,
           [&](int m) { return PerformanceValue(in.stats[static_cast<std::size_t>(m)], in.measure); });
  return pic;
}

ChartPicture BuildConsistencyChart(const ConsistencyChartInput& in)
{
  ChartPicture pic;
  ValueRange v = ConsistencyValueRange(in.measure, in.minYIndex, in.maxYIndex);
  if (!in.dataLoaded || in.range.Empty() || v.maximum <= v.minimum)
    return pic;
  ChartScale s = MakeChartScale(in.client, in.range, v);
  AddTimeAxis(pic, s, ChartKind::Consistency);
  AddInnerValueAxis(pic, s);
  bool shortTerm = in.measure == kCstShortTerm;
  std::span<const double> values = shortTerm ? in.nearvet : in.farvet;
  const ChartPen pen{PenStyle::Solid, 1, shortTerm ? kCurveShortTerm : kCurveLongTerm};
  // Minutes before the estimation view's minute: one point per minute for
  // the short term, per fifth minute for the long term.
  AddCurve(pic, s, pen, in.range.start, std::min(in.estimationMinute - 1, LastMinute(values.size())),
           shortTerm ? 1 : 5, [&](int m) { return values[static_cast<std::size_t>(m)]; });
  return pic;
}

int ClampedODSize(const CProject& project)
{
  return std::clamp(project.m_ODSize, 0, kMaxZones);
}

ChartPicture BuildODChart(const ODChartInput& in)
{
  ChartPicture pic;
  ValueRange v = ODValueRange(in.maxYIndex);
  if (!in.dataLoaded || in.range.Empty() || v.maximum <= v.minimum)
    return pic;
  ChartScale s = MakeChartScale(in.client, in.range, v);
  AddTimeAxis(pic, s, ChartKind::OD);
  AddValueAxis(pic, s, s.client.left, s.client.right);
  if (!in.project)
    return pic;
  int zones = ClampedODSize(*in.project);
  if (in.origin < 0 || in.origin >= zones || in.destination < 0 || in.destination >= zones)
    return pic;
  const ChartPen outline{PenStyle::Solid, 1, kChartWhite};
  int stop = std::min(in.chartWindowEnd, kODSlots * 5);
  for (int t = std::max(in.range.start, 0); t < stop; t += 5) {
    double value = in.project->ODEntry(t / 5, in.origin, in.destination);
    int y = s.Y(value);
    int y0 = s.Y(0.0);
    AddBar(pic, outline, kODBarFill, {s.X(t), std::min(y, y0), s.X(t + 5), std::max(y, y0)});
  }
  return pic;
}

// ---- the module status chart -----------------------------------------------------

int StatusScale::X(double minute) const
{
  return TruncScreen(client.left + left + (minute - start) * scale);
}

StatusScale MakeStatusScale(const ScreenRect& client, int start, int end)
{
  StatusScale s;
  s.client = client;
  s.start = start;
  s.end = end;
  if (!s.Empty())
    s.scale = double(client.right - client.left - s.left - s.right) / (end - start);
  return s;
}

namespace {

int RowTop(int height, int row)
{
  return height * (2 * row + 1) / 20;
}

}  // namespace

ScreenRect StatusBarRect(const StatusScale& s, int row, int minute)
{
  int height = s.client.bottom - s.client.top;
  int y0 = s.client.top + RowTop(height, row);
  int h = static_cast<int>(height * 0.7 / 20);
  int x = s.X(minute);
  return {x, y0, x + 4, y0 + h};
}

ChartPicture BuildStatusChart(const StatusChartInput& in)
{
  ChartPicture pic;
  StatusScale s = MakeStatusScale(in.client, in.windowStart, in.windowEnd);
  const ScreenRect& c = s.client;
  int width = c.right - c.left;
  int height = c.bottom - c.top;
  int current = static_cast<int>(in.currentMinute);
  int lastBar = std::min(current, kStoreMinutes - 1);

  for (int row = 0; row < kStatusRows; ++row) {
    if (!s.Empty()) {
      for (int m = std::max(s.start, 0); m <= lastBar; ++m) {
        bool started = in.marks && in.marks[row][m];
        ColorRef colour = started ? kStatusStarted : kStatusIdle;
        AddBar(pic, {PenStyle::Solid, 1, colour}, colour, StatusBarRect(s, row, m));
      }
    }
    AddText(pic, {c.left + 20, c.top + RowTop(height, row) - 15}, kStatusRowLabels[row]);
  }

  const ChartPen axis{PenStyle::Solid, 1, kStatusStarted};
  int y = c.top + height * 18 / 20;
  int tip = c.left + width - 5;
  AddLine(pic, axis, {c.left + 20, y}, {tip, y});
  AddLine(pic, axis, {tip - 8, y - 4}, {tip, y});
  AddLine(pic, axis, {tip - 8, y + 4}, {tip, y});
  if (s.Empty())
    return pic;

  int step = StatusLabelStep(s.end - s.start);
  for (int m = s.start; m <= s.end; ++m) {
    if (m % step == 0)
      AddText(pic, {s.X(m) - (m < 20 ? 5 : 3), c.top + height - 17}, FormatMinutes(m, false));
  }

  const ChartPen mark{PenStyle::Solid, 1, kStatusNowMark};
  int cx = s.X(in.currentMinute);
  AddLine(pic, mark, {cx - 10, y - 17}, {cx, y});
  AddLine(pic, mark, {cx + 10, y - 17}, {cx, y});
  AddLine(pic, mark, {cx + 10, y - 17}, {cx - 10, y - 17});
  return pic;
}
