// Predicted paths and vehicles: the path file reader, segment lookup by
// node numbers (an undefined node is reported, not fatal), class colours and
// dimming, the legend hit test, the OD-pair collection and vehicle places.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "CDrawLine.h"
#include "CProject.h"
#include "GlobalArrays.h"
#include "PredictedPaths.h"
#include "TempFiles.h"

namespace fs = std::filesystem;

namespace {

// Nodes 101, 102, 103, 104 at indices 0..3; links (by index) 0: 0->1,
// 1: 1->2, 2: 1->2 (parallel), 3: 2->3, 4: 3->0. Link k lies from (100 k, 0)
// to (100 k + 50, 0).
class PathNetwork : public ::testing::Test
{
protected:
  void SetUp() override
  {
    ClearAll();
    const int ends[][2] = {{0, 1}, {1, 2}, {1, 2}, {2, 3}, {3, 0}};
    for (int k = 0; k < 5; ++k) {
      auto* l = new CDrawLine();
      l->m_nFromIndex = ends[k][0];
      l->m_nToIndex = ends[k][1];
      l->m_nFromNode = 101 + ends[k][0];
      l->m_nToNode = 101 + ends[k][1];
      l->SetShape({{100.0 * k, 0.0}, {100.0 * k + 50.0, 0.0}});
      g_LineArray.Add(l);
    }
    m_savedCount = g_Project.m_nNodeCount;
    m_savedMax = g_Project.m_nMaxNodeNumber;
    g_Project.m_nNodeCount = 4;
    g_Project.m_nMaxNodeNumber = 104;
    for (int i = 0; i < 4; ++i)
      g_Project.m_NodeIndex[101 + i] = i;
  }
  void TearDown() override
  {
    for (int i = 0; i < 4; ++i)
      g_Project.m_NodeIndex[101 + i] = -1;
    g_Project.m_nNodeCount = m_savedCount;
    g_Project.m_nMaxNodeNumber = m_savedMax;
    ClearAll();
  }
  static void ClearAll()
  {
    LockedPathLists paths = g_PredictedPaths.Lock();
    paths.List(0).RemoveAll();
    paths.List(1).RemoveAll();
    g_AllPaths.RemoveAll();
    g_LineArray.RemoveAll();
  }
  static CPath* Path(std::vector<unsigned> nodes, int cls = 0, bool highlighted = true)
  {
    auto* p = new CPath();
    p->m_Nodes = nodes;
    p->m_nNodeCount = static_cast<int>(nodes.size());
    p->m_nClass = cls;
    p->m_bHighlighted = highlighted;
    return p;
  }
  int m_savedCount = 0;
  int m_savedMax = 0;
};

std::vector<int> Links(const std::vector<PathSegmentRef>& s)
{
  std::vector<int> v;
  for (const PathSegmentRef& r : s)
    v.push_back(r.nLink);
  return v;
}

// Records the pens and the links drawn (by the x of each piece's start).
struct RecordingTarget : IPathDrawTarget
{
  std::vector<PenSpec> customPens;
  std::vector<DrawPen> pens;
  std::vector<int> links;  // link of each piece's main line
  int lineCalls = 0;
  ScreenPointD WorldToScreenD(const WorldPoint& p) const override { return {p.x, p.y}; }
  bool IsPrinting() const override { return false; }
  void SelectPen(DrawPen p) override { pens.push_back(p); }
  void SelectBrush(DrawBrush) override {}
  void SetTextColor(ColorRef) override {}
  void Line(ScreenPoint from, ScreenPoint) override
  {
    if (lineCalls++ % 3 == 0)  // line, then the two arrowhead strokes
      links.push_back(from.x / 100);
  }
  void Ellipse(const ScreenRect& r) override { ellipses.push_back(r); }
  void Rectangle(const ScreenRect&) override {}
  void Polygon(const std::vector<ScreenPoint>&) override {}
  void Bitmap(int, ScreenPoint, ColorRef) override {}
  void LabelText(const std::string&, const ScreenRect&) override {}
  void SelectCustomPen(const PenSpec& pen) override { customPens.push_back(pen); }
  std::vector<ScreenRect> ellipses;
};

const ColorRef kViewColors[5] = {0x00FF00, 0xFFFF66, 0xFF8080, 0x4080FF, 0x0000FF};

}  // namespace

