// Initialisation-file reading and writing: tables of file texts with what
// the readers return and what a write leaves in the file.
#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <string>
#include <sys/stat.h>

#include "IniFile.h"
#include "TestSupport.h"

namespace {

const char kMissing[] = "\x01missing";  // file text of a case without a file

// Lays out the file of a case: text, or no file for kMissing.
void LayFile(const std::string& path, const std::string& text)
{
  std::filesystem::remove(path);
  if (text != kMissing) {
    ASSERT_TRUE(WriteFile(path, text));
  }
}

struct ReadCase
{
  const char* name;
  std::string text;  // kMissing: no file at all
  const char* section;
  const char* key;
  int intDefault;
  int intExpected;
  std::string stringExpected;  // with the default "dflt"
};

TEST(IniRead, Table)
{
  const std::string dist = "[VORLANTISQ]\nforesim=0\nnowsim=1\nnearvet=-1\n";
  const ReadCase cases[] = {
      {"missing file", kMissing, "VORLANTISQ", "nowsim", -1, -1, "dflt"},
      {"empty file", "", "VORLANTISQ", "nowsim", -1, -1, "dflt"},
      {"plain value", dist, "VORLANTISQ", "nowsim", -1, 1, "1"},
      {"negative value", dist, "VORLANTISQ", "nearvet", 5, -1, "-1"},
      {"missing key", dist, "VORLANTISQ", "odp", -1, -1, "dflt"},
      {"missing section", dist, "SYSTEMVARSEV", "nowsim", -1, -1, "dflt"},
      {"names without case", dist, "vorlantisq", "NOWSIM", -1, 1, "1"},
      {"blanks around everything", "  [ VORLANTISQ ]  \n  nowsim  =  3  \n", "VORLANTISQ", "nowsim", -1, 3,
       "3"},
      {"CRLF line ends", "[VORLANTISQ]\r\nnowsim=4\r\n", "VORLANTISQ", "nowsim", -1, 4, "4"},
      {"byte order mark", "\xEF\xBB\xBF[VORLANTISQ]\nnowsim=5\n", "VORLANTISQ", "nowsim", -1, 5, "5"},
      {"no line end at the end", "[VORLANTISQ]\nnowsim=6", "VORLANTISQ", "nowsim", -1, 6, "6"},
      {"key in another section", "[A]\nnowsim=1\n[VORLANTISQ]\nfarvet=2\n", "VORLANTISQ", "nowsim", -1, -1,
       "dflt"},
      {"first section and key count", "[S]\nk=1\nk=2\n[S]\nk=3\n", "S", "k", -1, 1, "1"},
      {"key only in the repeated section", "[S]\na=1\n[T]\n[S]\nk=3\n", "S", "k", -1, -1, "dflt"},
      {"empty value", "[S]\nk=\n", "S", "k", -1, -1, ""},
      {"text value", "[S]\nk=server\n", "S", "k", -1, -1, "server"},
      {"number then text", "[S]\nk=12 ; server\n", "S", "k", -1, 12, "12 ; server"},
      {"plus sign", "[S]\nk=+7\n", "S", "k", -1, 7, "+7"},
      {"sign alone", "[S]\nk=-\n", "S", "k", 9, 9, "-"},
      {"beyond int", "[S]\nk=99999999999999999999\n", "S", "k", -1, -1, "99999999999999999999"},
      {"int limits", "[S]\nk=-2147483648\n", "S", "k", 0, INT_MIN, "-2147483648"},
      {"double quotes", "[S]\nk=\"C:/run dir\"\n", "S", "k", -1, -1, "C:/run dir"},
      {"single quotes", "[S]\nk='x y'\n", "S", "k", -1, -1, "x y"},
      {"unpaired quote kept", "[S]\nk=\"x\n", "S", "k", -1, -1, "\"x"},
      {"equals sign in value", "[S]\nk=a=b\n", "S", "k", -1, -1, "a=b"},
      {"comment line skipped", "[S]\n;k=1\nk=2\n", "S", "k", -1, 2, "2"},
      {"text of the section name", "[S] trailing\nk=2\n", "S", "k", -1, 2, "2"},
      // Malformed files: nothing is found where the layout is broken, and
      // nothing crashes.
      {"broken header hides its keys", "[S]\na=1\n[T\nk=2\n", "S", "k", -1, -1, "dflt"},
      {"broken header is no section", "[T\nk=2\n", "T", "k", -1, -1, "dflt"},
      {"keys before any section", "k=1\n[S]\n", "S", "k", -1, -1, "dflt"},
      {"line without equals", "[S]\nk\nk=8\n", "S", "k", -1, 8, "8"},
      {"binary bytes", std::string("[S]\n\x00\xff\xfe=\x01\nk=3\n", 14), "S", "k", -1, 3, "3"},
      {"lone carriage returns", "[S]\rk=1\r", "S", "k", -1, -1, "dflt"},
      {"long line", "[S]\nk=" + std::string(100000, '7') + "\n", "S", "k", -1, -1, std::string(100000, '7')},
  };
  TempDir dir("vlq-ini");
  for (const ReadCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir.file("case.ini");
    LayFile(path, c.text);
    EXPECT_EQ(IniReadInt(c.section, c.key, c.intDefault, path), c.intExpected);
    EXPECT_EQ(IniReadString(c.section, c.key, "dflt", path), c.stringExpected);
  }
}

struct WriteCase
{
  const char* name;
  std::string before;  // kMissing: no file
  const char* section;
  const char* key;
  const char* value;
  bool written;
  std::string after;  // the whole file
};

TEST(IniWrite, Table)
{
  const WriteCase cases[] = {
      {"creates the file", kMissing, "VORLANTISQ", "nowsim", "0", true, "[VORLANTISQ]\nnowsim=0\n"},
      {"empty file", "", "S", "k", "1", true, "[S]\nk=1\n"},
      {"replaces the value, keeps the key's spelling", "[s]\nNowSim = 4 \nodp=1\n", "S", "nowsim", "0", true,
       "[s]\nNowSim=0\nodp=1\n"},
      {"adds the key after the section's last key", "[S]\na=1\nb=2\n\n[T]\nc=3\n", "S", "k", "9", true,
       "[S]\na=1\nb=2\nk=9\n\n[T]\nc=3\n"},
      {"adds the key to an empty section", "[S]\n[T]\nc=3\n", "S", "k", "9", true, "[S]\nk=9\n[T]\nc=3\n"},
      {"adds the section at the end", "[T]\nc=3\n", "S", "k", "9", true, "[T]\nc=3\n[S]\nk=9\n"},
      {"ends a last line that has no line end", "[T]\nc=3", "S", "k", "9", true, "[T]\nc=3\n[S]\nk=9\n"},
      {"key into a last section without line end", "[S]\na=1", "S", "k", "9", true, "[S]\na=1\nk=9\n"},
      {"keeps CRLF and takes it for new lines", "; comment\r\n[S]\r\na=1\r\n", "S", "k", "9", true,
       "; comment\r\n[S]\r\na=1\r\nk=9\r\n"},
      {"keeps comments and other lines", "; top\n[S]\n; note\na=1\njunk line\n", "S", "a", "2", true,
       "; top\n[S]\n; note\na=2\njunk line\n"},
      {"keeps a byte order mark", "\xEF\xBB\xBF[S]\na=1\n", "S", "a", "2", true, "\xEF\xBB\xBF[S]\na=2\n"},
      {"empty value", "[S]\na=1\n", "S", "a", "", true, "[S]\na=\n"},
      {"second section of the same name left alone", "[S]\na=1\n[S]\na=5\n", "S", "a", "2", true,
       "[S]\na=2\n[S]\na=5\n"},
      {"broken header: the section is added again", "[S\na=1\n", "S", "a", "2", true, "[S\na=1\n[S]\na=2\n"},
      {"line break in the value refused", "[S]\na=1\n", "S", "a", "2\n[X]", false, "[S]\na=1\n"},
      {"equals sign in the key refused", "[S]\na=1\n", "S", "a=b", "2", false, "[S]\na=1\n"},
      {"bracket in the section refused", "[S]\na=1\n", "S]x", "a", "2", false, "[S]\na=1\n"},
      {"comment key refused", "[S]\na=1\n", "S", ";a", "2", false, "[S]\na=1\n"},
      {"empty key refused", "[S]\na=1\n", "S", " ", "2", false, "[S]\na=1\n"},
      {"empty section refused", kMissing, "", "a", "2", false, kMissing},
  };
  TempDir dir("vlq-ini");
  for (const WriteCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir.file("case.ini");
    LayFile(path, c.before);
    EXPECT_EQ(IniWriteString(c.section, c.key, c.value, path), c.written);
    if (c.after == kMissing) {
      EXPECT_FALSE(std::filesystem::exists(path));
    } else {
      EXPECT_EQ(ReadFile(path), c.after);
    }
  }
  // No temporary file is left beside it.
  for (const auto& e : std::filesystem::directory_iterator(dir.path()))
    EXPECT_EQ(e.path().filename(), "case.ini");
}

// What the distribution dialog writes, the main frame reads back.
TEST(IniWrite, ReadsBackWhatItWrote)
{
  TempDir dir("vlq-ini");
  const std::string path = dir.file("distribution.ini");
  const char* keys[] = {"nowsim", "foresim", "foresim1",   "ode",       "odp",
                        "farvet", "nearvet", "management", "tallyhouse"};
  int value = -1;
  for (const char* key : keys)
    ASSERT_TRUE(IniWriteString("VORLANTISQ", key, std::to_string(value++), path));
  ASSERT_TRUE(IniWriteString("SYSTEMVARSEV", "IP", "192.168.0.7", path));
  ASSERT_TRUE(IniWriteString("VORLANTISQ", "odp", "8", path));
  value = -1;
  for (const char* key : keys) {
    const int expected = std::string(key) == "odp" ? 8 : value;
    EXPECT_EQ(IniReadInt("VORLANTISQ", key, 99, path), expected) << key;
    ++value;
  }
  EXPECT_EQ(IniReadString("SYSTEMVARSEV", "IP", "", path), "192.168.0.7");
}

TEST(IniWrite, KeepsModeAndLinkAndFailsWithoutHarm)
{
  TempDir dir("vlq-ini");
  const std::string real = dir.file("real.ini"), link = dir.file("link.ini");
  ASSERT_TRUE(WriteFile(real, "[S]\na=1\n"));
  ASSERT_EQ(::chmod(real.c_str(), 0640), 0);
  std::filesystem::create_symlink(real, link);
  ASSERT_TRUE(IniWriteString("S", "a", "2", link));
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(ReadFile(real), "[S]\na=2\n");
  struct stat st;
  ASSERT_EQ(::stat(real.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);

  // A directory that does not exist: nothing written, no crash.
  EXPECT_FALSE(IniWriteString("S", "a", "2", dir.file("no/such/dir.ini")));
  // A directory in place of the file is never replaced.
  std::filesystem::create_directory(dir.file("dir.ini"));
  EXPECT_FALSE(IniWriteString("S", "a", "2", dir.file("dir.ini")));
  EXPECT_TRUE(std::filesystem::is_directory(dir.file("dir.ini")));
  EXPECT_EQ(IniReadInt("S", "a", -1, dir.file("dir.ini")), -1);
}

}  // namespace
