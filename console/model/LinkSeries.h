// Per-link result series: 4 measures x 4 sources x 5000 minutes of doubles.
// Memory grows with the minutes actually written: a row (measure, source)
// and its pages of minutes are allocated on the first write to them. A
// minute never written reads as the row's reset value.
//
// Reset (ResetAllLinkSeries) sets density, speed and queue of every source
// and minute of every link to 0, 75 and 0 and leaves flow unchanged; it
// costs a counter increment and allocates nothing. Before the first reset a
// minute never written reads 0 for every measure.
//
// Writers (message loop, observation thread) may run while the window
// thread reads: reads take no lock; writes of one link are serialised.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

constexpr int kMeasureDensity = 0;
constexpr int kMeasureSpeed = 1;
constexpr int kMeasureQueue = 2;  // percent of the link's length
constexpr int kMeasureFlow = 3;
constexpr int kSeriesMeasures = 4;

constexpr int kSourceEstimate = 0;  // NOWSIM, current-condition view
constexpr int kSourcePredict0 = 1;  // FORESIM, prediction view 0
constexpr int kSourceObserved = 2;  // observation
constexpr int kSourcePredict1 = 3;  // FORESIM1, prediction view 1
constexpr int kSeriesSources = 4;

constexpr int kSeriesMinutes = 5000;

// Values set by the reset, by measure (flow is not reset).
constexpr double kResetDensity = 0.0;
constexpr double kResetSpeed = 75.0;
constexpr double kResetQueue = 0.0;

class LinkSeries
{
public:
  static constexpr int kPageMinutes = 128;
  static constexpr int kPages = (kSeriesMinutes + kPageMinutes - 1) / kPageMinutes;

  LinkSeries() = default;
  ~LinkSeries();
  LinkSeries(const LinkSeries&) = delete;
  LinkSeries& operator=(const LinkSeries&) = delete;

  // Value at [measure][source][minute]; indices outside the series read 0.
  double Get(int measure, int source, int minute) const;
  // False (nothing stored) for indices outside the series.
  bool Set(int measure, int source, int minute, double value);
  // values[0 .. count-1] at minutes firstMinute .. firstMinute + count - 1
  // of one row, under one lock (the way a prediction's steps are written).
  // Minutes outside the series are skipped; returns the number stored.
  int SetRange(int measure, int source, int firstMinute, const double* values, int count);
  // The four measures (density, speed, queue, flow) of a source at one
  // minute, under one lock. False (nothing stored) outside the series.
  bool SetMeasures(int source, int minute, const double (&values)[kSeriesMeasures]);

  // A run of minutes of the four measures of a source as a result record
  // carries them (floats, the queue as a fraction of the link's length),
  // under one lock: measure k at minute firstMinute + t is
  // values[k][t * stride], t from 0 to count - 1 (a null values[k] writes
  // nothing of measure k); with repeatLast the last of them is written at
  // firstMinute + count as well. Minutes outside the series are skipped.
  void SetRecordRun(int source, int firstMinute, const float* const (&values)[kSeriesMeasures],
                    std::size_t stride, int count, bool repeatLast);

  // Bytes allocated for this link's rows and pages.
  std::size_t AllocatedBytes() const;

  static bool InRange(int measure, int source, int minute)
  {
    return measure >= 0 && measure < kSeriesMeasures && source >= 0 && source < kSeriesSources &&
           minute >= 0 && minute < kSeriesMinutes;
  }

private:
  struct Page
  {
    std::uint32_t epoch;  // reset epoch the values belong to
    double values[kPageMinutes];
  };
  struct Row
  {
    std::atomic<Page*> pages[kPages];
  };
  std::atomic<Row*> m_rows[kSeriesMeasures][kSeriesSources] = {};

  // The page of a minute, made or brought to the current reset epoch;
  // the caller holds the link's write lock.
  Page* WritablePage(int measure, int source, int minute);
};

// Density, speed and queue of every source and minute of every link to 0,
// 75 and 0; flow unchanged.
void ResetAllLinkSeries();
// Value a minute holds when nothing was written to it since the last reset.
double LinkSeriesBaseValue(int measure);
// Total bytes of rows and pages of every link series alive.
std::size_t LinkSeriesAllocatedBytes();
