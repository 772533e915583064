#include "LinkSeries.h"

#include <cmath>
#include <mutex>
#include <new>

namespace {

// Reset epoch per measure; flow is never reset and stays at epoch 0.
std::atomic<std::uint32_t> g_seriesEpoch[kSeriesMeasures] = {};
std::atomic<std::size_t> g_seriesBytes{0};

// Writers of one link are serialised through one of these (by address).
constexpr std::size_t kWriteLocks = 64;
std::mutex g_writeLocks[kWriteLocks];

std::mutex& WriteLockFor(const void* p)
{
  auto v = reinterpret_cast<std::uintptr_t>(p);
  return g_writeLocks[(v >> 6) % kWriteLocks];
}

double BaseValue(int measure, std::uint32_t epoch)
{
  if (epoch == 0)
    return 0.0;
  switch (measure) {
  case kMeasureDensity: return kResetDensity;
  case kMeasureSpeed: return kResetSpeed;
  case kMeasureQueue: return kResetQueue;
  default: return 0.0;
  }
}

// The queue rows keep the record's fraction; the series' unit is percent.
constexpr double kQueuePercent = 100.0;

template <class V>
V LoadValue(const V& v)
{
  return std::atomic_ref<V>(const_cast<V&>(v)).load(std::memory_order_relaxed);
}

template <class V>
void StoreValue(V& slot, V v)
{
  std::atomic_ref<V>(slot).store(v, std::memory_order_relaxed);
}

}  // namespace

double LinkSeriesBaseValue(int measure)
{
  if (measure < 0 || measure >= kSeriesMeasures)
    return 0.0;
  return BaseValue(measure, g_seriesEpoch[measure].load(std::memory_order_acquire));
}

void ResetAllLinkSeries()
{
  for (int m = 0; m < kSeriesMeasures; ++m)
    if (m != kMeasureFlow)
      g_seriesEpoch[m].fetch_add(1, std::memory_order_acq_rel);
}

std::size_t LinkSeriesAllocatedBytes()
{
  return g_seriesBytes.load(std::memory_order_relaxed);
}

LinkSeries::~LinkSeries()
{
  std::size_t freed = 0;
  for (int measure = 0; measure < kSeriesMeasures; ++measure)
    for (int source = 0; source < kSeriesSources; ++source) {
      Row* row = m_rows[measure][source].load(std::memory_order_acquire);
      if (!row)
        continue;
      const bool doubles = RowHoldsDoubles(measure, source);
      for (auto& pagePtr : row->pages)
        if (PageHead* page = pagePtr.load(std::memory_order_acquire)) {
          if (doubles)
            delete static_cast<Page<double>*>(page);
          else
            delete static_cast<Page<float>*>(page);
          freed += PageBytes(doubles);
        }
      delete row;
      freed += sizeof(Row);
    }
  g_seriesBytes.fetch_sub(freed, std::memory_order_relaxed);
}

double LinkSeries::Get(int measure, int source, int minute) const
{
  if (!InRange(measure, source, minute))
    return 0.0;
  std::uint32_t epoch = g_seriesEpoch[measure].load(std::memory_order_acquire);
  const Row* row = m_rows[measure][source].load(std::memory_order_acquire);
  if (!row)
    return BaseValue(measure, epoch);
  const PageHead* page = row->pages[minute / kPageMinutes].load(std::memory_order_acquire);
  if (!page)
    return BaseValue(measure, epoch);
  if (std::atomic_ref<std::uint32_t>(const_cast<std::uint32_t&>(page->epoch))
          .load(std::memory_order_acquire) != epoch)
    return BaseValue(measure, epoch);
  const int at = minute % kPageMinutes;
  if (RowHoldsDoubles(measure, source))
    return LoadValue(static_cast<const Page<double>*>(page)->values[at]);
  const double v = LoadValue(static_cast<const Page<float>*>(page)->values[at]);
  return measure == kMeasureQueue ? v * kQueuePercent : v;
}

LinkSeries::PageHead* LinkSeries::WritablePage(int measure, int source, int minute)
{
  std::uint32_t epoch = g_seriesEpoch[measure].load(std::memory_order_acquire);
  Row* row = m_rows[measure][source].load(std::memory_order_acquire);
  if (!row) {
    row = new Row;
    for (auto& p : row->pages)
      p.store(nullptr, std::memory_order_relaxed);
    m_rows[measure][source].store(row, std::memory_order_release);
    g_seriesBytes.fetch_add(sizeof(Row), std::memory_order_relaxed);
  }
  auto& pageSlot = row->pages[minute / kPageMinutes];
  PageHead* page = pageSlot.load(std::memory_order_acquire);
  // The base as the row keeps it (the queue as a fraction).
  const double base = BaseValue(measure, epoch) / (measure == kMeasureQueue ? kQueuePercent : 1.0);
  const bool doubles = RowHoldsDoubles(measure, source);
  if (!page) {
    if (doubles) {
      auto* p = new Page<double>;
      for (double& v : p->values)
        v = base;
      page = p;
    } else {
      auto* p = new Page<float>;
      for (float& v : p->values)
        v = static_cast<float>(base);
      page = p;
    }
    page->epoch = epoch;
    pageSlot.store(page, std::memory_order_release);
    g_seriesBytes.fetch_add(PageBytes(doubles), std::memory_order_relaxed);
  } else if (std::atomic_ref<std::uint32_t>(page->epoch).load(std::memory_order_acquire) != epoch) {
    // Written before the last reset: every minute of it now holds the base.
    if (doubles)
      for (double& v : static_cast<Page<double>*>(page)->values)
        StoreValue(v, base);
    else
      for (float& v : static_cast<Page<float>*>(page)->values)
        StoreValue(v, static_cast<float>(base));
    std::atomic_ref<std::uint32_t>(page->epoch).store(epoch, std::memory_order_release);
  }
  return page;
}

