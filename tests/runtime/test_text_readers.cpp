// Tolerant text readers: numbers among other characters, ends of file,
// over-long digit runs, line ends of every kind, buffer bounds, locale.
#include "VQTextReaders.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// A real FILE* over the given bytes, positioned at the start.
class TextFile
{
public:
  explicit TextFile(const std::string& bytes) : m_f(std::tmpfile())
  {
    if (m_f) {
      std::fwrite(bytes.data(), 1, bytes.size(), m_f);
      std::rewind(m_f);
    }
  }
  ~TextFile()
  {
    if (m_f)
      std::fclose(m_f);
  }
  TextFile(const TextFile&) = delete;
  TextFile& operator=(const TextFile&) = delete;
  std::FILE* get() const { return m_f; }
  // The rest of the file from the current position.
  std::string Rest() const
  {
    std::string s;
    for (int c; (c = std::fgetc(m_f)) != EOF;)
      s.push_back(static_cast<char>(c));
    return s;
  }

private:
  std::FILE* m_f;
};

const std::string k40Digits = "1234567890123456789012345678901234567890";

struct IntCase
{
  const char* name;
  std::string text;
  std::vector<int> values;       // results of successive reads, ending with -1
  std::string rest_after_first;  // what is left after the first read
};

class ReadIntCases : public ::testing::TestWithParam<IntCase>
{};

TEST_P(ReadIntCases, SuccessiveReads)
{
  const IntCase& c = GetParam();
  {
    TextFile f(c.text);
    ASSERT_NE(f.get(), nullptr);
    for (size_t i = 0; i < c.values.size(); ++i)
      EXPECT_EQ(ReadInt(f.get()), c.values[i]) << "read " << i;
    EXPECT_EQ(ReadInt(f.get()), -1) << "end of file stays reported";
  }
  TextFile f(c.text);
  ReadInt(f.get());
  EXPECT_EQ(f.Rest(), c.rest_after_first);
}

