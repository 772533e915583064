// scheduler.dat, modules.dat and output_option.dat: golden bytes of the
// writers, the scheduler reader's groups and its malformed files.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "CycleSettings.h"
#include "TempFiles.h"

namespace fs = std::filesystem;

namespace {

const int kCycles[kCycleEntries] = {60, 300, 600, 900, 1800, 120, 300, 3600, 300, 1800};

const char kSchedulerGolden[] =
    "60 0\n"
    "300 3600 300\n"
    "600 300\n"
    "900 1800 0\n"
    "1800 1800\n"
    "120 120\n"
    "\n"
    "300\n"
    "300\n"
    "120\n"
    "\n"
    "5\n"
    "3600000\n"
    "\n"
    "\n(File Contents:)\n(NOWSIM) \tperiod start_time\n(FORESIM)\troll_period stage_length start_time\n"
    "(ODE)\t\tstate_length start_time\n(ODP)\t\tperiod horizon start_time\n(FARVET)\tperiod start_time\n"
    "(NEARVET)\tperiod start_time\n\n"
    "(The next three parameters:)\nOD Departure (assignment) interval\nOD Observation interval\n"
    "CC Observation interval\n\n"
    "(The last two elements are:)\nframe_length\nsimulation_horizon\n(i.e. for how long to simulate)\n\n"
    "(all are in units of seconds)\n";

}  // namespace

TEST(SchedulerFile, GoldenBytes)
{
  TempDir t;
  ASSERT_TRUE(WriteSchedulerFile(t.File("scheduler.dat"), kCycles));
  EXPECT_EQ(ReadAll(t.File("scheduler.dat")), kSchedulerGolden);
}

TEST(SchedulerFile, WriteReplacesAnOlderLongerFile)
{
  TempDir t;
  WriteAll(t.File("scheduler.dat"), std::string(5000, 'x'));
  ASSERT_TRUE(WriteSchedulerFile(t.File("scheduler.dat"), kCycles));
  EXPECT_EQ(ReadAll(t.File("scheduler.dat")), kSchedulerGolden);
}

TEST(SchedulerFile, ReadBackGivesNearvetPeriodAsCcInterval)
{
  struct Case
  {
    int nearvet;
  };
  for (Case c : {Case{120}, Case{0}, Case{86400}, Case{-30}}) {
    TempDir t;
    int cycles[kCycleEntries];
    std::copy(kCycles, kCycles + kCycleEntries, cycles);
    cycles[kCycleNearvetPeriod] = c.nearvet;
    ASSERT_TRUE(WriteSchedulerFile(t.File("scheduler.dat"), cycles));
    int cc = 777;
    EXPECT_EQ(ReadSchedulerFile(t.File("scheduler.dat"), &cc), SchedulerReadResult::kRead);
    EXPECT_EQ(cc, c.nearvet);
  }
}

TEST(SchedulerFile, ReaderCases)
{
  struct Case
  {
    const char* name;
    const char* text;
    SchedulerReadResult result;
    int cc;  // expected interval (777 = unchanged)
  };
  const Case cases[] = {
      {"minimal", "1 2\n3 4 5\n6 7\n8 9 10\n11 12\n13 14\n15\n16\n17\n", SchedulerReadResult::kRead, 17},
      {"all on one line", "1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17", SchedulerReadResult::kRead, 17},
      {"trailing comment ignored", "1 2\n3 4 5\n6 7\n8 9 10\n11 12\n13 14\n\n15\n16\n42\n\n5\n(x)\n",
       SchedulerReadResult::kRead, 42},
      {"empty", "", SchedulerReadResult::kMalformed, 777},
      {"one value short", "1 2\n3 4 5\n6 7\n8 9 10\n11 12\n13 14\n15\n16\n", SchedulerReadResult::kMalformed,
       777},
      {"text in a group", "1 2\n3 x 5\n6 7\n8 9 10\n11 12\n13 14\n15\n16\n17\n",
       SchedulerReadResult::kMalformed, 777},
      {"huge value clamped", "1 2\n3 4 5\n6 7\n8 9 10\n11 12\n13 14\n15\n16\n99999999999999999999\n",
       SchedulerReadResult::kRead, 2147483647},
  };
  for (const Case& c : cases) {
    TempDir t;
    WriteAll(t.File("scheduler.dat"), c.text);
    int cc = 777;
    EXPECT_EQ(ReadSchedulerFile(t.File("scheduler.dat"), &cc), c.result) << c.name;
    EXPECT_EQ(cc, c.cc) << c.name;
  }
}

TEST(SchedulerFile, MissingFileAndItsMessage)
{
  TempDir t;
  int cc = 5;
  EXPECT_EQ(ReadSchedulerFile(t.File("scheduler.dat"), &cc), SchedulerReadResult::kNotOpened);
  EXPECT_EQ(cc, 5);
  EXPECT_EQ(SchedulerOpenMessage("/run/x/scheduler.dat"), "Cannot open /run/x/scheduler.dat");
  EXPECT_EQ(SchedulerOpenMessage("scheduler.dat"),
            "Cannot open " + (fs::current_path() / "scheduler.dat").string());
}

TEST(CycleWriters, UncreatableFileIsReported)
{
  TempDir t;
  const std::string bad = t.File("no/such/dir/file.dat");
  int opts[kCycleEntries] = {};
  EXPECT_FALSE(WriteSchedulerFile(bad, kCycles));
  EXPECT_FALSE(WriteModulesFile(bad, 1, 1, 1, 1));
  EXPECT_FALSE(WriteOutputOptionFile(bad, opts, opts));
  EXPECT_FALSE(fs::exists(bad));
}

TEST(ModulesFile, GoldenBytesForFlagCombinations)
{
  const char* comment = "\nline 1: state estimation; 1=run; 0=not run\n"
                        "line 2: state prediction\n"
                        "line 3: state prediction_1\n"
                        "line 4: short-term consistency checking/updating\n"
                        "line 5: long-term consistency checking/updating\n"
                        "line 6: OD estimation & prediction";
  struct Case
  {
    int f1, nv, fv, od;
    const char* lines;
  };
  const Case cases[] = {
      {0, 0, 0, 0, "1\n1\n0\n0\n0\n0\n"},
      {1, 0, 1, 0, "1\n1\n1\n0\n1\n0\n"},
      {1, 1, 1, 1, "1\n1\n1\n1\n1\n1\n"},
      {0, 1, 0, 1, "1\n1\n0\n1\n0\n1\n"},
  };
  for (const Case& c : cases) {
    TempDir t;
    ASSERT_TRUE(WriteModulesFile(t.File("modules.dat"), c.f1, c.nv, c.fv, c.od));
    EXPECT_EQ(ReadAll(t.File("modules.dat")), std::string(c.lines) + comment);
  }
}

TEST(OutputOptionFile, GoldenBytesOfDefaults)
{
  TempDir t;
  int first[kCycleEntries], second[kCycleEntries];
  for (int i = 0; i < kCycleEntries; ++i) {
    first[i] = 1;
    second[i] = 10;
  }
  second[3] = -4;
  ASSERT_TRUE(WriteOutputOptionFile(t.File("output_option.dat"), first, second));
  std::string expect;
  for (int i = 0; i < kCycleEntries; ++i)
    expect += i == 3 ? "1 -4 \n" : "1 10 \n";
  expect += "1\n";
  EXPECT_EQ(ReadAll(t.File("output_option.dat")), expect);
}
