// The console's CORBA side against the whole system, headless: a run
// directory made by vlq_make_rundir, the project loaded from it, the naming
// service, the record store, Management and every module started from the
// run directory's batch files by the console's launcher, the bring-up steps,
// a few cycles of results in the stores, and Close Components leaving none
// of the run's processes behind.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "BringUp.h"
#include "BringUpRecorder.h"
#include "CProcessList.h"
#include "CloseDown.h"
#include "HRTime.h"
#include "HandlerFixtures.h"
#include "LaunchedProcesses.h"
#include "QELM_GUI_i.h"
#include "ServantBringUp.h"
#include "StandInGuiThread.h"
#include "SystemFixtures.h"
#include "TestSupport.h"

namespace fs = std::filesystem;
using K = QELM::Tallyhouse;
using namespace system_test;

namespace {

// The window side of the console, reduced to what the test reads: each
// line with the current minute when it was logged, appended to debug.log as
// the control panel's DebugLog does, and the three views' minutes.
struct ConsoleDisplay : IResultDisplay
{
  struct Line
  {
    std::string text;
    int minute;
  };
  std::vector<Line> lines;
  int minutes[3] = {0, 0, 0};

  void DebugLog(const std::string& text, bool) override
  {
    lines.push_back({text, g_CurrentMinute.load()});
    std::ofstream("debug.log", std::ios::app) << "\n" << text;
  }
  int ViewMinute(int view) const override { return minutes[view]; }
  void SetViewMinute(int view, int minute) override { minutes[view] = minute; }
  void InvalidateViews() override {}
  void InvalidatePredictionView(int) override {}
  void RefreshPreviews() override {}

  int Count(const std::string& prefix) const
  {
    int n = 0;
    for (const Line& l : lines)
      n += l.text.rfind(prefix, 0) == 0 ? 1 : 0;
    return n;
  }
  // The minute of the last line that begins with prefix, or -1.
  int LastMinute(const std::string& prefix) const
  {
    for (auto it = lines.rbegin(); it != lines.rend(); ++it)
      if (it->text.rfind(prefix, 0) == 0)
        return it->minute;
    return -1;
  }
};

class SystemEndToEnd : public SystemRun
{
protected:
  SystemEndToEnd() : SystemRun(3, 2) {}

  void TearDown() override
  {
    if (!old.empty())
      gui.StopIfRunning();
    SystemRun::TearDown();
    handler_test::ResetWorld(0);
  }

  std::string Logs() { return system_test::Logs(run); }

