#include "HRTime.h"

#include <chrono>
#include <climits>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <thread>

namespace {

HRTime make(long long sec, long long msec)
{
  HRTime t;
  t.sec = sec;
  t.msec = msec;
  return t;
}

// Borrow rule: a negative millisecond part takes whole seconds, and a part
// of 1000 or more gives them back, so that msec ends in 0..999. Done by
// division, so a far-out millisecond count costs no loop.
void normalise(HRTime& t)
{
  long long carry = t.msec / 1000;
  long long rest = t.msec % 1000;
  if (rest < 0) {
    rest += 1000;
    carry -= 1;
  }
  t.sec += carry;
  t.msec = rest;
}

// A real value truncated toward zero into 64 bits; values beyond the range
// (and NaN, taken as 0) saturate instead of overflowing the conversion.
long long truncate_to_ll(double x)
{
  if (std::isnan(x))
    return 0;
  constexpr double limit = 9.2e18;
  if (x >= limit)
    return static_cast<long long>(limit);
  if (x <= -limit)
    return -static_cast<long long>(limit);
  return static_cast<long long>(std::trunc(x));
}

}  // namespace

HRTime& HRTimeNow(HRTime& t)
{
  // One reading of the system clock gives both fields, so that the seconds
  // and the milliseconds can never come from two different seconds.
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  t = HRTimeFromMilliseconds(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
  return t;
}

HRTime HRTimeFromMilliseconds(int64_t ms)
{
  HRTime t = make(ms / 1000, ms % 1000);
  normalise(t);
  return t;
}

HRTime HRTimeNow()
{
  HRTime t;
  return HRTimeNow(t);
}

namespace QELM {

HRTime& operator+=(HRTime& a, const HRTime& b)
{
  a.sec += b.sec;
  a.msec += b.msec;
  if (a.msec >= 1000) {
    a.sec += 1;
    a.msec -= 1000;
  }
  return a;
}

HRTime operator+(const HRTime& a, const HRTime& b)
{
  HRTime r = a;
  r += b;
  return r;
}

HRTime operator-(const HRTime& a)
{
  if (a.msec != 0)
    return make(-a.sec - 1, 1000 - a.msec);
  return make(-a.sec, 0);
}

HRTime operator-(const HRTime& a, const HRTime& b)
{
  return a + (-b);
}

HRTime& operator-=(HRTime& a, const HRTime& b)
{
  a += -b;
  return a;
}

bool operator==(const HRTime& a, const HRTime& b)
{
  return a.sec == b.sec && a.msec == b.msec;
}

bool operator!=(const HRTime& a, const HRTime& b)
{
  return !(a == b);
}

bool operator>(const HRTime& a, const HRTime& b)
{
  return a.sec > b.sec || (a.sec == b.sec && a.msec > b.msec);
}

bool operator<=(const HRTime& a, const HRTime& b)
{
  return !(a > b);
}

HRTime operator/(const HRTime& a, double d)
{
  const double q = static_cast<double>(a.sec) / d;
  const double whole = std::trunc(q);
  HRTime r;
  // Whole seconds are kept in the value's full 64 bits: absolute times
  // beyond 2038 and quotients by factors below 1 must not wrap.
  r.sec = truncate_to_ll(whole);
  r.msec = truncate_to_ll((q - whole) * 1000.0 + static_cast<double>(a.msec) / d);
  // The quotient's fraction plus msec/d can reach a whole second or more
  // (for example {1, 999} / 1.0): carry as well as borrow so that the result
  // stays in normal form.
  normalise(r);
  return r;
}

HRTime& operator/=(HRTime& a, double d)
{
  a = a / d;
  return a;
}

HRTime& operator*=(HRTime& a, double d)
{
  const double total_ms = (static_cast<double>(a.sec) * 1000.0 + static_cast<double>(a.msec)) * d;
  const long long ms = truncate_to_ll(total_ms);
  a.sec = ms / 1000;
  a.msec = ms % 1000;
  normalise(a);
  return a;
}

}  // namespace QELM

HRTime HRTimeFromWholeSeconds(int32_t s)
{
  return make(s, 0);
}

HRTime HRTimeFromSeconds(double x)
{
  HRTime r;
  r.sec = truncate_to_ll(x);
  // Beyond millisecond precision (or NaN) there is no fraction to take.
  r.msec = std::fabs(x) < 9.0e15 ? truncate_to_ll((x - static_cast<double>(r.sec)) * 1000.0) : 0;
  normalise(r);
  return r;
}

uint32_t HRTimeRoundToSeconds(const HRTime& t)
{
  return static_cast<uint32_t>(t.msec >= 500 ? t.sec + 1 : t.sec);
}

char* HRTimeToString(const HRTime& t, char* buffer)
{
  bool negative = t.sec < 0;
  HRTime mag = t;
  if (negative) {
    // -(sec + 1) cannot overflow; -sec can only for the smallest value,
    // which saturates (a time stamp from elsewhere must not break the text).
    if (t.msec != 0)
      mag = make(-(t.sec + 1), 1000 - t.msec);
    else
      mag = make(t.sec == LLONG_MIN ? LLONG_MAX : -t.sec, 0);
  }
  const time_t secs = static_cast<time_t>(mag.sec);
  struct tm lt
  {};
  localtime_r(&secs, &lt);
  std::snprintf(buffer, HRTIME_TEXT_SIZE, negative ? "-%02d:%02d:%02d.%03d" : "%02d:%02d:%02d.%03d",
                lt.tm_hour, lt.tm_min, lt.tm_sec, static_cast<int>(mag.msec));
  return buffer;
}

int SleepMs(uint32_t ms)
{
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
  return 0;
}
