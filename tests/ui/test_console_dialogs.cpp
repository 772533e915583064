// The operator dialogs and the information sheet in the running console
// (offscreen, the real frame in a generated run directory): each Input
// command opens its dialog when its rule allows, a dialog's link list
// selects in the views and the control panel, Plots shows and hides the
// sheet, RefreshPreviews repaints its charts, the sheet's link list selects
// the link, and the OD pick opens the sheet on its OD page.
#include <gtest/gtest.h>

#include <QTabWidget>

#include "CComponentView.h"
#include "CDlgIncident.h"
#include "CDlgScenarioMan.h"
#include "CDlgStrategySelction.h"
#include "CDlgVMSInput.h"
#include "CDlgWorkzone.h"
#include "CDrawObj.h"
#include "ConsoleDialogs.h"
#include "ConsoleWindows.h"
#include "DialogFixtures.h"
#include "DialogTestFixtures.h"
#include "InfoPreview.h"
#include "LinkPropertiesDlg.h"
#include "ModalDriver.h"
#include "PageExecutionStatus.h"
#include "PageODTable.h"
#include "PageTDLink.h"
#include "ResultStores.h"
#include "SheetInfoModeless.h"
#include "UiFixtures.h"
#include "ViewMouse.h"
#include "ViewSelection.h"
#include "WidgetProbes.h"

using uitest::Console;
using uitest::GeneratedRunDir;
using uitest::RunModal;

namespace {

class ConsoleDialogs : public uitest::ConsoleTest
{
protected:
  void SetUp() override
  {
    ConsoleTest::SetUp();
    BindInputDialogs(frame(), sender);
  }
  void TearDown() override
  {
    ConsoleTest::TearDown();
    ClearModuleFlags();
    g_EstimationClock = ClockRecord{};
  }
  CSheetInfoModeless* sheet() { return frame().findChild<CSheetInfoModeless*>(); }
  void Plots()
  {
    frame().ToolbarAction(kCmdPlots)->trigger();
    QApplication::processEvents();
  }
  // The project loaded and the sheet shown on a page (0 OD table, 1 link
  // information, ..., 4 execution status).
  CSheetInfoModeless* SheetOnPage(int page)
  {
    LoadData();
    Plots();
    CSheetInfoModeless* s = sheet();
    s->Pages()->setCurrentIndex(page);
    QApplication::processEvents();
    return s;
  }

  dialogs::RecordingSender sender;
};

TEST_F(ConsoleDialogs, EachInputCommandOpensItsDialogWhenItsRuleAllows)
{
  struct Case
  {
    int id;
    const char* title;
    bool needsRunningSystem;
    bool (*isIt)(QWidget*);
  };
  const Case cases[] = {
      {kCmdInputVMS, "VMS Data Input Dialog", true,
       [](QWidget* w) { return !!qobject_cast<CDlgVMSInput*>(w); }},
      {kCmdInputWorkzone, "Work Zone Input ", true,
       [](QWidget* w) { return !!qobject_cast<CDlgWorkzone*>(w); }},
      {kCmdInputIncident, "Incident Input", true,
       [](QWidget* w) { return !!qobject_cast<CDlgIncident*>(w); }},
      {kCmdNetworkModification, "Link Property Modification", false,
       [](QWidget* w) { return !!qobject_cast<LinkPropertiesDlg*>(w); }},
      {kCmdStrategySelection, "Strategy selection from FORESIM ", false,
       [](QWidget* w) { return !!qobject_cast<CDlgStrategySelction*>(w); }},
      {kCmdScenarioManagement, "Scenario Manager", false,
       [](QWidget* w) { return !!qobject_cast<CDlgScenarioMan*>(w); }},
  };
  // (loaded, state): before Load Data, loaded but not running, running.
  const std::pair<bool, int> phases[] = {{false, 0}, {true, 4}, {true, 5}};
  for (const auto& [loaded, state] : phases) {
    if (loaded && !g_bDataLoaded)
      LoadData();
    frame().m_nSystemState = state;
    frame().UpdateCommandUi();
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.title) + " loaded " + std::to_string(loaded) + " state " +
                   std::to_string(state));
      const bool offered = !c.needsRunningSystem || (loaded && state == 5);
      QAction* action = frame().MenuAction(c.id);
      ASSERT_NE(action, nullptr);
      EXPECT_EQ(action->isEnabled(), offered);
      EXPECT_EQ(action->text().toStdString(), FindCommand(c.id).text);
      bool right = false, parentless = false, modal = false;
      const auto titles = RunModal([&] { action->trigger(); },
                                   [&](QWidget* w) {
                                     right = c.isIt(w);
                                     parentless = w->parentWidget() == nullptr;
                                     modal = w->isModal();
                                   });
      if (offered) {
        EXPECT_EQ(titles, std::vector<std::string>{c.title});
        EXPECT_TRUE(right && parentless && modal);
      } else {
        EXPECT_TRUE(titles.empty());
      }
    }
  }
  // Nothing was entered, so nothing was sent.
  EXPECT_TRUE(sender.sent.empty());
}

