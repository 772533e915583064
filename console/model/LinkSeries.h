// Per-link result series: 4 measures x 4 sources x 5000 minutes.
// Memory grows with the minutes actually written: a row (measure, source)
// and its pages of minutes are allocated on the first write to them. A
// minute never written reads as the row's reset value.
//
// Each row keeps its values at the width they arrive with: the result
// records carry floats, so a row holds floats, and the queue rows hold the
// queue as the records carry it, a fraction of the link's length (read
// back in percent, as the fraction times 100). The density row of the
// observation source also takes the observation file's values, decimal
// texts of up to 31 characters that a float cannot always hold, and keeps
// doubles. A value written in the series' units (Set, SetRange,
// SetMeasures) is kept at its row's width.
//
//   link.m_dSeries.SetRecordRun(kSourceEstimate, minute, values, 0, 1, false);  // one minute of a record
//   double queuePercent = link.m_dSeries.Get(kMeasureQueue, kSourceEstimate, minute);
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

  // Value at [measure][source][minute] (the queue in percent); indices
  // outside the series read 0.
  double Get(int measure, int source, int minute) const;
  // False (nothing stored) for indices outside the series.
  bool Set(int measure, int source, int minute, double value);
  // values[0 .. count-1] at minutes firstMinute .. firstMinute + count - 1
  // of one row, under one lock. Minutes outside the series are skipped;
  // returns the number stored.
  int SetRange(int measure, int source, int firstMinute, const double* values, int count);
  // The four measures (density, speed, queue, flow) of a source at one
  // minute, under one lock. False (nothing stored) outside the series.
  bool SetMeasures(int source, int minute, const double (&values)[kSeriesMeasures]);

  // A run of minutes of the four measures of a source as a result record
  // carries them (floats, the queue as a fraction of the link's length),
  // under one lock: measure k at minute firstMinute + t is
  // values[k][t * stride], t from 0 to count - 1 (a null values[k] writes
  // nothing of measure k); with repeatLast the last of them is written at
  // firstMinute + count as well. A value that is not finite is no value:
  // its minutes keep what they hold. Minutes outside the series are
  // skipped. Returns the number of values (of the count given) that were
  // not finite.
  int SetRecordRun(int source, int firstMinute, const float* const (&values)[kSeriesMeasures],
                   std::size_t stride, int count, bool repeatLast);

  // Bytes allocated for this link's rows and pages.
  std::size_t AllocatedBytes() const;

  static bool InRange(int measure, int source, int minute)
  {
    return measure >= 0 && measure < kSeriesMeasures && source >= 0 && source < kSeriesSources &&
           minute >= 0 && minute < kSeriesMinutes;
  }

  // The row keeps doubles (else floats).
  static constexpr bool RowHoldsDoubles(int measure, int source)
  {
    return measure == kMeasureDensity && source == kSourceObserved;
  }

private:
  struct PageHead
  {
    std::uint32_t epoch;  // reset epoch the values belong to
  };
  template <class V>
  struct Page : PageHead
  {
    V values[kPageMinutes];
  };
  struct Row
  {
    std::atomic<PageHead*> pages[kPages];
  };
  std::atomic<Row*> m_rows[kSeriesMeasures][kSeriesSources] = {};

  // The page of a minute, made or brought to the current reset epoch;
  // the caller holds the link's write lock.
  PageHead* WritablePage(int measure, int source, int minute);
  // For a run of minutes in order: the page of minute, which is page while
  // the run stays on pageIndex.
  PageHead* RunPage(int measure, int source, int minute, PageHead* page, int& pageIndex);
  // Stores a value in the series' units at a minute of a writable page.
  static void Store(PageHead* page, int measure, int source, int minute, double value);
  // Stores a value as the row keeps it (no scale) at a minute of a
  // writable page of a row of doubles or of floats.
  static void StoreKept(PageHead* page, bool doubles, int minute, double value);
  // Bytes of a page of a row of doubles or of floats.
  static constexpr std::size_t PageBytes(bool doubles)
  {
    return doubles ? sizeof(Page<double>) : sizeof(Page<float>);
  }
  // Under the write lock, Store for measures firstMeasure .. endMeasure - 1
  // at minutes firstMinute .. firstMinute + count - 1, value(measure, k)
  // giving each; minutes outside the series are skipped. The number stored.
  template <class Value>
  int StoreRun(int firstMeasure, int endMeasure, int source, int firstMinute, int count, Value value);
};

// Density, speed and queue of every source and minute of every link to 0,
// 75 and 0; flow unchanged.
void ResetAllLinkSeries();
// Value a minute holds when nothing was written to it since the last reset.
double LinkSeriesBaseValue(int measure);
// Total bytes of rows and pages of every link series alive.
std::size_t LinkSeriesAllocatedBytes();
