// The console's way from a module's ended message to the three network
// views repainted with its values: the message posted into the GUI
// servant's message target, the records fetched on the loop thread from a
// record store in another process (over IIOP on loopback), applied by the
// console's handler through its result display, and the views painted by
// the window thread's event loop (offscreen). For a NOWSIM end
// (GUIRTSTATDATA and GUIRTLINKDATA, 120 zones) and a FORESIM end
// (GUIPLINKDATA of a 20-minute stage and GUIPSTATDATA) on generated
// networks loaded by the console: median and worst over the messages of the
// whole way, of the window thread's share (the handler's calls on it, the
// repaint), and the longest the window thread went without handling its
// events while the message was fetched and applied (a 1 ms timer's longest
// gap, and the longest single call of the handler on the window thread).
//
//   gui_bench [--messages N] [--empty-store] [LINKS...]
//             (default 50 messages; 5000 50000 200000 links)
//
// The program starts itself as the record store's process (--server <dir>,
// a scratch directory under TMPDIR, else /tmp), which writes the store's
// reference to <dir>/store.ior. It fails (status 1) when a network cannot
// be laid out or loads fewer links than asked, and when a message was
// dropped, a record skipped, or the views were not repainted within 10 s:
// its figures would be of less work. --empty-store puts no records in the
// store, so that the first message is dropped and the run fails.
#include <QApplication>
#include <QTimer>

#include "BenchSupport.h"
#include "CLogicApp.h"
#include "CLogicDoc.h"
#include "CLogicView.h"
#include "CMainFrame.h"
#include "CProject.h"
#include "ConsoleState.h"
#include "ConsoleSystem.h"
#include "ConsoleWindows.h"
#include "FileText.h"
#include "GUI_VQMsgTarget.h"
#include "GlobalArrays.h"
#include "GuiThread.h"
#include "ModRecords.h"
#include "PaintCounter.h"
#include "QELM_Tallyhouse_i.h"
#include "RunDirGen.h"
#include "VQSystemController.h"
#include "qelm_msg_codes.h"
#include "qelm_orb_args.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using K = QELM::Tallyhouse;

constexpr int kZones = 120;
constexpr int kStageMinutes = 20;
// The goals, for networks up to 200,000 links: median from the ended
// message to the three views repainted, and the longest the window thread
// may be held.
constexpr int kGoalLinks = 200000;
constexpr double kNowsimGoalMs = 100;
constexpr double kForesimGoalMs = 200;
constexpr double kBlockGoalMs = 16;
// The longest one message may take to be fetched, applied and repainted.
constexpr auto kMessageDeadline = std::chrono::seconds(10);

std::vector<float> Values(std::size_t n, int seed)
{
  std::vector<float> v(n);
  for (std::size_t k = 0; k < n; ++k)
    v[k] = static_cast<float>((k * 7 + static_cast<std::size_t>(seed)) % 1000) * 0.05f;
  return v;
}

// Times of one message on the window thread. The message is in flight from
// its post until the handler's call that repaints the views has returned;
// meanwhile the heartbeat (a 1 ms timer) keeps the longest gap between two
// of its ticks, and every call of the handler on the window thread is
// timed.
struct Timing
{
  std::atomic<bool> inFlight{false};
  bool applied = false;  // the views were invalidated by the handler
  Clock::time_point lastTick{}, applyEnd{};
  double lastTickCpu = 0;
  double gap = 0;                  // longest heartbeat gap while in flight
  double busy = 0;                 // the window thread's longest time on its CPU between two ticks
  double longest = 0;              // longest call of the handler on the window thread
  double windowMs = 0;             // all its calls together
  std::atomic<double> fetchMs{0};  // the records' fetch on the loop thread

  void Reset()
  {
    inFlight = false;
    applied = false;
    gap = busy = longest = windowMs = 0;
    fetchMs = 0;
  }
};

