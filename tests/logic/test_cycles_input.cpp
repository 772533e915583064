// The Cycles Data Input dialog's lists, checks and commit.
#include <gtest/gtest.h>

#include <filesystem>

#include "CProject.h"
#include "CyclesInput.h"
#include "ProjectFixtures.h"

namespace {

using Seconds = std::array<int, kCycleEntries>;

// Index of an entry's text in a list.
int EntryOf(CyclesField f, const std::string& text)
{
  const auto& e = CyclesFieldTable()[f].entries;
  for (std::size_t i = 0; i < e.size(); ++i)
    if (e[i] == text)
      return static_cast<int>(i);
  ADD_FAILURE() << "no entry " << text;
  return -1;
}

TEST(CyclesInput, ListsAndInitialEntries)
{
  struct Case
  {
    CyclesField field;
    std::size_t count;
    const char* first;
    const char* last;
    const char* initial;
  };
  const Case cases[] = {
      {kFieldNowsimCycle, 2, "0.5", "1", "0.5"}, {kFieldAssignment, 6, "5", "30", "5"},
      {kFieldForesimCycle, 12, "5", "60", "5"},  {kFieldForesimHorizon, 12, "5", "60", "20"},
      {kFieldOdeCycle, 12, "5", "60", "15"},     {kFieldOdCorrection, 6, "0.5", "5", "5"},
      {kFieldOdpCycle, 12, "5", "60", "10"},     {kFieldOdpHorizon, 24, "5", "120", "45"},
      {kFieldFarvetCycle, 6, "5", "30", "5"},    {kFieldNearvetCycle, 20, "0.5", "10.0", "0.5"},
  };
  const CyclesSelection initial = InitialCyclesSelection();
  for (const Case& c : cases) {
    const CyclesFieldInfo& info = CyclesFieldTable()[c.field];
    ASSERT_EQ(info.entries.size(), c.count) << c.field;
    EXPECT_EQ(info.entries.front(), c.first) << c.field;
    EXPECT_EQ(info.entries.back(), c.last) << c.field;
    EXPECT_EQ(info.entries[initial.entry[c.field]], c.initial) << c.field;
  }
  EXPECT_EQ(CyclesFieldTable()[kFieldNearvetCycle].entries[4], "2.5");
  EXPECT_TRUE(initial.runOD && initial.runFarvet && initial.runNearvet && initial.runForesim1);
}

TEST(CyclesInput, MinutesToSeconds)
{
  const std::pair<const char*, int> cases[] = {
      {"0.5", 30}, {"1", 60}, {"1.0", 60}, {"2.5", 150}, {"10.0", 600}, {"45", 2700}, {"120", 7200}, {"", 0},
  };
  for (const auto& [text, seconds] : cases)
    EXPECT_EQ(MinutesTextToSeconds(text), seconds) << text;
}

TEST(CyclesInput, InitialEntriesInSecondsPassEveryCheck)
{
  const Seconds c = CyclesInSeconds(InitialCyclesSelection());
  // NOWSIM, FORESIM roll, ODE, ODP, FARVET, NEARVET, departure, stage,
  // observation, ODP horizon.
  EXPECT_EQ(c, (Seconds{30, 300, 900, 600, 300, 30, 300, 1200, 300, 2700}));
  EXPECT_EQ(CheckCycles(c), std::nullopt);
}

TEST(CyclesInput, ChecksInOrder)
{
  const std::string times3 =
      "The OD prediction horizon should be 3 times of OD estimation cycle in the current implementation.";
  const std::string odp =
      "The OD prediction horizon should be greater than or equal to OD prediction cycle + "
      "FORESIM horizon, \nso as to ensure the OD demand prediction is always available for "
      "FORESIM.";
  const std::string foresim =
      "The FORESIM prediction horizon should be greater than or equal to FORESIM cycle + "
      "ODE cycle, \nso as to ensure the link proportions from FORESIM are always "
      "available for ODE.";
  struct Case
  {
    const char* name;
    std::vector<std::pair<CyclesField, const char*>> picks;
    std::optional<std::string> message;
  };
  const Case cases[] = {
      {"ODP horizon not 3 x ODE", {{kFieldOdeCycle, "20"}}, times3},
      {"the first failing check wins", {{kFieldOdeCycle, "20"}, {kFieldForesimCycle, "60"}}, times3},
      {"ODP horizon short of ODP cycle + FORESIM horizon",
       {{kFieldOdeCycle, "20"}, {kFieldOdpHorizon, "60"}, {kFieldOdpCycle, "45"}},
       odp},
      {"ODP horizon equal to ODP cycle + FORESIM horizon",
       {{kFieldOdeCycle, "20"},
        {kFieldOdpHorizon, "60"},
        {kFieldOdpCycle, "35"},
        {kFieldForesimHorizon, "25"}},
       std::nullopt},
      {"FORESIM horizon short of FORESIM cycle + ODE", {{kFieldForesimCycle, "10"}}, foresim},
      {"FORESIM horizon equal to FORESIM cycle + ODE",
       {{kFieldForesimCycle, "10"}, {kFieldForesimHorizon, "25"}},
       std::nullopt},
  };
  for (const Case& c : cases) {
    CyclesSelection s = InitialCyclesSelection();
    for (const auto& [field, text] : c.picks)
      s.entry[field] = EntryOf(field, text);
    EXPECT_EQ(CheckCycles(CyclesInSeconds(s)), c.message) << c.name;
  }
}

TEST(CyclesInput, CheckBoxesGovernTheirLists)
{
  struct Case
  {
    const char* name;
    bool runOD, runFarvet, runNearvet, runForesim1;
    std::array<bool, kCyclesFields> enabled;
  };
  // NOWSIM, assignment, FORESIM cycle and horizon, ODE, OD correction, ODP
  // cycle and horizon, FARVET, NEARVET.
  const Case cases[] = {
      {"all checked", true, true, true, true, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1}},
      {"ODEst & Pred", false, true, true, true, {1, 1, 1, 1, 0, 0, 0, 0, 1, 1}},
      {"FARVET", true, false, true, true, {1, 1, 1, 1, 1, 1, 1, 1, 0, 1}},
      {"NEARVET", true, true, false, true, {1, 1, 1, 1, 1, 1, 1, 1, 1, 0}},
      {"FORESIM1 governs none", true, true, true, false, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1}},
  };
  for (const Case& c : cases) {
    CyclesSelection s = InitialCyclesSelection();
    s.runOD = c.runOD;
    s.runFarvet = c.runFarvet;
    s.runNearvet = c.runNearvet;
    s.runForesim1 = c.runForesim1;
    for (int f = 0; f < kCyclesFields; ++f)
      EXPECT_EQ(CyclesFieldEnabled(static_cast<CyclesField>(f), s), c.enabled[f]) << c.name << " list " << f;
  }
}

