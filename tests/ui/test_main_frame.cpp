// The main frame: its panes in their splitters, the views' roles, the
// menus, toolbar and status bar with their texts and accessible names, Load
// Data and the commands it enables, the bring-up states, the clock window's
// hour steps and the About box.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <filesystem>
#include <fstream>
#include <functional>

#include "AboutDialog.h"
#include "CClockView.h"
#include "CComponentView.h"
#include "CLogicView.h"
#include "ConsoleWindows.h"
#include "GlobalArrays.h"
#include "ResultStores.h"
#include "UiFixtures.h"

using uitest::Console;
using uitest::GeneratedRunDir;

namespace {

TEST(MainFrame, PanesInTheirSplitters)
{
  GeneratedRunDir run;
  Console console;
  CMainFrame& f = console.Frame();
  QSplitter* s1 = f.Splitter(1);
  QSplitter* s2 = f.Splitter(2);
  QSplitter* s3 = f.Splitter(3);
  QSplitter* s4 = f.Splitter(4);
  ASSERT_TRUE(s1 && s2 && s3 && s4);
  EXPECT_EQ(s1->orientation(), Qt::Horizontal);
  EXPECT_EQ(s2->orientation(), Qt::Vertical);
  EXPECT_EQ(s1->widget(0), s2);
  EXPECT_EQ(s1->widget(1), g_pComponentView);
  EXPECT_EQ(s2->widget(0), s3);
  EXPECT_EQ(s2->widget(1), g_pClockView);
  EXPECT_EQ(s3->widget(0), g_pEstimationView);
  EXPECT_EQ(s3->widget(1), s4);
  EXPECT_EQ(s4->widget(0), g_pPredictionView0);
  EXPECT_EQ(s4->widget(1), g_pPredictionView1);

  // Roles by creation order.
  EXPECT_EQ(g_pEstimationView->Model().m_role, (ViewRole{kViewCurrentCondition, 0}));
  EXPECT_EQ(g_pPredictionView0->Model().m_role, (ViewRole{kViewPrediction0, 1}));
  EXPECT_EQ(g_pPredictionView1->Model().m_role, (ViewRole{kViewPrediction1, 3}));
  EXPECT_EQ(f.ActiveView(), g_pEstimationView);

  // Ideal sizes: the clock view 100 high, prediction view 0 450 high.
  EXPECT_EQ(s2->sizes().at(1), 100);
  EXPECT_EQ(s4->sizes().at(0), 450);
  EXPECT_GE(s1->sizes().at(1), 120);
  EXPECT_EQ(f.windowTitle(), "VORLANTIS-Q");
}

TEST(MainFrame, MenusToolbarAndStatusBarByTheirNames)
{
  GeneratedRunDir run;
  Console console;
  CMainFrame& f = console.Frame();
  QStringList menus;
  for (QAction* a : f.menuBar()->actions())
    menus << a->menu()->accessibleName();
  EXPECT_EQ(menus, QStringList({"File", "View", "Info", "Input", "Help"}));
  EXPECT_EQ(f.MenuAction(kCmdActivateClientModules)->text(), "3: Activate Modules on Client Machine(s)");
  EXPECT_EQ(f.MenuAction(kCmdNodeSelection)->text(), "Node");
  EXPECT_EQ(f.ToolbarAction(kCmdNodeSelection)->text(), "Node selection");
  EXPECT_EQ(f.ToolbarAction(kCmdLoadData)->statusTip(), "Load Data ");
  EXPECT_EQ(f.ToolbarAction(kCmdAdjustPredictionLayout)->statusTip(), "Adjust layout of prediction view");

  QToolBar* bar = f.findChild<QToolBar*>("toolbar");
  ASSERT_TRUE(bar);
  QStringList names;
  for (QAction* a : bar->actions())
    if (!a->isSeparator())
      names << bar->widgetForAction(a)->accessibleName();
  EXPECT_EQ(names,
            QStringList({"Load data", "Selector", "Zoom in on specified view ", "Zoom in one step size",
                         "Zoom out one step size ", " Get same view for prediction", "Previous view",
                         "Reset view", "Pan", "Node selection", "Link selection", "OD demand selection ",
                         "Plots", "Adjust layout of prediction view"}));
  for (const char* indicator : {"CAP", "NUM", "SCRL"}) {
    auto* label = f.statusBar()->findChild<QLabel*>(indicator);
    ASSERT_TRUE(label) << indicator;
    EXPECT_EQ(label->accessibleName(), indicator);
  }
  // The toolbar and status bar commands hide and show them, with their marks.
  EXPECT_TRUE(f.MenuAction(kCmdViewToolbar)->isChecked());
  f.MenuAction(kCmdViewToolbar)->trigger();
  EXPECT_TRUE(bar->isHidden());
  EXPECT_FALSE(f.MenuAction(kCmdViewToolbar)->isChecked());
  f.MenuAction(kCmdViewStatusBar)->trigger();
  EXPECT_TRUE(f.statusBar()->isHidden());
  EXPECT_FALSE(f.MenuAction(kCmdViewStatusBar)->isChecked());
  // The load's progress goes to pane 0.
  console.Doc().SetStatusText("  Reading xy.dat");
  EXPECT_EQ(f.StatusText(0), "  Reading xy.dat");
  // The control panel's buttons keep their texts as names.
  for (const char* name : {"zones", "busRoutes", "signals", "currentDensity", "travelTime"})
    EXPECT_FALSE(g_pComponentView->findChild<QWidget*>(name)->accessibleName().isEmpty()) << name;
}

TEST(MainFrame, LoadDataAndTheCommandsItOffers)
{
  GeneratedRunDir run;
  ASSERT_TRUE(run.ok());
  Console console;
  CMainFrame& f = console.Frame();
  QAction* load = f.ToolbarAction(kCmdLoadData);
  EXPECT_TRUE(load->isEnabled());
  EXPECT_FALSE(f.MenuAction(kCmdCheckSystemSettings)->isEnabled());
  EXPECT_FALSE(f.ToolbarAction(kCmdPlots)->isEnabled());

  load->trigger();
  EXPECT_TRUE(console.messages.empty());
  EXPECT_TRUE(g_bDataLoaded);
  EXPECT_FALSE(load->isEnabled());
  EXPECT_FALSE(f.MenuAction(kCmdLoadData)->isEnabled());
  EXPECT_TRUE(f.MenuAction(kCmdCheckSystemSettings)->isEnabled());
  EXPECT_TRUE(f.MenuAction(kCmdInputCycles)->isEnabled());
  EXPECT_TRUE(f.ToolbarAction(kCmdPlots)->isEnabled());
  EXPECT_EQ(g_LineArray.GetSize(), 2 * (5 * 5 + 4 * 6));

  // Display mode 1 in every view and "Zones" checked.
  EXPECT_EQ(g_pEstimationView->Model().m_nDisplayMeasure, 1);
  EXPECT_EQ(g_pPredictionView1->Model().m_nDisplayMeasure, 1);
  EXPECT_TRUE(g_pComponentView->Marks().zonesBox);
  EXPECT_EQ(g_pComponentView->Marks().currentMode, 1);

  // The machine sum of the generated distribution.ini is 0: step 4 follows
  // step 2, the client reminder is never offered.
  EXPECT_EQ(f.m_nMachineSum, 0);
  EXPECT_FALSE(f.ExecuteCommand(kCmdActivateNamingService));
  EXPECT_TRUE(f.ExecuteCommand(kCmdCheckSystemSettings));
  EXPECT_EQ(f.m_nSystemState, 1);
  EXPECT_FALSE(f.MenuAction(kCmdCheckSystemSettings)->isEnabled());
  EXPECT_TRUE(f.ExecuteCommand(kCmdActivateNamingService));
  EXPECT_FALSE(f.MenuAction(kCmdActivateClientModules)->isEnabled());
  EXPECT_TRUE(f.MenuAction(kCmdActivateServerModules)->isEnabled());
  EXPECT_TRUE(f.ExecuteCommand(kCmdActivateServerModules));
  EXPECT_TRUE(f.ExecuteCommand(kCmdSetupCorbaAndStart));
  EXPECT_EQ(f.m_nSystemState, 5);
  EXPECT_TRUE(f.MenuAction(kCmdInputIncident)->isEnabled());
  EXPECT_TRUE(f.ExecuteCommand(kCmdCloseComponents));
  EXPECT_EQ(f.m_nSystemState, 6);
  for (int id : {kCmdCheckSystemSettings, kCmdActivateNamingService, kCmdActivateServerModules,
                 kCmdSetupCorbaAndStart, kCmdCloseComponents, kCmdInputIncident})
    EXPECT_FALSE(f.MenuAction(id)->isEnabled()) << id;
}

TEST(MainFrame, ALoadThatStopsEarlyKeepsLoadDataOffered)
{
  GeneratedRunDir run;
  const std::filesystem::path whole = std::filesystem::path(run.path()) / "xy.dat.whole";
  std::filesystem::copy_file("estimate/xy.dat", whole);
  {
    std::ofstream xy("estimate/xy.dat");
    xy << "1\n1 0 0\n";
  }
  Console console;
  CMainFrame& f = console.Frame();
  EXPECT_TRUE(f.ExecuteCommand(kCmdLoadData));
  ASSERT_EQ(console.messages.size(), 1u);
  EXPECT_NE(console.messages[0].find("xy.dat"), std::string::npos);
  // What was read goes to the views all the same; the commands that need a
  // whole project stay greyed.
  EXPECT_TRUE(g_bDataLoaded);
  EXPECT_TRUE(f.ToolbarAction(kCmdLoadData)->isEnabled());
  for (int id : {kCmdCheckSystemSettings, kCmdActivateNamingService, kCmdInputCycles})
    EXPECT_FALSE(f.MenuAction(id)->isEnabled()) << id;
  for (int id : {kCmdPlots, kCmdODDemandSelection})
    EXPECT_FALSE(f.ToolbarAction(id)->isEnabled()) << id;
  for (CLogicView* v : {g_pEstimationView, g_pPredictionView0, g_pPredictionView1}) {
    v->Model().m_nDisplayMeasure = 1;
    EXPECT_FALSE(v->grab().isNull());
  }
  // A second load of whole files takes the project.
  std::filesystem::copy_file(whole, "estimate/xy.dat", std::filesystem::copy_options::overwrite_existing);
  EXPECT_TRUE(f.ExecuteCommand(kCmdLoadData));
  EXPECT_FALSE(f.ToolbarAction(kCmdLoadData)->isEnabled());
  EXPECT_TRUE(f.MenuAction(kCmdCheckSystemSettings)->isEnabled());
}

TEST(MainFrame, LoadOutputHandsTheDataOverOnlyWithAnEmptyFort911)
{
  GeneratedRunDir run;
  Console console;
  {
    std::ofstream fort("estimate/fort.911");
    fort << "error\n";
  }
  EXPECT_TRUE(console.Frame().ExecuteCommand(kCmdLoadOutput));
  EXPECT_FALSE(g_bDataLoaded);
  std::filesystem::remove("estimate/fort.911");
  EXPECT_TRUE(console.Frame().ExecuteCommand(kCmdLoadOutput));
  EXPECT_TRUE(g_bDataLoaded);
}

TEST(MainFrame, ClockWindowHourSteps)
{
  GeneratedRunDir run;
  Console console;
  CMainFrame& f = console.Frame();
  g_ChartWindowStart = 0;
  g_ChartWindowEnd = 120;
  f.MenuAction(kCmdBringBackClock)->trigger();
  EXPECT_EQ(g_ChartWindowStart.load(), 0);
  f.MenuAction(kCmdAdvanceClock)->trigger();
  EXPECT_EQ(g_ChartWindowStart.load(), 60);
  EXPECT_EQ(g_ChartWindowEnd.load(), 180);
  g_ChartWindowStart = 1320;
  g_ChartWindowEnd = 1440;
  f.MenuAction(kCmdAdvanceClock)->trigger();
  EXPECT_EQ(g_ChartWindowEnd.load(), 1440);
  g_ChartWindowStart = 0;
  g_ChartWindowEnd = 120;
}

TEST(MainFrame, SeamsForDialogsSheetAndBringUp)
{
  GeneratedRunDir run;
  Console console;
  CMainFrame& f = console.Frame();
  int opened = 0;
  f.SetInputDialog(kCmdDistributionScheme, [&](QWidget*) { ++opened; });
  f.MenuAction(kCmdDistributionScheme)->trigger();
  EXPECT_EQ(opened, 1);
  f.MenuAction(kCmdNetworkModification)->trigger();  // no dialog yet: nothing happens
  EXPECT_EQ(opened, 1);

  struct Sheet : IInfoSheet
  {
    std::vector<std::string> calls;
    bool window = false;
    bool HasWindow() const override { return window; }
    void Create(QWidget*) override { calls.push_back("create"), window = true; }
    void Show() override { calls.push_back("show"); }
    void Hide() override { calls.push_back("hide"); }
    void RefreshPreviews() override { calls.push_back("refresh"); }
  } sheet;
  f.SetInfoSheet(&sheet);
  f.ExecuteCommand(kCmdLoadData);
  for (int i = 0; i < 3; ++i)
    f.ToolbarAction(kCmdPlots)->trigger();
  f.RefreshPreviews();
  EXPECT_EQ(sheet.calls, (std::vector<std::string>{"create", "hide", "show", "refresh"}));
  f.SetInfoSheet(nullptr);

  struct Steps : StateOnlyBringUp
  {
    std::vector<int> seen;
    void CheckSystemSettings(int state, BringUpDone done) override
    {
      seen.push_back(state);
      done(1);
    }
  };
  auto steps = std::make_unique<Steps>();
  Steps* raw = steps.get();
  f.SetBringUpActions(std::move(steps));
  f.ExecuteCommand(kCmdCheckSystemSettings);
  EXPECT_EQ(raw->seen, std::vector<int>{0});
}

// A step that finishes later: the frame is busy from the command until the
// step reports, every bring-up command waits meanwhile (a second click does
// nothing), and the report sets the state.
TEST(MainFrame, BringUpStepThatFinishesLater)
{
  GeneratedRunDir run;
  Console console;
  CMainFrame& f = console.Frame();
  struct Later : StateOnlyBringUp
  {
    std::vector<std::pair<int, BringUpDone>> pending;
    void ActivateNamingService(int state, BringUpDone done) override { pending.emplace_back(state, done); }
  };
  auto steps = std::make_unique<Later>();
  Later* later = steps.get();
  f.SetBringUpActions(std::move(steps));
  f.ExecuteCommand(kCmdLoadData);
  ASSERT_TRUE(f.ExecuteCommand(kCmdCheckSystemSettings));
  EXPECT_EQ(f.m_nSystemState, 1);
  EXPECT_FALSE(f.BringUpBusy());

  ASSERT_TRUE(f.ExecuteCommand(kCmdActivateNamingService));
  ASSERT_EQ(later->pending.size(), 1u);
  EXPECT_EQ(later->pending[0].first, 1);
  EXPECT_TRUE(f.BringUpBusy());
  EXPECT_EQ(f.m_nSystemState, 1);
  EXPECT_FALSE(f.MenuAction(kCmdActivateNamingService)->isEnabled());
  // The second click, from the menu or as a command, does nothing.
  f.MenuAction(kCmdActivateNamingService)->trigger();
  EXPECT_FALSE(f.ExecuteCommand(kCmdActivateNamingService));
  EXPECT_EQ(later->pending.size(), 1u);
  // Commands that are not bring-up steps keep working meanwhile.
  EXPECT_TRUE(f.ExecuteCommand(kCmdAdjustPredictionLayout));

  later->pending[0].second(2);
  EXPECT_FALSE(f.BringUpBusy());
  EXPECT_EQ(f.m_nSystemState, 2);
  EXPECT_TRUE(f.MenuAction(kCmdActivateServerModules)->isEnabled());
  EXPECT_TRUE(f.MenuAction(kCmdCloseComponents)->isEnabled());
}

TEST(MainFrame, PredictionLayoutsInTurn)
{
  GeneratedRunDir run;
  Console console;
  CMainFrame& f = console.Frame();
  QSplitter* s4 = f.Splitter(4);
  f.ExecuteCommand(kCmdAdjustPredictionLayout);
  EXPECT_EQ(s4->sizes().at(1), 0);  // only prediction view 0
  f.ExecuteCommand(kCmdAdjustPredictionLayout);
  EXPECT_EQ(s4->sizes().at(0), 0);  // only prediction view 1
  f.ExecuteCommand(kCmdAdjustPredictionLayout);
  EXPECT_NEAR(s4->sizes().at(0), f.centralWidget()->height() / 3, 2);
  EXPECT_GT(s4->sizes().at(1), 0);
  EXPECT_EQ(f.m_nPredictionLayout, 0);
}

// The toolbar's mode buttons: the tool mode follows a button's mark however
// the mark changes (a click, the accessibility interface's toggle, the
// button's own setChecked or toggle), and the marks then show the mode.
// Unchecking the mode's own button keeps the mode and its mark.
TEST(MainFrame, ModeButtonsFollowTheirMarkHoweverItChanges)
{
  GeneratedRunDir run;
  Console console;
  CMainFrame& f = console.Frame();
  ASSERT_TRUE(f.ExecuteCommand(kCmdLoadData));
  QToolBar* bar = f.findChild<QToolBar*>("toolbar");
  ASSERT_TRUE(bar);
  auto button = [&](int id) { return qobject_cast<QToolButton*>(bar->widgetForAction(f.ToolbarAction(id))); };
  auto accessible = [](const QString& action) {
    return [action](QToolButton* b) {
      QAccessibleInterface* face = QAccessible::queryAccessibleInterface(b);
      ASSERT_TRUE(face && face->actionInterface());
      ASSERT_TRUE(face->actionInterface()->actionNames().contains(action));
      face->actionInterface()->doAction(action);
    };
  };
  struct Way
  {
    const char* name;
    std::function<void(QToolButton*)> change;
  };
  const Way ways[] = {
      {"accessible toggle", accessible(QAccessibleActionInterface::toggleAction())},
      {"setChecked", [](QToolButton* b) { b->setChecked(!b->isChecked()); }},
      {"toggle", [](QToolButton* b) { b->toggle(); }},
      {"click", [](QToolButton* b) { b->click(); }},
  };
  struct Mode
  {
    int id;
    int mode;
  };
  const Mode modes[] = {{kCmdSelector, kToolSelect},
                        {kCmdZoomIn, kToolZoomBox},
                        {kCmdPan, kToolPan},
                        {kCmdODDemandSelection, kToolODPick}};
  for (const Way& way : ways)
    for (const Mode& m : modes) {
      SCOPED_TRACE(testing::Message() << way.name << " " << m.id);
      g_nToolMode = m.mode == kToolPan ? kToolSelect : kToolPan;
      f.UpdateCommandUi();
      QToolButton* b = button(m.id);
      ASSERT_TRUE(b);
      ASSERT_FALSE(b->isChecked());
      way.change(b);
      EXPECT_EQ(g_nToolMode, m.mode);
      for (const Mode& other : modes) {
        EXPECT_EQ(button(other.id)->isChecked(), other.id == m.id) << other.id;
        EXPECT_EQ(f.ToolbarAction(other.id)->isChecked(), other.id == m.id) << other.id;
      }
      // Again, on the checked button.
      way.change(b);
      EXPECT_EQ(g_nToolMode, m.mode);
      EXPECT_TRUE(b->isChecked());
    }

  // The selection kinds' buttons: Link selection toggled through the
  // accessibility interface sets it in all three views.
  g_nToolMode = kToolSelect;
  f.UpdateCommandUi();
  accessible(QAccessibleActionInterface::toggleAction())(button(kCmdLinkSelection));
  for (CLogicView* v : {g_pEstimationView, g_pPredictionView0, g_pPredictionView1})
    EXPECT_EQ(v->Model().m_nSelectKind, kSelectLink);
  EXPECT_TRUE(button(kCmdLinkSelection)->isChecked());
  EXPECT_FALSE(button(kCmdNodeSelection)->isChecked());
  EXPECT_TRUE(f.MenuAction(kCmdLinkSelection)->isChecked());
  // A menu item toggled by itself runs its command too.
  f.MenuAction(kCmdNodeSelection)->toggle();
  EXPECT_EQ(g_pEstimationView->Model().m_nSelectKind, kSelectNode);
  EXPECT_TRUE(button(kCmdNodeSelection)->isChecked());
  f.MenuAction(kCmdShowDetectors)->toggle();
  EXPECT_TRUE(g_pEstimationView->Model().m_bShowDetectors);
  EXPECT_TRUE(f.MenuAction(kCmdShowDetectors)->isChecked());
  f.MenuAction(kCmdShowDetectors)->toggle();
  EXPECT_FALSE(g_pEstimationView->Model().m_bShowDetectors);
  g_nToolMode = kToolZoomBox;
}

// A greyed mode button checked by itself enters no mode: its mark goes back.
TEST(MainFrame, AGreyedModeButtonCheckedByItselfEntersNoMode)
{
  GeneratedRunDir run;
  Console console;
  CMainFrame& f = console.Frame();
  QToolBar* bar = f.findChild<QToolBar*>("toolbar");
  auto* od = qobject_cast<QToolButton*>(bar->widgetForAction(f.ToolbarAction(kCmdODDemandSelection)));
  ASSERT_TRUE(od);
  ASSERT_FALSE(od->isEnabled());  // no data loaded
  od->setChecked(true);
  EXPECT_EQ(g_nToolMode, kToolZoomBox);
  EXPECT_FALSE(od->isChecked());
  EXPECT_FALSE(f.ToolbarAction(kCmdODDemandSelection)->isChecked());
}

TEST(AboutBox, OkAndAnEmptyBorderedPictureWithoutTitleBar)
{
  uitest::App();
  CAboutDlg about;
  EXPECT_TRUE(about.windowFlags() & Qt::FramelessWindowHint);
  auto* ok = about.findChild<QPushButton*>("ok");
  ASSERT_TRUE(ok);
  EXPECT_TRUE(ok->isDefault());
  EXPECT_EQ(ok->accessibleName(), "OK");
  auto* picture = about.findChild<QFrame*>("picture");
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->frameShape(), QFrame::Box);
  EXPECT_TRUE(picture->children().isEmpty());
}

}  // namespace
