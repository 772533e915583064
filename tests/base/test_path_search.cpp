// Looking a program up in a list of directories.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <sys/stat.h>

#include "PathSearch.h"
#include "TestSupport.h"

namespace {

TEST(PathSearch, FirstExecutableInListOrder)
{
  TempDir dir("vlq-path");
  const std::string a = dir.file("a"), b = dir.file("b"), c = dir.file("c");
  for (const std::string& d : {a, b, c})
    std::filesystem::create_directories(d);
  WriteFile(a + "/tool", "not a program\n");          // not executable
  std::filesystem::create_directories(b + "/tool/");  // a directory
  WriteFile(c + "/tool", "#!/bin/sh\n");
  ::chmod((c + "/tool").c_str(), 0755);

  EXPECT_TRUE(IsExecutableFile(c + "/tool"));
  EXPECT_FALSE(IsExecutableFile(a + "/tool"));
  EXPECT_FALSE(IsExecutableFile(b + "/tool"));

  struct Case
  {
    std::string list;
    std::string found;
  };
  const Case cases[] = {
      {a + ":" + b + ":" + c, c + "/tool"},
      {c + ":" + a, c + "/tool"},
      {"::" + a + "::" + c + ":", c + "/tool"},
      {a + ":" + b, ""},
      {"", ""},
  };
  for (const Case& k : cases)
    EXPECT_EQ(FindInPathList("tool", k.list.c_str()), k.found) << k.list;
  EXPECT_EQ(FindInPathList("tool", nullptr), "");
  EXPECT_EQ(FindInPathList("missing", c.c_str()), "");
}

TEST(PathSearch, EmptyEntryIsNotTheCurrentDirectory)
{
  TempDir dir("vlq-path-cwd");
  WriteFile(dir.file("tool"), "#!/bin/sh\n");
  ::chmod(dir.file("tool").c_str(), 0755);
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  const std::string found = FindInPathList("tool", ":");
  std::filesystem::current_path(before);
  EXPECT_EQ(found, "");
}

}  // namespace
