// The console's system control in its windows (offscreen): the File menu's
// steps run through the frame off the window thread, one at a time, with
// their state coming back through the event loop; the frame's end waits for
// a running step, then stops the servant and ends the run; the handler's
// window side writes the views' minutes and repaints them; the Distribution
// Scheme dialog's OK is read again by the frame and the steps.
#include <gtest/gtest.h>

#include <QDialog>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <fstream>
#include <future>
#include <optional>
#include <thread>

#include "BringUpFakes.h"
#include "CComponentView.h"
#include "CDlgCyclesInput.h"
#include "CDlgDistribution.h"
#include "CLogicView.h"
#include "ConsoleSystem.h"
#include "ConsoleWindows.h"
#include "HandlerFixtures.h"
#include "UiFixtures.h"

using bringup_test::FakeCorba;
using bringup_test::FakePlatform;
using uitest::Console;
using uitest::GeneratedRunDir;

namespace {

// Processes the window thread's events until done() or the time is up.
bool PumpUntil(const std::function<bool()>& done, int ms = 10000)
{
  return QTest::qWaitFor(done, ms);
}

std::vector<std::string> PanelLines()
{
  std::vector<std::string> out;
  if (auto* list = g_pComponentView ? g_pComponentView->findChild<QListWidget*>() : nullptr)
    for (int i = 0; i < list->count(); ++i)
      out.push_back(list->item(i)->text().toStdString());
  return out;
}

// Accepts the next modal dialog as soon as it shows (after before(), when
// given), and records its kind.
void AcceptNextDialog(std::string* kind, std::function<void(QDialog*)> before = nullptr)
{
  QTimer::singleShot(0, [kind, before] {
    (void)PumpUntil([] { return QApplication::activeModalWidget() != nullptr; }, 5000);
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dialog)
      return;
    if (kind)
      *kind = dialog->metaObject()->className();
    if (before)
      before(dialog);
    dialog->accept();
  });
}

// The frame with the console's bring-up over fake services.
class FrameBringUp : public ::testing::Test
{
protected:
  void SetUp() override
  {
    ::setenv("QELM_NAME_SERVICE_HOST", "127.0.0.1:2809", 1);
    console.emplace();
    ConsoleBringUp::Options o;
    o.showSettings = [this] {
      ++settingsShown;
      return true;
    };
    auto actions = std::make_unique<ConsoleBringUp>(platform, corba, output, o);
    bringUp = actions.get();
    Frame().SetBringUpActions(std::move(actions));
    Frame().ExecuteCommand(kCmdLoadData);
    ASSERT_TRUE(g_bDataLoaded);
  }
  CMainFrame& Frame() { return console->Frame(); }
  bool Idle()
  {
    return PumpUntil([this] { return !Frame().BringUpBusy(); });
  }

  GeneratedRunDir run;
  FakePlatform platform;
  FakeCorba corba;
  ConsoleBringUpOutput output;
  std::optional<Console> console;
  ConsoleBringUp* bringUp = nullptr;
  int settingsShown = 0;
};

TEST_F(FrameBringUp, StepsRunOffTheWindowThreadOneAtATime)
{
  ASSERT_TRUE(Frame().ExecuteCommand(kCmdCheckSystemSettings));
  EXPECT_EQ(settingsShown, 1);
  EXPECT_EQ(Frame().m_nSystemState, 1);

  std::promise<void> release;
  std::shared_future<void> gate = release.get_future().share();
  std::atomic<bool> onWindowThread{true};
  const std::thread::id window = std::this_thread::get_id();
  platform.onExecute = [&] {
    onWindowThread = std::this_thread::get_id() == window;
    gate.wait();
  };
  ASSERT_TRUE(Frame().ExecuteCommand(kCmdActivateNamingService));
  // The command has returned while the naming service's start waits: the
  // window handles its events, and the frame is busy.
  bool timerRan = false;
  QTimer::singleShot(10, [&] { timerRan = true; });
  EXPECT_TRUE(PumpUntil([&] { return timerRan; }));
  EXPECT_TRUE(Frame().BringUpBusy());
  EXPECT_EQ(Frame().m_nSystemState, 1);
  EXPECT_FALSE(Frame().MenuAction(kCmdActivateNamingService)->isEnabled());
  // A second click does nothing, through the menu or as a command.
  Frame().MenuAction(kCmdActivateNamingService)->trigger();
  EXPECT_FALSE(Frame().ExecuteCommand(kCmdActivateNamingService));

  release.set_value();
  ASSERT_TRUE(Idle());
  EXPECT_FALSE(onWindowThread);
  EXPECT_EQ(Frame().m_nSystemState, 2);
  EXPECT_EQ(platform.started, std::vector<std::string>{"naming_service.bat||Naming_Service"});
  EXPECT_TRUE(Frame().MenuAction(kCmdActivateServerModules)->isEnabled());

  // The server step: every module of the run (all on the server).
  platform.onExecute = nullptr;
  ASSERT_TRUE(Frame().ExecuteCommand(kCmdActivateServerModules));
  ASSERT_TRUE(Idle());
  EXPECT_EQ(Frame().m_nSystemState, 4);
  EXPECT_EQ(platform.started.size(), 10u);
  // The progress lines reached the control panel.
  const std::vector<std::string> lines = PanelLines();
  EXPECT_NE(
      std::find(lines.begin(), lines.end(), "Started naming_service.bat (Naming_Service), process 1001."),
      lines.end());
  EXPECT_NE(std::find(lines.begin(), lines.end(), "Started nowsim.bat (NOW-SIM), process 1004."),
            lines.end());

  ASSERT_TRUE(Frame().ExecuteCommand(kCmdSetupCorbaAndStart));
  ASSERT_TRUE(Idle());
  EXPECT_EQ(Frame().m_nSystemState, 5);
  EXPECT_EQ(corba.calls.front(), "InitORB " + std::string(std::getenv("QELM_NAME_SERVICE_HOST")));
  EXPECT_TRUE(Frame().MenuAction(kCmdInputIncident)->isEnabled());

  ASSERT_TRUE(Frame().ExecuteCommand(kCmdCloseComponents));
  ASSERT_TRUE(Idle());
  EXPECT_EQ(Frame().m_nSystemState, 6);
  EXPECT_EQ(platform.closeDowns, 1);
  const std::vector<std::string> after = PanelLines();
  EXPECT_EQ(after.back(), "VORLANTIS-Q components closed.");
}