TEST_F(ConsoleDialogs, VMSLinkListSelectsInTheViewsThePanelAndTheSheet)
{
  LoadData();
  frame().m_nSystemState = 5;
  frame().UpdateCommandUi();
  // The sheet has a window, hidden by Plots.
  Plots();
  Plots();
  ASSERT_FALSE(sheet()->isVisible());
  ASSERT_TRUE(frame().m_bInfoSheetHidden);

  RunModal([&] { frame().MenuAction(kCmdInputVMS)->trigger(); },
           [&](QWidget* w) {
             ui_fixtures::Child<QListWidget>(w, "linkList")->setCurrentRow(2);
             QTest::mouseClick(ui_fixtures::ButtonNamed(w, "Add"), Qt::LeftButton);
           });
  ASSERT_EQ(g_SelectedLinks.size(), 1u);
  EXPECT_EQ(g_SelectedLinks.back(), g_LineArray[2]);
  EXPECT_EQ(g_LineArray[2]->m_nSelectMark, 2);
  ASSERT_FALSE(g_pComponentView->PropertyRows().empty());
  EXPECT_EQ(g_pComponentView->PropertyRows()[0], (PropertyRow{"Link ID", "3"}));
  // A click on a link shows the sheet's link page again.
  EXPECT_TRUE(sheet()->isVisible());
  EXPECT_EQ(sheet()->Pages()->currentWidget(), sheet()->TDLinkPage());
  EXPECT_EQ(sheet()->TDLinkPage()->LinkList()->currentRow(), 2);
  // Shown again, the sheet is hidden by the next Plots.
  EXPECT_FALSE(frame().m_bInfoSheetHidden);
  Plots();
  EXPECT_FALSE(sheet()->isVisible());
  // The sign went out for the estimation.
  EXPECT_EQ(sender.Codes(), std::vector<int>{44});
}

TEST_F(ConsoleDialogs, PlotsShowsAndHidesTheSheetAndItsCloseBoxHidesIt)
{
  EXPECT_FALSE(frame().ToolbarAction(kCmdPlots)->isEnabled());  // data not ready
  ASSERT_NE(sheet(), nullptr);                                  // built with the frame, no window yet
  EXPECT_FALSE(sheet()->isVisible());
  LoadData();
  ASSERT_TRUE(frame().ToolbarAction(kCmdPlots)->isEnabled());

  Plots();
  CSheetInfoModeless* s = sheet();
  ASSERT_TRUE(s->isVisible());
  EXPECT_EQ(s->windowTitle(), "VORLANTIS-Q Information");
  EXPECT_EQ(s->parentWidget(), &frame());
  EXPECT_TRUE(s->isWindow());
  ASSERT_EQ(s->Pages()->count(), 5);
  EXPECT_EQ(s->Pages()->currentIndex(), 0);
  EXPECT_FALSE(frame().m_bInfoSheetHidden);

  Plots();
  EXPECT_FALSE(s->isVisible());
  EXPECT_TRUE(frame().m_bInfoSheetHidden);
  Plots();
  EXPECT_TRUE(s->isVisible());
  EXPECT_FALSE(frame().m_bInfoSheetHidden);

  // The close box only hides it; Plots shows it again on the same page.
  s->Pages()->setCurrentIndex(2);
  EXPECT_TRUE(s->close());
  EXPECT_FALSE(s->isVisible());
  EXPECT_TRUE(frame().m_bInfoSheetHidden);
  Plots();
  EXPECT_TRUE(s->isVisible());
  EXPECT_EQ(s->Pages()->currentIndex(), 2);
  EXPECT_EQ(sheet(), s);  // the one sheet
}

