// Geometry of the information charts: from the result stores and the
// choices made on a chart's page, what the chart paints (lines with their
// pens, texts with their places, curves, bars), in painting order over a
// black background. One plain function per chart; the chart widgets of
// console/ui only paint what it returns.
//
//   PerformanceChartInput in;
//   in.client = {0, 0, 600, 300};
//   in.range = TimeRangeFromLists(0, 11);  // 0:00 to 2:00
//   in.stats = g_NetStats[kSourceEstimate];
//   in.dataLoaded = true;
//   ChartPicture picture = BuildPerformanceChart(in);
//
// Coordinates are those of the chart's client area: x to the right, y
// down, the client rectangle's right and bottom excluded.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "DrawTypes.h"
#include "ResultStores.h"

class CDrawLine;
class CProject;

constexpr ColorRef RgbColor(int r, int g, int b)
{
  return static_cast<ColorRef>(r & 0xFF) | (static_cast<ColorRef>(g & 0xFF) << 8) |
         (static_cast<ColorRef>(b & 0xFF) << 16);
}

// Colours of the charts.
constexpr ColorRef kChartWhite = RgbColor(255, 255, 255);
constexpr ColorRef kChartGrid = RgbColor(0, 178, 0);
constexpr ColorRef kCurveEstimation = RgbColor(0, 255, 255);
constexpr ColorRef kCurveObservation = RgbColor(128, 0, 0);
constexpr ColorRef kCurvePrediction0 = RgbColor(255, 255, 0);
constexpr ColorRef kCurvePrediction1 = RgbColor(255, 0, 255);
constexpr ColorRef kCurvePerformance = RgbColor(102, 255, 255);
constexpr ColorRef kCurveLongTerm = RgbColor(102, 255, 255);
constexpr ColorRef kCurveShortTerm = RgbColor(255, 255, 0);
constexpr ColorRef kODBarFill = RgbColor(204, 204, 255);
constexpr ColorRef kStatusStarted = RgbColor(0, 255, 0);  // start-mark bars and the axis
constexpr ColorRef kStatusIdle = RgbColor(0, 128, 64);
constexpr ColorRef kStatusNowMark = RgbColor(255, 255, 0);

struct ChartPen
{
  PenStyle style = PenStyle::Solid;
  int width = 1;
  ColorRef color = 0;
  friend bool operator==(const ChartPen&, const ChartPen&) = default;
};

enum class ChartItemKind { Line, Polyline, Bar, Text };

struct ChartItem
{
  ChartItemKind kind = ChartItemKind::Line;
  ChartPen pen;                     // lines, curves and bar outlines; the colour of a text
  ColorRef fill = 0;                // bars
  std::vector<ScreenPoint> points;  // line: from, to; curve: its points; text: its top-left corner
  ScreenRect rect;                  // bar: left and top included, right and bottom excluded
  std::string text;
};

// What a chart paints, in order, after its client area is filled black.
struct ChartPicture
{
  std::vector<ChartItem> items;
};

// ---- time and value ranges ------------------------------------------------

// The Begin and End lists of the chart pages: 144 items, 10 minutes each.
constexpr int kTimeListItems = 144;
constexpr int kTimeListMinutes = 10;

struct TimeRange
{
  int start = 0;  // minute
  int end = 0;    // minute
  // No time axis to draw: the end is not after the start.
  bool Empty() const { return end <= start; }
  int Length() const { return end - start; }
  friend bool operator==(const TimeRange&, const TimeRange&) = default;
};

// start = Begin index x 10, end = (End index + 1) x 10.
TimeRange TimeRangeFromLists(int beginIndex, int endIndex);

struct ValueRange
{
  int maximum = 0;
  int minimum = 0;
  int step = 1;  // between horizontal grid lines; always 1 or more
  friend bool operator==(const ValueRange&, const ValueRange&) = default;
};

// Link chart measures (the page's radios).
constexpr int kLinkDensity = 1;
constexpr int kLinkSpeed = 2;
constexpr int kLinkQueue = 3;

// Values of the link page's Max Y list for a measure, in list order:
// density 50, 100, 200, 300; speed 100, 200; queue 100.
std::vector<int> LinkMaxYValues(int measure);
// Value axis of the link chart: 0 to the chosen Max Y value (an index
// outside the list takes its nearest item); step by measure and value:
// density 10, 20, 20, 30; speed 10 and 20; queue 10.
ValueRange LinkValueRange(int measure, int maxYIndex);

// Performance measures, in the page's order.
constexpr int kPerfVehicles = 0;
constexpr int kPerfFreewaySpeed = 1;
constexpr int kPerfTravelTime = 2;
constexpr int kPerfSurfaceSpeed = 3;
// Vehicles: min index x 1000 to (max index + 1) x 1000 by 1000; the others
// by tens.
ValueRange PerformanceValueRange(int measure, int minIndex, int maxIndex);
// The statistic a measure plots: vehicles numcars, freeway speed AvgDen,
// surface speed AvgSpeed, travel time AvgStop.
double PerformanceValue(const NetStatRecord& record, int measure);

