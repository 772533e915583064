// The tolerant number readers and the minute/clock formatters.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <string>
#include <vector>

#include "CommaLocale.h"
#include "TempFiles.h"
#include "TextHelpers.h"

namespace {

template <class Fn>
auto ReadAllValues(const std::string& text, int count, Fn fn)
{
  TextFile t(text);
  std::vector<decltype(fn(t.f))> v;
  for (int i = 0; i < count; ++i)
    v.push_back(fn(t.f));
  return v;
}

struct RealCase
{
  const char* text;
  std::vector<double> scanReal;   // successive ScanReal results
  std::vector<double> readFloat;  // successive ReadFloat results
};

TEST(TextHelpers, RealReadersTable)
{
  const RealCase cases[] = {
      {"abc-12.5x", {-12.5, -1.0}, {-12.5, -1.0}},
      {"- 3", {3.0, -1.0}, {3.0, -1.0}},            // the blank resets the sign
      {"1e5", {1.0, 5.0, -1.0}, {1.0, 5.0, -1.0}},  // no exponent
      {".5", {5.0, -1.0}, {0.5, -1.0}},             // only ReadFloat starts at "."
      {"   \n\t  ", {-1.0}, {-1.0}},                // blanks only
      {"", {-1.0}, {-1.0}},
      {"x--7,25;8", {-7.0, 25.0, 8.0, -1.0}, {-7.0, 25.0, 8.0, -1.0}},  // comma separates
      {"1.5.5 2", {1.5, 2.0, -1.0}, {1.5, 2.0, -1.0}},                  // second "." kept in the number text
      {"12", {12.0, -1.0}, {12.0, -1.0}},                               // number ends at end of file
      {"-0.25", {-0.25, -1.0}, {-0.25, -1.0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ReadAllValues(c.text, static_cast<int>(c.scanReal.size()), ScanReal), c.scanReal);
    EXPECT_EQ(ReadAllValues(c.text, static_cast<int>(c.readFloat.size()), ReadFloat), c.readFloat);
  }
}

TEST(TextHelpers, IntegerReadersTable)
{
  struct IntCase
  {
    const char* text;
    std::vector<int> unsignedInts;
    std::vector<int> signedInts;
  };
  const IntCase cases[] = {
      {"-7", {7, -1}, {-7, -1}},
      {"3.5", {3, 5, -1}, {3, 5, -1}},         // "." ends the digits and is consumed
      {".75 4", {0, 75, 4, -1}, {75, 4, -1}},  // "." before a digit gives 0 in ScanUnsignedInt
      {"a- 9", {9, -1}, {9, -1}},
      {"", {-1}, {-1}},
      {"12345678901", {123456789, -1}, {2147483647, -1}},       // cut at 9 digits; clamped
      {"-99999999999999", {999999999, -1}, {-2147483647, -1}},  // magnitude clamped
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ReadAllValues(c.text, static_cast<int>(c.unsignedInts.size()), ScanUnsignedInt),
              c.unsignedInts);
    EXPECT_EQ(ReadAllValues(c.text, static_cast<int>(c.signedInts.size()), ReadSignedInt), c.signedInts);
  }
}

TEST(TextHelpers, TokensAndEndMarkers)
{
  EXPECT_EQ(ReadAllValues("  Det_01 ,x9 ", 4, ReadToken),
            (std::vector<std::string>{"Det", "01", "x9", "-1"}));
  std::string longWord(50, 'w');
  auto words = ReadAllValues(longWord + " next", 3, ReadToken);
  EXPECT_EQ(words[0], std::string(31, 'w'));  // cut at the field width, rest dropped
  EXPECT_EQ(words[1], "next");
  EXPECT_EQ(words[2], "-1");
}

TEST(TextHelpers, LongRealIsCutAtFieldWidth)
{
  std::string digits = "1" + std::string(40, '0');  // 41 digits
  auto v = ReadAllValues(digits + " 7", 2, ScanReal);
  EXPECT_DOUBLE_EQ(v[0], 1e30);  // 31 characters kept
  EXPECT_EQ(v[1], 7.0);
}

TEST(TextHelpers, CheckedReaderTellsEndFromMinusOne)
{
  TextFile t("-1");
  std::optional<double> v = fields::NextReal(t.f);
  ASSERT_TRUE(v);
  EXPECT_EQ(*v, -1.0);
  EXPECT_FALSE(fields::NextReal(t.f));
}

TEST(TextHelpers, FormatMinutesTable)
{
  struct Case
  {
    int minutes;
    bool pad;
    const char* text;
  } cases[] = {
      {120, false, "2:00"},  {90, false, "1:30"},  {65, true, "1:05"}, {75, true, "1:15"},
      {0, false, "0:00"},    {5, true, "0:05"},    {65, false, ""},    {1439, true, "23:59"},
      {1440, true, "24:00"}, {600, true, "10:00"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.minutes);
    EXPECT_EQ(FormatMinutes(c.minutes, c.pad), c.text);
    char small[4];
    FormatMinutes(small, sizeof small, c.minutes, c.pad);  // never written past the buffer
    EXPECT_EQ(std::string(small), std::string(c.text).substr(0, 3));
  }
}

TEST(TextHelpers, FormatClockFoldsMinutesIntoHour)
{
  struct Case
  {
    int hour, minute;
    const char* text;
    int hourAfter, minuteAfter;
  } cases[] = {
      {0, 605, "10:05", 10, 5}, {7, 5, "07:05", 7, 5},     {0, 0, "00:00", 0, 0},
      {3, 60, "01:00", 1, 0},   {12, 59, "12:59", 12, 59},
  };
  for (const auto& c : cases) {
    int h = c.hour, m = c.minute;
    EXPECT_EQ(FormatClock(h, m), c.text);
    EXPECT_EQ(h, c.hourAfter);
    EXPECT_EQ(m, c.minuteAfter);
  }
}

TEST(TextHelpers, CommaLocaleReadsAndWritesC)
{
  CommaLocale comma;
  if (!comma.Active())
    GTEST_SKIP() << "no comma-decimal locale can be built here";
  EXPECT_EQ(ReadAllValues("2.5 3,5", 3, ScanReal), (std::vector<double>{2.5, 3.0, 5.0}));
  EXPECT_EQ(FormatRealC(1234.5), "1234.5");
  EXPECT_EQ(ParseRealC("0.125"), 0.125);
}

TEST(TextHelpers, FormatRealRoundTrips)
{
  for (double v : {0.0, 1.0, -1.25, 0.1, 123456.789, 1e-7, 3.0e12, -2200.25}) {
    std::string s = FormatRealC(v);
    EXPECT_EQ(s.find('e'), std::string::npos) << s;
    TextFile t(s);
    EXPECT_EQ(ScanReal(t.f), v) << s;
  }
}

}  // namespace
