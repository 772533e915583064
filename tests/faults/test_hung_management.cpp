// A Management that stops answering (SIGSTOP of the stand-in, a process of
// the test's own) never holds the console's window thread: the incident
// dialog's Add and Change return at once, the window thread keeps handling
// events while the commands wait, each command ends within the controller's
// bound, and the operator is told that it may still be applied, which it
// is once Management answers again. A dead Management keeps the plain
// failure text, and the File menu's calls end within the bound too.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <future>

#include "CDlgIncident.h"
#include "CProject.h"
#include "CommandQueue.h"
#include "DialogTestFixtures.h"
#include "GlobalArrays.h"
#include "GuiThread.h"
#include "OperatorPrompts.h"
#include "QELM_GUI_i.h"
#include "ServantBringUp.h"
#include "SystemFixtures.h"
#include "TestSupport.h"
#include "VQTimeCentral.h"

namespace {

using ui_fixtures::ButtonNamed;
using ui_fixtures::Child;

const char kUnknown[] = "Unkonwn error occurred.";

struct NoPrompts : IOperatorPrompts
{
  void ShowMessage(const std::string& text) override { ADD_FAILURE() << text; }
  void ShowInfo(const std::string& text) override { ADD_FAILURE() << text; }
  bool AskYesNo(const std::string&) override { return true; }
};

// The console's message boxes: shown on the window thread, with the number
// of timer ticks the window thread had handled by then.
struct WindowBoxes : IMessageSink
{
  struct Box
  {
    std::string text;
    int ticks;
  };
  void ShowMessage(const std::string& text) override
  {
    PostToGui([this, text] { boxes.push_back({text, ticks}); });
  }
  std::vector<Box> boxes;  // window thread only
  int ticks = 0;           // window thread only
};

class HungManagement : public ::testing::Test
{
protected:
  void SetUp() override
  {
    const std::string program = std::string(VLQ_BUILD_ROOT) + "/standins/management/Management";
    if (!std::filesystem::exists(program))
      GTEST_SKIP() << program << " is not built";
    // A project of a 2 x 2 grid, for the dialog's link list.
    std::string why;
    const std::string run = managementDir.file("run");
    ASSERT_TRUE(system_test::MakeRunDir(run, managementDir.file("gen.out"), 2, 2, &why)) << why;
    old = std::filesystem::current_path();
    std::filesystem::current_path(run);
    g_Project.SetSinks(nullptr, &loadMessages, [](int) {});
    ASSERT_TRUE(g_Project.LoadProjectAndWriteBack());
    g_Project.StopRealTimeReader();
    g_IncidentArray.RemoveAll();
    ChildProcess::Options o;
    o.working_dir = managementDir.path();
    o.stdout_file = o.stderr_file = managementDir.file("out.txt");
    std::vector<std::string> args = names.orb_args();
    args.insert(args.end(), {"-ORBendPoint", "giop:tcp:127.0.0.1:"});
    ASSERT_TRUE(management.Start(program, args, o));
    ASSERT_TRUE(
        WaitUntil([&] { return Log().find("Succeded.") != std::string::npos; }, std::chrono::seconds(60)))
        << Log() << ReadFile(managementDir.file("out.txt"));

    VQTimeCentral::SetTimingForTest(2000, 0, -1);
    ASSERT_EQ(corba.InitORB(names.host_port()), 0);
    ASSERT_EQ(corba.StartServer(), 0);
    ASSERT_EQ(corba.Connect(), 0) << gui.GetLastError();
    ASSERT_EQ(corba.Subscribe(), 0) << gui.GetLastError();

    InstallGuiThread();
    QObject::connect(&ticker, &QTimer::timeout, [this] { ++boxes.ticks; });
    ticker.start(10);
  }
  void TearDown() override
  {
    ticker.stop();
    if (management.Running())
      management.Signal(SIGCONT);
    commands.Close();
    gui.StopIfRunning();
    VQTimeCentral::SetTimingForTest(-1, -1, -1);
    management.Terminate();
    g_IncidentArray.RemoveAll();
    g_Project.ClearNetworkArrays();
    g_Project.m_bProjectLoaded = false;
    g_Project.SetSinks(nullptr, nullptr, nullptr);
    if (!old.empty())
      std::filesystem::current_path(old);
  }

  std::string Log() const { return ReadFile(managementDir.file("management.log")); }
  // Lines of Management's log that tell a command of this code.
  int Commands(int code) const
  {
    const std::string needle = "Command message " + std::to_string(code) + " ";
    int n = 0;
    const std::string log = Log();
    for (std::size_t at = log.find(needle); at != std::string::npos; at = log.find(needle, at + 1))
      ++n;
    return n;
  }
  bool BoxShown(std::size_t n)
  {
    return QTest::qWaitFor([&] { return boxes.boxes.size() >= n; }, 45000);
  }