constexpr int kCstLongTerm = 0;
constexpr int kCstShortTerm = 1;
// Long term: -(min index + 1) x 1000 to (max index + 1) x 1000, step 1000
// widened to 2000, 4000, 8000 from a span of 10000, 20000, 40000; short
// term: min index x 20 to (max index + 1) x 20 by 20.
ValueRange ConsistencyValueRange(int measure, int minIndex, int maxIndex);

// OD Max Y list: index 0 gives 1, 1 gives 5, n >= 2 gives (n - 1) x 10.
int ODMaxYValue(int maxYIndex);
// 0 to the Max Y value; step 1 below 21, else 10, raised to a tenth of the
// span when that is larger.
ValueRange ODValueRange(int maxYIndex);

// ---- scales ---------------------------------------------------------------

enum class ChartKind { Link, Performance, Consistency, OD };

// Minutes between vertical grid lines and between time labels, by the
// length of the time range.
int TimeGridStep(ChartKind kind, int length);
int TimeLabelStep(ChartKind kind, int length);
int StatusLabelStep(int length);

struct ChartScale
{
  ScreenRect client;
  int left = 20;
  int right = 20;
  int top = 10;
  int bottom = 20;
  TimeRange range;
  ValueRange values;
  double hScale = 0.0;  // pixels per minute; 0 for an empty time range
  double vScale = 0.0;  // pixels per value unit; 0 for a span below 1

  int X(int minute) const;
  int Y(double value) const;
};

ChartScale MakeChartScale(const ScreenRect& client, TimeRange range, ValueRange values);

// ---- the four charts -------------------------------------------------------
//
// An empty time range draws the value axis only. The performance, OD and
// consistency charts draw nothing at all before the data is loaded, for an
// empty time range or for a value range whose maximum is not above its
// minimum.

struct LinkChartInput
{
  ScreenRect client;
  TimeRange range;
  int measure = kLinkDensity;
  int maxYIndex = 2;                // position in the measure's Max Y list
  const CDrawLine* link = nullptr;  // the selected link; none draws the axes only
  int estimationMinute = 0;         // the estimation view's minute
  int predictionStart = 0;          // the prediction clock's window
  int predictionEnd = 0;
};
ChartPicture BuildLinkChart(const LinkChartInput& in);

struct PerformanceChartInput
{
  ScreenRect client;
  TimeRange range;
  int measure = kPerfVehicles;
  int minYIndex = 0;
  int maxYIndex = 7;
  int estimationMinute = 0;
  std::span<const NetStatRecord> stats;  // the estimation's statistics by minute
  bool dataLoaded = false;
};
ChartPicture BuildPerformanceChart(const PerformanceChartInput& in);

struct ConsistencyChartInput
{
  ScreenRect client;
  TimeRange range;
  int measure = kCstLongTerm;
  int minYIndex = 9;
  int maxYIndex = 9;
  int estimationMinute = 0;
  std::span<const double> farvet;   // long-term values by minute
  std::span<const double> nearvet;  // short-term values by minute
  bool dataLoaded = false;
};
ChartPicture BuildConsistencyChart(const ConsistencyChartInput& in);

struct ODChartInput
{
  ScreenRect client;
  TimeRange range;
  int maxYIndex = 50;
  int origin = -1;  // zone positions; -1 none
  int destination = -1;
  int chartWindowEnd = 120;  // bars stop before this minute
  const CProject* project = nullptr;
  bool dataLoaded = false;
};
ChartPicture BuildODChart(const ODChartInput& in);

// The project's OD zone count kept within the OD table (0..120).
int ClampedODSize(const CProject& project);

// ---- the module status chart ------------------------------------------------

constexpr int kStatusRows = 7;
// Row labels, top to bottom; row r shows the start marks of module r.
extern const char* const kStatusRowLabels[kStatusRows];

struct StatusScale
{
  ScreenRect client;
  int left = 20;
  int right = 20;
  int start = 0;
  int end = 0;
  double scale = 0.0;  // pixels per minute; 0 when end is not after start

  bool Empty() const { return end <= start; }
  int X(double minute) const;
};
StatusScale MakeStatusScale(const ScreenRect& client, int start, int end);
// Bar of a row at a minute: 4 pixels wide, 0.7 of a row unit high.
ScreenRect StatusBarRect(const StatusScale& s, int row, int minute);

struct StatusChartInput
{
  ScreenRect client;
  int windowStart = 0;  // the chart time window
  int windowEnd = 120;
  double currentMinute = 0.0;                    // the estimation clock's real minute
  const bool (*marks)[kStoreMinutes] = nullptr;  // [module][minute] start marks
};
// Rows of bars from the window start to the current minute, the time axis
// with its labels and the current-minute mark. A window whose end is not
// after its start draws the row labels and the axis line only.
ChartPicture BuildStatusChart(const StatusChartInput& in);
