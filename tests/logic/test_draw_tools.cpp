// The mouse tools without widgets: the zoom box, the pan tool, the select
// tool and the OD pick, driven with device points through a recording view,
// and the rubber bands they draw.
#include <gtest/gtest.h>

#include <cmath>

#include "DocumentLogic.h"
#include "ViewCommands.h"
#include "ViewDecorations.h"
#include "ViewToolFixtures.h"

using namespace toolfix;

namespace {

TEST(DrawTools, FourToolsInOrderAndNoneForThePathMode)
{
  ASSERT_GE(g_ToolList.size(), 4u);
  const int ids[] = {kToolZoomBox, kToolPan, kToolSelect, kToolODPick};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(g_ToolList[i]->m_nToolId, ids[i]);
    EXPECT_EQ(CDrawTool::FindTool(ids[i]), g_ToolList[i]);
  }
  EXPECT_NE(dynamic_cast<CDisplayTool*>(CDrawTool::FindTool(kToolZoomBox)), nullptr);
  EXPECT_NE(dynamic_cast<CODPointTool*>(CDrawTool::FindTool(kToolODPick)), nullptr);
  EXPECT_EQ(CDrawTool::FindTool(kToolPathMode), nullptr);
}

TEST(RubberBands, FocusRectangleAndArrowGeometry)
{
  EXPECT_EQ(FocusRect({50, 40}, {10, 90}), (ScreenRect{10, 40, 50, 90}));
  // An arrow to the right: the head's strokes end 14 back, pi/8 either side.
  const auto right = ArrowStrokes({0, 0}, {100, 0});
  EXPECT_EQ(right[0], (Stroke{{0, 0}, {100, 0}}));
  EXPECT_EQ(right[1], (Stroke{{100, 0}, {87, -5}}));
  EXPECT_EQ(right[2], (Stroke{{100, 0}, {87, 5}}));
  // Straight down: the ends truncate toward zero.
  const auto down = ArrowStrokes({10, 0}, {10, 50});
  EXPECT_EQ(down[1].b, (ScreenPoint{15, 37}));
  EXPECT_EQ(down[2].b, (ScreenPoint{4, 37}));
  // The bounds hold the head's ends, which stick out of the line's box.
  EXPECT_EQ(RubberBandBounds({RubberBand::Kind::Arrow, {0, 0}, {100, 0}}), (ScreenRect{0, -5, 100, 5}));
  EXPECT_EQ(RubberBandBounds({RubberBand::Kind::FocusRect, {9, 9}, {1, 2}}), (ScreenRect{1, 2, 9, 9}));
  const ScreenRect none = RubberBandBounds({});
  EXPECT_LT(none.right, none.left);
}

// ---- zoom box -----------------------------------------------------------------

class ZoomBox : public NetworkTest
{};