// The console's display, noting when the handler asks for the views'
// repaint (the last step of an ended message) and the lines that tell of a
// dropped message or a skipped record.
struct TimedDisplay : ConsoleResultDisplay
{
  bool invalidated = false;
  vlq::bench::HandlerLines lines;
  void DebugLog(const std::string& text, bool toPanel) override
  {
    lines.Note(text);
    ConsoleResultDisplay::DebugLog(text, toPanel);
  }
  void InvalidateViews() override
  {
    invalidated = true;
    ConsoleResultDisplay::InvalidateViews();
  }
};

// The controller fetching from the benchmark's record store, its fetches
// timed.
struct BenchController : VQSystemController
{
  using VQSystemController::SetRecordStore;
  Timing* timing = nullptr;
  bool FetchLatest(QELM::Tallyhouse::DBKIDEnum kind, PlainRecord& out, std::string& error) override
  {
    const auto start = Clock::now();
    const bool ok = VQSystemController::FetchLatest(kind, out, error);
    if (timing)
      timing->fetchMs =
          timing->fetchMs.load() + std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    return ok;
  }
};

int RunServer(const std::string& dir)
{
  if (chdir(dir.c_str()) != 0)
    return 1;
  const int devnull = open("/dev/null", O_WRONLY);
  if (devnull >= 0) {
    dup2(devnull, 1);
    close(devnull);
  }
  CORBA::ORB_var orb = qelm_orb_init(std::vector<std::string>{}, QELM_ORB_ID, 0, "giop:tcp:127.0.0.1:");
  CORBA::Object_var obj = orb->resolve_initial_references("RootPOA");
  PortableServer::POA_var poa = PortableServer::POA::_narrow(obj.in());
  PortableServer::POAManager_var mgr = poa->the_POAManager();
  mgr->activate();
  PortableServer::ServantBase_var store = new QELM_Tallyhouse_i(orb.in());
  PortableServer::ObjectId_var id = poa->activate_object(store.in());
  CORBA::Object_var ref = poa->id_to_reference(id.in());
  CORBA::String_var ior = orb->object_to_string(ref.in());
  {
    std::ofstream out("store.ior.tmp");
    out << ior.in();
  }
  std::rename("store.ior.tmp", "store.ior");
  orb->run();
  orb->destroy();
  return 0;
}

struct Figures
{
  double median = 0, worst = 0;
};

Figures Of(std::vector<double> v)
{
  std::sort(v.begin(), v.end());
  return {v[v.size() / 2], v.back()};
}

// The table goes here; standard output takes the programs' log lines.
std::FILE* g_out = stdout;

double Ms(Clock::time_point a, Clock::time_point b)
{
  return std::chrono::duration<double, std::milli>(b - a).count();
}

struct Row
{
  Figures whole, fetch, held, gap, window, paint;
};