class CyclesCommit : public ::testing::Test
{
protected:
  void SetUp() override
  {
    for (int i = 0; i < kCycleEntries; ++i)
      g_Project.m_Cycle[i] = 1000 + i;
    g_Project.m_nRunOD = g_Project.m_nRunNearvet = g_Project.m_nRunFarvet = g_Project.m_nRunForesim1 = 7;
  }
  fixtures::RunDir run;
};

TEST_F(CyclesCommit, PassingChecksStoreTheSettingsAndWriteBothFiles)
{
  CyclesSelection s = InitialCyclesSelection();
  s.entry[kFieldNearvetCycle] = EntryOf(kFieldNearvetCycle, "2.5");
  s.runForesim1 = false;
  s.runFarvet = false;
  ASSERT_EQ(CommitCycles(g_Project, s), std::nullopt);
  EXPECT_EQ(Seconds(std::to_array(g_Project.m_Cycle)),
            (Seconds{30, 300, 900, 600, 300, 150, 300, 1200, 300, 2700}));
  EXPECT_EQ(g_Project.m_nRunOD, 1);
  EXPECT_EQ(g_Project.m_nRunNearvet, 1);
  EXPECT_EQ(g_Project.m_nRunFarvet, 0);
  EXPECT_EQ(g_Project.m_nRunForesim1, 0);
  const std::string scheduler =
      "30 0\n300 1200 300\n900 300\n600 2700 0\n300 300\n150 150\n\n300\n300\n150\n";
  EXPECT_EQ(ReadAll("scheduler.dat").substr(0, scheduler.size()), scheduler);
  const std::string modules = "1\n1\n0\n1\n0\n1\n";
  EXPECT_EQ(ReadAll("modules.dat").substr(0, modules.size()), modules);
}

TEST_F(CyclesCommit, FailedCheckChangesNothing)
{
  CyclesSelection s = InitialCyclesSelection();
  s.entry[kFieldOdeCycle] = EntryOf(kFieldOdeCycle, "20");
  s.runOD = false;
  ASSERT_NE(CommitCycles(g_Project, s), std::nullopt);
  for (int i = 0; i < kCycleEntries; ++i)
    EXPECT_EQ(g_Project.m_Cycle[i], 1000 + i) << i;
  EXPECT_EQ(g_Project.m_nRunOD, 7);
  EXPECT_FALSE(std::filesystem::exists("scheduler.dat"));
  EXPECT_FALSE(std::filesystem::exists("modules.dat"));
}

}  // namespace
