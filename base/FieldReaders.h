// Tolerant readers of numbers, words and lines in text files: the one
// scanner behind every reader of the system's data files. Anything that is
// not part of a number separates numbers; a real has no exponent and is
// taken in the "C" notation whatever the process locale is. The readers
// here give nothing (nullopt) at the end of the text, so that a short file
// is told from a value of -1; the console's and the runtime's readers with
// the -1 end marker are thin wrappers over them.
//
//   UniqueFile f = OpenFile(path, "r");
//   while (std::optional<double> v = fields::NextReal(f.get())) ...
//
//   fields::TextCursor text(alreadyRead);        // a text held in memory
//   std::optional<int> n = fields::NextUnsignedInt(text);
#pragma once

#include <cstddef>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace fields {

// A text held in memory, read one character at a time like a file.
class TextCursor
{
public:
  explicit TextCursor(std::string_view text) : m_text(text) {}
  int Get() { return m_pos < m_text.size() ? static_cast<unsigned char>(m_text[m_pos++]) : EOF; }

private:
  std::string_view m_text;
  std::size_t m_pos = 0;
};

// Where the readers take their characters from: an open file or a text
// in memory (neither owned).
class CharSource
{
public:
  CharSource(std::FILE* f) : m_file(f) {}
  CharSource(TextCursor& text) : m_text(&text) {}
  int Get() { return m_file ? getc_unlocked(m_file) : m_text->Get(); }

private:
  std::FILE* m_file = nullptr;
  TextCursor* m_text = nullptr;
};

// Characters of a number or word that are kept, the rest of a longer one
// being read past: 31, the text of a 32-character field.
constexpr std::size_t kFieldChars = 31;

// How the numbers of a file are written.
struct NumberSyntax
{
  bool minusSign = true;           // a "-" directly before the number makes it negative
  bool pointStarts = false;        // a "." may begin a number
  bool fraction = true;            // "." belongs to the number (else it ends it)
  std::size_t keep = kFieldChars;  // characters kept; 0 keeps them all
};

struct NumberText
{
  std::string text;  // digits (and points), cut as the syntax says
  int sign = 1;      // -1 or 1
};
// The characters of the next number and its sign: skips to the first digit
// (or "." when the syntax lets it start a number), collects the digits
// (and points) that follow and consumes the character that ends them.
// nullopt at the end of the text. The readers below are each one syntax.
std::optional<NumberText> NextNumberText(CharSource in, const NumberSyntax& syntax);

// Next signed real: only a "-" directly before the first digit makes it
// negative; the value stops at a second point; at most 31 characters are
// taken.
std::optional<double> NextReal(CharSource in);

// As NextReal, but a number may also begin with ".": ".5" is 0.5.
std::optional<double> NextRealLeadingPoint(CharSource in);

// Next unsigned real: signs and a leading point are separators ("-2.5" is
// 2.5, ".5" is 5); the whole run of digits and points is taken.
std::optional<double> NextUnsignedReal(CharSource in);

// Next signed integer (digits only; a "." ends it). Clamped to the int
// range.
std::optional<int> NextSignedInt(CharSource in);

// Next unsigned integer: signs are ignored, and a "." met before any digit
// gives 0 and leaves the digits after it for the next call. At most nine
// digits are taken; the rest of a longer number is read past.
std::optional<int> NextUnsignedInt(CharSource in);

// Next run of digits as an integer: signs and points are separators ("-5"
// is 5, "3.25" is 3 then 25). A value above INT_MAX gives INT_MAX.
std::optional<int> NextDigits(CharSource in);

// Next alphanumeric word (ASCII letters and digits), cut at 31 characters.
std::optional<std::string> NextToken(CharSource in);

// The characters of one line into buf (size bytes, always terminated when
// size > 0): up to a carriage return, a line feed or the end of the text,
// which is consumed. A longer line is cut and its rest read past. Returns
// what ended it, '\r', '\n' or EOF; *count, when given, is the number of
// characters before it.
int ReadLineChars(CharSource in, char* buf, std::size_t size, std::size_t* count = nullptr);

// A real truncated toward zero into the int range (NaN gives 0).
int TruncateToInt(double v);

}  // namespace fields

// Decimal real of a text in the "C" notation whatever the locale: its
// longest prefix in fixed notation (an optional "-", digits and one point,
// no exponent); 0.0 when it has none.
double ParseRealC(const char* text);

// The C library's strtod in the "C" locale whatever the process locale is
// (leading blanks, signs and exponents taken).
double StrtodC(const char* text);

// Parses the two leading node numbers of a LinkName.dat, Detector.dat or
// CCTV.dat line: right-aligned in columns 1-5 and 6-10, or else each a
// decimal integer of at most five characters after optional blanks. False
// when either is missing; p is left after them.
bool ParseLinkLineNumbers(const char*& p, int& from, int& to);
