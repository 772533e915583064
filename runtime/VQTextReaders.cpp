#include "VQTextReaders.h"

#include "VQCheck.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <locale.h>
#include <string>

namespace {

bool IsDigit(int c)
{
  return c >= '0' && c <= '9';
}

// The "C" locale for real conversions, made once and kept for the life of
// the program.
locale_t CLocale()
{
  static const locale_t loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  return loc;
}

double CStrtod(const char* s)
{
  const locale_t loc = CLocale();
  if (loc == static_cast<locale_t>(0))
    return std::strtod(s, nullptr);
  return strtod_l(s, nullptr, loc);
}

// Skips to the next decimal digit and returns it, or EOF.
int SkipToDigit(std::FILE* f)
{
  int c;
  do {
    c = std::fgetc(f);
  } while (c != EOF && !IsDigit(c));
  return c;
}

}  // namespace

int ReadInt(std::FILE* f)
{
  if (!VQ_CHECK(f != NULL))
    return -1;
  int c = SkipToDigit(f);
  if (c == EOF)
    return -1;
  long long value = 0;
  // The character that ends the run is read here and so consumed.
  for (; IsDigit(c); c = std::fgetc(f)) {
    if (value <= INT_MAX)
      value = value * 10 + (c - '0');
  }
  return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

double ReadReal(std::FILE* f)
{
  if (!VQ_CHECK(f != NULL))
    return -1.0;
  int c = SkipToDigit(f);
  if (c == EOF)
    return -1.0;
  std::string run;
  for (; IsDigit(c) || c == '.'; c = std::fgetc(f))
    run.push_back(static_cast<char>(c));
  return CStrtod(run.c_str());
}

bool ReadLine(std::FILE* f, char* buffer, size_t buffer_size)
{
  if (!VQ_CHECK(buffer != NULL) || !VQ_CHECK(buffer_size != 0))
    return false;
  buffer[0] = '\0';
  if (!VQ_CHECK(f != NULL))
    return false;
  size_t len = 0;
  bool any = false;
  for (;;) {
    const int c = std::fgetc(f);
    if (c == EOF)
      break;
    any = true;
    if (c == '\n')
      break;
    if (c == '\r') {
      const int next = std::fgetc(f);
      if (next != '\n' && next != EOF)
        std::ungetc(next, f);
      break;
    }
    if (len + 1 < buffer_size)
      buffer[len++] = static_cast<char>(c);
  }
  buffer[len] = '\0';
  return any;
}

double StringToReal(const char* s)
{
  if (!VQ_CHECK(s != NULL))
    return -1.0;
  const double v = CStrtod(s);
  if (v != 0)
    return v;
  if (std::strcmp(s, ".0") == 0 || std::strcmp(s, "0") == 0 || std::strcmp(s, "0.0") == 0)
    return 0.0;
  return -1.0;
}