void LinkSeries::StoreKept(PageHead* page, bool doubles, int minute, double value)
{
  const int at = minute % kPageMinutes;
  if (doubles)
    StoreValue(static_cast<Page<double>*>(page)->values[at], value);
  else
    StoreValue(static_cast<Page<float>*>(page)->values[at], static_cast<float>(value));
}

void LinkSeries::Store(PageHead* page, int measure, int source, int minute, double value)
{
  const bool doubles = RowHoldsDoubles(measure, source);
  StoreKept(page, doubles, minute, !doubles && measure == kMeasureQueue ? value / kQueuePercent : value);
}

bool LinkSeries::Set(int measure, int source, int minute, double value)
{
  if (!InRange(measure, source, minute))
    return false;
  std::lock_guard<std::mutex> lock(WriteLockFor(this));
  Store(WritablePage(measure, source, minute), measure, source, minute, value);
  return true;
}

template <class Value>
int LinkSeries::StoreRun(int firstMeasure, int endMeasure, int source, int firstMinute, int count,
                         Value value)
{
  std::lock_guard<std::mutex> lock(WriteLockFor(this));
  int stored = 0;
  for (int measure = firstMeasure; measure < endMeasure; ++measure) {
    PageHead* page = nullptr;
    int pageIndex = -1;
    for (int k = 0; k < count; ++k) {
      const long long minute = static_cast<long long>(firstMinute) + k;
      if (minute < 0 || minute >= kSeriesMinutes)
        continue;
      const int m = static_cast<int>(minute);
      page = RunPage(measure, source, m, page, pageIndex);
      Store(page, measure, source, m, value(measure, k));
      ++stored;
    }
  }
  return stored;
}

bool LinkSeries::SetMeasures(int source, int minute, const double (&values)[kSeriesMeasures])
{
  if (!InRange(0, source, minute))
    return false;
  StoreRun(0, kSeriesMeasures, source, minute, 1, [&](int measure, int) { return values[measure]; });
  return true;
}

int LinkSeries::SetRange(int measure, int source, int firstMinute, const double* values, int count)
{
  if (!values || count <= 0 || !InRange(measure, source, 0))
    return 0;
  return StoreRun(measure, measure + 1, source, firstMinute, count, [&](int, int k) { return values[k]; });
}

LinkSeries::PageHead* LinkSeries::RunPage(int measure, int source, int minute, PageHead* page, int& pageIndex)
{
  if (minute / kPageMinutes == pageIndex)
    return page;
  pageIndex = minute / kPageMinutes;
  return WritablePage(measure, source, minute);
}

int LinkSeries::SetRecordRun(int source, int firstMinute, const float* const (&values)[kSeriesMeasures],
                             std::size_t stride, int count, bool repeatLast)
{
  if (count <= 0 || !InRange(0, source, 0))
    return 0;
  int notFinite = 0;
  std::lock_guard<std::mutex> lock(WriteLockFor(this));
  const int last = repeatLast ? count : count - 1;
  for (int measure = 0; measure < kSeriesMeasures; ++measure) {
    const float* run = values[measure];
    if (!run)
      continue;
    const bool doubles = RowHoldsDoubles(measure, source);
    PageHead* page = nullptr;
    int pageIndex = -1;
    for (int k = 0; k <= last; ++k) {
      const float v = run[static_cast<std::size_t>(k < count ? k : count - 1) * stride];
      if (!std::isfinite(v)) {
        notFinite += k < count ? 1 : 0;
        continue;
      }
      const long long minute = static_cast<long long>(firstMinute) + k;
      if (minute < 0 || minute >= kSeriesMinutes)
        continue;
      const int m = static_cast<int>(minute);
      page = RunPage(measure, source, m, page, pageIndex);
      // As carried: no scale, the queue stays a fraction. Written out, not
      // through StoreKept: this loop takes every value of every record, and
      // a call per value costs a FORESIM end at 200,000 links a fifth more.
      if (doubles)
        StoreValue(static_cast<Page<double>*>(page)->values[m % kPageMinutes], static_cast<double>(v));
      else
        StoreValue(static_cast<Page<float>*>(page)->values[m % kPageMinutes], v);
    }
  }
  return notFinite;
}

std::size_t LinkSeries::AllocatedBytes() const
{
  std::size_t bytes = 0;
  for (int measure = 0; measure < kSeriesMeasures; ++measure)
    for (int source = 0; source < kSeriesSources; ++source) {
      const Row* row = m_rows[measure][source].load(std::memory_order_acquire);
      if (!row)
        continue;
      bytes += sizeof(Row);
      for (const auto& pagePtr : row->pages)
        if (pagePtr.load(std::memory_order_acquire))
          bytes += PageBytes(RowHoldsDoubles(measure, source));
    }
  return bytes;
}
