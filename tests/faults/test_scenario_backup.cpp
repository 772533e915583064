// A malformed estimate/vms.dat or estimate/incident.dat at Load Data: the
// operator is told which file could not be read and where, the original is
// kept beside it before Load Data writes the file back, and the lists go on
// with what was read before the fault.
#include <gtest/gtest.h>

#include <filesystem>

#include "CProject.h"
#include "CycleSettings.h"
#include "GlobalArrays.h"
#include "ProjectFixtures.h"

namespace fs = std::filesystem;
using fixtures::RecordingSinks;
using fixtures::RunDir;
using fixtures::SmallNetwork;

namespace {

const char kVMS[] = "estimate/vms.dat";
const char kIncidents[] = "estimate/incident.dat";

class ScenarioBackup : public ::testing::Test
{
protected:
  void SetUp() override
  {
    SmallNetwork().WriteAllFiles();
    int cycle[kCycleEntries] = {60, 300, 600, 900, 1800, 120, 300, 3600, 300, 1800};
    WriteSchedulerFile("scheduler.dat", cycle);
    sinks.Attach(g_Project);
  }
  void TearDown() override
  {
    RecordingSinks::Detach(g_Project);
    g_Project.ClearNetworkArrays();
    g_Project.m_bProjectLoaded = false;
    Empty();
  }
  static void Empty()
  {
    g_VMSArray.RemoveAll();
    g_VMSArrayPredict.RemoveAll();
    g_VMSArrayPredict1.RemoveAll();
    g_IncidentArray.RemoveAll();
  }
  RunDir run;
  RecordingSinks sinks;
};

TEST_F(ScenarioBackup, AMalformedFileIsToldAndKeptBesideTheOneWrittenBack)
{
  struct Case
  {
    const char* name;
    const char* file;  // the file given, kVMS or kIncidents
    std::string text;
    std::string message;  // "" for none
    int loaded;           // signs or incidents loaded
  };
  std::string longDetour = "2\n2 10 20 100 150 0 5\n";
  for (int i = 0; i < 150; ++i)
    longDetour += " 30";
  longDetour += "\n1 20 30 40 10 5 9\n";
  const Case cases[] = {
      {"sign cut before its end minute", kVMS, "2\n1 10 20 40 10 5 9\n1 20 30 40 10 5\n",
       "estimate/vms.dat could not be read at line 3 (record 2 of 2). The file is kept as "
       "estimate/vms.dat.bad; 1 "
       "signs read before the fault are loaded.",
       1},
      {"no count", kVMS, "no signs here\n",
       "estimate/vms.dat could not be read at line 1 (the count). The file is kept as estimate/vms.dat.bad; "
       "0 "
       "signs read before the fault are loaded.",
       0},
      {"detour longer than a sign holds", kVMS, longDetour,
       "estimate/vms.dat could not be read at line 2 (record 1 of 2). The file is kept as "
       "estimate/vms.dat.bad; 1 "
       "signs read before the fault are loaded.",
       1},
      {"incident cut", kIncidents, "3\n10 20 5 9 0.5\n20 30 5 9 0.5\n30 40 5\n",
       "estimate/incident.dat could not be read at line 4 (record 3 of 3). The file is kept as "
       "estimate/incident.dat.bad; 2 incidents read before the fault are loaded.",
       2},
      {"well-formed incidents", kIncidents, "1\n10 20 5 9 0.5\n", "", 1},
      {"empty file", kVMS, "", "", 0},
      {"blank file", kIncidents, "\n  \n", "", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Empty();
    sinks.messages.clear();
    fs::remove(kVMS);
    fs::remove(kIncidents);
    fs::remove(std::string(c.file) + ".bad");
    WriteAll(c.file, c.text);
    ASSERT_TRUE(g_Project.LoadProjectAndWriteBack());
    g_Project.StopRealTimeReader();
    const bool signs = std::string(c.file) == kVMS;
    EXPECT_EQ(signs ? g_VMSArray.GetSize() : g_IncidentArray.GetSize(), c.loaded);
    if (c.message.empty()) {
      EXPECT_TRUE(sinks.messages.empty()) << sinks.messages.front();
      EXPECT_FALSE(fs::exists(std::string(c.file) + ".bad"));
    } else {
      EXPECT_EQ(sinks.messages, std::vector<std::string>{c.message});
      EXPECT_EQ(ReadAll(std::string(c.file) + ".bad"), c.text);
    }
    // Written back with what was loaded.
    const std::string back = ReadAll(c.file);
    EXPECT_EQ(back.substr(0, back.find('\n')), std::to_string(c.loaded));
  }
}

TEST_F(ScenarioBackup, AnEarlierBackupIsKeptAndANewNameTaken)
{
  WriteAll(kVMS, "1\n1 10 20\n");
  WriteAll("estimate/vms.dat.bad", "an earlier one");
  WriteAll("estimate/vms.dat.bad.2", "and another");
  ASSERT_TRUE(g_Project.LoadProjectAndWriteBack());
  g_Project.StopRealTimeReader();
  ASSERT_EQ(sinks.messages.size(), 1u);
  EXPECT_NE(sinks.messages[0].find("kept as estimate/vms.dat.bad.3"), std::string::npos) << sinks.messages[0];
  EXPECT_EQ(ReadAll("estimate/vms.dat.bad"), "an earlier one");
  EXPECT_EQ(ReadAll("estimate/vms.dat.bad.2"), "and another");
  EXPECT_EQ(ReadAll("estimate/vms.dat.bad.3"), "1\n1 10 20\n");
  EXPECT_EQ(ReadAll(kVMS), "0\n");
}

TEST_F(ScenarioBackup, AFileThatCannotBeKeptIsNotWrittenBack)
{
  const std::string text = "2\n10 20 5 9 0.5\n20 30\n";
  WriteAll(kIncidents, text);
  // The backup's name leads nowhere that can be created.
  fs::create_symlink("/proc/no-such-process/incident", "estimate/incident.dat.bad");
  ASSERT_TRUE(g_Project.LoadProjectAndWriteBack());
  g_Project.StopRealTimeReader();
  ASSERT_EQ(sinks.messages.size(), 1u);
  EXPECT_EQ(
      sinks.messages[0].rfind("estimate/incident.dat could not be read at line 3 (record 2 of 2), and it "
                              "could not be kept as estimate/incident.dat.bad (",
                              0),
      0u)
      << sinks.messages[0];
  EXPECT_NE(sinks.messages[0].find("it is left as it is, and 1 incidents read before the fault are loaded."),
            std::string::npos)
      << sinks.messages[0];
  EXPECT_EQ(ReadAll(kIncidents), text);
  EXPECT_EQ(g_IncidentArray.GetSize(), 1);
}

}  // namespace
