#include "HRTime.h"

#include <chrono>
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

// Borrow rule: a negative millisecond part takes one second.
void normalise(HRTime& t)
{
  while (t.msec < 0) {
    t.sec -= 1;
    t.msec += 1000;
  }
  while (t.msec >= 1000) {
    t.sec += 1;
    t.msec -= 1000;
  }
}

} // namespace

HRTime& HRTimeNow(HRTime& t)
{
  // One reading of the system clock gives both fields, so that the seconds
  // and the milliseconds can never come from two different seconds.
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  const long long ms = std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
  t.sec = ms / 1000;
  t.msec = ms % 1000;
  normalise(t);
  return t;
}

HRTime HRTimeNow()
{
  HRTime t;
  return HRTimeNow(t);
}

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
  r.sec = static_cast<int32_t>(whole);
  r.msec = static_cast<long long>((q - whole) * 1000.0 + static_cast<double>(a.msec) / d);
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
  const long long ms = static_cast<long long>(std::trunc(total_ms));
  a.sec = ms / 1000;
  a.msec = ms % 1000;
  normalise(a);
  return a;
}

HRTime HRTimeFromWholeSeconds(int32_t s)
{
  return make(s, 0);
}

HRTime HRTimeFromSeconds(double x)
{
  HRTime r;
  r.sec = static_cast<int32_t>(std::trunc(x));
  r.msec = static_cast<long long>(std::trunc((x - static_cast<double>(r.sec)) * 1000.0));
  if (r.msec < 0) {
    r.sec -= 1;
    r.msec += 1000;
  }
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
  if (negative)
    mag = (t.msec != 0) ? make(-t.sec - 1, 1000 - t.msec) : make(-t.sec, 0);
  const time_t secs = static_cast<time_t>(mag.sec);
  struct tm lt {};
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
