// The operator's actions and the information sheet against the whole
// system (offscreen): the real frame in a generated run directory, the
// project loaded through File > Load Data, the naming service, the record
// store, Management and every module brought up from the run directory's
// batch files by the console's servant and controller. An incident (added,
// then changed), a VMS and a work zone entered through their dialogs reach
// Management, whose log shows each decoded command; after a few cycles the
// information sheet's status window shows a start bar in every module row.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QScreen>
#include <QTabWidget>
#include <QTest>
#include <filesystem>
#include <future>

#include "BringUp.h"
#include "BringUpRecorder.h"
#include "CClockView.h"
#include "CComponentView.h"
#include "CDrawLine.h"
#include "CLogicView.h"
#include "ChartGeometry.h"
#include "CloseDown.h"
#include "ConsoleDialogs.h"
#include "ConsoleWindows.h"
#include "DialogTestFixtures.h"
#include "HandlerFixtures.h"
#include "InfoPreview.h"
#include "ModalDriver.h"
#include "PageExecutionStatus.h"
#include "PageTDLink.h"
#include "QELM_GUI_i.h"
#include "ResultStores.h"
#include "RunDirGen.h"
#include "ServantBringUp.h"
#include "SheetInfoModeless.h"
#include "StringPrintf.h"
#include "TestSupport.h"
#include "UiConsole.h"
#include "WidgetProbes.h"

namespace fs = std::filesystem;
using ui_fixtures::ButtonNamed;
using ui_fixtures::Child;
using uitest::RunModal;

namespace {

// The message handler's display on the real windows: lines kept for the
// test (and shown in the control panel), the views' minutes, repaints and
// the frame's RefreshPreviews.
struct FrameDisplay : IResultDisplay
{
  std::vector<std::string> lines;

  static CLogicView* View(int view)
  {
    CLogicView* views[] = {g_pEstimationView, g_pPredictionView0, g_pPredictionView1};
    return view >= 0 && view < 3 ? views[view] : nullptr;
  }
  void DebugLog(const std::string& text, bool toPanel) override
  {
    lines.push_back(text);
    if (toPanel && g_pComponentView)
      g_pComponentView->AddMessage(text);
  }
  int ViewMinute(int view) const override { return View(view) ? View(view)->Model().m_nMinute : 0; }
  void SetViewMinute(int view, int minute) override
  {
    if (CLogicView* v = View(view))
      v->Model().m_nMinute = minute;
  }
  void InvalidateViews() override
  {
    InvalidateNetworkViews();
    if (g_pClockView)
      g_pClockView->update();
  }
  void InvalidatePredictionView(int instance) override
  {
    if (CLogicView* v = View(instance + 1))
      v->Invalidate();
  }
  void RefreshPreviews() override
  {
    if (g_pMainFrame)
      g_pMainFrame->RefreshPreviews();
  }
  int Count(const std::string& text) const
  {
    return static_cast<int>(std::count(lines.begin(), lines.end(), text));
  }
};

// The programs' logs: the record store's and Management's in the run
// directory, each module's in the folder it runs in.
const char* const kModuleLogs[] = {"tallyhouse.log",      "management.log",        "estimate/NOWSIM.log",
                                   "predict/FORESIM.log", "predict1/FORESIM1.log", "NEARVET/NEARVET.log",
                                   "farvet/FARVET.log",   "odestimate/ODE.log",    "odpredict/ODP.log"};

// Runs a step off the window thread while the window thread goes on with
// its events (the handler's posted calls, repaints).
template <class F>
auto OffTheWindowThread(F&& step, int timeoutMs)
{
  auto done = std::async(std::launch::async, std::forward<F>(step));
  const bool finished = QTest::qWaitFor(
      [&] { return done.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }, timeoutMs);
  EXPECT_TRUE(finished) << "step still running after " << timeoutMs << " ms";
  return done.get();
}

class ConsoleEndToEnd : public ::testing::Test
{
protected:
  void SetUp() override
  {
    for (const char* p :
         {"tallyhouse/Tallyhouse", "standins/management/Management", "standins/modules/NOWSIM"})
      if (!fs::exists(std::string(VLQ_BUILD_ROOT) + "/" + p))
        GTEST_SKIP() << p << " is not built";
    run = fs::canonical(dir.path()).string() + "/run";
    vlq::mod::RunDirOptions options;
    // A grid of 14 links; the README's picture shows an 8 x 8 grid.
    options.rows = screenshot ? 8 : 3;
    options.cols = screenshot ? 8 : 2;
    options.seed = 5;
    options.bindir = VLQ_BUILD_ROOT;
    options.ns_host = "127.0.0.1:1";
    std::string error;
    ASSERT_TRUE(vlq::mod::WriteRunDir(run, options, error)) << error;
    port = FreeLoopbackPort();
    // The batch files inherit the naming service's place.
    ::setenv("QELM_NAME_SERVICE_HOST", ("127.0.0.1:" + std::to_string(port)).c_str(), 1);
    old = fs::current_path();
    fs::current_path(run);
    console = std::make_unique<uitest::Console>();
    BindInputDialogs(frame(), gui);
    // Applied on this, the window thread.
    gui.Target().SetDisplay(&display, [](std::function<void()> f) {
      QMetaObject::invokeMethod(qApp, std::move(f), Qt::QueuedConnection);
    });
  }

