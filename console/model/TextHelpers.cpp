#include "TextHelpers.h"

#include <charconv>
#include <climits>
#include <cstdarg>
#include <cstring>

namespace {

bool IsDigit(int c)
{
  return c >= '0' && c <= '9';
}
bool IsAlnum(int c)
{
  return IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Skips to the first digit (or "." when dotStarts); sets sign from the
// character just before it. Returns the stopping character or EOF.
int SkipToNumber(std::FILE* f, bool dotStarts, int& sign)
{
  sign = 1;
  for (;;) {
    int c = getc_unlocked(f);
    if (c == EOF)
      return EOF;
    if (IsDigit(c) || (dotStarts && c == '.'))
      return c;
    sign = (c == '-') ? -1 : 1;
  }
}

// Collects c and the following characters accepted by `accept` into text
// (at most width - 1 kept); the first other character is consumed.
template <class Accept>
std::string Collect(std::FILE* f, int c, std::size_t width, Accept accept)
{
  std::string text;
  while (c != EOF && accept(c)) {
    if (text.size() + 1 < width)
      text.push_back(static_cast<char>(c));
    c = getc_unlocked(f);
  }
  return text;
}

bool ScanRealImpl(std::FILE* f, bool dotStarts, double& value)
{
  int sign = 1;
  int c = SkipToNumber(f, dotStarts, sign);
  if (c == EOF)
    return false;
  std::string text = Collect(f, c, kScanFieldWidth, [](int ch) { return IsDigit(ch) || ch == '.'; });
  value = ParseRealC(text.c_str()) * sign;
  return true;
}

}  // namespace

double ParseRealC(const char* text)
{
  const char* end = text + std::strlen(text);
  double v = 0.0;
  auto res = std::from_chars(text, end, v, std::chars_format::fixed);
  if (res.ec != std::errc())
    return 0.0;
  return v;
}

std::string FormatRealC(double v)
{
  char buf[400];
  auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed);
  if (res.ec != std::errc())
    return "0";
  return std::string(buf, res.ptr);
}

bool ScanRealChecked(std::FILE* f, double& value)
{
  return ScanRealImpl(f, false, value);
}

double ScanReal(std::FILE* f)
{
  double v = 0.0;
  return ScanRealImpl(f, false, v) ? v : -1.0;
}

double ReadFloat(std::FILE* f)
{
  double v = 0.0;
  return ScanRealImpl(f, true, v) ? v : -1.0;
}

bool ScanUnsignedIntChecked(std::FILE* f, int& value)
{
  int c;
  do {
    c = getc_unlocked(f);
    if (c == EOF)
      return false;
  } while (!IsDigit(c) && c != '.');
  if (c == '.') {
    value = 0;
    return true;
  }
  std::string text = Collect(f, c, kScanUnsignedWidth, IsDigit);
  long long v = 0;
  std::from_chars(text.data(), text.data() + text.size(), v);
  value = static_cast<int>(v);  // at most nine digits: fits
  return true;
}

int ScanUnsignedInt(std::FILE* f)
{
  int v = 0;
  return ScanUnsignedIntChecked(f, v) ? v : -1;
}

int ReadSignedInt(std::FILE* f)
{
  int sign = 1;
  int c = SkipToNumber(f, false, sign);
  if (c == EOF)
    return -1;
  std::string text = Collect(f, c, kScanFieldWidth, IsDigit);
  long long v = 0;
  auto res = std::from_chars(text.data(), text.data() + text.size(), v);
  if (res.ec == std::errc::result_out_of_range || v > INT_MAX)
    v = INT_MAX;
  v *= sign;
  if (v < INT_MIN)
    v = INT_MIN;
  return static_cast<int>(v);
}

std::string ReadToken(std::FILE* f)
{
  int c;
  do {
    c = getc_unlocked(f);
    if (c == EOF)
      return "-1";
  } while (!IsAlnum(c));
  return Collect(f, c, kScanFieldWidth, IsAlnum);
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

std::string FormatText(const char* fmt, ...)
{
  char buf[512];
  va_list ap;
  va_start(ap, fmt);
  std::vsnprintf(buf, sizeof buf, fmt, ap);
  va_end(ap);
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
