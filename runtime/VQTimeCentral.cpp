#include "VQTimeCentral.h"

#include <mutex>

// Placeholder until the clock correction lands: the corrected clock with a
// zero correction.
HRTime VQTimeCentral::m_correction = {0, 0};

namespace {
std::mutex& correction_mutex()
{
  static std::mutex* m = new std::mutex;
  return *m;
}
} // namespace

VQTimeCentral::VQTimeCentral() {}
VQTimeCentral::~VQTimeCentral() {}

HRTime VQTimeCentral::GetCorrection()
{
  std::lock_guard<std::mutex> lock(correction_mutex());
  return m_correction;
}

HRTime& VQTimeCentral::Now(HRTime& t)
{
  HRTimeNow(t);
  t += GetCorrection();
  return t;
}

HRTime VQTimeCentral::Now()
{
  HRTime t;
  return Now(t);
}

int VQTimeCentral::Connect(QELM::Management_ptr) { return -1; }
int VQTimeCentral::Synchronize() { return -1; }
int VQTimeCentral::StartTimer() { return -1; }
int VQTimeCentral::StopTimer() { return -1; }
bool VQTimeCentral::IsActive() { return false; }
