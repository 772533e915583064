// HRTime: the system's time value {sec, msec}, msec kept in 0..999.
#pragma once

#include <QELM.hh>

#include <cstdint>

using QELM::HRTime;

// Current local clock: seconds and milliseconds from one reading.
HRTime& HRTimeNow(HRTime& t);
HRTime HRTimeNow();

// The operators live in HRTime's own namespace, so that argument-dependent
// lookup finds them from any namespace (test macros, standard algorithms).
namespace QELM {
HRTime operator+(const HRTime& a, const HRTime& b);
HRTime& operator+=(HRTime& a, const HRTime& b);
HRTime operator-(const HRTime& a);
HRTime operator-(const HRTime& a, const HRTime& b);
HRTime& operator-=(HRTime& a, const HRTime& b);
bool operator==(const HRTime& a, const HRTime& b);
bool operator!=(const HRTime& a, const HRTime& b);
bool operator>(const HRTime& a, const HRTime& b);
bool operator<=(const HRTime& a, const HRTime& b);
HRTime operator/(const HRTime& a, double d);
HRTime& operator/=(HRTime& a, double d);
HRTime& operator*=(HRTime& a, double d);
}  // namespace QELM

HRTime HRTimeFromWholeSeconds(int32_t s);
HRTime HRTimeFromSeconds(double x);
// A count of milliseconds in normal form: -300 is {-1, 700}.
HRTime HRTimeFromMilliseconds(int64_t ms);
uint32_t HRTimeRoundToSeconds(const HRTime& t);

// Clock-time text "%02d:%02d:%02d.%03d" (a negative value with a leading
// "-"). The buffer must hold at least HRTIME_TEXT_SIZE bytes.
enum { HRTIME_TEXT_SIZE = 14 };
char* HRTimeToString(const HRTime& t, char* buffer);

int SleepMs(uint32_t ms);
