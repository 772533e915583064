// The live result stores: their values at program start and the clock text.
#include <gtest/gtest.h>

#include "CProject.h"
#include "ResultStores.h"

namespace {

TEST(ResultStores, ZeroAtStartWithTheTwoHourWindow)
{
  for (int s = 0; s < kStoreSources; ++s)
    for (int m : {0, 1439, 4999}) {
      EXPECT_EQ(g_NetStats[s][m].numcars, 0);
      EXPECT_EQ(g_NetStats[s][m].AvgSpeed, 0.0);
    }
  EXPECT_EQ(g_FarvetPerMinute[4999], 0.0);
  EXPECT_EQ(g_NearvetPerMinute[0], 0.0);
  EXPECT_EQ(g_CurrentMinute.load(), 0);
  EXPECT_EQ(g_PredictionOffset.load(), 0);
  EXPECT_EQ(g_ChartWindowStart.load(), 0);
  EXPECT_EQ(g_ChartWindowEnd.load(), 120);
  EXPECT_EQ(g_EstimationClock.nMinute, 0);
  EXPECT_EQ(g_PredictionClock.nWindowEnd, 0);
}

TEST(ResultStores, ProjectConstructionClearsModuleFlags)
{
  g_ModuleRunning[kModuleForesim1] = true;
  g_ModuleStartMarks[kModuleNearvet][1234] = true;
  auto project = std::make_unique<CProject>();
  for (int i = 0; i < kModuleSlots; ++i)
    EXPECT_FALSE(g_ModuleRunning[i]);
  EXPECT_FALSE(g_ModuleStartMarks[kModuleNearvet][1234]);
  // A fresh project and its defaults.
  EXPECT_FALSE(project->m_bProjectLoaded);
  EXPECT_EQ(project->m_nYSign, 1);
  EXPECT_EQ(project->m_dMargin, 25.0);
  EXPECT_EQ(project->m_nNetworkParam, 10);
  EXPECT_EQ(project->m_nRunMode, 0);
  EXPECT_EQ(project->m_OutputOption[0][9], 1);
  EXPECT_EQ(project->m_OutputOption[1][0], 10);
  for (int n : {0, 1, 12345, kMaxNodeTable - 1})
    EXPECT_EQ(project->m_NodeIndex[n], -1);
  EXPECT_EQ(project->LookupNodeIndex(0), -1);
  project.reset();  // destroying a project that never loaded
}

TEST(ResultStores, ODTableBounds)
{
  auto project = std::make_unique<CProject>();
  struct Case
  {
    int slot, i, j;
    bool ok;
  } cases[] = {{0, 0, 0, true},    {299, 119, 119, true}, {300, 0, 0, false}, {-1, 0, 0, false},
               {0, 120, 0, false}, {0, 0, 120, false},    {0, -1, 5, false}};
  for (const auto& c : cases) {
    EXPECT_EQ(project->SetODEntry(c.slot, c.i, c.j, 7.5), c.ok);
    EXPECT_EQ(project->ODEntry(c.slot, c.i, c.j), c.ok ? 7.5 : 0.0);
  }
  EXPECT_TRUE(project->SetODSize(120));
  EXPECT_FALSE(project->SetODSize(121));
  EXPECT_FALSE(project->SetODSize(-1));
  EXPECT_EQ(project->m_ODSize, 120);
}

TEST(ResultStores, ClockRecordText)
{
  ClockRecord c;
  c.nMinute = 605;
  EXPECT_EQ(FormatClockRecord(c), "10:05");
  EXPECT_EQ(c.nMinute, 605);  // the record itself is left as it is
  c.nHour = 0;
  c.nMinute = 59;
  EXPECT_EQ(FormatClockRecord(c), "00:59");
}

}  // namespace
