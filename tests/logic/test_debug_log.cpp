// debug.log: a line break before each line, the panel sink only when asked,
// emptied by Setup CORBA and Start, and calls from many threads kept whole.
#include <gtest/gtest.h>

#include <filesystem>
#include <thread>
#include <vector>

#include "DebugLog.h"
#include "ProjectFixtures.h"
#include "TempFiles.h"

namespace {

TEST(DebugLog, LinesArePrecededByABreak)
{
  fixtures::RunDir run;
  std::vector<std::string> panel;
  SetDebugLogPanel([&](const std::string& line) { panel.push_back(line); });
  DebugLog("first", 1);
  DebugLog("second", 0);
  DebugLog("third", 1);
  SetDebugLogPanel(nullptr);
  EXPECT_EQ(ReadAll("debug.log"), "\nfirst\nsecond\nthird");
  EXPECT_EQ(panel, (std::vector<std::string>{"first", "third"}));

  EXPECT_TRUE(EmptyDebugLog());
  EXPECT_EQ(ReadAll("debug.log"), "");
  DebugLog("again", 0);
  EXPECT_EQ(ReadAll("debug.log"), "\nagain");
}

TEST(DebugLog, AFileThatCannotBeOpenedDropsTheLine)
{
  fixtures::RunDir run;
  std::filesystem::create_directory("debug.log");  // a directory in its place
  DebugLog("lost", 0);
  EXPECT_FALSE(EmptyDebugLog());
  EXPECT_TRUE(std::filesystem::is_directory("debug.log"));
}

TEST(DebugLog, ManyThreadsWriteWholeLines)
{
  fixtures::RunDir run;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([t] {
      for (int i = 0; i < 50; ++i)
        DebugLog("thread " + std::to_string(t) + " line " + std::to_string(i), 0);
    });
  for (auto& th : threads)
    th.join();
  const std::string text = ReadAll("debug.log");
  std::size_t lines = 0;
  for (char c : text)
    lines += c == '\n';
  EXPECT_EQ(lines, 200u);
  EXPECT_NE(text.find("\nthread 3 line 49"), std::string::npos);
}

}  // namespace
