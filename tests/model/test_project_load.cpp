// The project load: a small network read in full, then one table of
// single-file mutations, each with the messages and the result it gives.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "CDrawLine.h"
#include "CDrawObj.h"
#include "CProject.h"
#include "CycleSettings.h"
#include "GlobalArrays.h"
#include "ProjectFixtures.h"
#include "ScenarioObjects.h"

using fixtures::RecordingSinks;
using fixtures::RunDir;
using fixtures::SmallNetwork;

namespace {

// The operator's incident file, in a layout the console's own writer does
// not produce: a load that writes back changes its bytes.
const char* kOperatorIncidents = "1\n10 20 5 9 0.5\n";

void WriteRunFiles(const SmallNetwork& net)
{
  net.WriteAllFiles();
  int cycle[kCycleEntries] = {60, 300, 600, 900, 1800, 120, 300, 3600, 300, 1800};
  WriteSchedulerFile("scheduler.dat", cycle);
  WriteAll("estimate/incident.dat", kOperatorIncidents);
}

class ProjectLoad : public ::testing::Test
{
protected:
  void SetUp() override
  {
    sinks.Attach(g_Project);
    g_LinkShapeRatio = 0.0;
  }
  void TearDown() override
  {
    RecordingSinks::Detach(g_Project);
    // The load started the observation thread over the links: it is
    // stopped before they go.
    g_Project.ClearNetworkArrays();
  }
  RunDir run;
  RecordingSinks sinks;
};

TEST_F(ProjectLoad, SmallNetworkIsReadInFull)
{
  SmallNetwork net;
  WriteRunFiles(net);
  ASSERT_TRUE(g_Project.LoadProjectAndWriteBack());
  EXPECT_TRUE(sinks.messages.empty()) << sinks.messages.front();
  EXPECT_TRUE(sinks.exits.empty());
  EXPECT_TRUE(g_Project.m_bProjectLoaded);
  EXPECT_EQ(g_Project.m_LastLoadResult, LoadResult::Loaded);
  EXPECT_EQ(sinks.status,
            (std::vector<std::string>{"  Reading network.dat", "  Reading superzone.dat", "  Reading xy.dat",
                                      "  Reading linkxy.dat", "  Reading linkname.dat",
                                      "  Reading control.dat", "  Reading real time data", ""}));
  // Header and tables.
  EXPECT_EQ(g_Project.m_ODSize, 2);
  EXPECT_EQ(g_Project.m_nNodeCount, 4);
  EXPECT_EQ(g_Project.m_nMaxNodeNumber, 40);
  EXPECT_EQ(g_Project.m_nSuperZoneCount, 1);
  EXPECT_EQ(g_Project.m_nCCObsInterval, 120);
  ASSERT_EQ(g_NodeArray.GetSize(), 4);
  ASSERT_EQ(g_LineArray.GetSize(), 5);
  EXPECT_EQ(g_Project.FindNodeIndex(30, kNodeCodeLinkBlock), 2);
  EXPECT_EQ(g_Project.FindLinkIndex(20, 30), 1);  // the first of two parallel links
  EXPECT_EQ(g_Project.FindLinkIndex(30, 20), -1);
  EXPECT_EQ(g_Project.FindLinkIndex(-3, 20), -1);
  EXPECT_EQ(g_Project.FindLinkIndex(30000, 20), -1);
  // Nodes: numbers, zones, super-zones, control types, positions.
  const int controlTypes[] = {4, 2, 5, 1};
  for (int i = 0; i < 4; ++i) {
    const CDrawNode* n = g_NodeArray[i];
    EXPECT_EQ(n->m_nIndex, i);
    EXPECT_EQ(n->m_nNodeNumber, net.net.nodes[i].nNumber);
    EXPECT_EQ(n->m_nZone, net.net.nodes[i].nZone);
    EXPECT_EQ(n->m_nSuperZone, 1);
    EXPECT_EQ(n->m_nControlType, controlTypes[i]);
  }
  // Taller than wide: scale = 530 / 200, centred horizontally.
  EXPECT_DOUBLE_EQ(g_Project.m_dScale, 530.0 / 200.0);
  EXPECT_DOUBLE_EQ(g_Project.m_dScaleX, 800.0 / 50.0);
  EXPECT_DOUBLE_EQ(g_Project.m_dOffsetX, 400.0 - 50.0 * g_Project.m_dScale / 2);
  EXPECT_DOUBLE_EQ(g_NodeArray[3]->m_ptPos.x, 50.0 * 530.0 / 200.0);
  EXPECT_DOUBLE_EQ(g_NodeArray[3]->m_ptPos.y, 530.0);
  // Links: attributes of the first one.
  const CDrawLine* l0 = g_LineArray[0];
  EXPECT_EQ(l0->m_nIndex, 0);
  EXPECT_EQ(l0->m_nFromIndex, 0);
  EXPECT_EQ(l0->m_nToIndex, 1);
  EXPECT_EQ(l0->m_fValue1, 1.0f);
  EXPECT_TRUE(l0->m_bValue1Set);
  EXPECT_EQ(l0->m_dLength, 1000.0);
  EXPECT_EQ(l0->m_nLanes, 2);
  EXPECT_EQ(l0->m_fValue3, 1.5f);
  EXPECT_EQ(l0->m_dValue4, 55.5);
  EXPECT_EQ(l0->m_dSatRate, 2200.25);
  EXPECT_EQ(l0->m_fValue5, 1800.5f);
  EXPECT_EQ(l0->m_fValue6, -1.25f);
  EXPECT_FALSE(g_LineArray[0]->m_bRamp);
  EXPECT_TRUE(g_LineArray[1]->m_bRamp);
  // Shapes: link 0 from linkxy.dat, the others straight.
  ASSERT_EQ(l0->PointCount(), 3);
  EXPECT_DOUBLE_EQ(l0->m_pPoints[1].x, 10.0 * 530.0 / 200.0);
  EXPECT_DOUBLE_EQ(l0->m_pFractions[1], 0.5);
  EXPECT_EQ(l0->m_pFractions[2], 1.0);
  EXPECT_EQ(g_LineArray[3]->PointCount(), 2);
  EXPECT_DOUBLE_EQ(g_LinkShapeRatio, l0->ShapeLength() / 1000.0 / 5.0);
  // Names, detector, camera.
  EXPECT_EQ(l0->m_szName, "Main Street");
  EXPECT_EQ(g_LineArray[3]->m_szName, "Harbour Road");
  EXPECT_TRUE(g_LineArray[3]->m_bHasDetector);
  EXPECT_FALSE(g_LineArray[2]->m_bHasDetector);
  EXPECT_TRUE(g_LineArray[3]->m_bHasCCTV);
  ASSERT_EQ(g_CCTVArray.GetSize(), 1);
  EXPECT_EQ(g_CCTVArray[0]->m_szAddress, "http://cam1.example/view");
  EXPECT_EQ(g_CCTVArray[0]->m_nLinkFromNode, 30);
  // Scenario: the incident was read and written back.
  ASSERT_EQ(g_IncidentArray.GetSize(), 1);
  EXPECT_NE(ReadAll("estimate/incident.dat"), kOperatorIncidents);
  EXPECT_EQ(ReadAll("estimate/vms.dat"), "0\n");
}

TEST_F(ProjectLoad, LoadAgainStartsFromEmptyArrays)
{
  SmallNetwork net;
  WriteRunFiles(net);
  ASSERT_TRUE(g_Project.LoadNetworkData());
  g_SelectedLinks.push_back(g_LineArray[0]);
  ASSERT_TRUE(g_Project.LoadNetworkData());
  EXPECT_EQ(g_NodeArray.GetSize(), 4);
  EXPECT_EQ(g_LineArray.GetSize(), 5);
  EXPECT_EQ(g_CCTVArray.GetSize(), 1);
  EXPECT_EQ(g_IncidentArray.GetSize(), 1);
  EXPECT_EQ(g_LineArray[4]->m_nIndex, 4);
  EXPECT_TRUE(g_SelectedLinks.empty());  // no pointer into the old links is kept
}

TEST_F(ProjectLoad, LookupWithoutEndingAndFatalLookup)
{
  SmallNetwork net;
  WriteRunFiles(net);
  ASSERT_TRUE(g_Project.LoadNetworkData());
  sinks.messages.clear();
  for (int bad : {-1, 0, 11, 41, 24999, 25000, 899999, 2147483647})
    EXPECT_EQ(g_Project.LookupNodeIndex(bad), -1) << bad;
  EXPECT_TRUE(sinks.messages.empty());
  EXPECT_TRUE(sinks.exits.empty());
  EXPECT_EQ(g_Project.LookupNodeIndex(40), 3);

  struct Case
  {
    int code;
    const char* message;
  } cases[] = {
      {kNodeCodeLinkBlock, "Node 77 in the link block of file network.dat has not been defined."},
      {kNodeCodeXY, "Node 77 in file xy.dat has not been defined in file network.dat."},
      {kNodeCodeLinkXY, "Node 77 in file linkxy.dat has not been defined in file network.dat."},
      {9, "A node 77 cannot be found."},
  };
  for (const auto& c : cases) {
    sinks.messages.clear();
    sinks.exits.clear();
    EXPECT_EQ(g_Project.FindNodeIndex(77, c.code), -1);
    EXPECT_EQ(sinks.messages, std::vector<std::string>{c.message});
    EXPECT_EQ(sinks.exits, std::vector<int>{kExitBadNode});
  }
}

// Every number the load accepts is held: the small network numbered across
// the whole range, in every file that names nodes. (The link-line files
// keep five-column numbers, so their lines name the links between the
// numbers of five digits or fewer.)
TEST_F(ProjectLoad, WideNodeNumbersAreHeld)
{
  const int wide[] = {0, 25000, 99999, 899998};
  auto renumber = [&wide](int n) { return wide[n / 10 - 1]; };
  SmallNetwork net;
  for (auto& node : net.net.nodes)
    node.nNumber = renumber(node.nNumber);
  for (auto& link : net.net.links) {
    link.nFrom = renumber(link.nFrom);
    link.nTo = renumber(link.nTo);
  }
  for (auto& p : net.xy)
    p.nNode = renumber(p.nNode);
  for (auto& s : net.shapes) {
    s.nFrom = renumber(s.nFrom);
    s.nTo = renumber(s.nTo);
  }
  net.names = {{0, 25000, "Main Street"}, {25000, 99999, "Harbour Road"}};
  net.detectors = {{25000, 99999}};
  net.cameras = {{25000, 99999, "http://cam1.example/view"}};
  WriteRunFiles(net);
  ASSERT_TRUE(g_Project.LoadProjectAndWriteBack());
  EXPECT_TRUE(sinks.messages.empty()) << sinks.messages.front();
  EXPECT_TRUE(sinks.exits.empty());
  EXPECT_EQ(g_Project.m_nMaxNodeNumber, 899998);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(g_Project.LookupNodeIndex(wide[i]), i) << wide[i];
    EXPECT_EQ(g_NodeArray[i]->m_nNodeNumber, wide[i]);
  }
  for (int bad : {1, 24999, 899997, 899999, 900000})
    EXPECT_EQ(g_Project.LookupNodeIndex(bad), -1) << bad;
  EXPECT_EQ(g_Project.FindLinkIndex(25000, 99999), 1);  // the first of two parallel links
  EXPECT_EQ(g_Project.FindLinkIndex(99999, 899998), 3);
  EXPECT_EQ(g_Project.FindLinkIndex(899998, 0), 4);
  EXPECT_EQ(g_Project.FindLinkIndex(899998, 99999), -1);
  EXPECT_EQ(g_LineArray[3]->m_nFromIndex, 2);
  EXPECT_EQ(g_LineArray[3]->m_nToIndex, 3);
  EXPECT_DOUBLE_EQ(g_NodeArray[3]->m_ptPos.y, 530.0);  // xy.dat found the widest number
  EXPECT_EQ(g_LineArray[0]->PointCount(), 3);          // and linkxy.dat
  EXPECT_EQ(g_LineArray[1]->m_szName, "Harbour Road");
  EXPECT_EQ(g_LineArray[2]->m_szName, "Harbour Road");
  EXPECT_TRUE(g_LineArray[1]->m_bHasDetector);
  EXPECT_TRUE(g_LineArray[2]->m_bHasCCTV);
  // Only the number index is the size of the numbering; the out-link
  // tables hold the nodes present.
  EXPECT_EQ(g_Project.m_NodeIndex.size(), 899999u);
  EXPECT_EQ(g_Project.m_OutCount.size(), 4u);
  EXPECT_EQ(g_Project.m_OutNode.size(), 4u * kMaxOutLinks);

