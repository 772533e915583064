#include "TextHelpers.h"

#include <charconv>
#include <climits>
#include <cstdarg>
#include <cstring>

std::string FormatRealC(double v)
{
  char buf[400];
  auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed);
  if (res.ec != std::errc())
    return "0";
  return std::string(buf, res.ptr);
}

double ScanReal(std::FILE* f)
{
  return fields::NextReal(f).value_or(-1.0);
}

double ReadFloat(std::FILE* f)
{
  return fields::NextRealLeadingPoint(f).value_or(-1.0);
}

int ScanUnsignedInt(std::FILE* f)
{
  return fields::NextUnsignedInt(f).value_or(-1);
}

int ReadSignedInt(std::FILE* f)
{
  // The magnitude is clamped to INT_MAX, so INT_MIN reads as -INT_MAX.
  const int v = fields::NextSignedInt(f).value_or(-1);
  return v == INT_MIN ? -INT_MAX : v;
}

std::string ReadToken(std::FILE* f)
{
  return fields::NextToken(f).value_or("-1");
}

void FormatMinutes(char* buf, std::size_t size, int m, bool pad)
{
  if (!buf || size == 0)
    return;
  int h = m / 60;
  int r = m - 60 * h;
  if (m % 60 == 0)
    std::snprintf(buf, size, "%d:00", h);
  else if (m % 10 == 0)
    std::snprintf(buf, size, "%d:%d", h, r);
  else if (pad)
    std::snprintf(buf, size, r < 10 ? "%d:0%d" : "%d:%d", h, r);
  else
    buf[0] = '\0';
}

std::string FormatMinutes(int minutes, bool pad)
{
  char buf[32];
  FormatMinutes(buf, sizeof buf, minutes, pad);
  return buf;
}

std::string FormatClock(int& hour, int& minute)
{
  if (minute >= 60) {
    hour = minute / 60;
    minute = minute % 60;
  }
  char buf[32];
  std::snprintf(buf, sizeof buf, "%s%d:%s%d", hour < 10 ? "0" : "", hour, minute < 10 ? "0" : "", minute);
  return buf;
}

void DebugPrintf(const char* fmt, ...)
{
  va_list ap;
  va_start(ap, fmt);
  std::vprintf(fmt, ap);
  va_end(ap);
  std::fflush(stdout);
}
