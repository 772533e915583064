// Whole-file writing (plain and by rename) and printf into strings.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <sys/stat.h>

#include "FileText.h"
#include "StringPrintf.h"
#include "TestSupport.h"

namespace {

TEST(FileText, WriteReplacesAndSetsTheMode)
{
  TempDir dir("vlq-files");
  const std::string path = dir.file("run.bat");
  std::string error;
  ASSERT_TRUE(WriteFileText(path, std::string(5000, 'x'), &error)) << error;
  ASSERT_TRUE(WriteFileText(path, "exec ./NOWSIM\n", &error, 0755)) << error;
  std::string text;
  ASSERT_TRUE(ReadFileText(path, text));
  EXPECT_EQ(text, "exec ./NOWSIM\n");
  struct stat st;
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0755u);

  EXPECT_FALSE(WriteFileText(dir.file("no/such/dir/run.bat"), "x", &error));
  EXPECT_NE(error.find("cannot create"), std::string::npos) << error;
  EXPECT_FALSE(ReadFileText(dir.file("missing"), text));
}

TEST(FileText, AtomicWriteReplacesWholeFiles)
{
  TempDir dir("vlq-files");
  const std::string path = dir.file("obsData.dat");
  std::string error;
  ASSERT_TRUE(ReplaceFileText(path, "1 2 3\n4.5\n", &error)) << error;
  ASSERT_TRUE(ReplaceFileText(path, "7 8 9\n", &error)) << error;
  EXPECT_EQ(ReadFile(path), "7 8 9\n");
  int entries = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir.path())) {
    (void)e;
    ++entries;
  }
  EXPECT_EQ(entries, 1) << "no temporary file left behind";
  EXPECT_FALSE(ReplaceFileText(dir.file("no/such/dir/obsData.dat"), "x", &error));
  EXPECT_FALSE(error.empty());
}

TEST(StringPrintf, TextsOfAnyLength)
{
  EXPECT_EQ(StringPrintf("Node %d in file %s", 7, "xy.dat"), "Node 7 in file xy.dat");
  EXPECT_EQ(StringPrintf("%s", ""), "");
  // Longer than any fixed buffer: nothing is cut.
  const std::string path(3000, 'p');
  EXPECT_EQ(StringPrintf("Cannot open %s", path.c_str()), "Cannot open " + path);
  std::string out = "a";
  StringAppendF(out, "%d %.1f|", 12, 2.5);
  StringAppendF(out, "%s.", path.c_str());
  EXPECT_EQ(out, "a12 2.5|" + path + ".");
}

}  // namespace