  // A load of a smaller network afterwards forgets the wide numbers.
  WriteRunFiles(SmallNetwork());
  ASSERT_TRUE(g_Project.LoadNetworkData());
  EXPECT_EQ(g_Project.LookupNodeIndex(899998), -1);
  EXPECT_EQ(g_Project.m_NodeIndex[899998], -1);
  EXPECT_EQ(g_Project.FindLinkIndex(899998, 0), -1);
  EXPECT_EQ(g_Project.FindLinkIndex(40, 10), 4);
}

// Without an exit handler the program really ends, with a non-zero status.
TEST(ProjectLoadDeath, UndefinedNodeEndsTheProgramWithStatusOne)
{
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        g_Project.SetSinks(nullptr, nullptr, nullptr);
        g_Project.FindNodeIndex(5, kNodeCodeXY);
      },
      ::testing::ExitedWithCode(kExitBadNode),
      "Node 5 in file xy.dat has not been defined in file network.dat.");
}

TEST_F(ProjectLoad, Fort911)
{
  EXPECT_TRUE(g_Project.IsFort911Empty());
  WriteAll("estimate/fort.911", "");
  EXPECT_TRUE(g_Project.IsFort911Empty());
  WriteAll("estimate/fort.911", "x");
  EXPECT_FALSE(g_Project.IsFort911Empty());
}