// Times `messages` messages of the code after two of warm-up; false, with
// the reason in `failure`, when one was dropped, had a record skipped or was
// not repainted in time.
bool Measure(GUI_VQMsgTarget& target, Timing& timing, TimedDisplay& display, long code, int messages,
             Row& row, std::string& failure)
{
  PaintCounter counter;
  for (CLogicView* v : {g_pEstimationView, g_pPredictionView0, g_pPredictionView1})
    v->viewport()->installEventFilter(&counter);
  QTimer heartbeat;
  heartbeat.setTimerType(Qt::PreciseTimer);
  QObject::connect(&heartbeat, &QTimer::timeout, [&] {
    const auto now = Clock::now();
    const double cpu = vlq::bench::ThreadCpuMs();
    if (timing.inFlight) {
      timing.gap = std::max(timing.gap, Ms(timing.lastTick, now));
      timing.busy = std::max(timing.busy, cpu - timing.lastTickCpu);
    }
    timing.lastTick = now;
    timing.lastTickCpu = cpu;
  });
  heartbeat.start(1);

  std::vector<double> whole, fetch, held, gap, window, paint;
  for (int k = 0; k < messages + 2; ++k) {
    QELM::MSG m;
    m.ID = static_cast<CORBA::Long>(code);
    timing.Reset();
    counter.paints = 0;
    display.lines = {};
    QApplication::processEvents();
    timing.lastTick = Clock::now();
    timing.lastTickCpu = vlq::bench::ThreadCpuMs();
    timing.inFlight = true;
    const auto t0 = Clock::now();
    target.Post(m);
    // A dropped message never asks for the repaint: its line ends the wait.
    const auto deadline = t0 + kMessageDeadline;
    while (!timing.applied && display.lines.losses == 0 && Clock::now() < deadline)
      QApplication::processEvents(QEventLoop::AllEvents, 5);
    // The views' repaint: the paint events the apply asked for.
    while (counter.paints < 3 && display.lines.losses == 0 && Clock::now() < deadline)
      QApplication::processEvents(QEventLoop::AllEvents, 5);
    const auto t1 = Clock::now();
    if (display.lines.losses > 0 || !timing.applied || counter.paints < 3) {
      failure = "message " + std::to_string(k + 1) +
                (display.lines.losses > 0 ? " dropped/skipped: " + display.lines.firstLoss
                 : !timing.applied        ? ": not applied within 10 s"
                                          : ": the three views not repainted within 10 s");
      break;
    }
    if (k < 2)
      continue;  // warm-up
    whole.push_back(Ms(t0, t1));
    fetch.push_back(timing.fetchMs.load());
    held.push_back(std::max(timing.busy, timing.longest));
    gap.push_back(timing.gap);
    window.push_back(timing.windowMs);
    paint.push_back(Ms(timing.applyEnd, t1));
  }
  heartbeat.stop();
  for (CLogicView* v : {g_pEstimationView, g_pPredictionView0, g_pPredictionView1})
    v->viewport()->removeEventFilter(&counter);
  if (!failure.empty())
    return false;
  row = {Of(whole), Of(fetch), Of(held), Of(gap), Of(window), Of(paint)};
  return true;
}

// A row with its two verdicts: the median of the whole way, and the
// longest the window thread was held.
void PrintRow(int links, long code, const Row& r, double goal)
{
  using vlq::bench::Goal;
  const Goal whole{goal, "ms", Goal::kAtMost, kGoalLinks, "median"};
  const Goal held{kBlockGoalMs, "ms", Goal::kAtMost, kGoalLinks, "held"};
  std::fprintf(g_out, "%7d  %-12s %7.1f %7.1f %7.1f %7.1f %7.1f %7.1f %7.1f %7.1f %7.1f   %s; %s\n", links,
               code == MSG_NOWSIM_ENDED ? "NOWSIM end" : "FORESIM end", r.whole.median, r.whole.worst,
               r.fetch.median, r.held.worst, r.gap.worst, r.window.median, r.window.worst, r.paint.median,
               r.paint.worst, vlq::bench::Verdict(whole, r.whole.median, links).c_str(),
               vlq::bench::Verdict(held, r.held.worst, links).c_str());
  std::fflush(g_out);
}

// The records of both ended messages at `links` links, into the store.
void PutRecords(QELM::Tallyhouse_ptr store, int links)
{
  const std::size_t n = static_cast<std::size_t>(links);
  std::vector<std::vector<float>> rtF = {Values(n, 1), Values(n, 2), Values(n, 3), Values(n, 4),
                                         Values(kZones * kZones, 5)};
  for (float& q : rtF[2])
    q = q / 50.0f;
  store->InsertRecord(vlq::mod::MakeRecord(0, {{links}, {kZones}}, rtF), K::GUIRTLINKDATA);
  store->InsertRecord(vlq::mod::MakeRecord(0, {{1234}}, {{20.5f}, {31.0f}, {1.5f}, {25200.0f}}),
                      K::GUIRTSTATDATA);
  const std::size_t steps = static_cast<std::size_t>(kStageMinutes) * n;
  store->InsertRecord(
      vlq::mod::MakeRecord(0, {{kStageMinutes}, {links}},
                           {Values(steps, 6), Values(steps, 7), Values(steps, 8), Values(steps, 9)}),
      K::GUIPLINKDATA);
  store->InsertRecord(
      vlq::mod::MakeRecord(0, {{1234}}, {{20.5f}, {31.0f}, {1.5f}, {420.0f}, {float(kStageMinutes)}}),
      K::GUIPSTATDATA);
}