TEST_F(FrameBringUp, AFailedStepKeepsTheStateAndRunsAgain)
{
  ASSERT_TRUE(Frame().ExecuteCommand(kCmdCheckSystemSettings));
  platform.failing = {"naming_service.bat"};
  ASSERT_TRUE(Frame().ExecuteCommand(kCmdActivateNamingService));
  ASSERT_TRUE(Idle());
  EXPECT_EQ(Frame().m_nSystemState, 1);
  EXPECT_TRUE(Frame().MenuAction(kCmdActivateNamingService)->isEnabled());
  const std::vector<std::string> lines = PanelLines();
  EXPECT_EQ(lines.back(), "Failed to start naming_service.bat.");

  platform.failing.clear();
  ASSERT_TRUE(Frame().ExecuteCommand(kCmdActivateNamingService));
  ASSERT_TRUE(Idle());
  EXPECT_EQ(Frame().m_nSystemState, 2);

  // Setup CORBA and Start stops where Connect fails: the box reaches the
  // frame through the event loop, and the state stays.
  Frame().ExecuteCommand(kCmdActivateServerModules);
  ASSERT_TRUE(Idle());
  corba.results["Connect"] = 9;
  ASSERT_TRUE(Frame().ExecuteCommand(kCmdSetupCorbaAndStart));
  ASSERT_TRUE(Idle());
  EXPECT_EQ(Frame().m_nSystemState, 4);
  EXPECT_TRUE(PumpUntil([&] { return !console->messages.empty(); }));
  EXPECT_EQ(console->messages, std::vector<std::string>{"Failed to connect VORLANTIS-Q."});
}

TEST_F(FrameBringUp, TheFramesEndWaitsForARunningStepThenStopsAndEndsTheRun)
{
  ASSERT_TRUE(Frame().ExecuteCommand(kCmdCheckSystemSettings));
  std::vector<std::string> order;
  platform.order = &order;
  corba.order = &order;
  std::promise<void> release;
  std::shared_future<void> gate = release.get_future().share();
  platform.onExecute = [&] {
    gate.wait();
    order.push_back("started");
  };
  ASSERT_TRUE(Frame().ExecuteCommand(kCmdActivateNamingService));
  std::thread releaser([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    release.set_value();
  });
  console.reset();  // the frame goes while the step runs
  releaser.join();
  EXPECT_EQ(order, (std::vector<std::string>{"started", "StopIfRunning", "close"}));
  // The step's report, queued after the frame had gone, finds no frame.
  QTest::qWait(20);
}

TEST_F(FrameBringUp, DistributionSchemeOkIsReadAgainByTheFrameAndTheSteps)
{
  // A frame of the console's own system control, over this run directory.
  ConsoleSystem system;
  system.Attach(Frame());
  EXPECT_FALSE(Frame().m_bDistributed);
  std::string kind;
  // Distributed Mode, then OK.
  AcceptNextDialog(&kind, [](QDialog* d) {
    for (auto* radio : d->findChildren<QAbstractButton*>())
      if (radio->text() == "Distributed Mode")
        radio->click();
  });
  ASSERT_TRUE(Frame().ExecuteCommand(kCmdDistributionScheme));
  EXPECT_EQ(kind, "CDlgDistribution");
  EXPECT_TRUE(Frame().m_bDistributed);
  EXPECT_EQ(Frame().m_nMachineSum, 4);
  EXPECT_TRUE(system.BringUp()->Sequence().Distributed());

  // Cycles opens its dialog over the project.
  AcceptNextDialog(&kind);
  ASSERT_TRUE(Frame().ExecuteCommand(kCmdInputCycles));
  EXPECT_EQ(kind, "CDlgCyclesInput");
}