// ---- single-file mutations -------------------------------------------------

// The shape ratio before each mutated load: a load that does not update it
// leaves this value.
constexpr double kRatioBefore = 0.75;

struct Mutation
{
  const char* name;
  std::function<void(SmallNetwork&)> change;  // before the files are written
  std::function<void()> rawFile;              // after: overwrite one file
  bool loaded;
  LoadResult result;
  std::vector<std::string> messages;  // every message, in order
  std::vector<int> exits;
  std::function<void()> check;  // further checks after the load
};

TEST_F(ProjectLoad, SingleFileMutations)
{
  const std::string sixteen = [] {
    std::string s = "1 2 16 10 0\n10 1\n20 1\n";
    for (int i = 0; i < 16; ++i)
      s += "10 20 0 0 100 1 1 1 50 2000 1800 5 0\n";
    return s;
  }();
  const Mutation cases[] = {
      {"network.dat missing",
       nullptr,
       [] { std::remove("estimate/network.dat"); },
       false,
       LoadResult::NoNetwork,
       {"Cannot open estimate/network.dat"},
       {},
       [] { EXPECT_EQ(g_NodeArray.GetSize(), 0); }},
      {"node number 899999",
       [](SmallNetwork& n) { n.net.nodes[2].nNumber = 899999; },
       nullptr,
       false,
       LoadResult::Ended,
       {"Please ensure that the node number in file network.dat is less than 899999."},
       {1},
       nullptr},
      {"negative node number",
       [](SmallNetwork& n) { n.net.nodes[1].nNumber = -5; },
       nullptr,
       false,
       LoadResult::Ended,
       {"Please ensure that the node numbers in file network.dat lie from 0 to 899998 (node -5)."},
       {1},
       nullptr},
      {"undefined node in the link block",
       [](SmallNetwork& n) { n.net.links[3].nTo = 99; },
       nullptr,
       false,
       LoadResult::Ended,
       {"Node 99 in the link block of file network.dat has not been defined."},
       {1},
       [] { EXPECT_EQ(g_LineArray.GetSize(), 3); }},
      {"more links announced than follow",
       [](SmallNetwork& n) { n.net.header.nLinks = 6; },
       nullptr,
       false,
       LoadResult::BadData,
       {"File network.dat ends after 5 of its 6 links.\nPlease check it."},
       {},
       nullptr},
      {"header cut short",
       nullptr,
       [] { WriteAll("estimate/network.dat", "2 4 5\n"); },
       false,
       LoadResult::BadData,
       {"File network.dat ends inside its header.\nPlease check it."},
       {},
       nullptr},
      {"121 zones",
       [](SmallNetwork& n) { n.net.header.nZones = 121; },
       nullptr,
       false,
       LoadResult::BadData,
       {"File network.dat gives 121 zones; at most 120 are allowed.\nPlease check it."},
       {},
       nullptr},
      {"node zone beyond the zones",
       [](SmallNetwork& n) { n.net.nodes[3].nZone = 3; },
       nullptr,
       false,
       LoadResult::BadData,
       {"Zone 3 of node 40 in file network.dat is out of the range 0 to 2.\nPlease check it."},
       {},
       nullptr},
      {"16 out-links of one node",
       nullptr,
       [&sixteen] { WriteAll("estimate/network.dat", sixteen); },
       false,
       LoadResult::BadData,
       {"Node 10 has more than 15 out-links in file network.dat.\nPlease check it."},
       {},
       nullptr},
      {"super-zone flag 0 never opens SuperZone.dat",
       [](SmallNetwork& n) {
         n.net.header.nSuperZoneFlag = 0;
         n.superZones.zoneList = {999};  // would be refused if read
       },
       nullptr,
       true,
       LoadResult::Loaded,
       {},
       {},
       [] {
         EXPECT_EQ(g_NodeArray[0]->m_nSuperZone, 1);
         EXPECT_EQ(g_NodeArray[3]->m_nSuperZone, 2);
         EXPECT_EQ(g_Project.m_nSuperZoneCount, 2);
       }},
      {"SuperZone.dat missing",
       nullptr,
       [] { std::remove("estimate/SuperZone.dat"); },
       true,
       LoadResult::Loaded,
       {"Cannot open estimate/SuperZone.dat"},
       {},
       [] { EXPECT_EQ(g_NodeArray[3]->m_nSuperZone, 2); }},
      {"SuperZone.dat zone out of range",
       [](SmallNetwork& n) {
         n.superZones.zoneList = {1, 7};
       },
       nullptr,
       true,
       LoadResult::Loaded,
       {"Zone 7 in file SuperZone.dat is out of the range 0 to 2.\nPlease check it."},
       {},
       [] {
         EXPECT_EQ(g_NodeArray[0]->m_nSuperZone, 1);
         EXPECT_EQ(g_NodeArray[3]->m_nSuperZone, 0);
       }},
      {"SuperZone.dat super-zone out of range",
       [](SmallNetwork& n) {
         n.superZones.superZones = {1, 9};
       },
       nullptr,
       true,
       LoadResult::Loaded,
       {"Super-zone 9 in file SuperZone.dat is out of the range 0 to 1.\nPlease check it."},
       {},
       nullptr},
      {"xy.dat one node short",
       [](SmallNetwork& n) { n.xy.pop_back(); },
       nullptr,
       false,
       LoadResult::XYShort,
       {"Only 3 nodes are found in file xy.dat.\nThe GUI expects 4 nodes defined in this file.\nPlease check "
        "it."},
       {},
       [] { EXPECT_FALSE(g_Project.m_bProjectLoaded); }},
      {"xy.dat undefined node",
       [](SmallNetwork& n) { n.xy[1].nNode = 77; },
       nullptr,
       false,
       LoadResult::Ended,
       {"Node 77 in file xy.dat has not been defined in file network.dat."},
       {1},
       nullptr},
      {"xy.dat missing",
       nullptr,
       [] { std::remove("estimate/xy.dat"); },
       true,
       LoadResult::Loaded,
       {},
       {},
       [] {
         EXPECT_EQ(g_NodeArray[3]->m_ptPos, (WorldPoint{0.0, 0.0}));
       }},
      {"xy.dat with no width and no height",
       [](SmallNetwork& n) {
         for (auto& r : n.xy)
           r.x = 5.0, r.y = 7.0;
         n.shapes.clear();
       },
       nullptr,
       true,
       LoadResult::Loaded,
       {},
       {},
       [] {
         EXPECT_EQ(g_Project.m_dScale, 1.0);
         for (const auto& l : g_LineArray) {
           EXPECT_EQ(l->m_pFractions, (std::vector<double>{0.0, 1.0}));
           EXPECT_TRUE(std::isfinite(l->PointAtFraction(0.5).x));
         }
       }},
      {"xy.dat with no height",
       [](SmallNetwork& n) {
         for (auto& r : n.xy)
           r.y = 3.0;
       },
       nullptr,
       true,
       LoadResult::Loaded,
       {},
       {},
       [] {
         EXPECT_DOUBLE_EQ(g_Project.m_dScale, 16.0);
         EXPECT_EQ(g_Project.m_dOffsetX, 0.0);
       }},
      {"linkxy.dat names a missing link",
       [](SmallNetwork& n) {
         n.shapes.insert(n.shapes.begin(), {10, 30, {{0, 0}, {1, 1}}});
       },
       nullptr,
       true,
       LoadResult::Loaded,
       {"Link 10->30 in file Linkxy.dat has not been defined in file network.dat.\nPlease check it."},
       {},
       [] {
         EXPECT_EQ(g_LinkShapeRatio, kRatioBefore);   // not updated
         EXPECT_EQ(g_LineArray[0]->PointCount(), 2);  // the records after it are not read
       }},
      {"linkxy.dat missing",
       nullptr,
       [] { std::remove("estimate/linkxy.dat"); },
       true,
       LoadResult::Loaded,
       {},
       {},
       [] {
         EXPECT_EQ(g_LinkShapeRatio, kRatioBefore);   // keeps its value
         EXPECT_EQ(g_LineArray[0]->PointCount(), 2);  // straight from xy.dat
       }},
      {"linkxy.dat undefined node",
       [](SmallNetwork& n) { n.shapes[0].nTo = 99; },
       nullptr,
       false,
       LoadResult::Ended,
       {"Node 99 in file linkxy.dat has not been defined in file network.dat."},
       {1},
       nullptr},
      {"linkxy.dat point count larger than its points",
       nullptr,
       [] { WriteAll("estimate/linkxy.dat", "10 20 5\n0 0\n1 1\n"); },
       true,
       LoadResult::Loaded,
       {"File linkxy.dat ends inside the 5 points of link 10->20.\nPlease check it."},
       {},
       [] { EXPECT_EQ(g_LineArray[0]->PointCount(), 2); }},
      {"linkxy.dat shape of two parallel links read once",
       [](SmallNetwork& n) {
         n.shapes.push_back({20, 30, {{0, 0}, {3, 4}, {6, 8}}});
         n.shapes.push_back({30, 40, {{1, 1}, {2, 2}}});
       },
       nullptr,
       true,
       LoadResult::Loaded,
       {},
       {},
       [] {
         EXPECT_EQ(g_LineArray[1]->PointCount(), 3);
         EXPECT_EQ(g_LineArray[2]->PointCount(), 3);
         ASSERT_EQ(g_LineArray[3]->PointCount(), 2);  // the record after them is read as its own
         EXPECT_DOUBLE_EQ(g_LineArray[3]->m_pPoints[1].x, 2.0 * 530.0 / 200.0);
       }},
      {"linkxy.dat zero-length shape",
       [](SmallNetwork& n) {
         n.shapes[0].points = {{4, 4}, {4, 4}, {4, 4}};
       },
       nullptr,
       true,
       LoadResult::Loaded,
       {},
       {},
       [] {
         EXPECT_EQ(g_LineArray[0]->m_pFractions, (std::vector<double>{0.0, 0.0, 1.0}));
         EXPECT_TRUE(std::isfinite(g_LineArray[0]->DistanceTo({1, 1})));
         EXPECT_EQ(g_LinkShapeRatio, 0.0);
       }},
      {"linkxy.dat zero link length",
       [](SmallNetwork& n) { n.net.links[0].nLengthFeet = 0; },
       nullptr,
       true,
       LoadResult::Loaded,
       {},
       {},
       [] { EXPECT_EQ(g_LinkShapeRatio, 0.0); }},
      {"LinkName.dat names a missing link",
       [](SmallNetwork& n) {
         n.names.insert(n.names.begin() + 1, {40, 30, "Nowhere"});
       },
       nullptr,
       true,
       LoadResult::Loaded,
       {"Link 40->30 in file LinkName.dat has not been defined in file network.dat. \nPlease check it."},
       {},
       [] {
         EXPECT_EQ(g_LineArray[0]->m_szName, "Main Street");
         EXPECT_EQ(g_LineArray[3]->m_szName, "");  // after the failing line
       }},
      {"LinkName.dat long line and short lines",
       nullptr,
       [] { WriteAll("estimate/LinkName.dat", "   10   20" + std::string(300, 'N') + "\n   30   40\n\n"); },
       true,
       LoadResult::Loaded,
       {},
       {},
       [] {
         EXPECT_EQ(g_LineArray[0]->m_szName, std::string(39, 'N'));
         EXPECT_EQ(g_LineArray[3]->m_szName, "");  // a line of exactly 10 characters
       }},
      {"LinkName.dat link listed twice, CRLF lines",
       nullptr,
       [] { WriteAll("estimate/LinkName.dat", "   10   20First\r\n   10   20Second\r\n"); },
       true,
       LoadResult::Loaded,
       {},
       {},
       [] { EXPECT_EQ(g_LineArray[0]->m_szName, "Second"); }},
      {"Detector.dat last line without a line break",
       nullptr,
       [] { WriteAll("estimate/Detector.dat", "   10   20\n   30   40"); },
       true,
       LoadResult::Loaded,
       {},
       {},
       [] {
         EXPECT_TRUE(g_LineArray[0]->m_bHasDetector);
         EXPECT_FALSE(g_LineArray[3]->m_bHasDetector);
       }},
      {"Detector.dat line without numbers",
       nullptr,
       [] { WriteAll("estimate/Detector.dat", "abc\n"); },
       true,
       LoadResult::Loaded,
       {"Link 0->0 in file Detector.dat has not been defined in file network.dat. \nPlease check it."},
       {},
       nullptr},
      {"CCTV.dat names a missing link",
       [](SmallNetwork& n) {
         n.cameras.insert(n.cameras.begin(), {20, 10, "a"});
       },
       nullptr,
       true,
       LoadResult::Loaded,
       {"Link 20->10 in file CCTV.dat has not been defined in file network.dat. \nPlease check it."},
       {},
       [] {
         ASSERT_EQ(g_CCTVArray.GetSize(), 1);  // the camera stays
         EXPECT_EQ(g_CCTVArray[0]->m_nLinkFromNode, 20);
         EXPECT_FALSE(g_LineArray[3]->m_bHasCCTV);
       }},
      {"CCTV.dat long address and long line",
       nullptr,
       [] { WriteAll("estimate/CCTV.dat", "   30   40 " + std::string(500, 'a') + "\n"); },
       true,
       LoadResult::Loaded,
       {},
       {},
       [] { EXPECT_EQ(g_CCTVArray[0]->m_szAddress, std::string(59, 'a')); }},
      {"control.dat missing",
       nullptr,
       [] { std::remove("estimate/control.dat"); },
       true,
       LoadResult::Loaded,
       {},
       {},
       [] {
         EXPECT_EQ(g_NodeArray[0]->m_nControlType, 1);
         EXPECT_EQ(g_NodeArray[2]->m_nNodeNumber, 30);
       }},
      {"control.dat short",
       [](SmallNetwork& n) { n.control.nodes.pop_back(); },
       nullptr,
       true,
       LoadResult::Loaded,
       {"File control.dat ends before the control types of all 4 nodes.\nPlease check it."},
       {},
       [] { EXPECT_EQ(g_NodeArray[2]->m_nControlType, 5); }},
  };

  for (const Mutation& m : cases) {
    SCOPED_TRACE(m.name);
    RunDir dir;
    SmallNetwork net;
    if (m.change)
      m.change(net);
    WriteRunFiles(net);
    if (m.rawFile)
      m.rawFile();
    sinks.messages.clear();
    sinks.exits.clear();
    g_LinkShapeRatio = kRatioBefore;
    bool loaded = g_Project.LoadProjectAndWriteBack();
    g_Project.StopRealTimeReader();  // before its run directory goes
    EXPECT_EQ(loaded, m.loaded);
    EXPECT_EQ(g_Project.m_LastLoadResult, m.result);
    EXPECT_EQ(g_Project.m_bProjectLoaded, m.loaded);
    EXPECT_EQ(sinks.messages, m.messages);
    EXPECT_EQ(sinks.exits, m.exits);
    if (!m.loaded) {
      // Nothing written back: the operator's incidents are kept as they were.
      EXPECT_EQ(ReadAll("estimate/incident.dat"), kOperatorIncidents);
      EXPECT_FALSE(std::ifstream("estimate/vms.dat").good());
    }
    if (m.check)
      m.check();
  }
}

