// HRTime in tests: readable failure messages ({sec, msec}) and T(sec, msec)
// to write one.
#pragma once

#include "HRTime.h"

#include <ostream>

namespace QELM {
inline void PrintTo(const HRTime& t, std::ostream* os)
{
  *os << "{" << t.sec << ", " << t.msec << "}";
}
}  // namespace QELM

inline HRTime T(long long sec, long long msec)
{
  HRTime t;
  t.sec = sec;
  t.msec = msec;
  return t;
}