TEST(PathFile, ReaderCases)
{
  struct Case
  {
    const char* name;
    const char* text;  // null: no file
    PathFileStatus status;
    int taken;
    int bad;
    std::vector<std::vector<unsigned>> nodes;
  };
  const Case cases[] = {
      {"three paths",
       "7 3\n1 12.5 3 101 102 103\n2 3.25 2 102 103\n3 0 1 104\n",
       PathFileStatus::kRead,
       3,
       0,
       {{101, 102, 103}, {102, 103}, {104}}},
      {"missing file empties the list", nullptr, PathFileStatus::kNotOpened, 0, 0, {}},
      {"empty file", "", PathFileStatus::kShort, 0, 0, {}},
      {"count larger than the entries", "0 3\n1 1.0 2 101 102\n", PathFileStatus::kShort, 1, 0, {{101, 102}}},
      {"huge count stops at the end", "0 2000000000\n1 1.0 1 101\n", PathFileStatus::kShort, 1, 0, {{101}}},
      {"entry cut in its nodes", "0 1\n1 1.0 4 101 102\n", PathFileStatus::kShort, 0, 0, {}},
      // Reading stops at the first entry with an unexpected index: what
      // follows it cannot be told apart any more.
      {"unexpected index", "0 3\n2 5.5 1 101\n", PathFileStatus::kBadEntry, 0, 1, {}},
      {"bad entry before a good one", "0 2\n9\n1 2.0 2 101 102\n", PathFileStatus::kBadEntry, 0, 1, {}},
      {"bad index after good entries keeps them",
       "0 3\n1 2.0 2 101 102\n2 1.5 1 103\n5 1.0 1 104\n",
       PathFileStatus::kBadEntry,
       2,
       1,
       {{101, 102}, {103}}},
      {"node count beyond the bound",
       "0 2\n1 2.0 1 101\n2 1.0 100001 1 2 3\n",
       PathFileStatus::kBadEntry,
       1,
       0,
       {{101}}},
      {"zero nodes", "0 1\n1 4.0 0\n", PathFileStatus::kRead, 1, 0, {{}}},
  };
  for (const Case& c : cases) {
    TempDir t;
    if (c.text)
      WriteAll(t.File("p.dat"), c.text);
    CTypedObArray<CPath> list;
    list.Add(new CPath());  // an earlier list is always emptied
    PathFileResult r = ReadPredictedPathFile(t.File("p.dat"), list);
    EXPECT_EQ(r.status, c.status) << c.name;
    EXPECT_EQ(r.taken, c.taken) << c.name;
    EXPECT_EQ(r.badIndexPasses, c.bad) << c.name;
    ASSERT_EQ(list.GetSize(), static_cast<int>(c.nodes.size())) << c.name;
    for (int i = 0; i < list.GetSize(); ++i) {
      EXPECT_EQ(list[i]->m_Nodes, c.nodes[i]) << c.name << " path " << i;
      EXPECT_EQ(list[i]->m_nNodeCount, static_cast<int>(c.nodes[i].size())) << c.name;
      EXPECT_EQ(list[i]->m_nClass, i) << c.name;
      EXPECT_TRUE(list[i]->m_bHighlighted) << c.name;
    }
  }
}

TEST(PathFile, AtMostTheBoundOfPathsAreTaken)
{
  TempDir t;
  std::string text = "0 " + std::to_string(kMaxPredictedPaths + 1) + "\n";
  for (int i = 1; i <= kMaxPredictedPaths + 1; ++i)
    text += std::to_string(i) + " 1.0 1 101\n";
  WriteAll(t.File("p.dat"), text);
  CTypedObArray<CPath> list;
  PathFileResult r = ReadPredictedPathFile(t.File("p.dat"), list);
  EXPECT_EQ(r.status, PathFileStatus::kBadEntry);
  EXPECT_EQ(r.declared, kMaxPredictedPaths + 1);
  EXPECT_EQ(r.taken, kMaxPredictedPaths);
  EXPECT_EQ(list.GetSize(), kMaxPredictedPaths);
}