// The handler's window side in the real views: a NOWSIM end sets the
// estimation view's minute, writes the series and repaints the views with
// the new colours; its lines reach debug.log and the control panel.
TEST(ConsoleResultDisplay, NowsimEndRepaintsTheViewsWithItsValues)
{
  GeneratedRunDir run;
  Console console;
  console.Frame().ExecuteCommand(kCmdLoadData);
  ASSERT_TRUE(g_bDataLoaded);
  CLogicView* view = g_pEstimationView;
  const QImage before = view->viewport()->grab().toImage();

  ConsoleResultDisplay display;
  const int links = g_LineArray.GetSize();
  FetchedMessage msg =
      handler_test::Message(9, {handler_test::RTStat(7 * 3600.0f), handler_test::RTLink(links, 0)});
  ASSERT_EQ(ApplyMessage(msg, display), 0);
  EXPECT_EQ(view->Model().m_nMinute, 420);
  EXPECT_EQ(display.ViewMinute(IResultDisplay::kEstimationView), 420);
  EXPECT_DOUBLE_EQ(g_LineArray[0]->Series(kMeasureDensity, kSourceEstimate, 420),
                   handler_test::LinkValue(0, 0));

  const QImage after = view->viewport()->grab().toImage();
  ASSERT_EQ(before.size(), after.size());
  int changed = 0;
  for (int y = 30; y < after.height() - 40; y += 2)
    for (int x = 0; x < after.width(); x += 2)
      changed += (before.pixel(x, y) != after.pixel(x, y)) ? 1 : 0;
  EXPECT_GT(changed, 20);

  const std::string log = ReadAll("debug.log");
  EXPECT_NE(log.find("\nNOWSIM simulation ended.\nUpdating display from NOWSIM.\nNOWSIM Time: 420"),
            std::string::npos)
      << log;
  const std::vector<std::string> lines = PanelLines();
  EXPECT_NE(std::find(lines.begin(), lines.end(), "NOWSIM Time: 420"), lines.end());
  // Prediction view 1's minute follows the prediction clock.
  display.SetViewMinute(IResultDisplay::kPredictionView1, 77);
  EXPECT_EQ(g_pPredictionView1->Model().m_nMinute, 77);
}

// A record whose queue values are not numbers shows no queue in the real
// views: such a link used to draw a magenta line to the view's top-left
// corner. The control panel gets one line for the record.
TEST(ConsoleResultDisplay, AQueueThatIsNotANumberDrawsNoQueue)
{
  GeneratedRunDir run;
  Console console;
  console.Frame().ExecuteCommand(kCmdLoadData);
  ASSERT_TRUE(g_bDataLoaded);
  CLogicView* view = g_pEstimationView;
  view->Model().m_nDisplayMeasure = 3;
  ConsoleResultDisplay display;
  const int links = g_LineArray.GetSize();
  // Pixels of the queue pen (0xFF33FF, red and blue high, green low).
  auto queuePixels = [view] {
    const QImage image = view->viewport()->grab().toImage();
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) {
        const QColor c = image.pixelColor(x, y);
        count += (c.red() > 200 && c.blue() > 200 && c.green() < 100) ? 1 : 0;
      }
    return count;
  };

  // Queues of a quarter of each link at 7:00 draw in magenta.
  FetchedMessage quarter =
      handler_test::Message(9, {handler_test::RTStat(7 * 3600.0f), handler_test::RTLink(links, 0)});
  ASSERT_EQ(ApplyMessage(quarter, display), 0);
  EXPECT_GT(queuePixels(), 20);

  PlainRecord nanQueues = handler_test::RTLink(links, 0);
  for (std::size_t i = 0; i < nanQueues.F[2].size(); ++i)
    nanQueues.F[2][i] = std::nanf("");
  FetchedMessage later = handler_test::Message(9, {handler_test::RTStat(7 * 3600.0f + 60), nanQueues});
  ASSERT_EQ(ApplyMessage(later, display), 0);
  ASSERT_EQ(view->Model().m_nMinute, 421);
  EXPECT_EQ(queuePixels(), 0);
  const std::vector<std::string> lines = PanelLines();
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                          [](const std::string& l) { return l.rfind("Skipped GUIRTLINKDATA", 0) == 0; }),
            1);
  EXPECT_NE(std::find(lines.begin(), lines.end(),
                      "Skipped GUIRTLINKDATA: " + std::to_string(links) +
                          " values that are not finite, taken as no value"),
            lines.end());
}

}  // namespace