TEST_F(ConsoleDialogs, RefreshPreviewsRepaintsTheStatusWindowOnScreen)
{
  CSheetInfoModeless* s = SheetOnPage(4);
  QWidget* status = s->ExecutionStatusPage()->StatusChart();
  QWidget* link = s->TDLinkPage()->LinkChart();
  ASSERT_TRUE(status->isVisible());
  uitest::PaintCounter counter;
  counter.Watch(status);
  counter.Watch(link);

  // A start mark of NOWSIM at minute 10, the estimation at minute 30.
  g_ModuleStartMarks[kModuleNowsim][10] = true;
  g_EstimationClock.dMinute = 30.0;
  frame().RefreshPreviews();
  EXPECT_EQ(counter.paints[status], 2);  // first and last of the order
  EXPECT_EQ(counter.paints[link], 0);    // its page is not on screen

  const QImage image = status->grab().toImage();
  EXPECT_EQ(uitest::StatusBarPixel(image, kModuleNowsim, 10), uitest::Rgb(kStatusStarted));
  EXPECT_EQ(uitest::StatusBarPixel(image, kModuleNowsim, 20), uitest::Rgb(kStatusIdle));
}

TEST_F(ConsoleDialogs, TheSheetsLinkListSelectsTheLinkInTheViewsAndThePanel)
{
  CSheetInfoModeless* s = SheetOnPage(1);
  QListWidget* list = s->TDLinkPage()->LinkList();
  ASSERT_GT(list->count(), 4);
  uitest::ClickLine(list, 4);
  ASSERT_EQ(g_SelectedLinks.size(), 1u);
  EXPECT_EQ(g_SelectedLinks.back(), g_LineArray[4]);
  EXPECT_EQ(g_LineArray[4]->m_nSelectMark, 2);
  EXPECT_EQ(g_pComponentView->PropertyRows().at(0), (PropertyRow{"Link ID", "5"}));
  EXPECT_EQ(list->currentRow(), 4);

  // A link picked in the view brings the link page forward from another page.
  s->Pages()->setCurrentIndex(0);
  QApplication::processEvents();
  CLogicView* view = g_pEstimationView;
  view->RenderIfNeeded();
  frame().ToolbarAction(kCmdSelector)->trigger();
  frame().ToolbarAction(kCmdLinkSelection)->trigger();
  QPoint middle;
  CDrawLine* picked = uitest::VisibleLink(view, middle);
  ASSERT_NE(picked, nullptr);
  uitest::Mouse(view, QEvent::MouseButtonPress, middle);
  uitest::Mouse(view, QEvent::MouseButtonRelease, middle);
  ASSERT_FALSE(g_SelectedLinks.empty());
  EXPECT_EQ(s->Pages()->currentWidget(), s->TDLinkPage());
  EXPECT_EQ(list->currentRow(), g_SelectedLinks.back()->m_nIndex);
}

TEST_F(ConsoleDialogs, TheODPickOpensTheSheetOnItsODPage)
{
  LoadData();
  ASSERT_GT(g_Project.m_ODSize, 1);
  CLogicView* view = g_pEstimationView;
  view->RenderIfNeeded();
  // Two zones side by side around the view's middle (zones are drawn by
  // the operator, none comes with the project).
  const WorldPoint mid = uitest::AddTwoZones(view);
  const QPoint from = uitest::PixelOf(view, {mid.x + 200, mid.y}),
               to = uitest::PixelOf(view, {mid.x - 200, mid.y});
  const int first = 1, second = 0;

  ASSERT_EQ(sheet()->isVisible(), false);
  frame().ToolbarAction(kCmdODDemandSelection)->trigger();
  uitest::DragIn(view, from, to);
  CSheetInfoModeless* s = sheet();
  ASSERT_TRUE(s->isVisible());
  EXPECT_EQ(s->Pages()->currentWidget(), s->ODTablePage());
  EXPECT_EQ(s->ODTablePage()->OriginIndex(), first);
  EXPECT_EQ(s->ODTablePage()->DestinationIndex(), second);
  EXPECT_EQ(g_nOriginZone, first);
  EXPECT_EQ(g_nDestinationZone, second);

  // Hidden by Plots, the sheet comes back with the next pick, and the
  // Plots after that hides it.
  Plots();
  ASSERT_FALSE(s->isVisible());
  frame().ToolbarAction(kCmdODDemandSelection)->trigger();
  uitest::DragIn(view, to, from);
  EXPECT_TRUE(s->isVisible());
  EXPECT_EQ(s->ODTablePage()->OriginIndex(), second);
  EXPECT_EQ(s->ODTablePage()->DestinationIndex(), first);
  Plots();
  EXPECT_FALSE(s->isVisible());
  g_ZoneArray.RemoveAll();
}

}  // namespace
