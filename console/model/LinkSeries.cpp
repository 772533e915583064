#include "LinkSeries.h"

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
  for (auto& bySource : m_rows)
    for (auto& rowPtr : bySource) {
      Row* row = rowPtr.load(std::memory_order_acquire);
      if (!row)
        continue;
      for (auto& pagePtr : row->pages)
        if (Page* page = pagePtr.load(std::memory_order_acquire)) {
          delete page;
          freed += sizeof(Page);
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
  const Page* page = row->pages[minute / kPageMinutes].load(std::memory_order_acquire);
  if (!page)
    return BaseValue(measure, epoch);
  if (std::atomic_ref<std::uint32_t>(const_cast<std::uint32_t&>(page->epoch))
          .load(std::memory_order_acquire) != epoch)
    return BaseValue(measure, epoch);
  return std::atomic_ref<double>(const_cast<double&>(page->values[minute % kPageMinutes]))
      .load(std::memory_order_relaxed);
}

LinkSeries::Page* LinkSeries::WritablePage(int measure, int source, int minute)
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
  Page* page = pageSlot.load(std::memory_order_acquire);
  if (!page) {
    page = new Page;
    double base = BaseValue(measure, epoch);
    for (double& v : page->values)
      v = base;
    page->epoch = epoch;
    pageSlot.store(page, std::memory_order_release);
    g_seriesBytes.fetch_add(sizeof(Page), std::memory_order_relaxed);
  } else if (std::atomic_ref<std::uint32_t>(page->epoch).load(std::memory_order_acquire) != epoch) {
    // Written before the last reset: every minute of it now holds the base.
    double base = BaseValue(measure, epoch);
    for (double& v : page->values)
      std::atomic_ref<double>(v).store(base, std::memory_order_relaxed);
    std::atomic_ref<std::uint32_t>(page->epoch).store(epoch, std::memory_order_release);
  }
  return page;
}

bool LinkSeries::Set(int measure, int source, int minute, double value)
{
  if (!InRange(measure, source, minute))
    return false;
  std::lock_guard<std::mutex> lock(WriteLockFor(this));
  Page* page = WritablePage(measure, source, minute);
  std::atomic_ref<double>(page->values[minute % kPageMinutes]).store(value, std::memory_order_relaxed);
  return true;
}

bool LinkSeries::SetMeasures(int source, int minute, const double (&values)[kSeriesMeasures])
{
  if (!InRange(0, source, minute))
    return false;
  std::lock_guard<std::mutex> lock(WriteLockFor(this));
  for (int measure = 0; measure < kSeriesMeasures; ++measure) {
    Page* page = WritablePage(measure, source, minute);
    std::atomic_ref<double>(page->values[minute % kPageMinutes])
        .store(values[measure], std::memory_order_relaxed);
  }
  return true;
}

int LinkSeries::SetRange(int measure, int source, int firstMinute, const double* values, int count)
{
  if (!values || count <= 0 || !InRange(measure, source, 0))
    return 0;
  std::lock_guard<std::mutex> lock(WriteLockFor(this));
  int stored = 0;
  Page* page = nullptr;
  int pageIndex = -1;
  for (int k = 0; k < count; ++k) {
    const long long minute = static_cast<long long>(firstMinute) + k;
    if (minute < 0 || minute >= kSeriesMinutes)
      continue;
    const int m = static_cast<int>(minute);
    if (m / kPageMinutes != pageIndex) {
      pageIndex = m / kPageMinutes;
      page = WritablePage(measure, source, m);
    }
    std::atomic_ref<double>(page->values[m % kPageMinutes]).store(values[k], std::memory_order_relaxed);
    ++stored;
  }
  return stored;
}

void LinkSeries::SetRecordRun(int source, int firstMinute, const float* const (&values)[kSeriesMeasures],
                              std::size_t stride, int count, bool repeatLast)
{
  if (count <= 0 || !InRange(0, source, 0))
    return;
  std::lock_guard<std::mutex> lock(WriteLockFor(this));
  const int last = repeatLast ? count : count - 1;
  for (int measure = 0; measure < kSeriesMeasures; ++measure) {
    const float* run = values[measure];
    if (!run)
      continue;
    const double scale = measure == kMeasureQueue ? 100.0 : 1.0;
    Page* page = nullptr;
    int pageIndex = -1;
    for (int k = 0; k <= last; ++k) {
      const long long minute = static_cast<long long>(firstMinute) + k;
      if (minute < 0 || minute >= kSeriesMinutes)
        continue;
      const int m = static_cast<int>(minute);
      if (m / kPageMinutes != pageIndex) {
        pageIndex = m / kPageMinutes;
        page = WritablePage(measure, source, m);
      }
      const float v = run[static_cast<std::size_t>(k < count ? k : count - 1) * stride];
      std::atomic_ref<double>(page->values[m % kPageMinutes]).store(v * scale, std::memory_order_relaxed);
    }
  }
}

std::size_t LinkSeries::AllocatedBytes() const
{
  std::size_t bytes = 0;
  for (const auto& bySource : m_rows)
    for (const auto& rowPtr : bySource) {
      const Row* row = rowPtr.load(std::memory_order_acquire);
      if (!row)
        continue;
      bytes += sizeof(Row);
      for (const auto& pagePtr : row->pages)
        if (pagePtr.load(std::memory_order_acquire))
          bytes += sizeof(Page);
    }
  return bytes;
}
