#include "FieldReaders.h"

#include <algorithm>
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

// Feeds c and the characters after it that `accept` takes to `keep`; the
// first other character is consumed.
template <class Accept, class Keep>
void Collect(CharSource& in, int c, Accept accept, Keep keep)
{
  for (; c != EOF && accept(c); c = in.Get())
    keep(static_cast<char>(c));
}

// As above, keeping at most `keep` characters (0: all).
template <class Accept>
std::string Collect(CharSource& in, int c, std::size_t keep, Accept accept)
{
  std::string text;
  Collect(in, c, accept, [&](char ch) {
    if (keep == 0 || text.size() < keep)
      text.push_back(ch);
  });
  return text;
}

// Skips to the first character of the next number and returns it (EOF at
// the end of the text); sign is the number's.
int SkipToNumber(CharSource& in, const NumberSyntax& syntax, int& sign)
{
  sign = 1;
  for (;;) {
    const int c = in.Get();
    if (c == EOF || IsDigit(c) || (syntax.pointStarts && c == '.'))
      return c;
    sign = syntax.minusSign && c == '-' ? -1 : 1;
  }
}

// What a number of the syntax is made of once it has begun: digits, and
// points when it has a fraction.
auto NumberChars(const NumberSyntax& syntax)
{
  return [fraction = syntax.fraction](int c) { return IsDigit(c) || (fraction && c == '.'); };
}

// The text of a number of a syntax that keeps at most kFieldChars
// characters, held in the reader's frame: the readers of the large data
// files take millions of numbers, and a string for each costs a third of
// their time.
struct ShortNumber
{
  char text[kFieldChars + 1];  // terminated
  std::size_t size = 0;
  int sign = 1;
  std::string_view View() const { return {text, size}; }
};

// syntax.keep must be 1..kFieldChars: a syntax that keeps more (or all,
// 0) reads through NextNumberText. The min only keeps the buffer whole.
bool NextShortNumber(CharSource& in, const NumberSyntax& syntax, ShortNumber& n)
{
  int c = SkipToNumber(in, syntax, n.sign);
  if (c == EOF)
    return false;
  const std::size_t keep = std::min(syntax.keep, kFieldChars);
  n.size = 0;
  Collect(in, c, NumberChars(syntax), [&](char ch) {
    if (n.size < keep)
      n.text[n.size++] = ch;
  });
  n.text[n.size] = '\0';
  return true;
}

// The magnitude of a run of digits, saturated just above INT_MAX.
long long DigitsValue(std::string_view digits)
{
  long long v = 0;
  for (char c : digits)
    if (v <= INT_MAX)
      v = v * 10 + (c - '0');
  return v;
}

// A real of the "C" notation from a terminated text of `size` characters.
double ParseRealText(const char* text, std::size_t size)
{
  double v = 0.0;
  const std::from_chars_result res = std::from_chars(text, text + size, v, std::chars_format::fixed);
  if (res.ec == std::errc::result_out_of_range) {
    // Beyond the range of a double: the C library's rounding to infinity
    // or toward 0.
    return StrtodC(text);
  }
  return res.ec == std::errc() ? v : 0.0;
}

std::optional<double> ShortReal(CharSource& in, const NumberSyntax& syntax)
{
  ShortNumber n;
  if (!NextShortNumber(in, syntax, n))
    return std::nullopt;
  return ParseRealText(n.text, n.size) * n.sign;
}

std::optional<double> RealOf(std::optional<NumberText> n)
{
  if (!n)
    return std::nullopt;
  return ParseRealText(n->text.c_str(), n->text.size()) * n->sign;
}

}  // namespace

std::optional<NumberText> NextNumberText(CharSource in, const NumberSyntax& syntax)
{
  NumberText n;
  const int c = SkipToNumber(in, syntax, n.sign);
  if (c == EOF)
    return std::nullopt;
  n.text = Collect(in, c, syntax.keep, NumberChars(syntax));
  return n;
}

std::optional<double> NextReal(CharSource in)
{
  return ShortReal(in, NumberSyntax{});
}

std::optional<double> NextRealLeadingPoint(CharSource in)
{
  return ShortReal(in, NumberSyntax{true, true, true, kFieldChars});
}

std::optional<double> NextUnsignedReal(CharSource in)
{
  return RealOf(NextNumberText(in, NumberSyntax{false, false, true, 0}));
}

std::optional<int> NextSignedInt(CharSource in)
{
  ShortNumber n;
  if (!NextShortNumber(in, NumberSyntax{true, false, false, kFieldChars}, n))
    return std::nullopt;
  const long long v = DigitsValue(n.View()) * n.sign;
  return v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : static_cast<int>(v);
}

std::optional<int> NextUnsignedInt(CharSource in)
{
  // A "." starts the number but is not part of it: the text is then empty
  // and the value 0.
  ShortNumber n;
  if (!NextShortNumber(in, NumberSyntax{false, true, false, 9}, n))
    return std::nullopt;
  return static_cast<int>(DigitsValue(n.View()));
}

std::optional<int> NextDigits(CharSource in)
{
  ShortNumber n;
  if (!NextShortNumber(in, NumberSyntax{false, false, false, kFieldChars}, n))
    return std::nullopt;
  const long long v = DigitsValue(n.View());
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
  return fields::ParseRealText(text, std::strlen(text));
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
