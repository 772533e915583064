// The controller test panel (CGUIDlg) over the program's GUI servant
// through ServantTestTarget, offscreen, against a Management of the test's
// own: each button reaches the servant or the controller behind it.
#include <gtest/gtest.h>

#include <QDialog>
#include <QListWidget>
#include <QPushButton>
#include <algorithm>
#include <fstream>

#include "CGUIDlg.h"
#include "ConsoleSystem.h"
#include "CorbaFixtures.h"
#include "TestSupport.h"
#include "VQTimeCentral.h"

namespace {

// The controller test panel over the program's servant, against a
// Management of the test's own.
TEST(ServantTestTarget, ThePanelDrivesTheServant)
{
  corba_test::OrbWithNames env;
  corba_test::ServantPtr<corba_test::FakeManagement> management(new corba_test::FakeManagement);
  CORBA::Object_var obj = env.Publish(management.get(), "Management");
  TempDir dir("vlq-gui-panel");
  {
    std::ofstream cmd(dir.file("gui_cmd.dat"));
    for (const std::string& word : env.names.system_orb_args())
      cmd << word << "\n";
    cmd << "-ORBendPoint giop:tcp:127.0.0.1:\n";
  }

  QELM_GUI_i gui;
  ServantTestTarget target(gui);
  CGUIDlg dlg(target, dir.file("gui_cmd.dat"));
  auto click = [&](int b) { dlg.findChild<QPushButton*>(QString("test_%1").arg(b))->click(); };
  auto last = [&] { return dlg.Log()->item(dlg.Log()->count() - 1)->text().toStdString(); };

  management->SetFlags({false, false, false, false});
  click(kTestInitServer);
  EXPECT_EQ(last(), "CORBA server active");
  EXPECT_TRUE(gui.IsRunning());
  click(kTestConnect);
  EXPECT_EQ(last(), "Connected to VORLANTIS-Q") << gui.GetLastError();
  management->SetFlags({true, false, false, false});
  click(kTestSubscribe);
  EXPECT_EQ(last(), "Subscribed to VORLANTIS-Q messages");
  EXPECT_EQ(gui.SubscriptionId(), 7);
  click(kTestInitialize);
  EXPECT_EQ(last(), "VORLANTIS-Q Initialized");
  click(kTestStart);
  EXPECT_EQ(last(), "VORLANTIS-Q scheduler started");
  click(kTestStop);
  EXPECT_EQ(last(), "VORLANTIS-Q scheduler stopped");
  click(kTestShutdown);
  EXPECT_EQ(last(), "VORLANTIS-Q shut down");
  const std::vector<std::string> calls = management->Calls();
  for (const char* call : {"RegisterTarget", "Initialize", "Start real-time", "Stop", "Shutdown"})
    EXPECT_NE(std::find(calls.begin(), calls.end(), call), calls.end()) << call;
  click(kTestStopServerAndClose);
  EXPECT_FALSE(gui.IsRunning());
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
  VQTimeCentral::Connect(QELM::Management::_nil());
  env.Destroy();
}

}  // namespace