  QELM_GUI_i gui;
};

TEST_F(SystemEndToEnd, BringUpResultsAndCloseDown)
{
  RecordingBringUpOutput output;
  g_Project.SetSinks(nullptr, &output, [](int) {});
  ASSERT_TRUE(g_Project.LoadProjectAndWriteBack()) << (output.boxes.empty() ? "" : output.boxes.front());
  const int links = g_LineArray.GetSize();
  ASSERT_EQ(links, 14);

  ConsoleDisplay display;
  GuiThread window;
  gui.Target().SetDisplay(&display, window.Poster());
  PlatformBringUp platform(&output, run);
  ServantBringUp corba(gui, {"-ORBendPoint", "giop:tcp:127.0.0.1:"});
  BringUpSequence::Options options;
  options.runDir = run;
  BringUpSequence bringUp(platform, corba, output, options);

  // ---- the File menu's steps
  ASSERT_EQ(bringUp.CheckSystemSettings(nullptr), BringUpSequence::Result::kDone);
  ASSERT_EQ(bringUp.ActivateNamingService(), BringUpSequence::Result::kDone);
  ASSERT_TRUE(WaitUntil([&] { return PortAnswers(port); }, std::chrono::seconds(30)))
      << ReadFile(run + "/Naming_Service.log");
  ASSERT_FALSE(bringUp.Distributed());
  ASSERT_EQ(bringUp.ActivateServerModules(), BringUpSequence::Result::kDone);
  ASSERT_TRUE(WaitUntil([&] { return AllProgramsReady(run); }, std::chrono::seconds(60))) << Logs();
  ASSERT_EQ(bringUp.SetupCorbaAndStart(), BringUpSequence::Result::kDone)
      << (output.boxes.empty() ? "" : output.boxes.front()) << "\n"
      << Logs();
  EXPECT_EQ(bringUp.State(), kStateStarted);
  EXPECT_TRUE(output.boxes.empty());

  // ---- a few cycles
  auto count = [&](const char* prefix) {
    int n = 0;
    window.Run([&] { n = display.Count(prefix); });
    return n;
  };
  ASSERT_TRUE(WaitUntil([&] { return count("Finished updating display from FARVET.") >= 3; },
                        std::chrono::seconds(180)))
      << Logs();
  // The cycles stopped (the test dialog's Stop), nothing more arrives.
  ASSERT_EQ(gui.VQSystemController::Stop(), 0) << gui.GetLastError();
  long posted = window.Posted();
  for (int quiet = 0; quiet < 20;) {
    SleepMs(100);
    const long now = window.Posted();
    quiet = now == posted ? quiet + 1 : 0;
    posted = now;
  }

  // ---- the stores hold what the modules sent last
  auto fetch = [&](K::DBKIDEnum kind) {
    PlainRecord r;
    std::string why;
    EXPECT_TRUE(gui.FetchLatest(kind, r, why)) << why;
    return r;
  };
  const PlainRecord stat = fetch(K::GUIRTSTATDATA), rt = fetch(K::GUIRTLINKDATA);
  const PlainRecord plink = fetch(K::GUIPLINKDATA), pstat = fetch(K::GUIPSTATDATA);
  const PlainRecord plink1 = fetch(K::GUIPLINKDATA_1), pstat1 = fetch(K::GUIPSTATDATA_1);
  const PlainRecord cca = fetch(K::CCA_CORRECTION), ccb = fetch(K::CCB_UPDATED_SPEED),
                    st = fetch(K::GUISTLINKDATA);
  window.Run([&] {
    int m = -1;
    ASSERT_TRUE(MinuteOfTime(stat.F[3][0], m));
    EXPECT_EQ(display.minutes[IResultDisplay::kEstimationView], m);
    EXPECT_EQ(display.LastMinute("NOWSIM Time:"), m);
    EXPECT_EQ(g_NetStats[0][m].numcars, stat.L[0][0]);
    EXPECT_DOUBLE_EQ(g_NetStats[0][m].AvgSpeed, stat.F[1][0]);
    for (int i = 0; i < links; ++i) {
      EXPECT_DOUBLE_EQ(g_LineArray[i]->Series(kMeasureDensity, kSourceEstimate, m), rt.F[0][i]) << i;
      EXPECT_DOUBLE_EQ(g_LineArray[i]->Series(kMeasureSpeed, kSourceEstimate, m), rt.F[1][i]) << i;
      EXPECT_DOUBLE_EQ(g_LineArray[i]->Series(kMeasureQueue, kSourceEstimate, m), rt.F[2][i] * 100.0) << i;
      EXPECT_DOUBLE_EQ(g_LineArray[i]->Series(kMeasureFlow, kSourceEstimate, m), rt.F[3][i]) << i;
    }
    const int zones = rt.L[1][0];
    EXPECT_EQ(g_Project.m_ODSize, zones);
    for (int i = 0; i < zones; ++i)
      for (int j = 0; j < zones; ++j)
        EXPECT_DOUBLE_EQ(g_Project.ODEntry(m / 5, i, j), rt.F[4][j * zones + i]);

    // The predictions, each at its own stage.
    const struct
    {
      const PlainRecord& links;
      const PlainRecord& stat;
      int source;
    } predictions[] = {{plink, pstat, kSourcePredict0}, {plink1, pstat1, kSourcePredict1}};
    for (const auto& p : predictions) {
      const int S = static_cast<int>(p.stat.F[3][0]), L = static_cast<int>(p.stat.F[4][0]);
      ASSERT_GT(L, 0);
      for (int t = 0; t < L; ++t)
        for (int i = 0; i < links; ++i) {
          const std::size_t at = static_cast<std::size_t>(t) * links + i;
          EXPECT_DOUBLE_EQ(g_LineArray[i]->Series(kMeasureSpeed, p.source, S + t), p.links.F[0][at]);
          EXPECT_DOUBLE_EQ(g_LineArray[i]->Series(kMeasureDensity, p.source, S + t), p.links.F[1][at]);
        }
    }

    // FARVET and NEARVET at the minute current when they ended.
    const int mf = display.LastMinute("FARVET ended.");
    const int mn = display.LastMinute("NEARVET ended.");
    EXPECT_DOUBLE_EQ(g_FarvetPerMinute[mf], cca.F[1][0]);
    EXPECT_DOUBLE_EQ(g_NearvetPerMinute[mn], ccb.F[1][0]);
    ASSERT_GT(st.L[1][0], 0);
    for (int j = 0; j < st.L[1][0]; ++j) {
      const int link = st.L[2][j] - 1;
      EXPECT_DOUBLE_EQ(g_LineArray[link]->Series(kMeasureSpeed, kSourceObserved, mn), st.F[2][j]);
      EXPECT_DOUBLE_EQ(g_LineArray[link]->Series(kMeasureFlow, kSourceObserved, mn), st.F[0][j]);
    }

    // The paths of both instances, as their files hold them.
    LockedPathLists paths = g_PredictedPaths.Lock();
    for (int k = 0; k < 2; ++k) {
      CTypedObArray<CPath> file;
      ReadPredictedPathFile(PredictedPathFile(k), file);
      ASSERT_GT(file.GetSize(), 0) << k;
      ASSERT_EQ(paths.List(k).GetSize(), file.GetSize()) << k;
      for (int i = 0; i < file.GetSize(); ++i)
        EXPECT_EQ(paths.List(k)[i]->m_Nodes, file[i]->m_Nodes) << k << " " << i;
    }
  });

  // ---- debug.log: emptied at activation, then the handler's lines
  const std::string log = ReadFile(run + "/debug.log");
  EXPECT_EQ(log.rfind("\nCyclic executive started.", 0), 0u) << log.substr(0, 200);
  for (const char* line :
       {"\nNOWSIM simulation ended.\nUpdating display from NOWSIM.\nNOWSIM Time: ",
        "\nFinished updating display from FORESIM.", "\nFinished updating display from FORESIM1.",
        "\nFinished updating display from NEARVET.", "\nFinished updating display from FARVET.",
        "\nODE started.", "\nODP ended."})
    EXPECT_NE(log.find(line), std::string::npos) << line;
  EXPECT_EQ(log.find("Skipped"), std::string::npos);
  EXPECT_EQ(log.find("dropped"), std::string::npos);

  // ---- Close VORLANTIS-Q Components
  EXPECT_FALSE(RunProcesses(run).empty());
  ASSERT_EQ(bringUp.CloseComponents(), BringUpSequence::Result::kDone);
  EXPECT_EQ(bringUp.State(), kStateClosed);
  EXPECT_EQ(RunProcesses(run), std::vector<std::string>{});
  // An ended program is reaped once all its threads have gone.
  WaitUntil([] { return CLaunchedProcesses::Instance().Running().empty(); }, std::chrono::seconds(10));
  for (pid_t left : CLaunchedProcesses::Instance().Running()) {
    CProcess p;
    ADD_FAILURE() << "left running: " << left << " "
                  << (ReadProcess("/proc", left, p) ? p.name + " in " + p.cwd : std::string("(gone)"));
  }
  // The end of the console after that: the servant stops, nothing else is left.
  bringUp.OnFrameDestroy();
  EXPECT_FALSE(gui.IsRunning());
}

}  // namespace