  void TearDown() override
  {
    if (old.empty())
      return;
    gui.StopIfRunning();
    // Whatever is left of the run, by the ids this process started.
    CloseComponents(CloseDownScope::ForThisConsole(run));
    // The handler's last posted calls, while the display still exists.
    QCoreApplication::sendPostedEvents();
    gui.Target().SetDisplay(nullptr, {});
    console.reset();
    g_Project.ClearNetworkArrays();
    handler_test::ResetWorld(0);
    fs::current_path(old);
  }

  CMainFrame& frame() { return console->Frame(); }

  std::string Logs()
  {
    std::string out;
    for (const char* f : kModuleLogs)
      out += std::string("---- ") + f + "\n" + ReadFile(run + "/" + f).substr(0, 3000);
    return out;
  }

  // scripts/screenshot --sheet: the file of the README's picture.
  const char* screenshot = std::getenv("VLQ_SHEET_SCREENSHOT");
  TempDir dir{"vlq-console-e2e"};
  std::string run;
  int port = 0;
  fs::path old;
  FrameDisplay display;
  QELM_GUI_i gui;
  std::unique_ptr<uitest::Console> console;
};

// The link of a row of the dialogs' link lists.
std::pair<int, int> LinkNodes(int row)
{
  return {g_LineArray[row]->m_nFromNode, g_LineArray[row]->m_nToNode};
}

TEST_F(ConsoleEndToEnd, OperatorCommandsReachManagementAndTheStatusWindowShowsEveryModule)
{
  frame().ExecuteCommand(kCmdLoadData);
  ASSERT_TRUE(g_bDataLoaded) << (console->messages.empty() ? "" : console->messages.front());
  ASSERT_GE(g_LineArray.GetSize(), 8);
  // The chart window of a fresh console, 0:00 to 2:00, holds the start of
  // the sample day (1:00): nobody moves it.
  ASSERT_EQ(g_ChartWindowStart.load(), 0);
  ASSERT_EQ(g_ChartWindowEnd.load(), 120);

  // The information sheet on its status page while the system runs.
  frame().ToolbarAction(kCmdPlots)->trigger();
  auto* sheet = frame().findChild<CSheetInfoModeless*>();
  ASSERT_TRUE(sheet && sheet->isVisible());
  sheet->Pages()->setCurrentWidget(sheet->ExecutionStatusPage());
  QWidget* status = sheet->ExecutionStatusPage()->StatusChart();
  QApplication::processEvents();
  ASSERT_TRUE(status->isVisible());
  uitest::PaintCounter paints;
  paints.Watch(status);

  // ---- the File menu's steps, off the window thread
  RecordingBringUpOutput output;
  PlatformBringUp platform(&output, run);
  ServantBringUp corba(gui, {"-ORBendPoint", "giop:tcp:127.0.0.1:"});
  BringUpSequence::Options options;
  options.runDir = run;
  BringUpSequence bringUp(platform, corba, output, options);
  const std::string failed = OffTheWindowThread(
      [&]() -> std::string {
        using R = BringUpSequence::Result;
        if (bringUp.CheckSystemSettings(nullptr) != R::kDone || bringUp.ActivateNamingService() != R::kDone)
          return "naming service: " + output.FirstBox();
        if (!WaitUntil([&] { return LoopbackPortAnswers(port); }, std::chrono::seconds(30)))
          return "the naming service does not answer";
        if (bringUp.ActivateServerModules() != R::kDone)
          return "modules: " + output.FirstBox();
        for (const char* log : kModuleLogs)
          if (!WaitUntil([&] { return ReadFile(run + "/" + log).find("Succeded.") != std::string::npos; },
                         std::chrono::seconds(60)))
            return std::string(log) + " did not come up";
        if (bringUp.SetupCorbaAndStart() != R::kDone)
          return "Setup CORBA and Start: " + output.FirstBox();
        return "";
      },
      240000);
  ASSERT_EQ(failed, "") << Logs();
  ASSERT_EQ(bringUp.State(), kStateStarted);
  frame().m_nSystemState = bringUp.State();
  frame().UpdateCommandUi();
  ASSERT_TRUE(frame().MenuAction(kCmdInputIncident)->isEnabled());

  // ---- the operator's actions through the Input menu's dialogs
  auto choose = [](QWidget* dlg, int linkRow, int startItem, int endItem) {
    Child<QListWidget>(dlg, "linkList")->setCurrentRow(linkRow);
    Child<QComboBox>(dlg, "startTime")->setCurrentIndex(startItem);
    Child<QComboBox>(dlg, "endTime")->setCurrentIndex(endItem);
  };
  auto click = [](QWidget* dlg, const char* text) {
    QTest::mouseClick(ButtonNamed(dlg, text), Qt::LeftButton);
  };
  // 1:00 to 2:00 on the fourth link, severity 0.5, then changed to 0.9.
  EXPECT_EQ(RunModal([&] { frame().MenuAction(kCmdInputIncident)->trigger(); },
                     [&](QWidget* dlg) {
                       choose(dlg, 3, 60, 119);
                       Child<QComboBox>(dlg, "severity")->setCurrentIndex(4);
                       click(dlg, "Add");
                       Child<QComboBox>(dlg, "severity")->setCurrentIndex(8);
                       click(dlg, "Change");
                       click(dlg, "OK");
                     }),
            std::vector<std::string>{"Incident Input"});
  // A speed advisory for the estimation on the sixth link, its opening
  // threshold 40 and change 10%.
  EXPECT_EQ(RunModal([&] { frame().MenuAction(kCmdInputVMS)->trigger(); },
                     [&](QWidget* dlg) {
                       choose(dlg, 5, 60, 119);
                       click(dlg, "Add");
                       click(dlg, "OK");
                     }),
            std::vector<std::string>{"VMS Data Input Dialog"});
  // A work zone on the eighth link: capacity reduction 0.50, 35 mph, 1200.
  EXPECT_EQ(RunModal([&] { frame().MenuAction(kCmdInputWorkzone)->trigger(); },
                     [&](QWidget* dlg) {
                       choose(dlg, 7, 60, 119);
                       Child<QComboBox>(dlg, "capacity")->setCurrentIndex(49);
                       Child<QLineEdit>(dlg, "speedLimit")->setText("35");
                       Child<QLineEdit>(dlg, "dischargeRate")->setText("1200");
                       click(dlg, "Add");
                       click(dlg, "OK");
                     }),
            std::vector<std::string>{"Work Zone Input "});

  // The link chosen in the VMS dialog brought the sheet's link page
  // forward: back to the status page.
  sheet->Pages()->setCurrentWidget(sheet->ExecutionStatusPage());
  QApplication::processEvents();
  paints.paints.clear();

  const auto [i1, i2] = LinkNodes(3);
  const auto [v1, v2] = LinkNodes(5);
  const auto [w1, w2] = LinkNodes(7);
  const std::vector<std::string> expected = {
      StringPrintf(
          "Command message 42 (MSG_INCIDENT_ADD): link %d -> %d, minutes 60.0 to 120.0, severity 0.5.", i1,
          i2),
      StringPrintf(
          "Command message 43 (MSG_INCIDENT_REMOVE): link %d -> %d, minutes 60.0 to 120.0, severity 0.5.", i1,
          i2),
      StringPrintf(
          "Command message 42 (MSG_INCIDENT_ADD): link %d -> %d, minutes 60.0 to 120.0, severity 0.9.", i1,
          i2),
      StringPrintf(
          "Command message 44 (MSG_VMS_ADD): type 1 (speed advisory), link %d -> %d, speed threshold 40, "
          "change 10%%, minutes 60.0 to 120.0.",
          v1, v2),
      StringPrintf("Command message 46 (MSG_WORKZONE_ADD): link %d -> %d, minutes 60.0 to 120.0, capacity "
                   "reduction 0.50, speed limit 35 mph, discharge rate 1200 veh/hr/ln.",
                   w1, w2),
  };
  // In Management's log, in the order they were entered.
  auto inOrder = [&] {
    const std::string log = ReadFile(run + "/management.log");
    std::size_t at = 0;
    for (const std::string& line : expected) {
      at = log.find(line, at);
      if (at == std::string::npos)
        return false;
    }
    return true;
  };
  EXPECT_TRUE(QTest::qWaitFor(inOrder, 20000)) << ReadFile(run + "/management.log").substr(0, 8000);
  EXPECT_EQ(ReadFile(run + "/management.log").find("refused"), std::string::npos);

  // ---- the status window after a few cycles: a start bar in every row
  auto rowsMarked = [&](int upTo) {
    int rows = 0;
    for (int r = 0; r < kStatusRows; ++r)
      for (int m = g_ChartWindowStart; m <= upTo && m < g_ChartWindowEnd; ++m)
        if (g_ModuleStartMarks[r][m]) {
          ++rows;
          break;
        }
    return rows;
  };
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        // The handler's RefreshPreviews reaches the window on screen.
        return display.Count("Finished updating display from FARVET.") >= 3 && paints.paints[status] > 0 &&
               rowsMarked(static_cast<int>(g_EstimationClock.dMinute)) == kStatusRows;
      },
      180000))
      << "window " << g_ChartWindowStart << "-" << g_ChartWindowEnd << ", minute "
      << g_EstimationClock.dMinute << ", FARVET ends "
      << display.Count("Finished updating display from FARVET.") << ", status paints "
      << paints.paints[status] << ", rows marked " << rowsMarked(static_cast<int>(g_EstimationClock.dMinute))
      << "\n"
      << Logs();

  // Every row is idle from 0:01 to 0:59, before the sample day's first
  // cycle at 1:00 (NOWSIM's first start is marked at minute 0, the
  // console's minute before any result). However many cycles ran while
  // the test waited, the hourly roll may have moved the chart window past
  // that hour: bring the window back to 0:00 as the operator would, and
  // picture it at once. The handler applies its results on this thread,
  // so nothing changes between these lines.
  constexpr int kSampleDayStart = 60;
  while (g_ChartWindowStart >= 60)
    frame().MenuAction(kCmdBringBackClock)->trigger();
  ASSERT_EQ(g_ChartWindowStart.load(), 0);
  const QImage image = status->grab().toImage();
  const int current = static_cast<int>(g_EstimationClock.dMinute);
  ASSERT_GE(current, kSampleDayStart);
  for (int r = 0; r < kStatusRows; ++r) {
    SCOPED_TRACE(kStatusRowLabels[r]);
    int bright = 0, dark = 0;
    for (int m = g_ChartWindowStart; m <= current && m < g_ChartWindowEnd; ++m) {
      const QRgb pixel = uitest::StatusBarPixel(image, r, m);
      if (g_ModuleStartMarks[r][m]) {
        EXPECT_EQ(pixel, uitest::Rgb(kStatusStarted)) << "minute " << m;
        ++bright;
      } else {
        EXPECT_EQ(pixel, uitest::Rgb(kStatusIdle)) << "minute " << m;
        ++dark;
      }
    }
    EXPECT_GT(bright, 0);
    EXPECT_GE(dark, kSampleDayStart - 1);  // the minutes before the system started
  }

  // scripts/screenshot --sheet runs this test on a virtual display: the
  // README's picture of the sheet over the running system, on the link
  // page of a link chosen from its list, half an hour of cycles later, for
  // the hour before and the hour after that minute.
  if (screenshot) {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    frame().setGeometry(screen);
    frame().LayOutPanes();
    sheet->move(screen.right() - sheet->width() - 10, screen.bottom() - sheet->height() - 10);
    CPageTDLink* page = sheet->TDLinkPage();
    sheet->Pages()->setCurrentWidget(page);
    QApplication::processEvents();
    uitest::ClickLine(page->LinkList(), 6);
    EXPECT_TRUE(QTest::qWaitFor([&] { return g_EstimationClock.dMinute >= current + 30; }, 60000));
    const int now = static_cast<int>(g_EstimationClock.dMinute);
    page->BeginList()->setCurrentRow((now - 60) / 10);
    page->EndList()->setCurrentRow((now + 60) / 10 - 1);
    QTest::qWait(500);
    EXPECT_TRUE(QGuiApplication::primaryScreen()->grabWindow(0).save(screenshot)) << screenshot;
  }

  // ---- Close VORLANTIS-Q Components, then the end of the console
  EXPECT_EQ(OffTheWindowThread([&] { return bringUp.CloseComponents(); }, 60000),
            BringUpSequence::Result::kDone);
  bringUp.OnFrameDestroy();
  EXPECT_FALSE(gui.IsRunning());
  EXPECT_TRUE(output.FirstBox().empty()) << output.FirstBox();
}

}  // namespace
