// A malformed vms.dat or incident.dat at Load Data: the operator is told
// which file could not be read and where at each load, the original is kept
// beside it once, just before a write over it (at once for estimate/, whose
// files Load Data writes back; when the VMS dialog writes them for predict/
// and predict1/), and the lists go on with what was read before the fault.
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
const char kPredict[] = "predict/vms.dat";
const char kPredict1[] = "predict1/vms.dat";

// The list a scenario file is read into, and its directory for WriteVMSTo.
CTypedObArray<CVMS>* PredictList(const std::string& file)
{
  return file == kPredict ? &g_VMSArrayPredict : file == kPredict1 ? &g_VMSArrayPredict1 : nullptr;
}
int LoadedFrom(const std::string& file)
{
  if (CTypedObArray<CVMS>* list = PredictList(file))
    return list->GetSize();
  return file == kVMS ? g_VMSArray.GetSize() : g_IncidentArray.GetSize();
}

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
    const char* file;  // the file given: kVMS, kIncidents, kPredict or kPredict1
    std::string text;
    std::string message;  // told at each load; "" for none
    int loaded;           // signs or incidents loaded
    int loads = 1;        // Load Data given this many times before the write
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
      // Load Data does not write predict/ and predict1/: told at every
      // load, kept only when the VMS dialog writes the list.
      {"prediction sign cut, loaded twice", kPredict, "2\n1 10 20 40 10 5 9\n1 20 30 40 10 5\n",
       "predict/vms.dat could not be read at line 3 (record 2 of 2); 1 signs read before the fault are "
       "loaded. The file is kept beside it before it is written over.",
       1, 2},
      {"second prediction without a count, loaded three times", kPredict1, "no signs here\n",
       "predict1/vms.dat could not be read at line 1 (the count); 0 signs read before the fault are "
       "loaded. The file is kept beside it before it is written over.",
       0, 3},
      {"well-formed prediction", kPredict, "1\n1 10 20 40 10 5 9\n", "", 1, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string file = c.file;
    Empty();
    for (const char* f : {kVMS, kIncidents, kPredict, kPredict1})
      fs::remove(f);
    fs::remove(file + ".bad");
    fs::remove(file + ".bad.2");
    WriteAll(c.file, c.text);
    CTypedObArray<CVMS>* predict = PredictList(file);
    for (int load = 1; load <= c.loads; ++load) {
      SCOPED_TRACE("load " + std::to_string(load));
      Empty();
      sinks.messages.clear();
      ASSERT_TRUE(g_Project.LoadProjectAndWriteBack());
      g_Project.StopRealTimeReader();
      EXPECT_EQ(LoadedFrom(file), c.loaded);
      if (c.message.empty()) {
        EXPECT_TRUE(sinks.messages.empty()) << sinks.messages.front();
      } else {
        EXPECT_EQ(sinks.messages, std::vector<std::string>{c.message});
      }
      if (predict) {
        // Read only: nothing is lost yet, so nothing is copied.
        EXPECT_FALSE(fs::exists(file + ".bad"));
        EXPECT_EQ(ReadAll(file), c.text);
      }
    }
    if (predict) {
      // The VMS dialog's write, twice: the original is kept before the first.
      sinks.messages.clear();
      ASSERT_TRUE(g_Project.WriteVMSTo(*predict, file.substr(0, file.find('/'))));
      ASSERT_TRUE(g_Project.WriteVMSTo(*predict, file.substr(0, file.find('/'))));
      if (c.message.empty())
        EXPECT_TRUE(sinks.messages.empty()) << sinks.messages.front();
      else
        EXPECT_EQ(sinks.messages,
                  std::vector<std::string>{file +
                                           " could not be read whole at the load: the file is "
                                           "kept as " +
                                           file + ".bad before it is written."});
    }
    if (c.message.empty())
      EXPECT_FALSE(fs::exists(file + ".bad"));
    else
      EXPECT_EQ(ReadAll(file + ".bad"), c.text);
    EXPECT_FALSE(fs::exists(file + ".bad.2"));
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

TEST_F(ScenarioBackup, APredictionThatCannotBeKeptIsNotWrittenUntilItCanBe)
{
  const std::string text = "2\n1 10 20 40 10 5 9\n1 20 30\n";
  WriteAll(kPredict, text);
  fs::create_symlink("/proc/no-such-process/vms", "predict/vms.dat.bad");
  ASSERT_TRUE(g_Project.LoadProjectAndWriteBack());
  g_Project.StopRealTimeReader();
  ASSERT_EQ(g_VMSArrayPredict.GetSize(), 1);
  sinks.messages.clear();
  EXPECT_FALSE(g_Project.WriteVMSTo(g_VMSArrayPredict, "predict"));
  ASSERT_EQ(sinks.messages.size(), 1u);
  EXPECT_EQ(
      sinks.messages[0].rfind("predict/vms.dat could not be read whole at the load, and it could not be "
                              "kept as predict/vms.dat.bad (",
                              0),
      0u)
      << sinks.messages[0];
  EXPECT_NE(sinks.messages[0].find("): it is not written."), std::string::npos) << sinks.messages[0];
  EXPECT_EQ(ReadAll(kPredict), text);
  // Once the name is free, the next write keeps the original and goes on.
  fs::remove("predict/vms.dat.bad");
  sinks.messages.clear();
  ASSERT_TRUE(g_Project.WriteVMSTo(g_VMSArrayPredict, "predict"));
  EXPECT_EQ(sinks.messages,
            std::vector<std::string>{"predict/vms.dat could not be read whole at the load: the "
                                     "file is kept as predict/vms.dat.bad before it is written."});
  EXPECT_EQ(ReadAll("predict/vms.dat.bad"), text);
  EXPECT_EQ(ReadAll(kPredict).substr(0, 2), "1\n");
}

}  // namespace
