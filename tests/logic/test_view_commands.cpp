// The network views' commands without widgets: the selection operations,
// step zoom, the same view for prediction, the path modes, Specify Origin
// and Destination, every view command as the window runs it, the two export
// texts byte for byte and their file, and the command rules of the view
// commands.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "CProject.h"
#include "CommaLocale.h"
#include "Commands.h"
#include "TempFiles.h"
#include "ViewCommands.h"
#include "ViewExports.h"
#include "ViewToolFixtures.h"

using namespace toolfix;

namespace {

// ---- selection ----------------------------------------------------------------

class Selection : public NetworkTest
{};

TEST_F(Selection, NodesLinksAndCamerasKeepTheirListsAndMarks)
{
  CDrawNode* a = AddNode(0, 0);
  CDrawNode* b = AddNode(10, 0);
  CDrawLine* l1 = AddLink({0, 0}, {10, 0});
  CDrawLine* l2 = AddLink({10, 0}, {20, 0});
  CDrawCCTV* cam = AddCamera({5, 5}, "http://c");

  // A link, then a node: the link stays listed with its mark cleared, so
  // the export and the charts still name it.
  EXPECT_TRUE(SelectLink(l1));
  EXPECT_TRUE(SelectNode(a));
  EXPECT_EQ(g_SelectedLinks, std::vector<CDrawLine*>{l1});
  EXPECT_EQ(l1->m_nSelectMark, 0);
  EXPECT_EQ(SelectedLink(), l1);
  // A second node: two listed, only the second marked; the first again
  // moves to the end instead of being listed twice.
  SelectNode(b);
  EXPECT_EQ(g_SelectedNodes, (std::vector<CDrawNode*>{a, b}));
  EXPECT_EQ(a->m_nSelectMark, 0);
  EXPECT_EQ(b->m_nSelectMark, 1);
  SelectNode(a);
  EXPECT_EQ(g_SelectedNodes, (std::vector<CDrawNode*>{b, a}));
  EXPECT_FALSE(SelectNode(nullptr));  // marks cleared, lists kept
  EXPECT_EQ(a->m_nSelectMark, 0);
  EXPECT_EQ(g_SelectedNodes.size(), 2u);

  // A link empties both lists.
  SelectLink(l2);
  EXPECT_TRUE(g_SelectedNodes.empty());
  EXPECT_EQ(g_SelectedLinks, std::vector<CDrawLine*>{l2});
  EXPECT_EQ(l2->m_nSelectMark, 2);
  // The link named now is the last listed one.
  g_SelectedLinks.insert(g_SelectedLinks.begin(), l1);
  EXPECT_EQ(SelectedLink(), l2);

  // A camera empties all three lists and keeps every camera shown.
  cam->m_nShown = 0;
  g_SelectedCCTVs.push_back(cam);
  SelectCCTV(nullptr);
  EXPECT_EQ(cam->m_nShown, 1);
  EXPECT_TRUE(g_SelectedLinks.empty());
  EXPECT_EQ(l2->m_nSelectMark, 0);
  SelectCCTV(cam);
  EXPECT_TRUE(IsSelectedCamera(cam));

  // Deselecting removes from the list and leaves the mark.
  SelectNode(a);
  EXPECT_TRUE(DeselectNode(a));
  EXPECT_FALSE(DeselectNode(a));
  EXPECT_EQ(a->m_nSelectMark, 1);
  SelectLink(l1);
  EXPECT_TRUE(DeselectLink(l1));
  EXPECT_EQ(l1->m_nSelectMark, 2);
  EXPECT_EQ(SelectedLink(), nullptr);

  SelectNode(a);
  g_SelectedLinks.push_back(l1);
  ClearSelection();
  EXPECT_TRUE(g_SelectedNodes.empty() && g_SelectedLinks.empty() && g_SelectedCCTVs.empty());
  EXPECT_EQ(a->m_nSelectMark, 0);
  EXPECT_EQ(l1->m_nSelectMark, 0);
}

// ---- transform commands ---------------------------------------------------------

TEST(ViewCommands, ZoomInThenOutKeepsTheScalesAndTwoHistoryEntries)
{
  NetworkViewModel view(ViewRole{});
  ZoomViewStep(view, 801, 601, kZoomStepFactor);
  EXPECT_DOUBLE_EQ(view.m_transform.State().scaleX, 1.2);
  EXPECT_EQ(view.m_transform.State().centerX, 400.0);  // halves truncated
  EXPECT_EQ(view.m_transform.State().centerY, 300.0);
  ZoomViewStep(view, 801, 601, 1.0 / kZoomStepFactor);
  EXPECT_NEAR(view.m_transform.State().scaleX, 1.0, 1e-12);
  EXPECT_NEAR(view.m_transform.State().scaleY, 1.0, 1e-12);
  EXPECT_EQ(view.m_history.Index(), 2);
  EXPECT_DOUBLE_EQ(view.m_history.At(1).scaleX, 1.2);
  EXPECT_TRUE(view.PopView());
  EXPECT_DOUBLE_EQ(view.m_transform.State().scaleX, 1.2);
}

TEST(ViewCommands, SameViewForPredictionCopiesTheEstimationViewButNotTheAngle)
{
  NetworkViewModel est(ViewRole{kViewCurrentCondition, 0});
  NetworkViewModel p0(ViewRole{kViewPrediction0, 1});
  NetworkViewModel p1(ViewRole{kViewPrediction1, 3});
  est.m_transform.SetState({12, 34, 2, 3, 100, 200});
  p0.m_transform.m_dAngle = 0.5;
  SameViewForPrediction({&est, &p0, &p1});
  EXPECT_EQ(p0.m_transform.State(), est.m_transform.State());
  EXPECT_EQ(p1.m_transform.State(), est.m_transform.State());
  EXPECT_EQ(p0.m_transform.m_dAngle, 0.5);
  EXPECT_EQ(p0.m_history.Index(), 0);
  SameViewForPrediction({nullptr, &p0, &p1});  // no estimation view: nothing
}

class PathModes : public NetworkTest
{};

TEST_F(PathModes, UEAndSOToggleTheModeAndTheTool)
{
  struct Step
  {
    int kind;
    int on, modeKind, toolMode;  // after the command
  };
  // The frame's rule cleared the flag at start (the tool is not the path mode).
  g_nPathModeOn = 0;
  const Step steps[] = {
      {kPathModeUE, 1, kPathModeUE, kToolPathMode},
      {kPathModeSO, 1, kPathModeSO, kToolPathMode},  // SO leaves a UE mode on, now SO
      {kPathModeSO, 0, kPathModeSO, kToolPan},       // a second SO turns it off
      {kPathModeUE, 0, kPathModeSO, kToolPan},       // UE does not toggle an SO kind
      {kPathModeSO, 1, kPathModeSO, kToolPathMode},
  };
  LockedPathLists paths = g_PredictedPaths.Lock();
  for (const Step& s : steps) {
    RunPathMode(s.kind, paths, 0);
    EXPECT_EQ(g_nPathModeOn, s.on);
    EXPECT_EQ(g_nPathModeKind, s.modeKind);
    EXPECT_EQ(g_nToolMode, s.toolMode);
  }
}

class ODCommands : public NetworkTest
{};

TEST_F(ODCommands, OriginAndDestination)
{
  CDrawNode* a = AddNode(0, 0, 11);
  CDrawNode* b = AddNode(10, 0, 22);
  CDrawNode* c = AddNode(20, 0, 33);
  c->m_bDestination = true;
  {
    LockedPathLists paths = g_PredictedPaths.Lock();
    paths.List(0).Add(new CPath);
  }
  SelectNode(a);
  SelectNode(b);
  LockedPathLists paths = g_PredictedPaths.Lock();
  SpecifyOrigin(paths);
  EXPECT_TRUE(paths.List(0).IsEmpty());
  EXPECT_TRUE(a->m_bOrigin && b->m_bOrigin);
  EXPECT_FALSE(c->m_bDestination);
  EXPECT_EQ(b->m_nSelectMark, 0);
  EXPECT_EQ(g_nODOriginNode, 22);
  EXPECT_TRUE(g_SelectedNodes.empty());

  // A destination needs a highlighted selected node.
  SelectNode(c);
  EXPECT_FALSE(SpecifyDestination(paths, 0));
  EXPECT_EQ(g_nODDestinationNode, -1);
  EXPECT_FALSE(a->m_bOrigin);  // the marks cleared
  EXPECT_EQ(c->m_nSelectMark, 0);
  EXPECT_TRUE(g_SelectedNodes.empty());

  c->m_nHighlight = 1;
  SelectNode(b);
  SelectNode(c);
  EXPECT_TRUE(SpecifyDestination(paths, 0));
  EXPECT_EQ(g_nODDestinationNode, 33);
  EXPECT_TRUE(c->m_bDestination);
  EXPECT_FALSE(b->m_bDestination);
  EXPECT_EQ(c->m_nSelectMark, 0);
  EXPECT_TRUE(g_SelectedNodes.empty());
}

// ---- exports ------------------------------------------------------------------

class Exports : public NetworkTest
{
protected:
  // A link 7 -> 9 whose densities are 100 x source + minute / 100.
  CDrawLine* DensityLink()
  {
    CDrawLine* l = AddLink({0, 0}, {1, 0}, 7, 9);
    for (int source : {0, 1, 2})
      for (int t = 0; t < kStoreMinutes; ++t)
        l->SetSeries(0, source, t, 100.0 * source + t / 100.0);
    return l;
  }
  static ClockRecord Window(int start, int end)
  {
    ClockRecord c;
    c.nWindowStart = start;
    c.nWindowEnd = end;
    return c;
  }
};

TEST_F(Exports, LinkPerformanceByteForByte)
{
  CDrawLine* l = DensityLink();
  const std::string head = "Link 7 ->9  120 mins\n"
                           "Time(min)  OBS              NOW-SIM             FORE-SIM\n";
  EXPECT_EQ(LinkPerformanceText(*l, 120, Window(0, 0)), head);
  // Rows 1 to 10 with observation and estimation, 11 and 12 with the
  // prediction too.
  const std::string expected = head + "         1         200.01           0.01\n"
                                      "         2         200.02           0.02\n"
                                      "         3         200.03           0.03\n"
                                      "         4         200.04           0.04\n"
                                      "         5         200.05           0.05\n"
                                      "         6         200.06           0.06\n"
                                      "         7         200.07           0.07\n"
                                      "         8         200.08           0.08\n"
                                      "         9         200.09           0.09\n"
                                      "        10         200.10           0.10\n"
                                      "        11         200.11           0.11         100.11\n"
                                      "        12         200.12           0.12         100.12\n";
  EXPECT_EQ(LinkPerformanceText(*l, 120, Window(10, 12)), expected);
  // The rows stop at the series' last minute.
  const std::string all = LinkPerformanceText(*l, 120, Window(0, 9000));
  EXPECT_EQ(std::count(all.begin(), all.end(), '\n'), 2 + 4999);
  EXPECT_NE(all.find("      4999         249.99          49.99         149.99\n"), std::string::npos);
  // Whatever the locale's decimal separator.
  CommaLocale comma;
  if (comma.Active()) {
    EXPECT_EQ(LinkPerformanceText(*l, 120, Window(10, 12)), expected);
  }
}

TEST_F(Exports, ODDemandByteForByte)
{
  CProject& p = g_Project;
  const bool hadTable = static_cast<bool>(p.m_ODTable);
  if (!hadTable)
    p.m_ODTable.reset(
        static_cast<double*>(std::calloc(std::size_t{kODSlots} * kMaxZones * kMaxZones, sizeof(double))));
  for (int slot = 0; slot < kODSlots; ++slot)
    p.SetODEntry(slot, 52, 40, slot + 0.5);
  p.SetODEntry(0, 40, 52, 999.0);  // not the exported pair
  EXPECT_EQ(ODDemandText(p, Window(0, 0)), "         0           0.50\n");
  EXPECT_EQ(ODDemandText(p, Window(3, 7)), "         0           0.50\n"
                                           "         1           1.50\n");
  EXPECT_EQ(ODDemandText(p, Window(0, 10)), "         0           0.50\n"
                                            "         1           1.50\n"
                                            "         2           2.50\n");
  EXPECT_EQ(ODDemandText(p, Window(0, -1)), "");
  // The rows stop at the table's last slot.
  const std::string all = ODDemandText(p, Window(0, 4999));
  EXPECT_EQ(std::count(all.begin(), all.end(), '\n'), kODSlots);
  EXPECT_NE(all.find("       299         299.50\n"), std::string::npos);
  if (!hadTable)
    p.m_ODTable.reset();
}

TEST_F(Exports, FileIsReplacedOrTheFailureNamed)
{
  TempDir dir;
  const std::string path = dir.File("link.txt");
  WriteAll(path, "an older and longer export that must not survive\n");
  std::string error;
  ASSERT_TRUE(WriteExportFile(path, "abc\n", error)) << error;
  EXPECT_EQ(ReadAll(path), "abc\n");
  EXPECT_FALSE(WriteExportFile(dir.File("no/such/dir/x.txt"), "abc", error));
  EXPECT_NE(error.find("no/such/dir/x.txt"), std::string::npos);
  EXPECT_NE(error.find("cannot be written"), std::string::npos);
}

// ---- the commands as the window runs them -------------------------------------

class ViewCommandRuns : public NetworkTest
{
protected:
  NetworkViewModel est{ViewRole{kViewCurrentCondition, 0}};
  NetworkViewModel p0{ViewRole{kViewPrediction0, 1}};
  NetworkViewModel p1{ViewRole{kViewPrediction1, 3}};
  // Prediction view 0 receives the command.
  ViewCommandTarget Target() { return {p0, {&est, &p0, &p1}, 800, 600}; }
};

// The tools, the selection kinds and the layers: what each command changes
// and what the window then draws again.
TEST_F(ViewCommandRuns, ToolsSelectKindsAndLayers)
{
  struct Case
  {
    int id;
    ViewCommandStep step;
    int toolMode;
    int kinds[3];                 // select kinds of the estimation view, prediction views 0 and 1
    bool zones, detectors, cctv;  // of prediction view 0
    int odStep;
  };
  using S = ViewCommandStep;
  const int p = kToolPathMode;
  // From: the path mode, the OD pick's second step, link, node, link
  // selection, every layer of prediction view 0 off.
  const Case cases[] = {
      {kCmdZoomIn, S::kNothing, kToolZoomBox, {1, 0, 1}, false, false, false, 2},
      {kCmdPan, S::kNothing, kToolPan, {1, 0, 1}, false, false, false, 2},
      {kCmdSelector, S::kNothing, kToolSelect, {1, 0, 1}, false, false, false, 2},
      {kCmdODDemandSelection, S::kRepaintView, kToolODPick, {1, 0, 1}, true, false, false, 0},
      {kCmdNodeSelection, S::kNothing, p, {0, 0, 0}, false, false, false, 2},
      {kCmdLinkSelection, S::kNothing, p, {1, 1, 1}, false, false, false, 2},
      {kCmdShowCCTV, S::kNothing, kToolSelect, {1, 2, 1}, false, false, false, 2},
      {kCmdShowDetectors, S::kRepaintView, p, {1, 0, 1}, false, true, false, 2},
      {kCmdShowCCTVs, S::kRepaintView, p, {1, 0, 1}, false, false, true, 2},
      {kCmdODZone, S::kRepaintView, p, {1, 0, 1}, true, false, false, 2},
      {kCmdExportLinkPerformance, S::kExport, p, {1, 0, 1}, false, false, false, 2},
      {kCmdExportODDemand, S::kExport, p, {1, 0, 1}, false, false, false, 2},
      {kCmdSpecifyOrigin, S::kSpecifyOrigin, p, {1, 0, 1}, false, false, false, 2},
      {kCmdSpecifyDestination, S::kSpecifyDestination, p, {1, 0, 1}, false, false, false, 2},
      {kCmdPreviousView, S::kNothing, p, {1, 0, 1}, false, false, false, 2},  // nothing stored yet
      {kCmdVehicle, S::kNothing, p, {1, 0, 1}, false, false, false, 2},       // no view command
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    g_nToolMode = kToolPathMode;
    g_nODStep = 2;
    est.m_nSelectKind = kSelectLink;
    p0.m_nSelectKind = kSelectNode;
    p1.m_nSelectKind = kSelectLink;
    p0.m_bShowZones = p0.m_bShowDetectors = p0.m_bShowCCTV = false;
    EXPECT_EQ(ApplyViewCommand(c.id, Target()), c.step);
    EXPECT_EQ(g_nToolMode, c.toolMode);
    EXPECT_EQ(est.m_nSelectKind, c.kinds[0]);
    EXPECT_EQ(p0.m_nSelectKind, c.kinds[1]);
    EXPECT_EQ(p1.m_nSelectKind, c.kinds[2]);
    EXPECT_EQ(p0.m_bShowZones, c.zones);
    EXPECT_EQ(p0.m_bShowDetectors, c.detectors);
    EXPECT_EQ(p0.m_bShowCCTV, c.cctv);
    EXPECT_EQ(g_nODStep, c.odStep);
    EXPECT_EQ(p0.m_transform.State(), ViewState{});
  }
  // A layer command toggles: a second Detectors turns the layer off.
  ApplyViewCommand(kCmdShowDetectors, Target());
  ApplyViewCommand(kCmdShowDetectors, Target());
  EXPECT_FALSE(p0.m_bShowDetectors);
  EXPECT_FALSE(est.m_bShowDetectors);
}

TEST_F(ViewCommandRuns, ZoomsHistoryAndTheSameViewForPrediction)
{
  using S = ViewCommandStep;
  EXPECT_EQ(ApplyViewCommand(kCmdZoomInStep, Target()), S::kRepaintView);
  EXPECT_DOUBLE_EQ(p0.m_transform.State().scaleX, 1.2);
  EXPECT_DOUBLE_EQ(p0.m_transform.State().centerX, 400.0);
  EXPECT_DOUBLE_EQ(p0.m_transform.State().centerY, 300.0);
  EXPECT_EQ(ApplyViewCommand(kCmdZoomOut, Target()), S::kRepaintView);
  EXPECT_NEAR(p0.m_transform.State().scaleX, 1.0, 1e-12);
  EXPECT_EQ(p0.m_history.Index(), 2);
  EXPECT_EQ(ApplyViewCommand(kCmdPreviousView, Target()), S::kRepaintView);
  EXPECT_DOUBLE_EQ(p0.m_transform.State().scaleX, 1.2);
  EXPECT_EQ(est.m_transform.State(), ViewState{});  // only the view that received it

  est.m_transform.SetState({5, 6, 2, 2, 100, 200});
  EXPECT_EQ(ApplyViewCommand(kCmdSameViewForPrediction, Target()), S::kRepaintAllViews);
  EXPECT_EQ(p0.m_transform.State(), est.m_transform.State());
  EXPECT_EQ(p1.m_transform.State(), est.m_transform.State());

  EXPECT_EQ(ApplyViewCommand(kCmdResetView, Target()), S::kRepaintView);
  EXPECT_EQ(p0.m_transform.State(), (ViewState{0, 30, 1, 1, 100, 200}));  // the centre stays
  EXPECT_EQ(p0.m_history.Index(), 0);
}

TEST_F(ViewCommandRuns, PathModesRunOnTheSharedFlags)
{
  g_nPathModeOn = 0;  // as the frame's rule leaves it outside the path mode
  EXPECT_EQ(ApplyViewCommand(kCmdViewSOPaths, Target()), ViewCommandStep::kRepaintView);
  EXPECT_EQ(g_nToolMode, kToolPathMode);
  EXPECT_EQ(g_nPathModeKind, kPathModeSO);
  EXPECT_EQ(ApplyViewCommand(kCmdViewSOPaths, Target()), ViewCommandStep::kRepaintView);
  EXPECT_EQ(g_nToolMode, kToolPan);
  EXPECT_EQ(ApplyViewCommand(kCmdViewUEPaths, Target()), ViewCommandStep::kRepaintView);
  EXPECT_EQ(g_nToolMode, kToolPan);  // UE does not toggle an SO kind
}

// ---- command rules of the views -----------------------------------------------

TEST(ViewCommandRules, OverToolModesSelectKindsStatesAndData)
{
  ActiveViewState v;
  v.present = true;
  for (int tool = 0; tool <= 4; ++tool)
    for (int kind = 0; kind <= 2; ++kind)
      for (int state : {0, 1, 2, 3, 4, 5, 6, 100})
        for (bool data : {false, true}) {
          SCOPED_TRACE(testing::Message()
                       << "tool " << tool << " kind " << kind << " state " << state << " data " << data);
          AppState a;
          a.projectLoaded = data;
          a.dataLoaded = data;
          a.systemState = state;
          a.toolMode = tool;
          v.selectKind = kind;
          const bool nodeOrLinkOffered = tool == 0 || tool == 2;
          EXPECT_EQ(CommandRule(kCmdNodeSelection, a, v),
                    (CommandUi{nodeOrLinkOffered, CommandMark::Check, kind == 0}));
          EXPECT_EQ(CommandRule(kCmdLinkSelection, a, v),
                    (CommandUi{nodeOrLinkOffered, CommandMark::Check, kind == 1}));
          EXPECT_EQ(CommandRule(kCmdShowCCTV, a, v), (CommandUi{true, CommandMark::Check, kind == 2}));
          EXPECT_EQ(CommandRule(kCmdZoomIn, a, v), (CommandUi{true, CommandMark::Radio, tool == 0}));
          EXPECT_EQ(CommandRule(kCmdPan, a, v), (CommandUi{true, CommandMark::Radio, tool == 1}));
          EXPECT_EQ(CommandRule(kCmdSelector, a, v), (CommandUi{true, CommandMark::Radio, tool == 2}));
          EXPECT_EQ(CommandRule(kCmdODDemandSelection, a, v),
                    (CommandUi{data, CommandMark::Radio, data && tool == 3}));
          const bool exports = data && state == 3;  // greyed in every other state
          EXPECT_EQ(CommandRule(kCmdExportLinkPerformance, a, v).enabled, exports);
          EXPECT_EQ(CommandRule(kCmdExportODDemand, a, v).enabled, exports);
          for (int id : {kCmdZoomInStep, kCmdZoomOut, kCmdSameViewForPrediction, kCmdPreviousView,
                         kCmdResetView, kCmdViewUEPaths, kCmdShowCCTVs, kCmdShowDetectors, kCmdODZone})
            EXPECT_TRUE(CommandRule(id, a, v).enabled) << id;
          for (int id : {kCmdSpecifyOrigin, kCmdSpecifyDestination, kCmdUEPaths})
            EXPECT_FALSE(CommandRule(id, a, v).enabled) << id;
        }
  // Choosing a tool in one view marks it in every view: the mark reads
  // only the shared tool mode.
  AppState pan;
  pan.toolMode = kToolPan;
  ActiveViewState other = v;
  other.selectKind = 2;
  other.showZones = false;
  EXPECT_TRUE(CommandRule(kCmdPan, pan, v).checked);
  EXPECT_TRUE(CommandRule(kCmdPan, pan, other).checked);
}

}  // namespace
