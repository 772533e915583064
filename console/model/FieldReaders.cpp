#include "FieldReaders.h"

#include <cctype>
#include <charconv>
#include <climits>
#include <cmath>

namespace fields {

namespace {

// Skips to the first digit, tracking the sign; EOF when none is left.
int SkipToDigit(std::FILE* f, int* sign)
{
  int c;
  *sign = 1;
  while ((c = std::fgetc(f)) != EOF && !std::isdigit(c))
    *sign = c == '-' ? -1 : 1;
  return c;
}

}  // namespace

std::optional<double> NextReal(std::FILE* f)
{
  int sign;
  int c = SkipToDigit(f, &sign);
  if (c == EOF)
    return std::nullopt;
  char buf[32];
  size_t n = 0;
  for (; c != EOF && (std::isdigit(c) || c == '.'); c = std::fgetc(f))
    if (n < sizeof buf - 1)
      buf[n++] = static_cast<char>(c);
  double v = 0.0;
  std::from_chars(buf, buf + n, v);  // stops at a second "."
  return v * sign;
}

std::optional<int> NextSignedInt(std::FILE* f)
{
  int sign;
  int c = SkipToDigit(f, &sign);
  if (c == EOF)
    return std::nullopt;
  long long v = 0;
  for (; c != EOF && std::isdigit(c); c = std::fgetc(f))
    if (v <= INT_MAX)
      v = v * 10 + (c - '0');
  v *= sign;
  return v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : static_cast<int>(v);
}

std::optional<int> NextUnsignedInt(std::FILE* f)
{
  int c;
  while ((c = std::fgetc(f)) != EOF && !std::isdigit(c) && c != '.') {
  }
  if (c == EOF)
    return std::nullopt;
  if (c == '.')
    return 0;
  int v = 0, digits = 0;
  for (; c != EOF && std::isdigit(c); c = std::fgetc(f))
    if (digits < 9) {
      v = v * 10 + (c - '0');
      ++digits;
    }
  return v;
}

std::optional<std::string> NextToken(std::FILE* f)
{
  int c;
  while ((c = std::fgetc(f)) != EOF && !std::isalnum(c)) {
  }
  if (c == EOF)
    return std::nullopt;
  std::string word;
  for (; c != EOF && std::isalnum(c); c = std::fgetc(f))
    if (word.size() < 31)
      word.push_back(static_cast<char>(c));
  return word;
}

int TruncateToInt(double v)
{
  if (std::isnan(v))
    return 0;
  if (v >= static_cast<double>(INT_MAX))
    return INT_MAX;
  if (v <= static_cast<double>(INT_MIN))
    return INT_MIN;
  return static_cast<int>(v);
}

}  // namespace fields