// A generated run directory of about `links` links.
bool MakeRun(const std::string& dir, int links)
{
  vlq::mod::RunDirOptions opt;
  opt.links = links;
  std::string error;
  if (!vlq::mod::WriteRunDir(dir, opt, error)) {
    std::fprintf(stderr, "gui_bench: %s\n", error.c_str());
    return false;
  }
  return true;
}

int RunClient(const char* self, int messages, bool emptyStore, const std::vector<int>& linkCounts)
{
  vlq::bench::ScratchDir scratch;
  std::string error;
  if (!scratch.Make("gui-bench-", error)) {
    std::fprintf(stderr, "gui_bench: %s\n", error.c_str());
    return 1;
  }
  const std::string dir = scratch.Path();
  const pid_t pid = fork();
  if (pid < 0) {
    std::perror("fork");
    return 1;
  }
  if (pid == 0) {
    execl("/proc/self/exe", self, "--server", dir.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  std::string ior;
  for (int i = 0; i < 3000 && ior.empty(); ++i) {
    if (!ReadFileText(dir + "/store.ior", ior))
      ior.clear();
    if (ior.empty())
      usleep(10000);
  }
  if (ior.empty()) {
    std::fprintf(stderr, "the record store did not start\n");
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return 1;
  }

  // The handler's time-stamped log lines go nowhere.
  g_out = fdopen(dup(1), "w");
  const int devnull = open("/dev/null", O_WRONLY);
  if (devnull >= 0) {
    dup2(devnull, 1);
    close(devnull);
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  int qtArgc = 1;
  char qtName[] = "gui_bench";
  char* qtArgv[] = {qtName, nullptr};
  QApplication qt(qtArgc, qtArgv);

  CORBA::ORB_var orb = qelm_orb_init(std::vector<std::string>{}, QELM_ORB_ID);
  CORBA::Object_var obj = orb->string_to_object(ior.c_str());
  QELM::Tallyhouse_var store = QELM::Tallyhouse::_narrow(obj.in());
  BenchController controller;
  controller.SetRecordStore(store.in());
  TimedDisplay display;
  Timing timing;
  controller.timing = &timing;
  GUI_VQMsgTarget target(controller);
  target.StartThread();

  std::fprintf(
      g_out,
      "From an ended message to the three network views repainted with its values (loop-thread fetch over\n"
      "IIOP, the handler, the views' repaint), ms over %d messages; 'fetch' is the records' fetch on the "
      "loop\n"
      "thread; 'held' the longest the window thread was kept from its events by work while the message was\n"
      "fetched and applied (its longest time on the CPU between two ticks of a 1 ms timer, or its longest\n"
      "call of the handler; goal: %.0f ms); 'gap' the timer's longest wall-clock gap meanwhile, which also\n"
      "counts the time the thread waited for a CPU; 'window' the handler's time on the window thread.\n"
      "Goals up to %s links: NOWSIM end <= %.0f ms, FORESIM end <= %.0f ms (median). Load average %s.\n",
      messages, kBlockGoalMs, vlq::bench::Grouped(kGoalLinks).c_str(), kNowsimGoalMs, kForesimGoalMs,
      vlq::bench::LoadAverage().c_str());
  std::fprintf(g_out, "%7s  %-12s %7s %7s %7s %7s %7s %7s %7s %7s %7s\n", "links", "message", "median",
               "worst", "fetch", "held", "gap", "win md", "win max", "paint md", "paint mx");
  int status = 0;
  const std::filesystem::path old = std::filesystem::current_path();
  for (int wanted : linkCounts) {
    const std::string run = dir + "/run" + std::to_string(wanted);
    if (!MakeRun(run, wanted)) {
      status = 1;
      break;
    }
    std::filesystem::current_path(run);
    {
      CLogicApp app;
      app.InitInstance(false);
      CMainFrame& frame = app.Frame();
      frame.resize(1600, 1000);
      frame.LayOutPanes();
      app.Document().SetMessagePresenter(
          [](const std::string& t) { std::fprintf(stderr, "%s\n", t.c_str()); });
      QApplication::processEvents();
      frame.ExecuteCommand(kCmdLoadData);
      QApplication::processEvents();
      const int links = g_LineArray.GetSize();
      if (!g_bDataLoaded || links != wanted) {
        std::fprintf(stderr, "gui_bench: the console loaded %d links of the %d laid out; nothing measured\n",
                     links, wanted);
        status = 1;
      } else {
        // Every call of the handler on the window thread, timed.
        target.SetDisplay(&display, [&timing, &display](std::function<void()> apply) {
          PostToGui([&timing, &display, apply = std::move(apply)] {
            const auto start = Clock::now();
            const double startCpu = vlq::bench::ThreadCpuMs();
            if (timing.inFlight) {
              timing.gap = std::max(timing.gap, Ms(timing.lastTick, start));
              timing.busy = std::max(timing.busy, startCpu - timing.lastTickCpu);
            }
            display.invalidated = false;
            apply();
            const auto end = Clock::now();
            const double endCpu = vlq::bench::ThreadCpuMs();
            timing.longest = std::max(timing.longest, endCpu - startCpu);
            timing.windowMs += Ms(start, end);
            timing.lastTick = end;
            timing.lastTickCpu = endCpu;
            if (display.invalidated && timing.inFlight) {
              timing.inFlight = false;
              timing.applied = true;
              timing.applyEnd = end;
            }
          });
        });

        if (!emptyStore)
          PutRecords(store.in(), links);
        for (const long code : {MSG_NOWSIM_ENDED, MSG_FORESIM_ENDED}) {
          Row row;
          std::string failure;
          if (!Measure(target, timing, display, code, messages, row, failure)) {
            std::fprintf(stderr, "gui_bench: FAILED: %s\n", failure.c_str());
            status = 1;
            break;
          }
          PrintRow(links, code, row, code == MSG_NOWSIM_ENDED ? kNowsimGoalMs : kForesimGoalMs);
        }
        target.SetDisplay(nullptr, {});
        QApplication::processEvents();
      }
    }
    g_Project.ClearNetworkArrays();
    g_Project.m_bProjectLoaded = false;
    g_bDataLoaded = false;
    std::filesystem::current_path(old);
    std::filesystem::remove_all(run);
    if (status != 0)
      break;
  }
  target.StopLoop();
  try {
    store->Shutdown();
  } catch (const CORBA::Exception&) {
  }
  waitpid(pid, nullptr, 0);
  std::fprintf(g_out, "Load average at the end %s.\n", vlq::bench::LoadAverage().c_str());
  orb->destroy();
  return status;
}

}  // namespace

int main(int argc, char** argv)
{
  if (argc >= 3 && std::string(argv[1]) == "--server")
    return RunServer(argv[2]);
  int messages = 50;
  bool emptyStore = false;
  std::vector<int> links;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    long long n = 0;
    if (arg == "--messages" && i + 1 < argc && vlq::bench::ParseInteger(argv[i + 1], 1, 1000000, n)) {
      messages = static_cast<int>(n);
      ++i;
      continue;
    }
    if (arg == "--empty-store") {
      emptyStore = true;
      continue;
    }
    if (!vlq::bench::ParseInteger(arg.c_str(), 1, 10000000, n)) {
      std::fprintf(stderr, "usage: gui_bench [--messages N] [--empty-store] [LINKS...]\n");
      return 2;
    }
    links.push_back(static_cast<int>(n));
  }
  if (links.empty())
    links = {5000, 50000, 200000};
  return RunClient(argv[0], messages, emptyStore, links);
}
