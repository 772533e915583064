// A generated run directory and the modules' files, read by the console's
// own model: the project load, the observation reader and the predicted-path
// reader take them without a message, a stop or a bad entry.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "CDrawLine.h"
#include "CProject.h"
#include "GlobalArrays.h"
#include "ModCycles.h"
#include "ModNetwork.h"
#include "ModTraffic.h"
#include "ObservationReader.h"
#include "PredictedPaths.h"
#include "RunDirGen.h"
#include "TestSupport.h"

namespace fs = std::filesystem;

namespace {

struct Sinks : IStatusSink, IMessageSink
{
  std::vector<std::string> messages;
  std::vector<int> exits;
  void SetStatusText(const std::string&) override {}
  void ShowMessage(const std::string& t) override { messages.push_back(t); }
};

// The run directory is the working directory while the case runs.
class InRunDir
{
public:
  explicit InRunDir(const std::string& dir) : m_old(fs::current_path()) { fs::current_path(dir); }
  ~InRunDir() { fs::current_path(m_old); }
  InRunDir(const InRunDir&) = delete;
  InRunDir& operator=(const InRunDir&) = delete;

private:
  fs::path m_old;
};

struct GridCase
{
  const char* name;
  int rows, cols;
  long long links;  // > 0: instead of rows x cols
};

class GeneratedRunDir : public ::testing::TestWithParam<GridCase>
{
protected:
  void TearDown() override
  {
    g_Project.SetSinks(nullptr, nullptr, nullptr);
    g_Project.ClearNetworkArrays();  // stops the observation thread first
  }
};

TEST_P(GeneratedRunDir, ConsoleLoadsItAndReadsTheModulesFiles)
{
  const GridCase& c = GetParam();
  TempDir dir("vlq-console-load");
  const std::string run = dir.path() + "/run";
  vlq::mod::RunDirOptions opt;
  opt.rows = c.rows;
  opt.cols = c.cols;
  opt.links = c.links;
  vlq::mod::GridNetwork grid;
  std::string error;
  ASSERT_TRUE(vlq::mod::BuildGrid(opt, grid, error)) << error;
  std::vector<std::string> warnings;
  ASSERT_TRUE(vlq::mod::WriteRunDir(run, opt, error, &warnings)) << error;
  InRunDir in(run);

  // The project load of the console.
  Sinks sinks;
  g_Project.SetSinks(&sinks, &sinks, [&sinks](int s) { sinks.exits.push_back(s); });
  ASSERT_TRUE(g_Project.LoadProjectAndWriteBack());
  g_Project.StopRealTimeReader();
  EXPECT_TRUE(sinks.messages.empty()) << sinks.messages.front();
  EXPECT_TRUE(sinks.exits.empty());
  EXPECT_EQ(g_Project.m_LastLoadResult, LoadResult::Loaded);
  const int links = static_cast<int>(grid.net.links.size());
  ASSERT_EQ(g_LineArray.GetSize(), links);
  EXPECT_EQ(g_NodeArray.GetSize(), static_cast<int>(grid.net.node_numbers.size()));
  EXPECT_EQ(g_Project.m_ODSize, grid.net.ODZones());
  EXPECT_LE(g_Project.m_ODSize, 120);
  const std::set<int> detectors(grid.detectors.begin(), grid.detectors.end());
  const std::set<int> cameras(grid.cameras.begin(), grid.cameras.end());
  for (int i = 0; i < links; ++i) {
    EXPECT_EQ(g_LineArray[i]->m_bHasDetector, detectors.count(i) == 1) << "link " << i;
    EXPECT_EQ(g_LineArray[i]->m_bHasCCTV, cameras.count(i) == 1) << "link " << i;
  }
  EXPECT_EQ(g_CCTVArray.GetSize(), static_cast<int>(grid.cameras.size()));

  // The modules' files, made from the run directory's network.
  vlq::mod::ModNetwork net;
  ASSERT_TRUE(vlq::mod::ReadNetworkFile("estimate/network.dat", net, error)) << error;
  const vlq::mod::TrafficModel model(&net, 1);
  const double t = 8 * 3600 + 120;

  // NEARVET: the reference table of the generator, then an observation file.
  CObservationReader obs(g_LineArray);
  ASSERT_EQ(obs.ReadReferenceTable("."), ReferenceTableStatus::kRead);
  std::vector<int> numbers;
  for (int k : grid.detectors)
    numbers.push_back(k + 1);
  EXPECT_EQ(obs.DetectorLinks(), numbers);
  EXPECT_EQ(obs.ValuesPerRecord(), static_cast<int>(grid.detectors.size()));
  const vlq::mod::NearvetOutput near = vlq::mod::NearvetCycle(model, vlq::mod::EventSet(), t, grid.detectors);
  ASSERT_TRUE(WriteFile("odestimate/obsData.dat", near.obs_data));
  EXPECT_EQ(obs.PollOnce("."), ObservationPoll::kTaken);
  EXPECT_EQ(obs.LastStamp(), (std::array<int, 3>{8, 2, 0}));

  // FORESIM: its predicted paths, every node defined by network.dat.
  const vlq::mod::ForesimOutput fore = vlq::mod::ForesimCycle(model, vlq::mod::EventSet(), t, 10);
  ASSERT_TRUE(WriteFile("predict/Predictive_PathTravelTime.dat", fore.paths));
  CTypedObArray<CPath> paths;
  const PathFileResult r = ReadPredictedPathFile("predict/Predictive_PathTravelTime.dat", paths);
  EXPECT_EQ(r.status, PathFileStatus::kRead);
  EXPECT_EQ(r.badIndexPasses, 0);
  EXPECT_EQ(r.taken, r.declared);
  EXPECT_EQ(paths.GetSize(), r.declared);
  for (int p = 0; p < paths.GetSize(); ++p) {
    bool all_defined = false;
    PathSegmentsByNumber(*paths[p], &all_defined);
    EXPECT_TRUE(all_defined) << "path " << p;
    EXPECT_GE(paths[p]->m_Nodes.size(), 2u);
  }
  paths.RemoveAll();
}

const GridCase kGrids[] = {
    {"grid3x2", 3, 2, -1},
    {"grid8x8", 8, 8, -1},
    {"links2000", 0, 0, 2000},
};

INSTANTIATE_TEST_SUITE_P(Grids, GeneratedRunDir, ::testing::ValuesIn(kGrids),
                         [](const auto& info) { return std::string(info.param.name); });

// A network of a large city: five-digit node numbers up to 85,000 and more,
// held by the console's node tables; every link found by its end nodes.
TEST_F(GeneratedRunDir, ThreeHundredThousandLinksLoad)
{
  TempDir dir("vlq-console-load");
  const std::string run = dir.path() + "/run";
  vlq::mod::RunDirOptions opt;
  opt.links = 300000;
  vlq::mod::GridNetwork grid;
  std::string error;
  ASSERT_TRUE(vlq::mod::BuildGrid(opt, grid, error)) << error;
  ASSERT_TRUE(vlq::mod::WriteRunDir(run, opt, error)) << error;
  InRunDir in(run);
  Sinks sinks;
  g_Project.SetSinks(&sinks, &sinks, [&sinks](int s) { sinks.exits.push_back(s); });
  ASSERT_TRUE(g_Project.LoadNetworkData());
  g_Project.StopRealTimeReader();
  EXPECT_TRUE(sinks.messages.empty()) << sinks.messages.front();
  EXPECT_TRUE(sinks.exits.empty());
  const auto& numbers = grid.net.node_numbers;
  ASSERT_EQ(g_LineArray.GetSize(), 300000);
  ASSERT_EQ(g_NodeArray.GetSize(), static_cast<int>(numbers.size()));
  EXPECT_GT(numbers.back(), 85000);
  EXPECT_EQ(g_Project.m_nMaxNodeNumber, numbers.back());
  for (std::size_t i = 0; i < numbers.size(); i += 997)
    EXPECT_EQ(g_Project.LookupNodeIndex(numbers[i]), static_cast<int>(i));
  EXPECT_EQ(g_Project.LookupNodeIndex(numbers.back()), static_cast<int>(numbers.size()) - 1);
  int wrong = 0, named = 0;
  for (int k = 0; k < g_LineArray.GetSize(); ++k) {
    const CDrawLine* l = g_LineArray[k];
    wrong += g_Project.FindLinkIndex(l->m_nFromNode, l->m_nToNode) != k ||
             g_Project.m_NodeNumber[static_cast<std::size_t>(l->m_nToIndex)] != l->m_nToNode;
    named += l->m_szName == grid.names[static_cast<std::size_t>(k)];
  }
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(named, 300000);  // LinkName.dat's five-column numbers read back
  EXPECT_EQ(g_CCTVArray.GetSize(), static_cast<int>(grid.cameras.size()));
  EXPECT_TRUE(g_LineArray[grid.detectors.back()]->m_bHasDetector);
}

}  // namespace