  struct : IMessageSink
  {
    void ShowMessage(const std::string& text) override { ADD_FAILURE() << text; }
  } loadMessages;
  NoPrompts prompts;
  std::filesystem::path old;
  NamingServiceFixture names;
  TempDir managementDir{"vlq-hung-management"};
  ChildProcess management;
  QELM_GUI_i gui;
  ServantBringUp corba{gui, {"-ORBendPoint", "giop:tcp:127.0.0.1:"}};
  WindowBoxes boxes;
  CommandQueue commands{gui, boxes};
  QTimer ticker;
};

TEST_F(HungManagement, TheDialogAnswersAndTheCommandMayStillBeApplied)
{
  CDlgIncident dlg(commands, nullptr, &prompts);
  dlg.show();
  auto click = [&](const char* text) { QTest::mouseClick(ButtonNamed(&dlg, text), Qt::LeftButton); };

  // Answering: the add reaches Management, nothing is shown.
  click("Add");
  ASSERT_TRUE(QTest::qWaitFor([&] { return Commands(42) == 1; }, 20000)) << Log();
  ASSERT_TRUE(QTest::qWaitFor([&] { return commands.Pending() == 0; }, 20000));

  // Stopped: Add returns with the command still under way, the window
  // thread goes on handling events until the command's bound is over, and
  // the box says that the incident may still be applied.
  management.Signal(SIGSTOP);
  Child<QComboBox>(&dlg, "severity")->setCurrentIndex(6);
  const int ticksAtAdd = boxes.ticks;
  click("Add");
  EXPECT_EQ(g_IncidentArray.GetSize(), 2);
  EXPECT_EQ(Child<QListWidget>(&dlg, "incidentList")->count(), 2);
  EXPECT_EQ(commands.Pending(), 1);
  ASSERT_TRUE(BoxShown(1));
  EXPECT_EQ(boxes.boxes[0].text, VQSystemController::kTextCommandNoAnswer);
  EXPECT_GT(boxes.boxes[0].ticks, ticksAtAdd);

  // A Change (remove and add, both unanswered) is one box.
  Child<QComboBox>(&dlg, "severity")->setCurrentIndex(8);
  click("Change");
  EXPECT_EQ(commands.Pending(), 1);
  ASSERT_TRUE(BoxShown(2));
  EXPECT_EQ(boxes.boxes[1].text, VQSystemController::kTextCommandNoAnswer);
  ASSERT_TRUE(QTest::qWaitFor([&] { return commands.Pending() == 0; }, 20000));
  EXPECT_EQ(boxes.boxes.size(), 2u);

  // Management answers again and carries out what it received.
  management.Signal(SIGCONT);
  EXPECT_TRUE(QTest::qWaitFor([&] { return Commands(42) == 3 && Commands(43) == 1; }, 20000)) << Log();

  // Dead: the plain failure, as for any call that fails.
  management.Signal(SIGKILL);
  ASSERT_TRUE(management.Wait(std::chrono::seconds(20)));
  click("Delete");
  ASSERT_TRUE(BoxShown(3));
  EXPECT_EQ(boxes.boxes[2].text, kUnknown);
  EXPECT_EQ(g_IncidentArray.GetSize(), 1);
}

TEST_F(HungManagement, TheFileMenusCallsEndWithinTheirBound)
{
  // The bring-up steps run off the window thread; each call of theirs ends
  // within the controller's bound, far below the ORB's own.
  management.Signal(SIGSTOP);
  std::future<int> subscribe = std::async(std::launch::async, [&] { return gui.Subscribe(); });
  ASSERT_EQ(subscribe.wait_for(std::chrono::seconds(45)), std::future_status::ready);
  // The status read found no answer: nothing was asked of Management.
  EXPECT_EQ(subscribe.get(), 1);
  std::future<int> unsubscribe = std::async(std::launch::async, [&] { return gui.Unsubscribe(); });
  ASSERT_EQ(unsubscribe.wait_for(std::chrono::seconds(45)), std::future_status::ready);
  EXPECT_EQ(unsubscribe.get(), 1);
  // The console's end with a stopped Management: withdraw, stop, drop.
  std::future<int> stop = std::async(std::launch::async, [&] { return gui.StopIfRunning(); });
  ASSERT_EQ(stop.wait_for(std::chrono::seconds(45)), std::future_status::ready);
  EXPECT_FALSE(gui.IsRunning());
}

}  // namespace
