#include "FieldReaders.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <locale.h>

namespace fields {

namespace {

bool IsDigit(int c)
{
  return c >= '0' && c <= '9';
}

bool IsAlnum(int c)
{
  return IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Collects c and the characters after it that `accept` takes, keeping at
// most `keep` of them (0: all); the first other character is consumed.
template <class Accept>
std::string Collect(CharSource& in, int c, std::size_t keep, Accept accept)
{
  std::string text;
  for (; c != EOF && accept(c); c = in.Get())
    if (keep == 0 || text.size() < keep)
      text.push_back(static_cast<char>(c));
  return text;
}

// The magnitude of a run of digits, saturated just above INT_MAX.
long long DigitsValue(const std::string& digits)
{
  long long v = 0;
  for (char c : digits)
    if (v <= INT_MAX)
      v = v * 10 + (c - '0');
  return v;
}

std::optional<double> RealOf(std::optional<NumberText> n)
{
  if (!n)
    return std::nullopt;
  return ParseRealC(n->text.c_str()) * n->sign;
}

}  // namespace

std::optional<NumberText> NextNumberText(CharSource in, const NumberSyntax& syntax)
{
  NumberText n;
  int c;
  for (;;) {
    c = in.Get();
    if (c == EOF)
      return std::nullopt;
    if (IsDigit(c) || (syntax.pointStarts && c == '.'))
      break;
    n.sign = syntax.minusSign && c == '-' ? -1 : 1;
  }
  n.text = Collect(in, c, syntax.keep, [&](int ch) { return IsDigit(ch) || (syntax.fraction && ch == '.'); });
  return n;
}

std::optional<double> NextReal(CharSource in)
{
  return RealOf(NextNumberText(in, NumberSyntax{}));
}

std::optional<double> NextRealLeadingPoint(CharSource in)
{
  return RealOf(NextNumberText(in, NumberSyntax{true, true, true, kFieldChars}));
}

std::optional<double> NextUnsignedReal(CharSource in)
{
  return RealOf(NextNumberText(in, NumberSyntax{false, false, true, 0}));
}

std::optional<int> NextSignedInt(CharSource in)
{
  std::optional<NumberText> n = NextNumberText(in, NumberSyntax{true, false, false, kFieldChars});
  if (!n)
    return std::nullopt;
  const long long v = DigitsValue(n->text) * n->sign;
  return v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : static_cast<int>(v);
}

std::optional<int> NextUnsignedInt(CharSource in)
{
  // A "." starts the number but is not part of it: the text is then empty
  // and the value 0.
  std::optional<NumberText> n = NextNumberText(in, NumberSyntax{false, true, false, 9});
  if (!n)
    return std::nullopt;
  return static_cast<int>(DigitsValue(n->text));
}

std::optional<int> NextDigits(CharSource in)
{
  std::optional<NumberText> n = NextNumberText(in, NumberSyntax{false, false, false, kFieldChars});
  if (!n)
    return std::nullopt;
  const long long v = DigitsValue(n->text);
  return v > INT_MAX ? INT_MAX : static_cast<int>(v);
}

std::optional<std::string> NextToken(CharSource in)
{
  int c;
  while ((c = in.Get()) != EOF && !IsAlnum(c)) {
  }
  if (c == EOF)
    return std::nullopt;
  return Collect(in, c, kFieldChars, IsAlnum);
}

int ReadLineChars(CharSource in, char* buf, std::size_t size, std::size_t* count)
{
  std::size_t n = 0, kept = 0;
  int c;
  while ((c = in.Get()) != EOF && c != '\r' && c != '\n') {
    ++n;
    if (kept + 1 < size)
      buf[kept++] = static_cast<char>(c);
  }
  if (size > 0)
    buf[kept] = '\0';
  if (count)
    *count = n;
  return c;
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

double ParseRealC(const char* text)
{
  const char* end = text + std::strlen(text);
  double v = 0.0;
  const std::from_chars_result res = std::from_chars(text, end, v, std::chars_format::fixed);
  if (res.ec == std::errc::result_out_of_range) {
    // Beyond the range of a double: the C library's rounding to infinity
    // or toward 0.
    return StrtodC(text);
  }
  return res.ec == std::errc() ? v : 0.0;
}

double StrtodC(const char* text)
{
  // Made once, kept for the life of the program.
  static const locale_t c_locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  return c_locale ? strtod_l(text, nullptr, c_locale) : std::strtod(text, nullptr);
}

namespace {

// Optional blanks, then at most `width` characters of a decimal integer
// with an optional sign.
bool ParseFixedInt(const char*& p, int width, int& out)
{
  while (*p == ' ' || *p == '\t')
    ++p;
  const char* start = p;
  int used = 0;
  bool neg = false;
  if ((*p == '-' || *p == '+') && used < width) {
    neg = *p == '-';
    ++p;
    ++used;
  }
  long v = 0;
  int digits = 0;
  while (used < width && *p >= '0' && *p <= '9') {
    v = v * 10 + (*p - '0');
    ++p;
    ++used;
    ++digits;
  }
  if (digits == 0) {
    p = start;
    return false;
  }
  out = static_cast<int>(neg ? -v : v);
  return true;
}

// A right-aligned field of `width` characters: blanks, an optional sign,
// then digits up to the end of the field.
bool ParseColumnField(const char* p, int width, int& out)
{
  int i = 0;
  while (i < width && (p[i] == ' ' || p[i] == '\t'))
    ++i;
  bool neg = false;
  if (i < width && (p[i] == '-' || p[i] == '+')) {
    neg = p[i] == '-';
    ++i;
  }
  if (i >= width)
    return false;
  long v = 0;
  for (; i < width; ++i) {
    if (p[i] < '0' || p[i] > '9')
      return false;
    v = v * 10 + (p[i] - '0');
  }
  out = static_cast<int>(neg ? -v : v);
  return true;
}

}  // namespace

bool ParseLinkLineNumbers(const char*& p, int& from, int& to)
{
  // The usual layout: right-aligned in columns 1-5 and 6-10. Read as
  // columns, a four-digit number followed by a five-digit one (" 988810000")
  // stays two numbers.
  int a = 0, b = 0;
  if (ParseColumnField(p, 5, a) && ParseColumnField(p + 5, 5, b)) {
    from = a;
    to = b;
    p += 10;
    return true;
  }
  return ParseFixedInt(p, 5, from) && ParseFixedInt(p, 5, to);
}
