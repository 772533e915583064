// The console run as an operator runs it, headless (offscreen): vlqgui's
// application object and frame with the program's system control in a run
// directory made by vlq_make_rundir; Load Data, then the File menu's five
// steps through the frame's commands (each waited for while the window
// handles its events); a few cycles of results change the estimation
// view's minute, its series and the colour of its links; Close VORLANTIS-Q
// Components leaves none of the run's processes, and the frame's end stops
// the servant.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QImage>
#include <QListWidget>
#include <QTest>
#include <QTimer>
#include <cmath>
#include <filesystem>

#include "CComponentView.h"
#include "CDrawLine.h"
#include "CLogicApp.h"
#include "CLogicDoc.h"
#include "CLogicView.h"
#include "CMainFrame.h"
#include "CProject.h"
#include "ConsoleState.h"
#include "ConsoleSystem.h"
#include "ConsoleWindows.h"
#include "GlobalArrays.h"
#include "LaunchedProcesses.h"
#include "LinkSeries.h"
#include "SystemFixtures.h"
#include "ViewProbe.h"

using namespace system_test;

namespace {

// Device pixel of the middle of a link's first segment in a view.
QPoint LinkMiddle(const CLogicView& view, const CDrawLine& link)
{
  const WorldPoint a = link.m_pPoints[0], b = link.m_pPoints[1];
  return uitest::DeviceOf(view, {(a.x + b.x) / 2, (a.y + b.y) / 2});
}

// The colours within 1 pixel of p.
std::set<QRgb> ColoursNear(const QImage& image, QPoint p)
{
  std::set<QRgb> out;
  for (int dy = -1; dy <= 1; ++dy)
    for (int dx = -1; dx <= 1; ++dx)
      if (image.rect().contains(p + QPoint(dx, dy)))
        out.insert(image.pixel(p + QPoint(dx, dy)) & 0xFFFFFF);
  return out;
}

int Count(const std::string& text, const std::string& what)
{
  int n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
    ++n;
  return n;
}

class ConsoleEndToEnd : public SystemRun
{
protected:
  ConsoleEndToEnd() : SystemRun(4, 3) {}
  void TearDown() override
  {
    g_bDataLoaded = false;
    SystemRun::TearDown();
  }
};

TEST_F(ConsoleEndToEnd, FileMenuBringsTheSystemUpAndCloseComponentsEndsIt)
{
  ConsoleSystem::Options options;
  options.extraOrbArgs = {"-ORBendPoint", "giop:tcp:127.0.0.1:"};
  ConsoleSystem system(options);
  auto app = std::make_unique<CLogicApp>();
  ASSERT_TRUE(app->InitInstance(false));
  std::vector<std::string> boxes;
  app->Document().SetMessagePresenter([&](const std::string& t) { boxes.push_back(t); });
  CMainFrame& frame = app->Frame();
  frame.resize(1400, 900);
  frame.LayOutPanes();
  QApplication::processEvents();
  system.Attach(frame);

  auto step = [&](int command, int state, int seconds) {
    SCOPED_TRACE(FindCommand(command).text);
    ASSERT_TRUE(frame.ExecuteCommand(command));
    // While it runs, a second click does nothing.
    if (frame.BringUpBusy()) {
      EXPECT_FALSE(frame.ExecuteCommand(command));
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return !frame.BringUpBusy(); }, seconds * 1000)) << Logs(run);
    ASSERT_EQ(frame.m_nSystemState, state) << (boxes.empty() ? "" : boxes.front()) << "\n" << Logs(run);
  };

  ASSERT_TRUE(frame.ExecuteCommand(kCmdLoadData));
  ASSERT_TRUE(g_bDataLoaded);
  CLogicView& view = *g_pEstimationView;
  const QImage loaded = view.viewport()->grab().toImage();

  // 1: the settings dialog, closed with OK.
  QTimer::singleShot(0, [] {
    (void)QTest::qWaitFor([] { return QApplication::activeModalWidget() != nullptr; }, 5000);
    if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
      d->accept();
  });
  ASSERT_NO_FATAL_FAILURE(step(kCmdCheckSystemSettings, 1, 10));
  ASSERT_NO_FATAL_FAILURE(step(kCmdActivateNamingService, 2, 30));
  ASSERT_TRUE(QTest::qWaitFor([&] { return PortAnswers(port); }, 30000)) << ReadFile("Naming_Service.log");
  // 3 is not offered: every program runs on this machine.
  EXPECT_FALSE(frame.MenuAction(kCmdActivateClientModules)->isEnabled());
  ASSERT_NO_FATAL_FAILURE(step(kCmdActivateServerModules, 4, 30));
  ASSERT_TRUE(QTest::qWaitFor([&] { return AllProgramsReady(run); }, 60000)) << Logs(run);
  ASSERT_NO_FATAL_FAILURE(step(kCmdSetupCorbaAndStart, 5, 200));
  EXPECT_TRUE(boxes.empty()) << boxes.front();

  // ---- a few cycles, the window handling its events meanwhile
  const int startMinute = view.Model().m_nMinute;
  ASSERT_TRUE(QTest::qWaitFor([&] { return Count(ReadFile("debug.log"), "\nNOWSIM Time: ") >= 3; }, 120000))
      << Logs(run);
  QApplication::processEvents();
  const int m = view.Model().m_nMinute;
  EXPECT_NE(m, startMinute);
  EXPECT_EQ(g_CurrentMinute.load(), m);
  // The link with the highest density at the view's minute, and its colour.
  int busiest = 0;
  for (int i = 0; i < g_LineArray.GetSize(); ++i)
    if (g_LineArray[i]->Series(kMeasureDensity, kSourceEstimate, m) >
        g_LineArray[busiest]->Series(kMeasureDensity, kSourceEstimate, m))
      busiest = i;
  EXPECT_GT(g_LineArray[busiest]->Series(kMeasureDensity, kSourceEstimate, m), 0.0);
  const QImage now = view.viewport()->grab().toImage();
  const QPoint p = LinkMiddle(view, *g_LineArray[busiest]);
  ASSERT_TRUE(now.rect().contains(p));
  const std::set<QRgb> before = ColoursNear(loaded, p), after = ColoursNear(now, p);
  EXPECT_NE(before, after) << p.x() << "," << p.y();
  EXPECT_TRUE(before.count(0x00FF00));  // density 0: the ramp's first colour
  EXPECT_FALSE(after.count(0x00FF00));

  // The progress of the steps and the handler's lines in the message list.
  std::vector<std::string> lines;
  auto* list = g_pComponentView->findChild<QListWidget*>();
  for (int i = 0; i < list->count(); ++i)
    lines.push_back(list->item(i)->text().toStdString());
  for (const char* line : {"Started naming_service.bat (Naming_Service), process ",
                           "Connected to VORLANTIS-Q.", "VORLANTIS-Q scheduler started.", "NOWSIM Time: "})
    EXPECT_NE(
        std::find_if(lines.begin(), lines.end(), [&](const std::string& l) { return l.rfind(line, 0) == 0; }),
        lines.end())
        << line;

  // ---- Close VORLANTIS-Q Components
  EXPECT_FALSE(RunProcesses(run).empty());
  ASSERT_NO_FATAL_FAILURE(step(kCmdCloseComponents, 6, 30));
  EXPECT_EQ(RunProcesses(run), std::vector<std::string>{});
  WaitUntil([] { return CLaunchedProcesses::Instance().Running().empty(); }, std::chrono::seconds(10));
  EXPECT_TRUE(CLaunchedProcesses::Instance().Running().empty());
  EXPECT_TRUE(system.Servant().IsRunning());

  // ---- the end of the console: the servant stops before the frame goes.
  app.reset();
  EXPECT_FALSE(system.Servant().IsRunning());
}

}  // namespace
