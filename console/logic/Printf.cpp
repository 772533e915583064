#include "Printf.h"

#include <cstdarg>
#include <cstdio>

std::string Printf(const char* fmt, ...)
{
  va_list ap;
  va_start(ap, fmt);
  va_list again;
  va_copy(again, ap);
  const int n = std::vsnprintf(nullptr, 0, fmt, ap);
  va_end(ap);
  std::string out;
  if (n > 0) {
    out.resize(static_cast<std::size_t>(n) + 1);
    std::vsnprintf(out.data(), out.size(), fmt, again);
    out.resize(static_cast<std::size_t>(n));
  }
  va_end(again);
  return out;
}
