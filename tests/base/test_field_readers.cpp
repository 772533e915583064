// End-aware field readers of the scenario, observation, path and detector
// files: the number syntax of the console's readers, with the end of the
// file told apart from a value of -1.
#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "FieldReaders.h"

namespace {

// Reads every value of a text with one reader; nullopt marks the end.
template <class T, class Fn>
std::vector<T> ReadAll(const std::string& text, Fn fn)
{
  std::vector<T> out;
  std::FILE* f = fmemopen(const_cast<char*>(text.data()), text.size(), "r");
  if (!f)
    return out;
  for (std::optional<T> v; (v = fn(f));)
    out.push_back(*v);
  std::fclose(f);
  return out;
}

}  // namespace

TEST(FieldReaders, Reals)
{
  struct Case
  {
    std::string text;
    std::vector<double> values;
  };
  const Case cases[] = {
      {"abc-12.5x", {-12.5}},
      {"- 3", {3}},
      {"-1", {-1}},
      {"1e5", {1, 5}},
      {".5", {5}},
      {"1.2.3 4", {1.2, 4}},
      {"   \n\t ", {}},
      {"", {}},
      {"x--7;+8", {-7, 8}},
      {std::string(40, '1') + " 2", {1111111111111111111111111111111.0, 2}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ReadAll<double>(c.text, fields::NextReal), c.values) << c.text;
}

TEST(FieldReaders, Integers)
{
  struct Case
  {
    std::string text;
    std::vector<int> signedValues;
    std::vector<int> unsignedValues;
  };
  const Case cases[] = {
      {"-7", {-7}, {7}},
      {"-1 -1", {-1, -1}, {1, 1}},
      {"3.9", {3, 9}, {3, 9}},
      {".5", {5}, {0, 5}},
      {"99999999999", {2147483647}, {999999999}},
      {"-99999999999", {-2147483647 - 1}, {999999999}},
      {"a1b2", {1, 2}, {1, 2}},
      {"", {}, {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReadAll<int>(c.text, fields::NextSignedInt), c.signedValues) << c.text;
    EXPECT_EQ(ReadAll<int>(c.text, fields::NextUnsignedInt), c.unsignedValues) << c.text;
  }
}

// The other number syntaxes, from a file and from a text in memory alike.
TEST(FieldReaders, OtherSyntaxesFromFileAndMemory)
{
  using Reader = std::optional<double> (*)(fields::CharSource);
  const std::string longRun = std::string(40, '1');
  const Reader digits = [](fields::CharSource in) -> std::optional<double> {
    if (std::optional<int> v = fields::NextDigits(in))
      return *v;
    return std::nullopt;
  };
  struct Case
  {
    const char* name;
    Reader reader;
    std::string text;
    std::vector<double> values;
  };
  const Case cases[] = {
      {"leading point", fields::NextRealLeadingPoint, ".5 -.25 1.2.3 4", {0.5, -0.25, 1.2, 4}},
      {"leading point, cut at 31",
       fields::NextRealLeadingPoint,
       longRun + " 2",
       {1111111111111111111111111111111.0, 2}},
      {"unsigned real", fields::NextUnsignedReal, "-2.5 .5 x7", {2.5, 5, 7}},
      {"unsigned real, whole run", fields::NextUnsignedReal, longRun, {std::stod(longRun)}},
      {"digits", digits, "-5 3.25 99999999999", {5, 3, 25, 2147483647}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReadAll<double>(c.text, c.reader), c.values) << c.name << ": " << c.text;
    std::vector<double> fromMemory;
    fields::TextCursor text(c.text);
    while (std::optional<double> v = c.reader(text))
      fromMemory.push_back(*v);
    EXPECT_EQ(fromMemory, c.values) << c.name << " (in memory): " << c.text;
  }
}

TEST(FieldReaders, TokensAndTruncation)
{
  EXPECT_EQ(ReadAll<std::string>("DetA, B_7 -x", fields::NextToken),
            (std::vector<std::string>{"DetA", "B", "7", "x"}));
  EXPECT_EQ(ReadAll<std::string>(std::string(50, 'w') + " z", fields::NextToken),
            (std::vector<std::string>{std::string(31, 'w'), "z"}));
  struct Case
  {
    double v;
    int i;
  };
  for (Case c : {Case{2.9, 2}, Case{-2.9, -2}, Case{1e300, 2147483647}, Case{-1e300, -2147483647 - 1}})
    EXPECT_EQ(fields::TruncateToInt(c.v), c.i) << c.v;
}