TEST_F(ZoomBox, DragsOfEverySizeAndDirection)
{
  struct Case
  {
    const char* name;
    ScreenPoint from, to;
    bool zooms;
    double scale;      // when it zooms
    IntPoint topLeft;  // world point that comes to the screen's (0, 0)
  };
  // Device = logical here, and world y = screen y - 30 before the zoom.
  const Case cases[] = {
      {"3 units wide", {100, 100}, {103, 140}, false, 0, {}},
      {"3 units high", {100, 100}, {140, 103}, false, 0, {}},
      {"4 units each way", {100, 100}, {104, 104}, true, 200.0, {100, 70}},
      {"down and right", {200, 250}, {300, 300}, true, 8.0, {200, 220}},
      // The press point comes to the top-left, whichever way the box goes.
      {"right to left", {300, 250}, {200, 300}, true, 8.0, {300, 220}},
      {"upwards", {200, 300}, {300, 250}, true, 8.0, {200, 270}},
      {"up and to the left", {300, 300}, {200, 250}, true, 8.0, {300, 270}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    view = RecordingView{};
    g_nToolMode = kToolZoomBox;
    const ViewState start = view.model.m_transform.State();
    Drag(Tool(kToolZoomBox), view, c.from, {{(c.from.x + c.to.x) / 2, (c.from.y + c.to.y) / 2}, c.to});
    // The band followed the mouse from the press and is gone after the release.
    ASSERT_GE(view.bands.size(), 3u);
    EXPECT_EQ(view.bands[view.bands.size() - 2], (RubberBand{RubberBand::Kind::FocusRect, c.from, c.to}));
    EXPECT_EQ(view.Band().kind, RubberBand::Kind::None);
    EXPECT_FALSE(view.capture);
    EXPECT_EQ(g_nToolMode, kToolZoomBox);  // the tool stays
    const ViewTransform& t = view.model.m_transform;
    if (!c.zooms) {
      EXPECT_EQ(t.State(), start);
      EXPECT_EQ(view.model.m_history.Index(), 0);
      EXPECT_EQ(view.invalidations, 0);
      continue;
    }
    EXPECT_DOUBLE_EQ(t.State().scaleX, c.scale);
    EXPECT_DOUBLE_EQ(t.State().scaleY, c.scale);
    const ScreenPointD corner = t.WorldToScreenD({double(c.topLeft.x), double(c.topLeft.y)});
    EXPECT_NEAR(corner.x, 0.0, 1e-9);
    EXPECT_NEAR(corner.y, 0.0, 1e-9);
    EXPECT_EQ(view.invalidations, 1);
    // The new state is in the history; Previous brings the old one back.
    EXPECT_EQ(view.model.m_history.Index(), 1);
    EXPECT_TRUE(view.model.PopView());
    EXPECT_EQ(t.State(), start);
  }
}

// The zoom box stores the view as it stands before it zooms: Previous view
// comes back to a scroll or a copy of the estimation view that no history
// entry held, then to the older entries.
TEST_F(ZoomBox, PreviousViewComesBackToTheViewBeforeTheBox)
{
  struct Case
  {
    const char* name;
    void (*change)(NetworkViewModel& view, NetworkViewModel& estimation);
  };
  const Case cases[] = {
      {"scrolled",
       [](NetworkViewModel& v, NetworkViewModel&) {
         ScrollByLine(v.m_transform, ScrollLine::Right, v.m_nHScrollPos, v.m_nVScrollPos);
       }},
      {"same view as the estimation view",
       [](NetworkViewModel& v, NetworkViewModel& est) {
         est.m_transform.m_state.scaleX = est.m_transform.m_state.scaleY = 2.0;
         est.m_transform.m_state.offsetX = -70.0;
         SameViewForPrediction({&est, &v, nullptr});
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    view = RecordingView{};
    view.model = NetworkViewModel(ViewRole{kViewPrediction0, 1});
    NetworkViewModel estimation{ViewRole{}};
    // One stored step zoom first, then the change that is not stored.
    ZoomViewStep(view.model, 800, 600, kZoomStepFactor);
    const ViewState zoomed = view.model.m_transform.State();
    c.change(view.model, estimation);
    const ViewState changed = view.model.m_transform.State();
    ASSERT_NE(changed, zoomed);

    Drag(Tool(kToolZoomBox), view, {100, 100}, {{200, 200}});
    const ViewState boxed = view.model.m_transform.State();
    ASSERT_NE(boxed, changed);
    // A step zoom after the box: Previous goes back to the box's view...
    ZoomViewStep(view.model, 800, 600, kZoomStepFactor);
    EXPECT_TRUE(view.model.PopView());
    EXPECT_EQ(view.model.m_transform.State(), boxed);
    // ...then to the view as it stood when the box was dragged, then to
    // the start.
    EXPECT_TRUE(view.model.PopView());
    EXPECT_EQ(view.model.m_transform.State(), changed);
    EXPECT_TRUE(view.model.PopView());
    EXPECT_EQ(view.model.m_transform.State(), ViewState{});
    EXPECT_FALSE(view.model.PopView());
  }
}

TEST_F(ZoomBox, AMoveOrAReleaseWithoutAPressChangesNothing)
{
  Tool(kToolZoomBox).OnMouseMove(view, 0, {10, 10});
  EXPECT_TRUE(view.bands.empty());
  // A double click: press, release, double click, release far from the
  // first press; only the press's own release could zoom.
  CDrawTool& tool = Tool(kToolZoomBox);
  const ViewState start = view.model.m_transform.State();
  tool.OnLButtonDown(view, kKeyLButton, {100, 100});
  tool.OnLButtonUp(view, 0, {100, 100});
  tool.OnLButtonDblClk(view, kKeyLButton, {100, 100});
  tool.OnLButtonUp(view, 0, {200, 200});
  EXPECT_EQ(view.model.m_transform.State(), start);
  EXPECT_EQ(view.model.m_history.Index(), 0);
}

TEST_F(ZoomBox, DoubleClickPicksAPathInTheLegendAndSelects)
{
  view.model.m_bShowPaths0 = true;
  {
    LockedPathLists paths = g_PredictedPaths.Lock();
    for (int k = 0; k < 2; ++k) {
      auto* p = new CPath;
      p->m_nClass = k;
      paths.List(0).Add(p);
    }
  }
  g_LinkShapeRatio = 1.0;
  CDrawNode* node = AddNode(100, 20);
  const int line = LegendTop(LegendReferenceHeight(view.height)) + 10;
  // The second swatch runs from x 100 to 150 on the legend line.
  Tool(kToolZoomBox).OnLButtonDblClk(view, kKeyLButton, {120, line});
  {
    LockedPathLists paths = g_PredictedPaths.Lock();
    EXPECT_EQ(paths.List(0)[0]->m_nOwnPen, 0);
    EXPECT_EQ(paths.List(0)[1]->m_nOwnPen, 1);
  }
  // ...and selects the node nearest to the click, as the select tool's
  // double click does (no OD origin taken).
  node->m_nODKey = 9;
  Tool(kToolZoomBox).OnLButtonDblClk(view, kKeyLButton, {100, 50});
  EXPECT_EQ(g_SelectedNodes, std::vector<CDrawNode*>{node});
  EXPECT_EQ(g_nODOriginNode, 0);
  {
    LockedPathLists paths = g_PredictedPaths.Lock();
    EXPECT_EQ(paths.List(0)[1]->m_nOwnPen, 0);  // a click off the legend picks none
  }
}

// ---- pan ----------------------------------------------------------------------

class Pan : public NetworkTest
{};

TEST_F(Pan, TheNetworkFollowsTheMouseAndPreviousTakesItBack)
{
  g_nToolMode = kToolPan;
  const ViewState start = view.model.m_transform.State();
  Drag(Tool(kToolPan), view, {100, 100}, {{150, 120}, {160, 130}});
  const ViewState& s = view.model.m_transform.State();
  EXPECT_DOUBLE_EQ(s.offsetX, start.offsetX + 60);
  EXPECT_DOUBLE_EQ(s.offsetY, start.offsetY + 30);
  EXPECT_EQ(view.invalidations, 2);  // one picture per move
  EXPECT_TRUE(view.bands.empty());   // no band
  EXPECT_EQ(g_nToolMode, kToolPan);
  EXPECT_EQ(g_LastPoint, (ScreenPoint{160, 130}));
  EXPECT_EQ(view.model.m_history.Index(), 1);
  EXPECT_TRUE(view.model.PopView());
  EXPECT_EQ(view.model.m_transform.State(), start);

  // At scale 2 on a 96-dpi screen: 96 pixels are 100 logical units, 50
  // world units.
  view = RecordingView{};
  view.mapping = {96.0, 96.0};
  view.model.m_transform.m_state.scaleX = 2.0;
  view.model.m_transform.m_state.scaleY = 2.0;
  Drag(Tool(kToolPan), view, {0, 0}, {{96, -96}});
  EXPECT_DOUBLE_EQ(view.model.m_transform.State().offsetX, 50.0);
  EXPECT_DOUBLE_EQ(view.model.m_transform.State().offsetY, 30.0 - 50.0);
  // A move without a press pans nothing, a release without one stores
  // nothing.
  Tool(kToolPan).OnMouseMove(view, 0, {500, 500});
  EXPECT_DOUBLE_EQ(view.model.m_transform.State().offsetX, 50.0);
  Tool(kToolPan).OnLButtonUp(view, 0, {500, 500});
  EXPECT_EQ(view.model.m_history.Index(), 1);
}

// ---- OD pick ------------------------------------------------------------------

class ODPick : public NetworkTest
{
protected:
  void SetUp() override
  {
    NetworkTest::SetUp();
    // Zone 0 at world (0..100, 0..100), zone 1 at (200..300, 0..100):
    // device y is world y + 30.
    AddSquareZone(0, 0, 100);
    AddSquareZone(200, 0, 100);
    g_nToolMode = kToolODPick;
  }
};

TEST_F(ODPick, PicksOfEveryKind)
{
  struct Case
  {
    const char* name;
    ScreenPoint from, to;
    std::vector<std::pair<int, int>> opened;  // the sheet's OD page
    int origin, destination;                  // g_nOriginZone, g_nDestinationZone after
    int toolMode;
  };
  const Case cases[] = {
      {"from zone 0 to zone 1", {50, 80}, {250, 80}, {{0, 1}}, 0, 1, kToolODPick},
      {"within one zone", {20, 40}, {80, 90}, {{0, 0}}, 0, 0, kToolODPick},
      {"released where pressed", {250, 80}, {250, 80}, {}, 1, 1, kToolSelect},
      {"released where pressed outside every zone", {150, 80}, {150, 80}, {}, 0, 0, kToolSelect},
      // A point outside every zone counts as the first zone.
      {"from outside every zone", {150, 80}, {250, 80}, {{0, 1}}, 0, 1, kToolODPick},
      {"to outside every zone", {250, 80}, {250, 400}, {{1, 0}}, 1, 0, kToolODPick},
      {"both outside every zone", {150, 80}, {150, 400}, {{0, 0}}, 0, 0, kToolODPick},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    hooks.odPairs.clear();
    view = RecordingView{};
    g_nToolMode = kToolODPick;
    g_nOriginZone = 1;
    g_nDestinationZone = 2;
    Drag(Tool(kToolODPick), view, c.from, {c.to});
    EXPECT_EQ(hooks.odPairs, c.opened);
    EXPECT_EQ(g_nOriginZone, c.origin);
    EXPECT_EQ(g_nDestinationZone, c.destination);
    EXPECT_EQ(g_nToolMode, c.toolMode);
    EXPECT_EQ(g_nODStep, 2);
    EXPECT_FALSE(view.capture);
    EXPECT_EQ(view.Band().kind, RubberBand::Kind::None);
  }
}

TEST_F(ODPick, TheArrowFollowsTheMouseOnlyWhileTheOriginIsPressed)
{
  Tool(kToolODPick).OnMouseMove(view, 0, {10, 10});
  EXPECT_TRUE(view.bands.empty());
  Tool(kToolODPick).OnLButtonDown(view, kKeyLButton, {50, 80});
  EXPECT_EQ(g_nODStep, 1);
  EXPECT_TRUE(view.capture);
  EXPECT_EQ(view.invalidations, 1);
  Tool(kToolODPick).OnMouseMove(view, kKeyLButton, {120, 90});
  Tool(kToolODPick).OnMouseMove(view, kKeyLButton, {250, 80});
  ASSERT_EQ(view.bands.size(), 2u);
  EXPECT_EQ(view.bands[0], (RubberBand{RubberBand::Kind::Arrow, {50, 80}, {120, 90}}));
  EXPECT_EQ(view.bands[1], (RubberBand{RubberBand::Kind::Arrow, {50, 80}, {250, 80}}));
  // The release takes the destination where the button goes up.
  Tool(kToolODPick).OnLButtonUp(view, 0, {260, 85});
  EXPECT_EQ(hooks.odPairs, (std::vector<std::pair<int, int>>{{0, 1}}));
  Tool(kToolODPick).OnMouseMove(view, 0, {10, 10});
  EXPECT_EQ(view.bands.size(), 3u);  // only the removal
}

// A run directory without zone polygons: every point counts as the first
// zone, and a drag still brings up the sheet's OD page.
TEST_F(ODPick, WithoutZonesADragOpensTheSheetOnTheFirstZone)
{
  g_ZoneArray.RemoveAll();
  Drag(Tool(kToolODPick), view, {50, 80}, {{400, 300}});
  EXPECT_EQ(hooks.odPairs, (std::vector<std::pair<int, int>>{{0, 0}}));
  EXPECT_EQ(g_nOriginZone, 0);
  EXPECT_EQ(g_nDestinationZone, 0);
  EXPECT_EQ(g_nToolMode, kToolODPick);
}

// ---- select -------------------------------------------------------------------

class Select : public NetworkTest
{
protected:
  void SetUp() override
  {
    NetworkTest::SetUp();
    g_LinkShapeRatio = 1.0;  // node radius 1200
    g_nToolMode = kToolSelect;
  }
};

TEST_F(Select, NodeClicksListEachNodeOnceAndMarkTheLatest)
{
  CDrawNode* a = AddNode(100, 100, 4);
  CDrawNode* b = AddNode(300, 100, 7);
  CDrawTool& tool = Tool(kToolSelect);
  Click(tool, view, {100, 130});
  EXPECT_EQ(g_nODOriginNode, 4);
  Click(tool, view, {300, 130});
  EXPECT_EQ(g_SelectedNodes, (std::vector<CDrawNode*>{a, b}));
  EXPECT_EQ(a->m_nSelectMark, 0);
  EXPECT_EQ(b->m_nSelectMark, 1);
  EXPECT_EQ(g_nODOriginNode, 7);
  // Clicking them again and again never grows the list.
  for (int i = 0; i < 50; ++i)
    Click(tool, view, {i % 2 ? 100 : 300, 130});
  EXPECT_EQ(g_SelectedNodes.size(), 2u);
  EXPECT_EQ(a->m_nSelectMark, 1);
  EXPECT_EQ(g_SelectedNodes.back(), a);
  // Each click shows the node's rows and repaints every view; no capture.
  EXPECT_EQ(hooks.nodeRows.size(), 52u);
  EXPECT_EQ(hooks.nodeRows.back()[0], (PropertyRow{"Node ID", "100"}));
  EXPECT_EQ(hooks.repaints, 52);
  EXPECT_FALSE(view.capture);
}

TEST_F(Select, LinksClicksAndMisses)
{
  CDrawNode* node = AddNode(0, 0);
  CDrawLine* link = AddLink({0, 100}, {400, 100});
  CDrawTool& tool = Tool(kToolSelect);
  view.model.m_nSelectKind = kSelectLink;
  // Near the node but 100 from the link: with links chosen nothing is found,
  // and the selection is cleared.
  SelectNode(node);
  Click(tool, view, {0, 30});
  EXPECT_TRUE(g_SelectedNodes.empty());
  EXPECT_EQ(node->m_nSelectMark, 0);
  EXPECT_EQ(hooks.repaints, 1);
  // On the link.
  Click(tool, view, {200, 131});
  EXPECT_EQ(g_SelectedLinks, std::vector<CDrawLine*>{link});
  EXPECT_EQ(link->m_nSelectMark, 2);
  EXPECT_EQ(hooks.linkInfo, 1);
  // Again on the selected link: the selection stays, the rows show again.
  g_SelectedLinks.push_back(link);  // would be lost by a new selection
  Click(tool, view, {210, 131});
  EXPECT_EQ(g_SelectedLinks.size(), 2u);
  EXPECT_EQ(hooks.linkInfo, 2);
  // Farther than 25 from every link: the three lists are emptied.
  Click(tool, view, {200, 400});
  EXPECT_TRUE(g_SelectedLinks.empty());
  EXPECT_EQ(link->m_nSelectMark, 0);
  EXPECT_EQ(hooks.linkInfo, 2);
}

TEST_F(Select, CamerasOpenTheirPictureEveryTime)
{
  CDrawCCTV* cam = AddCamera({100, 100}, "http://cam1.example/view");
  CDrawNode* node = AddNode(500, 500);
  SelectNode(node);
  view.model.m_nSelectKind = kSelectCamera;
  CDrawTool& tool = Tool(kToolSelect);
  Click(tool, view, {102, 131});
  EXPECT_EQ(g_SelectedCCTVs, std::vector<CDrawCCTV*>{cam});
  EXPECT_TRUE(g_SelectedNodes.empty());
  EXPECT_EQ(node->m_nSelectMark, 0);
  Click(tool, view, {100, 130});  // already the selected camera
  EXPECT_EQ(hooks.cameras,
            (std::vector<std::string>{"http://cam1.example/view", "http://cam1.example/view"}));
  EXPECT_EQ(cam->m_nShown, 1);
  // Farther than 5: nothing found, the selection cleared, no browser.
  Click(tool, view, {110, 130});
  EXPECT_TRUE(g_SelectedCCTVs.empty());
  EXPECT_EQ(hooks.cameras.size(), 2u);
  // A double click with cameras chosen finds nothing and clears.
  SelectCCTV(cam);
  tool.OnLButtonDblClk(view, kKeyLButton, {100, 130});
  EXPECT_TRUE(g_SelectedCCTVs.empty());
  EXPECT_EQ(hooks.cameras.size(), 2u);
}

TEST_F(Select, DoubleClickSelectsWithoutTakingTheOrigin)
{
  CDrawNode* a = AddNode(100, 100, 4);
  Tool(kToolSelect).OnLButtonDblClk(view, kKeyLButton, {100, 130});
  EXPECT_EQ(g_SelectedNodes, std::vector<CDrawNode*>{a});
  EXPECT_EQ(g_nODOriginNode, 0);
  EXPECT_EQ(hooks.nodeRows.size(), 1u);
}

TEST_F(Select, StatusTextNamesANodeWithin15)
{
  AddNode(100, 100, 6);
  struct Case
  {
    ScreenPoint at;
    const char* text;
  };
  const Case cases[] = {
      {{100, 130}, "Node:No.7"},  // on it: the OD key + 1
      {{115, 130}, "Node:No.7"},  // exactly 15 away
      {{109, 142}, "Node:No.7"},  // 9, 12: 15
      {{116, 130}, ""},          {{400, 400}, ""},
  };
  for (const Case& c : cases) {
    Tool(kToolSelect).OnMouseMove(view, 0, c.at);
    EXPECT_EQ(hooks.status.back(), c.text) << c.at.x << "," << c.at.y;
  }
  // Whatever the select kind is.
  view.model.m_nSelectKind = kSelectLink;
  Tool(kToolSelect).OnMouseMove(view, 0, {100, 130});
  EXPECT_EQ(hooks.status.back(), "Node:No.7");
}

TEST(CameraAddresses, OnlyWebAndFileAddressesGoToTheBrowser)
{
  struct Case
  {
    const char* address;
    bool opened;
  };
  const Case cases[] = {
      {"http://cam1.example/view", true},
      {"HTTPS://cam.example:8443/live?id=3", true},
      {"file:///srv/cameras/12.html", true},
      {"javascript:alert(1)", false},
      {"cam1.example/view", false},
      {"http://cam.example/a b", false},
      {"http://cam.example/\n--new-window", false},
      {"-–help", false},
      {"http:", false},
      {"", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(CameraAddressProblem(c.address).empty(), c.opened) << c.address;
  EXPECT_NE(CameraAddressProblem("ftp://x").find("ftp://x"), std::string::npos);
}

}  // namespace