// Random bytes in place of one file at a time: the load ends in one of its
// defined results and never reads or writes out of bounds (run under the
// address sanitizer).
TEST_F(ProjectLoad, GarbageInAnyFileIsHandled)
{
  const char* files[] = {"network.dat",  "SuperZone.dat", "xy.dat",   "linkxy.dat",
                         "LinkName.dat", "Detector.dat",  "CCTV.dat", "control.dat"};
  const std::string alphabet = "0123456789012345678901234567890123456789 -.\n\r\t,abcXYZ";
  std::mt19937 rng(12345);
  for (const char* file : files)
    for (int round = 0; round < 12; ++round) {
      SCOPED_TRACE(std::string(file) + " round " + std::to_string(round));
      RunDir dir;
      SmallNetwork net;
      WriteRunFiles(net);
      std::string text;
      std::size_t len = rng() % 600;
      for (std::size_t i = 0; i < len; ++i)
        text.push_back(round % 3 == 0 ? static_cast<char>(rng() % 256) : alphabet[rng() % alphabet.size()]);
      if (round % 4 == 1)
        text = ReadAll(std::string("estimate/") + file).substr(0, len / 4) + text;  // good start, bad rest
      WriteAll(std::string("estimate/") + file, text);
      sinks.messages.clear();
      sinks.exits.clear();
      bool loaded = g_Project.LoadProjectAndWriteBack();
      g_Project.StopRealTimeReader();
      EXPECT_EQ(loaded, g_Project.m_LastLoadResult == LoadResult::Loaded);
      EXPECT_EQ(loaded, g_Project.m_bProjectLoaded);
      if (!sinks.exits.empty()) {
        EXPECT_EQ(g_Project.m_LastLoadResult, LoadResult::Ended);
      }
      for (const auto& l : g_LineArray) {
        EXPECT_GE(l->m_nFromIndex, 0);
        EXPECT_LT(l->m_nFromIndex, g_NodeArray.GetSize());
        for (double f : l->m_pFractions)
          EXPECT_TRUE(f >= 0.0 && f <= 1.0) << f;
        EXPECT_LE(l->m_szName.size(), kLinkNameMax);
      }
      for (const auto& c : g_CCTVArray)
        EXPECT_LE(c->m_szAddress.size(), kCCTVAddressMax);
    }
}

}  // namespace
