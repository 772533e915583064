// Fixtures of the view-command and mouse-tool tests: a network built in the
// global arrays, a network view that records what the tools ask of it, and
// hooks that record what the tools ask of the rest of the console. Every
// global the tools change goes back to its start value at tear-down.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CDrawLine.h"
#include "CDrawObj.h"
#include "ConsoleState.h"
#include "DrawTool.h"
#include "GlobalArrays.h"
#include "PredictedPaths.h"
#include "ViewSelection.h"

namespace toolfix {

// A network view of 800 x 600 logical units whose device pixels are
// logical units (100 per inch): with the start transform a device point
// (x, y) is the world point (x, y - 30).
class RecordingView : public IToolView
{
public:
  NetworkViewModel model{ViewRole{}};
  LogicalMapping mapping{100.0, 100.0};
  int width = 800;
  int height = 600;
  bool capture = false;
  int invalidations = 0;
  std::vector<RubberBand> bands;

  NetworkViewModel& Model() override { return model; }
  const NetworkViewModel& Model() const override { return model; }
  LogicalMapping Mapping() const override { return mapping; }
  int ClientWidthLogical() const override { return width; }
  int ClientHeightLogical() const override { return height; }
  void SetCapture() override { capture = true; }
  void ReleaseCapture() override { capture = false; }
  bool HasCapture() const override { return capture; }
  void Invalidate() override { ++invalidations; }
  void SetRubberBand(const RubberBand& band) override { bands.push_back(band); }
  RubberBand Band() const { return bands.empty() ? RubberBand{} : bands.back(); }
};

// What the tools asked of the console.
struct RecordedHooks
{
  std::vector<std::string> status;
  std::vector<std::vector<PropertyRow>> nodeRows;
  int linkInfo = 0;
  std::vector<std::string> cameras;
  std::vector<std::pair<int, int>> odPairs;
  int repaints = 0;

  void Install()
  {
    g_ToolHooks.showStatus = [this](const std::string& t) { status.push_back(t); };
    g_ToolHooks.showNodeProperties = [this](const std::vector<PropertyRow>& r) { nodeRows.push_back(r); };
    g_ToolHooks.showLinkInfo = [this] { ++linkInfo; };
    g_ToolHooks.openCamera = [this](const std::string& a) { cameras.push_back(a); };
    g_ToolHooks.showODPair = [this](int o, int d) { odPairs.emplace_back(o, d); };
    g_ToolHooks.repaintViews = [this] { ++repaints; };
  }
};

// The global arrays, the selection and the shared tool state, emptied and
// put back to their start values around each test.
class NetworkTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    Reset();
    hooks.Install();
  }
  void TearDown() override { Reset(); }

  static void Reset()
  {
    g_ToolHooks = ToolHooks{};
    g_SelectedNodes.clear();
    g_SelectedLinks.clear();
    g_SelectedCCTVs.clear();
    g_NodeArray.RemoveAll();
    g_LineArray.RemoveAll();
    g_ZoneArray.RemoveAll();
    g_CCTVArray.RemoveAll();
    g_LinkShapeRatio = 0.0;
    g_nToolMode = kToolZoomBox;
    g_nODStep = 0;
    g_nPathModeOn = 1;
    g_nPathModeKind = -1;
    g_nODOriginNode = 0;
    g_nODDestinationNode = 0;
    g_nOriginZone = 1;
    g_nDestinationZone = 2;
    g_bDataLoaded = false;
    LockedPathLists paths = g_PredictedPaths.Lock();
    paths.List(0).RemoveAll();
    paths.List(1).RemoveAll();
  }

  // A node at a world point, with its OD key.
  static CDrawNode* AddNode(double x, double y, int odKey = 0)
  {
    auto* n = new CDrawNode;
    n->m_ptPos = {x, y};
    n->m_nODKey = odKey;
    n->m_nNodeNumber = 100 + g_NodeArray.GetSize();
    n->m_nIndex = g_NodeArray.Add(n);
    return n;
  }
  // A straight link between two world points.
  static CDrawLine* AddLink(WorldPoint from, WorldPoint to, int fromNode = 1, int toNode = 2)
  {
    auto* l = new CDrawLine;
    l->SetShape({from, to});
    l->m_nFromNode = fromNode;
    l->m_nToNode = toNode;
    g_LineArray.Add(l);
    return l;
  }
  // A square zone with its top-left corner at (x, y).
  static void AddSquareZone(int x, int y, int side)
  {
    auto* z = new CODZone;
    for (IntPoint p :
         {IntPoint{x, y}, IntPoint{x + side, y}, IntPoint{x + side, y + side}, IntPoint{x, y + side}})
      z->AddPoint(p);
    g_ZoneArray.Add(z);
  }
  static CDrawCCTV* AddCamera(WorldPoint icon, const std::string& address)
  {
    auto* c = new CDrawCCTV;
    c->m_ptIcon = icon;
    c->m_szAddress = address;
    g_CCTVArray.Add(c);
    return c;
  }

  RecordingView view;
  RecordedHooks hooks;
};

// A click of a tool: press and release at one device point.
inline void Click(CDrawTool& tool, IToolView& view, ScreenPoint p)
{
  tool.OnLButtonDown(view, kKeyLButton, p);
  tool.OnLButtonUp(view, 0, p);
}

// A drag of a tool: press, moves to each point, release at the last.
inline void Drag(CDrawTool& tool, IToolView& view, ScreenPoint from, std::vector<ScreenPoint> moves)
{
  tool.OnLButtonDown(view, kKeyLButton, from);
  for (ScreenPoint p : moves)
    tool.OnMouseMove(view, kKeyLButton, p);
  tool.OnLButtonUp(view, 0, moves.empty() ? from : moves.back());
}

inline CDrawTool& Tool(int mode)
{
  return *CDrawTool::FindTool(mode);
}

}  // namespace toolfix
