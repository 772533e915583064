// The network views' mouse tools and commands in the running console: a
// dragged zoom box, a clicked link's property rows, a pan taken back by
// Previous, the rubber band drawn over the cached picture, the select
// tool's status text, a camera click, the OD pick, and both exports through
// the frame's commands.
#include <gtest/gtest.h>

#include <QLabel>
#include <QMouseEvent>

#include "CComponentView.h"
#include "CDrawLine.h"
#include "CLogicView.h"
#include "ConsoleWindows.h"
#include "GlobalArrays.h"
#include "ResultStores.h"
#include "TempFiles.h"
#include "UiFixtures.h"
#include "ViewMouse.h"
#include "ViewSelection.h"

using uitest::Console;
using uitest::DragIn;
using uitest::GeneratedRunDir;
using uitest::Mouse;
using uitest::Pixel;
using uitest::PixelOf;
using uitest::VisibleLink;

namespace {

class ViewTools : public uitest::ConsoleTest
{
protected:
  void SetUp() override
  {
    ConsoleTest::SetUp();
    LoadData();
    view = g_pEstimationView;
    view->RenderIfNeeded();
  }
  QImage Grab() { return view->viewport()->grab().toImage(); }

  CLogicView* view = nullptr;
};

TEST_F(ViewTools, ADraggedZoomBoxFillsTheViewWithTheBox)
{
  frame().ToolbarAction(kCmdZoomIn)->trigger();
  const QPoint from(300, 260), to(120, 140);  // dragged up and to the left
  const IntPoint a = DeviceToWorldPoint(*view, {from.x(), from.y()});
  const IntPoint b = DeviceToWorldPoint(*view, {to.x(), to.y()});
  const ViewState before = view->Model().m_transform.State();
  DragIn(view, from, to);
  const ViewTransform& t = view->Model().m_transform;
  EXPECT_DOUBLE_EQ(t.State().scaleX, double(view->ClientWidthLogical()) / std::abs(b.x - a.x));
  EXPECT_DOUBLE_EQ(t.State().scaleY, t.State().scaleX);
  // The press point comes to the view's top-left corner.
  const ScreenPointD corner = t.WorldToScreenD({double(a.x), double(a.y)});
  EXPECT_NEAR(corner.x, 0.0, 1e-6);
  EXPECT_NEAR(corner.y, 0.0, 1e-6);
  EXPECT_EQ(view->Model().m_history.Index(), 1);
  EXPECT_EQ(view->CurrentRubberBand().kind, RubberBand::Kind::None);
  EXPECT_TRUE(frame().ToolbarAction(kCmdZoomIn)->isChecked());
  frame().ExecuteCommand(kCmdPreviousView);
  EXPECT_EQ(t.State(), before);
}

TEST_F(ViewTools, TheBandMovesOverTheCachedPictureWithoutDrawingItAgain)
{
  const qint64 picture = view->CachedImage().cacheKey();
  Mouse(view, QEvent::MouseButtonPress, {100, 100});
  view->RenderIfNeeded();  // the press repaints once
  const qint64 pressed = view->CachedImage().cacheKey();
  EXPECT_NE(pressed, picture);
  for (int x = 110; x <= 300; x += 10) {
    Mouse(view, QEvent::MouseMove, {x, 80 + x / 2});
    QApplication::processEvents();
  }
  EXPECT_EQ(view->CachedImage().cacheKey(), pressed);
  EXPECT_EQ(view->CurrentRubberBand(), (RubberBand{RubberBand::Kind::FocusRect, {100, 100}, {300, 230}}));
  // The rectangle's edge shows white dots over the network's picture.
  const QImage shown = Grab();
  int white = 0;
  for (int x = 100; x <= 300; ++x)
    white += Pixel(shown, x, 100) == 0xFFFFFFu;
  EXPECT_GT(white, 50);
  Mouse(view, QEvent::MouseButtonRelease, {300, 230});
  EXPECT_EQ(view->CurrentRubberBand().kind, RubberBand::Kind::None);
}

TEST_F(ViewTools, AClickedLinkShowsItsRows)
{
  frame().ToolbarAction(kCmdSelector)->trigger();
  frame().ToolbarAction(kCmdLinkSelection)->trigger();
  EXPECT_EQ(g_pPredictionView1->Model().m_nSelectKind, kSelectLink);  // all three views
  QPoint middle;
  CDrawLine* link = VisibleLink(view, middle);
  ASSERT_NE(link, nullptr);
  Mouse(view, QEvent::MouseButtonPress, middle);
  Mouse(view, QEvent::MouseButtonRelease, middle);
  EXPECT_EQ(g_SelectedLinks, std::vector<CDrawLine*>{link});
  const std::vector<PropertyRow>& rows = g_pComponentView->PropertyRows();
  ASSERT_EQ(rows.size(), 10u);
  EXPECT_EQ(rows[0], (PropertyRow{"Link ID", std::to_string(link->m_nIndex + 1)}));
  EXPECT_EQ(rows[1], (PropertyRow{"From Node", std::to_string(link->m_nFromNode)}));
  EXPECT_EQ(rows[2], (PropertyRow{"To Node", std::to_string(link->m_nToNode)}));
  // The selected link is drawn orange in every view.
  for (CLogicView* v : {g_pEstimationView, g_pPredictionView0}) {
    v->RenderIfNeeded();
    QPoint m;
    const WorldPoint a = link->m_pPoints.front(), b = link->m_pPoints.back();
    m = PixelOf(v, {(a.x + b.x) / 2, (a.y + b.y) / 2});
    bool orange = false;
    for (int dy = -3; dy <= 3; ++dy)
      for (int dx = -3; dx <= 3; ++dx)
        orange = orange || Pixel(v->CachedImage(), m.x() + dx, m.y() + dy) == 0xFF6600u;
    EXPECT_TRUE(orange) << v->accessibleName().toStdString();
  }
}

TEST_F(ViewTools, PanAndPreviousGiveBackThePicture)
{
  const QImage before = Grab();
  frame().ToolbarAction(kCmdPan)->trigger();
  EXPECT_TRUE(frame().ToolbarAction(kCmdPan)->isChecked());
  DragIn(view, {200, 200}, {260, 240});
  const QImage moved = Grab();
  EXPECT_NE(moved, before);
  EXPECT_EQ(view->Model().m_history.Index(), 1);
  frame().ToolbarAction(kCmdPreviousView)->trigger();
  EXPECT_EQ(Grab(), before);
  // The right button's release goes back too.
  DragIn(view, {200, 200}, {150, 150});
  EXPECT_NE(Grab(), before);
  Mouse(view, QEvent::MouseButtonPress, {10, 10}, Qt::RightButton);
  Mouse(view, QEvent::MouseButtonRelease, {10, 10}, Qt::RightButton);
  EXPECT_EQ(Grab(), before);
}

TEST_F(ViewTools, TheSelectToolNamesTheNodeUnderTheMouse)
{
  frame().ToolbarAction(kCmdSelector)->trigger();
  auto* pane = frame().findChild<QLabel*>("statusPane1");
  ASSERT_NE(pane, nullptr);
  CDrawNode* node = nullptr;
  for (const auto& n : g_NodeArray)
    if (view->viewport()->rect().adjusted(10, 50, -10, -60).contains(PixelOf(view, n->m_ptPos))) {
      node = n.get();
      break;
    }
  ASSERT_NE(node, nullptr);
  node->m_nODKey = 41;
  Mouse(view, QEvent::MouseMove, PixelOf(view, node->m_ptPos), Qt::NoButton);
  EXPECT_EQ(pane->text(), "Node:No.42");
  Mouse(view, QEvent::MouseMove, PixelOf(view, {node->m_ptPos.x + 40, node->m_ptPos.y + 40}), Qt::NoButton);
  EXPECT_EQ(pane->text(), "");
}

TEST_F(ViewTools, ACameraClickOpensItsAddressAsOneArgument)
{
  std::vector<std::string> opened;
  frame().SetCameraOpener([&](const std::string& a) {
    opened.push_back(a);
    return a.find("camera1") == std::string::npos;  // the first one fails to start
  });
  ASSERT_FALSE(g_CCTVArray.IsEmpty());
  CDrawCCTV* cam = g_CCTVArray[0];
  frame().ToolbarAction(kCmdSelector)->trigger();
  frame().ExecuteCommand(kCmdShowCCTV);
  view->Model().m_transform.SetState({});  // the camera where the tests can reach it
  view->Model().m_transform.m_state.offsetX = 50 - cam->m_ptIcon.x;
  view->Model().m_transform.m_state.offsetY = 80 - cam->m_ptIcon.y;
  const QPoint at = PixelOf(view, cam->m_ptIcon);
  Mouse(view, QEvent::MouseButtonPress, at);
  Mouse(view, QEvent::MouseButtonRelease, at);
  EXPECT_EQ(opened, std::vector<std::string>{cam->m_szAddress});
  EXPECT_EQ(g_SelectedCCTVs, std::vector<CDrawCCTV*>{cam});
  ASSERT_EQ(console->messages.size(), 1u);
  EXPECT_NE(console->messages[0].find(cam->m_szAddress), std::string::npos);
  // An address that is no web or file address never reaches the opener.
  cam->m_szAddress = "--new-window javascript:x";
  Mouse(view, QEvent::MouseButtonPress, at);
  Mouse(view, QEvent::MouseButtonRelease, at);
  EXPECT_EQ(opened.size(), 1u);
  EXPECT_EQ(console->messages.size(), 2u);
}

TEST_F(ViewTools, TheODPickChoosesTwoZones)
{
  // Two zones side by side around the view's middle.
  const WorldPoint mid = uitest::AddTwoZones(view);
  std::vector<std::pair<int, int>> shown;
  g_ToolHooks.showODPair = [&](int o, int d) { shown.emplace_back(o, d); };
  frame().ToolbarAction(kCmdODDemandSelection)->trigger();
  EXPECT_TRUE(frame().ToolbarAction(kCmdODDemandSelection)->isChecked());
  const QPoint in0 = PixelOf(view, {mid.x - 200, mid.y}), in1 = PixelOf(view, {mid.x + 200, mid.y});
  DragIn(view, in1, in0);
  EXPECT_EQ(shown, (std::vector<std::pair<int, int>>{{1, 0}}));
  EXPECT_EQ(g_nOriginZone, 1);
  EXPECT_EQ(g_nDestinationZone, 0);
  // Released where pressed: the selection tool takes over.
  DragIn(view, in0, in0);
  EXPECT_EQ(shown.size(), 1u);
  EXPECT_TRUE(frame().ToolbarAction(kCmdSelector)->isChecked());
  g_ZoneArray.RemoveAll();
}

TEST_F(ViewTools, ExportsWriteTheChosenFileOrSayWhyNot)
{
  std::string chosen;
  frame().SetExportFileChooser([&](QWidget*, const std::string&) { return chosen; });
  EXPECT_FALSE(frame().ExecuteCommand(kCmdExportODDemand));  // greyed in state 0
  frame().m_nSystemState = 5;
  EXPECT_FALSE(frame().ExecuteCommand(kCmdExportODDemand));  // and in 5
  frame().m_nSystemState = 3;
  g_PredictionClock.nWindowStart = 1;
  g_PredictionClock.nWindowEnd = 2;

  chosen = run.path() + "/od.txt";
  EXPECT_TRUE(frame().ExecuteCommand(kCmdExportODDemand));
  EXPECT_EQ(ReadAll(chosen), "         0           0.00\n");

  // The link export needs a link.
  EXPECT_TRUE(frame().ExecuteCommand(kCmdExportLinkPerformance));
  EXPECT_EQ(console->messages, std::vector<std::string>{"Please select a link."});
  CDrawLine* first = g_LineArray[0];
  CDrawLine* second = g_LineArray[1];
  view->SelectLink(first);
  view->SelectLink(second);
  chosen = run.path() + "/link.txt";
  frame().ExecuteCommand(kCmdExportLinkPerformance);
  EXPECT_EQ(ReadAll(chosen), "Link " + std::to_string(second->m_nFromNode) + " ->" +
                                 std::to_string(second->m_nToNode) + "  120 mins\n" +
                                 "Time(min)  OBS              NOW-SIM             FORE-SIM\n"
                                 "         1           0.00           0.00\n"
                                 "         2           0.00           0.00           0.00\n");
  // A file that cannot be written is named; a cancelled dialog writes nothing.
  chosen = run.path() + "/missing/link.txt";
  frame().ExecuteCommand(kCmdExportLinkPerformance);
  ASSERT_EQ(console->messages.size(), 2u);
  EXPECT_NE(console->messages[1].find("missing/link.txt"), std::string::npos);
  chosen.clear();
  frame().ExecuteCommand(kCmdExportODDemand);
  EXPECT_EQ(console->messages.size(), 2u);
  g_PredictionClock = ClockRecord{};
}

}  // namespace