TEST(PathFile, TravelTimesAndInstanceFiles)
{
  TempDir t;
  WriteAll(t.File("p.dat"), "7 2\n1 12.5 1 101\n2 .75 1 102\n");
  CTypedObArray<CPath> list;
  ReadPredictedPathFile(t.File("p.dat"), list);
  ASSERT_EQ(list.GetSize(), 2);
  EXPECT_DOUBLE_EQ(list[0]->m_dTravelTime, 12.5);
  EXPECT_DOUBLE_EQ(list[1]->m_dTravelTime, 75);  // no leading "." in a real
  EXPECT_EQ(PredictedPathFile(0), "predict/Predictive_PathTravelTime.dat");
  EXPECT_EQ(PredictedPathFile(1), "predict1/Predictive_PathTravelTime.dat");
}

TEST_F(PathNetwork, SegmentsFollowTheFirstOfParallelLinks)
{
  bool all = false;
  std::unique_ptr<CPath> p(Path({101, 102, 103, 104, 101}));
  std::vector<PathSegmentRef> s = PathSegmentsByNumber(*p, &all);
  EXPECT_TRUE(all);
  EXPECT_EQ(Links(s), (std::vector<int>{0, 1, 3, 4}));
  EXPECT_TRUE(s.front().bFirst);
  EXPECT_FALSE(s.front().bLast);
  EXPECT_TRUE(s.back().bLast);
}

TEST_F(PathNetwork, SegmentCases)
{
  struct Case
  {
    const char* name;
    std::vector<unsigned> nodes;
    bool allDefined;
    std::vector<int> links;
  };
  const Case cases[] = {
      {"one node draws nothing", {101}, true, {}},
      {"no link between a pair", {101, 103, 104}, true, {3}},
      {"undefined node is reported", {101, 102, 555, 103, 104}, false, {0, 3}},
      {"number beyond the node table", {101, 4000000000u, 102}, false, {}},
      {"number zero", {0, 101, 102}, false, {0}},
  };
  for (const Case& c : cases) {
    std::unique_ptr<CPath> p(Path(c.nodes));
    bool all = !c.allDefined;
    EXPECT_EQ(Links(PathSegmentsByNumber(*p, &all)), c.links) << c.name;
    EXPECT_EQ(all, c.allDefined) << c.name;
  }
  // A count larger than the nodes held is cut to them.
  std::unique_ptr<CPath> p(Path({101, 102}));
  p->m_nNodeCount = 50;
  EXPECT_EQ(p->NodeCount(), 2);
  EXPECT_EQ(Links(PathSegmentsByNumber(*p, nullptr)), (std::vector<int>{0}));
  // DrawSegments takes the values as node indices.
  std::unique_ptr<CPath> q(Path({2, 3, 0}));
  EXPECT_EQ(Links(PathSegmentsByIndex(*q)), (std::vector<int>{3, 4}));
}

TEST(PathColors, ClassesAndDimming)
{
  struct Case
  {
    int cls;
    bool dimmed;
    ColorRef color;
  };
  const Case cases[] = {
      {0, false, 0x00FF00}, {4, false, 0x0000FF},  {5, false, 0xFF66FF}, {6, false, 0xFF00CC},
      {7, false, 0x00CC00}, {-1, false, 0x00CC00}, {0, true, 0x745757},  {1, true, 0x747444},
      {2, true, 0x007400},  {3, true, 0x007474},   {4, true, 0x000074},  {5, true, 0xBB57BB},
      {6, true, 0xBB0057},  {99, true, 0x006B00},
  };
  for (const Case& c : cases)
    EXPECT_EQ(PathClassColor(c.cls, c.dimmed, kViewColors), c.color) << c.cls << " " << c.dimmed;
  CPath own;
  own.m_nOwnPen = 1;
  PenSpec hl = PathPen(own, 0x123456);
  PenSpec global = GetPenSpec(DrawPen::PredPath);
  EXPECT_EQ(hl.color, global.color);
  EXPECT_EQ(hl.width, global.width);
  CPath plain;
  PenSpec p = PathPen(plain, 0x123456);
  EXPECT_EQ(p.width, 2);
  EXPECT_EQ(p.color, 0x123456u);
  EXPECT_EQ(p.style, PenStyle::Solid);
}

