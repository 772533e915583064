#include "StringPrintf.h"

#include <cstdarg>
#include <cstdio>

#include "NumericLocale.h"

namespace {

__attribute__((format(printf, 2, 0))) void AppendV(std::string& out, const char* fmt, va_list ap)
{
  // Reals with a point, whatever locale the window system has set.
  CNumericLocaleScope c_numeric;
  char buf[256];
  va_list again;
  va_copy(again, ap);
  const int n = std::vsnprintf(buf, sizeof buf, fmt, ap);
  if (n > 0 && static_cast<std::size_t>(n) < sizeof buf) {
    out.append(buf, static_cast<std::size_t>(n));
  } else if (n > 0) {
    const std::size_t at = out.size();
    out.resize(at + static_cast<std::size_t>(n) + 1);
    std::vsnprintf(&out[at], static_cast<std::size_t>(n) + 1, fmt, again);
    out.resize(at + static_cast<std::size_t>(n));
  }
  va_end(again);
}

}  // namespace

void StringAppendF(std::string& out, const char* fmt, ...)
{
  va_list ap;
  va_start(ap, fmt);
  AppendV(out, fmt, ap);
  va_end(ap);
}

std::string StringPrintf(const char* fmt, ...)
{
  std::string out;
  va_list ap;
  va_start(ap, fmt);
  AppendV(out, fmt, ap);
  va_end(ap);
  return out;
}