INSTANTIATE_TEST_SUITE_P(
    Readers, ReadIntCases,
    ::testing::Values(IntCase{"blanks_letter_digits_letter", "  x12y", {12, -1}, ""},
                      IntCase{"consumes_only_the_ending_character", "12y3 4", {12, 3, 4, -1}, "3 4"},
                      IntCase{"empty_file", "", {-1}, ""}, IntCase{"no_digits", "abc -. \n", {-1}, ""},
                      IntCase{"minus_sign_skipped", "-5", {5, -1}, ""},
                      IntCase{"leading_point_skipped", ".5", {5, -1}, ""},
                      IntCase{"point_splits_numbers", "3.25", {3, 25, -1}, "25"},
                      IntCase{"leading_zeros", "007 0", {7, 0, -1}, "0"},
                      IntCase{"int_max", "2147483647", {INT_MAX, -1}, ""},
                      IntCase{"above_int_max_saturates", "2147483648 1", {INT_MAX, 1, -1}, "1"},
                      IntCase{"forty_digit_run_is_one_number", k40Digits + " 3", {INT_MAX, 3, -1}, "3"},
                      IntCase{"ff_byte_mid_file_is_not_the_end",
                              "1\xFF"
                              "2\xFF\xFF"
                              "3",
                              {1, 2, 3, -1},
                              "2\xFF\xFF"
                              "3"},
                      IntCase{"ff_byte_before_first_number",
                              "\xFF\xFF"
                              "7",
                              {7, -1},
                              ""},
                      IntCase{"non_ascii_skipped",
                              "\xC3\xA9"
                              "9\x80"
                              "8",
                              {9, 8, -1},
                              "8"},
                      IntCase{"crlf_separated", "10\r\n20\r\n", {10, 20, -1}, "\n20\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

struct RealCase
{
  const char* name;
  std::string text;
  std::vector<double> values;  // ending with -1.0
  std::string rest_after_first;
};

class ReadRealCases : public ::testing::TestWithParam<RealCase>
{};

TEST_P(ReadRealCases, SuccessiveReads)
{
  const RealCase& c = GetParam();
  {
    TextFile f(c.text);
    ASSERT_NE(f.get(), nullptr);
    for (size_t i = 0; i < c.values.size(); ++i)
      EXPECT_DOUBLE_EQ(ReadReal(f.get()), c.values[i]) << "read " << i;
    EXPECT_EQ(ReadReal(f.get()), -1.0);
  }
  TextFile f(c.text);
  ReadReal(f.get());
  EXPECT_EQ(f.Rest(), c.rest_after_first);
}

INSTANTIATE_TEST_SUITE_P(
    Readers, ReadRealCases,
    ::testing::Values(RealCase{"assignment_then_comma", "v=3.25,", {3.25, -1.0}, ""},
                      RealCase{"comma_consumed_next_follows", "v=3.25,7", {3.25, 7.0, -1.0}, "7"},
                      RealCase{"empty_file", "", {-1.0}, ""},
                      RealCase{"leading_point_skipped", ".5", {5.0, -1.0}, ""},
                      RealCase{"minus_sign_skipped", "-2.5 x", {2.5, -1.0}, "x"},
                      RealCase{"stops_at_second_point", "3.2.5 8", {3.2, 8.0, -1.0}, "8"},
                      RealCase{"trailing_point", "4. 1", {4.0, 1.0, -1.0}, "1"},
                      RealCase{"integer", "42\n", {42.0, -1.0}, ""},
                      RealCase{"forty_digit_run_is_one_number",
                               k40Digits + " 2",
                               {1234567890123456789012345678901234567890.0, 2.0, -1.0},
                               "2"},
                      RealCase{"forty_digit_fraction",
                               "0." + k40Digits + ";",
                               {0.1234567890123456789012345678901234567890, -1.0},
                               ""},
                      RealCase{"ff_byte_mid_file_is_not_the_end",
                               "1.5\xFF"
                               "2.5",
                               {1.5, 2.5, -1.0},
                               "2.5"},
                      RealCase{"exponent_letter_ends_the_run", "1e5", {1.0, 5.0, -1.0}, "5"}),
    [](const auto& info) { return std::string(info.param.name); });

struct LineCase
{
  const char* name;
  std::string text;
  size_t buffer_size;
  std::vector<std::string> lines;  // then the end of the file
};

class ReadLineCases : public ::testing::TestWithParam<LineCase>
{};

TEST_P(ReadLineCases, LinesThenEndOfFile)
{
  const LineCase& c = GetParam();
  TextFile f(c.text);
  ASSERT_NE(f.get(), nullptr);
  // Heap buffer of exactly buffer_size bytes inside a guarded block: a
  // write past it shows both here and to AddressSanitizer.
  const size_t guard = 8;
  std::vector<char> block(c.buffer_size + guard, '#');
  for (size_t i = 0; i < c.lines.size(); ++i) {
    EXPECT_TRUE(ReadLine(f.get(), block.data(), c.buffer_size)) << "line " << i;
    EXPECT_EQ(std::string(block.data()), c.lines[i]) << "line " << i;
    for (size_t g = c.buffer_size; g < block.size(); ++g)
      ASSERT_EQ(block[g], '#') << "wrote past the buffer, line " << i;
  }
  EXPECT_FALSE(ReadLine(f.get(), block.data(), c.buffer_size));
  EXPECT_EQ(std::string(block.data()), "");
}

INSTANTIATE_TEST_SUITE_P(
    Readers, ReadLineCases,
    ::testing::Values(LineCase{"lf", "abc\ndef\n", 64, {"abc", "def"}},
                      LineCase{"crlf_is_one_line_end", "abc\r\ndef\r\n", 64, {"abc", "def"}},
                      LineCase{"lone_cr", "a\rb\rc", 64, {"a", "b", "c"}},
                      LineCase{"mixed", "a\r\nb\nc\rd\n\re", 64, {"a", "b", "c", "d", "", "e"}},
                      LineCase{"empty_lines", "\n\r\n\r\nx", 64, {"", "", "", "x"}},
                      LineCase{"cr_cr", "a\r\rb", 64, {"a", "", "b"}},
                      LineCase{"last_line_without_end", "abc", 64, {"abc"}},
                      LineCase{"cr_at_end_of_file", "abc\r", 64, {"abc"}}, LineCase{"empty_file", "", 64, {}},
                      LineCase{"long_line_truncated_rest_dropped", "abcdefgh\nxy\n", 5, {"abcd", "xy"}},
                      LineCase{"exact_fit", "abcd\r\nefghi\n", 5, {"abcd", "efgh"}},
                      LineCase{"buffer_of_one", "abc\nd", 1, {"", ""}},
                      LineCase{"ff_byte_kept",
                               "a\xFF"
                               "b\n",
                               64,
                               {"a\xFF"
                                "b"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReadLine, RefusesNullBufferAndZeroSize)
{
  TextFile f("abc\n");
  char buf[4] = {'#', '#', '#', '#'};
  EXPECT_FALSE(ReadLine(f.get(), nullptr, 10));
  EXPECT_FALSE(ReadLine(f.get(), buf, 0));
  EXPECT_EQ(buf[0], '#');
  // The file was not touched by the refused calls.
  EXPECT_TRUE(ReadLine(f.get(), buf, sizeof buf));
  EXPECT_EQ(std::string(buf), "abc");
}

struct StringCase
{
  const char* text;
  double expected;
};

class StringToRealCases : public ::testing::TestWithParam<StringCase>
{};

TEST_P(StringToRealCases, Value)
{
  EXPECT_DOUBLE_EQ(StringToReal(GetParam().text), GetParam().expected) << '"' << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(Readers, StringToRealCases,
                         ::testing::Values(StringCase{"0", 0.0}, StringCase{".0", 0.0},
                                           StringCase{"0.0", 0.0}, StringCase{"-0", -1.0},
                                           StringCase{"0.00", -1.0}, StringCase{" 0", -1.0},
                                           StringCase{"00", -1.0}, StringCase{"", -1.0},
                                           StringCase{"abc", -1.0}, StringCase{"2.5", 2.5},
                                           StringCase{"-2.5", -2.5}, StringCase{" 7", 7.0},
                                           StringCase{"3abc", 3.0}, StringCase{"1.5e2", 150.0}));

// Numbers are read with a point whatever the process's numeric locale. When
// no locale with a decimal comma is installed, one is compiled for the test
// into a temporary directory (LOCPATH) when localedef can do so.
TEST(TextReaders, PointIsTheDecimalSeparatorInEveryLocale)
{
  const char* candidates[] = {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"};
  const char* chosen = nullptr;
  for (const char* name : candidates)
    if (std::setlocale(LC_NUMERIC, name)) {
      chosen = name;
      break;
    }
  TempDir dir("vlq-locale");
  if (!chosen) {
    const std::string cmd = "localedef -i de_DE -f UTF-8 '" + dir.file("de_DE.UTF-8") + "' >/dev/null 2>&1";
    if (std::system(cmd.c_str()) == 0) {
      setenv("LOCPATH", dir.path().c_str(), 1);
      if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
        chosen = "de_DE.UTF-8 (compiled for the test)";
    }
  }
  if (!chosen) {
    unsetenv("LOCPATH");
    GTEST_SKIP() << "no locale with a decimal comma is available";
  }
  char formatted[16];
  std::snprintf(formatted, sizeof formatted, "%.2f", 3.25);
  TextFile f("v=3.25,");
  const double read = ReadReal(f.get());
  const double converted = StringToReal("2.5");
  std::setlocale(LC_NUMERIC, "C");
  unsetenv("LOCPATH");
  EXPECT_STREQ(formatted, "3,25") << "the locale in effect uses a decimal comma";
  EXPECT_DOUBLE_EQ(read, 3.25) << chosen;
  EXPECT_DOUBLE_EQ(converted, 2.5) << chosen;
}

}  // namespace