TEST_F(PathNetwork, DrawDimsTheOthersOfAHighlightedOne)
{
  LockedPathLists paths = g_PredictedPaths.Lock();
  PathViewOptions pv;
  pv.bShowPaths0 = true;
  std::copy(kViewColors, kViewColors + 5, pv.pathColors);
  ViewDrawOptions view;
  for (int cls = 0; cls < 3; ++cls)
    paths.List(0).Add(Path({101, 102, 103}, cls, true));
  RecordingTarget all;
  for (const auto& p : paths.List(0))
    EXPECT_TRUE(p->Draw(view, pv, paths, all));
  ASSERT_EQ(all.customPens.size(), 3u);
  for (int cls = 0; cls < 3; ++cls)
    EXPECT_EQ(all.customPens[cls].color, kViewColors[cls]);
  EXPECT_EQ(all.links, (std::vector<int>{0, 1, 0, 1, 0, 1}));

  paths.List(0)[0]->m_bHighlighted = false;
  paths.List(0)[2]->m_bHighlighted = false;
  RecordingTarget one;
  for (const auto& p : paths.List(0))
    p->Draw(view, pv, paths, one);
  ASSERT_EQ(one.customPens.size(), 3u);
  EXPECT_EQ(one.customPens[0].color, g_PathColorsDimmed[0]);
  EXPECT_EQ(one.customPens[1].color, kViewColors[1]);
  EXPECT_EQ(one.customPens[2].color, g_PathColorsDimmed[2]);
}

TEST_F(PathNetwork, DrawListsShownAndUndefinedNodes)
{
  LockedPathLists paths = g_PredictedPaths.Lock();
  ViewDrawOptions view;
  PathViewOptions pv;
  paths.List(0).Add(Path({101, 102}));
  RecordingTarget none;
  paths.List(0)[0]->Draw(view, pv, paths, none);  // the view shows no list
  EXPECT_TRUE(none.customPens.empty());
  // Shown for both lists: drawn once per list.
  paths.List(1).Add(Path({102, 103}));
  pv.bShowPaths0 = pv.bShowPaths1 = true;
  RecordingTarget both;
  paths.List(0)[0]->Draw(view, pv, paths, both);
  EXPECT_EQ(both.customPens.size(), 2u);
  // An undefined node: the drawable pairs are drawn and false is returned.
  std::unique_ptr<CPath> broken(Path({101, 102, 999, 103, 104}));
  pv.bShowPaths1 = false;
  RecordingTarget b;
  EXPECT_FALSE(broken->Draw(view, pv, paths, b));
  EXPECT_EQ(b.links, (std::vector<int>{0, 3}));
}

