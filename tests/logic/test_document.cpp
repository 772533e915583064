// The document: the searches that find what lies under a point, the
// path-name parts, and Load Data with its order and its early stops.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "CDrawLine.h"
#include "CDrawObj.h"
#include "CProject.h"
#include "ConsoleState.h"
#include "DocumentLogic.h"
#include "GlobalArrays.h"
#include "NetworkViewModel.h"
#include "ProjectFixtures.h"
#include "RecordingDrawTarget.h"
#include "ScenarioObjects.h"
#include "TempFiles.h"

namespace {

class Searches : public ::testing::Test
{
protected:
  void TearDown() override
  {
    g_NodeArray.RemoveAll();
    g_LineArray.RemoveAll();
    g_CCTVArray.RemoveAll();
    g_ZoneArray.RemoveAll();
    g_LinkShapeRatio = 0.0;
  }
  static CDrawNode* Node(double x, double y)
  {
    auto* n = new CDrawNode;
    n->m_ptPos = {x, y};
    n->m_nIndex = g_NodeArray.Add(n);
    return n;
  }
  static CDrawLine* Link(WorldPoint a, WorldPoint b)
  {
    auto* l = new CDrawLine;
    l->SetShape({a, b});
    g_LineArray.Add(l);
    return l;
  }
  static void Zone(std::vector<IntPoint> pts)
  {
    auto* z = new CODZone;
    for (IntPoint p : pts)
      z->AddPoint(p);
    g_ZoneArray.Add(z);
  }
};

TEST_F(Searches, NearestNodeIsStrictAndTheEarlierWinsTies)
{
  g_LinkShapeRatio = 0.01;  // radius 12
  CDrawNode* a = Node(0, 0);
  CDrawNode* b = Node(20, 0);
  Node(100, 100);
  EXPECT_EQ(FindNearestNode({10, 0}), a);  // a tie: the earlier node
  EXPECT_EQ(FindNearestNode({11, 0}), b);
  EXPECT_EQ(FindNearestNode({0, 11.9}), a);
  EXPECT_EQ(FindNearestNode({0, -12}), nullptr);  // exactly at the radius
  g_LinkShapeRatio = 0.0;
  EXPECT_EQ(FindNearestNode({0, 0}), nullptr);  // no shapes read: no radius
}

TEST_F(Searches, NearestLinkCloserThan25)
{
  // A diagonal link: its distance grows by sqrt(2) per unit of s at the
  // point (500 + s, 500 - s), from the segment shifted sideways by 1.
  CDrawLine* l = Link({0, 0}, {1000, 1000});
  const double r2 = std::sqrt(2.0);
  const WorldPoint inside{500 + 23.99 / r2, 500 - 23.99 / r2};
  const WorldPoint outside{500 + 24.01 / r2, 500 - 24.01 / r2};
  EXPECT_NEAR(l->DistanceTo(inside), 24.99, 0.01);
  EXPECT_NEAR(l->DistanceTo(outside), 25.01, 0.01);
  EXPECT_EQ(FindNearestLink(inside), l);
  EXPECT_EQ(FindNearestLink(outside), nullptr);
  // Of two links the nearer; of equal distances the earlier.
  CDrawLine* twin = Link({0, 0}, {1000, 1000});
  EXPECT_EQ(FindNearestLink(inside), l);
  CDrawLine* near = Link({0, 10}, {1000, 1010});
  EXPECT_EQ(FindNearestLink({500, 509}), near);
  (void)twin;
}

TEST_F(Searches, NearestCameraWithinFive)
{
  auto* cam = new CDrawCCTV;
  cam->m_ptIcon = {100, 100};
  g_CCTVArray.Add(cam);
  EXPECT_EQ(FindNearestDetector({104.9, 100}), cam);
  EXPECT_EQ(FindNearestDetector({105, 100}), nullptr);
  auto* unplaced = new CDrawCCTV;  // read, but no marked link gave it a place
  unplaced->m_bIconPlaced = false;
  g_CCTVArray.Add(unplaced);
  EXPECT_EQ(FindNearestDetector({0, 0}), nullptr);
}

TEST_F(Searches, ZonesAtAPoint)
{
  Zone({{0, 0}, {100, 0}, {100, 100}, {0, 100}});
  Zone({{50, 50}, {150, 50}, {150, 150}, {50, 150}});
  Zone({});  // no vertices: contains nothing
  EXPECT_EQ(FindZoneAt({10, 10}), 0);
  EXPECT_EQ(FindZoneAt({75, 75}), 1);  // in both: the later one
  EXPECT_EQ(FindZoneAt({120, 120}), 1);
  EXPECT_EQ(FindZoneAt({500, 500}), 0);  // in none: the first zone's position
  g_ZoneArray.RemoveAll();
  EXPECT_EQ(FindZoneAt({10, 10}), 0);  // no zones at all
}

TEST_F(Searches, PathAtALegendSwatch)
{
  LockedPathLists paths = g_PredictedPaths.Lock();
  PathViewOptions view;
  view.bShowPaths0 = true;
  view.nLegendLineY = 200;
  EXPECT_EQ(FindPathAt(view, paths, {40, 200}), nullptr);  // empty list
  for (int k = 0; k < 2; ++k) {
    auto* p = new CPath;
    p->m_nClass = k;
    p->m_nOwnPen = 1;
    paths.List(0).Add(p);
  }
  CPath* second = paths.List(0)[1];
  EXPECT_EQ(FindPathAt(view, paths, {110, 195}), second);
  EXPECT_EQ(paths.List(0)[0]->m_nOwnPen, 0);               // hit flags cleared first
  EXPECT_EQ(FindPathAt(view, paths, {90, 200}), nullptr);  // the gap between swatches
  paths.List(0).RemoveAll();
}

TEST_F(Searches, LinkByNodeIndices)
{
  auto* l = new CDrawLine;
  l->m_nFromIndex = 2;
  l->m_nToIndex = 5;
  g_LineArray.Add(l);
  auto* twin = new CDrawLine;
  twin->m_nFromIndex = 2;
  twin->m_nToIndex = 5;
  g_LineArray.Add(twin);
  EXPECT_EQ(FindLinkByNodes(2, 5), 0);
  EXPECT_EQ(FindLinkByNodes(5, 2), -1);
}

TEST(PathParts, DirectoryAndFileName)
{
  struct Case
  {
    const char* path;
    const char* dir;
    const char* file;
  };
  for (const Case& c : {Case{"C:\\run\\estimate\\xy.dat", "C:\\run\\estimate\\", "xy.dat"},
                        Case{"estimate/xy.dat", "estimate/", "xy.dat"}, Case{"xy.dat", "", "xy.dat"},
                        Case{"", "", ""}, Case{"run/", "run/", ""}}) {
    EXPECT_EQ(GetDirectoryPart(c.path), c.dir) << c.path;
    EXPECT_EQ(GetFileNamePart(c.path), c.file) << c.path;
  }
}

TEST(LoadData, StepsInOrderAndTheFlagSetWhetherTheLoadEndedOrStopped)
{
  for (bool loads : {false, true}) {
    g_bDataLoaded = false;
    std::vector<std::string> steps;
    LoadDataSteps s;
    s.load = [&] {
      steps.push_back("load");
      return loads;
    };
    s.showDensity = [&] {
      steps.push_back("density");
      EXPECT_FALSE(g_bDataLoaded);
    };
    s.repaint = [&] { steps.push_back("repaint"); };
    EXPECT_EQ(RunLoadData(s), loads);
    EXPECT_EQ(steps, (std::vector<std::string>{"load", "density", "repaint"}));
    EXPECT_TRUE(g_bDataLoaded);
  }
  g_bDataLoaded = false;
}

// A load that stopped at xy.dat leaves the operator's incident.dat and
// vms.dat as they were, hands what it read to the views, which draw it and
// search it safely, and a retry begins from empty arrays.
TEST(LoadData, AnEarlyStopKeepsTheOperatorsFiles)
{
  fixtures::RunDir run;
  fixtures::RecordingSinks sinks;
  sinks.Attach(g_Project);
  fixtures::SmallNetwork net;
  net.xy.pop_back();  // fewer nodes than network.dat
  net.WriteAllFiles();
  WriteAll("estimate/incident.dat", "1\n     10        20  5.0  50.0 0.3\n");
  WriteAll("estimate/vms.dat", "1\n      1     10     20     40     50   5.0  60.0 \n");
  const std::string incidents = ReadAll("estimate/incident.dat");
  const std::string signs = ReadAll("estimate/vms.dat");

  LoadDataSteps steps;
  steps.load = [] { return g_Project.LoadProjectAndWriteBack(); };
  g_bDataLoaded = false;
  EXPECT_FALSE(RunLoadData(steps));
  EXPECT_TRUE(g_bDataLoaded);
  EXPECT_FALSE(g_Project.m_bProjectLoaded);
  EXPECT_EQ(ReadAll("estimate/incident.dat"), incidents);
  EXPECT_EQ(ReadAll("estimate/vms.dat"), signs);
  // What network.dat gave is drawn, links without their shapes included,
  // in every display measure; the searches find it.
  ASSERT_GT(g_LineArray.GetSize(), 0);
  ASSERT_GT(g_NodeArray.GetSize(), 0);
  for (int measure : {0, 1, 2, 3, 5}) {
    NetworkViewModel view{ViewRole{}};
    view.m_nDisplayMeasure = measure;
    view.m_bShowCCTV = view.m_bShowDetectors = view.m_bShowVehicles = view.m_bShowPaths0 = true;
    fixtures::RecordingTarget target;
    LockedPathLists paths = g_PredictedPaths.Lock();
    DrawNetwork(view.DrawOptions(g_bDataLoaded, 500), paths, target);
    EXPECT_GE(target.Count("ellipse"), g_NodeArray.GetSize()) << measure;
  }
  const WorldPoint at = g_NodeArray[0]->m_ptPos;
  g_LinkShapeRatio = 1.0;
  EXPECT_EQ(FindNearestNode(at), g_NodeArray[0]);
  FindNearestLink(at);
  FindNearestDetector(at);

  net.xy = fixtures::SmallNetwork().xy;
  net.WriteAllFiles();
  EXPECT_TRUE(RunLoadData(steps));
  EXPECT_TRUE(g_bDataLoaded);
  EXPECT_EQ(g_LineArray.GetSize(), 5);  // nothing left over from the stopped load
  EXPECT_EQ(g_NodeArray.GetSize(), 4);
  EXPECT_EQ(g_IncidentArray.GetSize(), 1);

  g_bDataLoaded = false;
  g_Project.ClearNetworkArrays();
  g_Project.m_bProjectLoaded = false;
  fixtures::RecordingSinks::Detach(g_Project);
}

}  // namespace
