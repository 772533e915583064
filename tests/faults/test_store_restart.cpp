// The record store killed and started again from its batch file under a
// running console side and the module stand-ins (the whole system from a
// generated run directory): the console tells the loss once and the return
// once, the messages in between are logged and dropped, and the cycles after
// the restart are fetched from the new store and applied; the modules insert
// into it again.
#include <gtest/gtest.h>

#include <csignal>
#include <fstream>

#include "BringUp.h"
#include "BringUpRecorder.h"
#include "CProcessList.h"
#include "HRTime.h"
#include "HandlerFixtures.h"
#include "QELM_GUI_i.h"
#include "ServantBringUp.h"
#include "StandInGuiThread.h"
#include "SystemFixtures.h"
#include "TestSupport.h"
#include "qelm_record_layout.h"

using namespace system_test;

namespace {

// The window side, with counts of its lines.
struct PanelDisplay : handler_test::RecordingDisplay
{
  int Count(const std::string& part, bool panel) const
  {
    int n = 0;
    for (const auto& [text, toPanel] : lines)
      n += toPanel == panel && text.find(part) != std::string::npos ? 1 : 0;
    return n;
  }
  // Lines containing part after the first line containing after.
  int CountAfter(const std::string& after, const std::string& part) const
  {
    int n = 0;
    bool seen = false;
    for (const auto& line : lines) {
      const std::string& text = line.first;
      if (seen && text.find(part) != std::string::npos)
        ++n;
      seen = seen || text.find(after) != std::string::npos;
    }
    return n;
  }
};

// The run's record store process.
pid_t StorePid(const std::string& run)
{
  CProcessList list;
  list.Refresh();
  for (const CProcess& p : list.Entries())
    if (!p.zombie && p.Matches("Tallyhouse.EXE") && p.cwd.rfind(run, 0) == 0)
      return static_cast<pid_t>(p.id);
  return -1;
}

class StoreRestart : public SystemRun
{
protected:
  StoreRestart() : SystemRun(3, 2) {}
  void TearDown() override
  {
    if (!old.empty())
      gui.StopIfRunning();
    SystemRun::TearDown();
    handler_test::ResetWorld(0);
  }
  QELM_GUI_i gui;
};

TEST_F(StoreRestart, TheNextCycleIsServedByTheRestartedStore)
{
  RecordingBringUpOutput output;
  g_Project.SetSinks(nullptr, &output, [](int) {});
  ASSERT_TRUE(g_Project.LoadProjectAndWriteBack());
  PanelDisplay display;
  GuiThread window;
  gui.Target().SetDisplay(&display, window.Poster());
  PlatformBringUp platform(&output, run);
  ServantBringUp corba(gui, {"-ORBendPoint", "giop:tcp:127.0.0.1:"});
  BringUpSequence::Options options;
  options.runDir = run;
  BringUpSequence bringUp(platform, corba, output, options);
  ASSERT_EQ(bringUp.CheckSystemSettings(nullptr), BringUpSequence::Result::kDone);
  ASSERT_EQ(bringUp.ActivateNamingService(), BringUpSequence::Result::kDone);
  ASSERT_TRUE(WaitUntil([&] { return PortAnswers(port); }, std::chrono::seconds(30)));
  ASSERT_EQ(bringUp.ActivateServerModules(), BringUpSequence::Result::kDone);
  ASSERT_TRUE(WaitUntil([&] { return AllProgramsReady(run); }, std::chrono::seconds(60))) << Logs(run);
  ASSERT_EQ(bringUp.SetupCorbaAndStart(), BringUpSequence::Result::kDone) << Logs(run);

  auto onWindow = [&](const std::function<int()>& f) {
    int n = 0;
    window.Run([&] { n = f(); });
    return n;
  };
  const char kApplied[] = "Finished updating display from NOWSIM";
  ASSERT_TRUE(WaitUntil([&] { return onWindow([&] { return display.Count(kApplied, false); }) >= 2; },
                        std::chrono::seconds(120)))
      << Logs(run);

  // ---- killed: one loss line, the later drops in debug.log only
  const pid_t store = StorePid(run);
  ASSERT_GT(store, 0);
  ASSERT_EQ(::kill(store, SIGKILL), 0);
  ASSERT_TRUE(WaitUntil([&] { return StorePid(run) < 0; }, std::chrono::seconds(20)));
  ASSERT_TRUE(WaitUntil([&] { return onWindow([&] { return display.Count("dropped", false); }) >= 3; },
                        std::chrono::seconds(120)))
      << Logs(run);

  // ---- started again from its batch file
  std::remove((run + "/tallyhouse.log").c_str());
  ASSERT_GT(platform.Execute("tallyhouse.bat", "", run, false, "Tallyhouse"), 0);
  ASSERT_TRUE(
      WaitUntil([&] { return ReadFile(run + "/tallyhouse.log").find("Succeded.") != std::string::npos; },
                std::chrono::seconds(60)));
  ASSERT_TRUE(
      WaitUntil([&] { return onWindow([&] { return display.CountAfter(kTextStoreBack, kApplied); }) >= 2; },
                std::chrono::seconds(120)))
      << Logs(run);
  ASSERT_EQ(gui.VQSystemController::Stop(), 0) << gui.GetLastError();
  long posted = window.Posted();
  for (int quiet = 0; quiet < 20;) {
    SleepMs(100);
    const long now = window.Posted();
    quiet = now == posted ? quiet + 1 : 0;
    posted = now;
  }

  window.Run([&] {
    EXPECT_EQ(display.Count(kTextStoreLost, true), 1);
    EXPECT_EQ(display.Count(kTextStoreBack, true), 1);
    EXPECT_EQ(display.Count("dropped", true), 1);
    EXPECT_GE(display.Count("dropped", false), 3);
  });

  // The views hold what the new store holds.
  PlainRecord stat, links;
  std::string why;
  ASSERT_TRUE(gui.FetchLatest(QELM::Tallyhouse::GUIRTSTATDATA, stat, why)) << why;
  ASSERT_TRUE(gui.FetchLatest(QELM::Tallyhouse::GUIRTLINKDATA, links, why)) << why;
  using qelm_layout::RTLink;
  using qelm_layout::RTStat;
  ASSERT_GT(stat.F.size(), static_cast<std::size_t>(RTStat::kTimeNow));
  ASSERT_GE(stat.F[RTStat::kTimeNow].size(), 1u);
  ASSERT_GT(links.F.size(), static_cast<std::size_t>(RTLink::kDensity));
  window.Run([&] {
    ASSERT_GE(links.F[RTLink::kDensity].size(), static_cast<std::size_t>(g_LineArray.GetSize()));
    int m = -1;
    ASSERT_TRUE(MinuteOfTime(stat.F[RTStat::kTimeNow][0], m));
    EXPECT_EQ(display.minutes[IResultDisplay::kEstimationView], m);
    for (int i = 0; i < g_LineArray.GetSize(); ++i)
      EXPECT_DOUBLE_EQ(g_LineArray[i]->Series(kMeasureDensity, kSourceEstimate, m),
                       links.F[RTLink::kDensity][static_cast<std::size_t>(i)])
          << i;
  });

  // The modules told the loss and the return once each.
  const std::string nowsim = ReadFile(run + "/estimate/NOWSIM.log");
  auto count = [](const std::string& text, const std::string& part) {
    int n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
      ++n;
    return n;
  };
  EXPECT_EQ(count(nowsim, "the record store is lost"), 1) << nowsim.substr(0, 4000);
  EXPECT_EQ(count(nowsim, "the record store answers again"), 1) << nowsim.substr(0, 4000);

  ASSERT_EQ(bringUp.CloseComponents(), BringUpSequence::Result::kDone);
}

}  // namespace