TEST_F(PathNetwork, LegendHitTest)
{
  LockedPathLists paths = g_PredictedPaths.Lock();
  PathViewOptions pv;
  pv.bShowPaths0 = true;
  pv.nLegendLineY = PathLegendLineY(400, 30);
  EXPECT_EQ(pv.nLegendLineY, 385);
  std::unique_ptr<CPath> p1(Path({101}, 1));
  // Empty lists: nothing is hit.
  EXPECT_FALSE(p1->HitTest(pv, paths, {100, 385}));
  paths.List(0).Add(Path({101}, 0));
  struct Case
  {
    int x, y;
    bool hit;
  };
  const Case cases[] = {
      {100, 385, true}, {90, 385, false},  {149, 385, true}, {150, 385, false},
      {120, 375, true}, {120, 374, false}, {120, 394, true}, {120, 395, false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(p1->HitTest(pv, paths, {c.x, c.y}), c.hit) << c.x << "," << c.y;
  // A view showing neither list, unless it is the estimation view with its
  // path display on.
  pv.bShowPaths0 = false;
  EXPECT_FALSE(p1->HitTest(pv, paths, {100, 385}));
  pv.bEstimationView = true;
  pv.bEstimationPathDisplay = true;
  EXPECT_TRUE(p1->HitTest(pv, paths, {100, 385}));
  // On behalf of the second list.
  paths.List(0).RemoveAll();
  paths.List(1).Add(Path({101}, 0));
  pv = PathViewOptions();
  pv.bShowPaths1 = true;
  pv.nLegendLineY = 385;
  EXPECT_TRUE(p1->HitTest(pv, paths, {100, 385}));
}

TEST_F(PathNetwork, CollectODPairPathsCopiesTheMatches)
{
  LockedPathLists paths = g_PredictedPaths.Lock();
  struct Spec
  {
    int o, d, slot;
  };
  const Spec specs[] = {{1, 2, 3}, {1, 2, 4}, {2, 1, 3}, {1, 2, 3}, {1, 3, 3}};
  for (const Spec& s : specs) {
    CPath* p = Path({101, 102}, 9, true);
    p->m_nOrigin = s.o;
    p->m_nDestination = s.d;
    p->m_nDepartureSlot = s.slot;
    g_AllPaths.Add(p);
  }
  CollectODPairPaths(paths, 1, 1, 15);  // origin equal to destination
  CollectODPairPaths(paths, -1, 2, 15);
  CollectODPairPaths(paths, 1, -1, 15);
  EXPECT_TRUE(paths.List(0).IsEmpty());
  CollectODPairPaths(paths, 1, 2, 17);  // slot 3
  ASSERT_EQ(paths.List(0).GetSize(), 2);
  EXPECT_EQ(paths.List(0)[0]->m_nClass, 0);
  EXPECT_EQ(paths.List(0)[1]->m_nClass, 1);
  EXPECT_FALSE(paths.List(0)[0]->m_bHighlighted);
  // Copies: each list owns its own paths.
  EXPECT_NE(paths.List(0)[0], g_AllPaths[0]);
  EXPECT_EQ(g_AllPaths[0]->m_nClass, 9);
  paths.List(0).RemoveAll();
  EXPECT_EQ(g_AllPaths.GetSize(), 5);
}

TEST_F(PathNetwork, VehiclePositionAndLateness)
{
  CVehicle v;
  v.m_Trajectory = {{0, 4.0, 10.0, 1.0}, {1, 2.0, 14.0, 0.5}, {2, 0.0, 16.0, 0.0}};
  struct Case
  {
    double t;
    bool placed;
    double x;
    int late;
  };
  const Case cases[] = {
      {10.0, false, 0, 0},     // arrival(0) < t is strict
      {11.0, true, 12.5, 0},   // link 0 at fraction 0.25: 3 minutes left > slack 1
      {13.5, true, 43.75, 1},  // 0.5 left, not more than the slack
      {15.0, true, 125.0, 0},  // link 1 (first of the parallel pair) at 0.5
      {16.0, true, 150.0, 1}, {16.5, false, 0, 1},
  };
  for (const Case& c : cases) {
    WorldPoint at;
    EXPECT_EQ(v.PositionAtMinute(c.t, at), c.placed) << c.t;
    if (c.placed) {
      EXPECT_NEAR(at.x, c.x, 0.31) << c.t;  // the point is shifted sideways
      EXPECT_EQ(v.m_nLate, c.late) << c.t;
    }
  }
  // A step without a link places nothing.
  CVehicle w;
  w.m_Trajectory = {{0, 1.0, 0.0, 0.0}, {2, 1.0, 1.0, 0.0}};
  WorldPoint at;
  EXPECT_FALSE(w.PositionAtMinute(0.5, at));
  // Brushes by state.
  CVehicle b;
  EXPECT_EQ(VehicleBrush(b), DrawBrush::VehicleGreen);
  b.m_nLate = 1;
  EXPECT_EQ(VehicleBrush(b), DrawBrush::VehicleRose);
  b.m_nPathFlag = 1;
  EXPECT_EQ(VehicleBrush(b), DrawBrush::VehicleYellow);
  RecordingTarget dc;
  b.Draw(ViewDrawOptions(), dc, {10.7, 20.2}, 0.0);
  ASSERT_EQ(dc.ellipses.size(), 1u);
  EXPECT_EQ(dc.ellipses[0], (ScreenRect{8, 18, 12, 22}));
}

TEST_F(PathNetwork, ReadPredictedPathsFillsTheInstanceList)
{
  LockedPathLists paths = g_PredictedPaths.Lock();
  TempDir t;
  fs::path old = fs::current_path();
  fs::create_directories(t.dir / "predict1");
  WriteAll((t.dir / "predict1" / "Predictive_PathTravelTime.dat").string(), "0 1\n1 2.5 2 101 102\n");
  fs::current_path(t.dir);
  PathFileResult r0 = ReadPredictedPaths(paths, 0);
  PathFileResult r1 = ReadPredictedPaths(paths, 1);
  fs::current_path(old);
  EXPECT_EQ(r0.status, PathFileStatus::kNotOpened);
  EXPECT_EQ(r1.taken, 1);
  EXPECT_TRUE(paths.List(0).IsEmpty());
  ASSERT_EQ(paths.List(1).GetSize(), 1);
  EXPECT_DOUBLE_EQ(paths.List(1)[0]->m_dTravelTime, 2.5);
}
