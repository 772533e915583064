// The console's way from a module's ended message to its results in the
// stores: the message posted into the GUI servant's message target, the
// records fetched on the loop thread from a record store in another process
// (over IIOP on loopback), then applied on a stand-in window thread in one
// posted call. For a NOWSIM end (GUIRTSTATDATA and GUIRTLINKDATA, 120
// zones) and a FORESIM end (GUIPLINKDATA of a 20-minute stage and
// GUIPSTATDATA) at 5,000 and 50,000 links: median and worst over 50
// messages of the whole way, and of the window thread's share (the apply),
// which is all the window thread spends: the fetch runs on the loop thread.
// The views' repaint is not part of it (the views are not in this tree).
//
//   gui_bench [messages]   (default 50)
//
// The program starts itself as the record store's process (--server <dir>),
// which writes the store's reference to <dir>/store.ior.
#include "CDrawLine.h"
#include "CProject.h"
#include "GUI_VQMsgTarget.h"
#include "GlobalArrays.h"
#include "GuiThread.h"
#include "ModRecords.h"
#include "QELM_Tallyhouse_i.h"
#include "VQOStreamLog.h"
#include "VQSystemController.h"
#include "qelm_msg_codes.h"
#include "qelm_orb_args.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <mutex>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using K = QELM::Tallyhouse;

constexpr int kZones = 120;
constexpr int kStageMinutes = 20;

std::vector<float> Values(std::size_t n, int seed)
{
  std::vector<float> v(n);
  for (std::size_t k = 0; k < n; ++k)
    v[k] = static_cast<float>((k * 7 + static_cast<std::size_t>(seed)) % 1000) * 0.05f;
  return v;
}

// The window thread's stand-in, timing each posted call: when it ended and
// how long it ran.
class Window
{
public:
  GuiPoster Poster()
  {
    return [this](std::function<void()> f) {
      m_gui.Post([this, f = std::move(f)] {
        const auto t0 = Clock::now();
        f();
        const auto t1 = Clock::now();
        std::lock_guard<std::mutex> lock(m_mutex);
        m_done.emplace_back(t1, std::chrono::duration<double, std::milli>(t1 - t0).count());
        m_cv.notify_all();
      });
    };
  }
  // Waits for the next call to have run.
  std::pair<Clock::time_point, double> Next()
  {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_cv.wait(lock, [this] { return !m_done.empty(); });
    auto r = m_done.front();
    m_done.pop_front();
    return r;
  }

private:
  std::mutex m_mutex;
  std::condition_variable m_cv;
  std::deque<std::pair<Clock::time_point, double>> m_done;
  GuiThread m_gui;
};

struct QuietDisplay : IResultDisplay
{
  int lines = 0;
  int minutes[3] = {0, 0, 0};
  void DebugLog(const std::string&, bool) override { ++lines; }
  int ViewMinute(int view) const override { return minutes[view]; }
  void SetViewMinute(int view, int minute) override { minutes[view] = minute; }
  void InvalidateViews() override {}
  void InvalidatePredictionView(int) override {}
  void RefreshPreviews() override {}
};

// The controller fetching from the benchmark's record store.
struct BenchController : VQSystemController
{
  using VQSystemController::SetRecordStore;
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

std::string ReadText(const std::string& path)
{
  std::ifstream in(path);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
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

void Measure(GUI_VQMsgTarget& target, Window& window, long code, int links, int messages)
{
  std::vector<double> whole, apply;
  for (int k = 0; k < messages + 2; ++k) {
    QELM::MSG m;
    m.ID = static_cast<CORBA::Long>(code);
    const auto t0 = Clock::now();
    target.Post(m);
    const auto [done, ms] = window.Next();
    if (k < 2)
      continue;  // warm-up
    whole.push_back(std::chrono::duration<double, std::milli>(done - t0).count());
    apply.push_back(ms);
  }
  const Figures w = Of(whole), a = Of(apply);
  std::fprintf(g_out, "%7d  %-12s %9.1f %9.1f %12.1f %12.1f\n", links,
               code == MSG_NOWSIM_ENDED ? "NOWSIM end" : "FORESIM end", w.median, w.worst, a.median, a.worst);
  std::fflush(g_out);
}

int RunClient(const char* self, int messages)
{
  char tmpl[] = "/tmp/gui-bench-XXXXXX";
  if (!mkdtemp(tmpl)) {
    std::perror("mkdtemp");
    return 1;
  }
  const std::string dir = tmpl;
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
    ior = ReadText(dir + "/store.ior");
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
  CORBA::ORB_var orb = qelm_orb_init(std::vector<std::string>{}, QELM_ORB_ID);
  CORBA::Object_var obj = orb->string_to_object(ior.c_str());
  QELM::Tallyhouse_var store = QELM::Tallyhouse::_narrow(obj.in());
  BenchController controller;
  controller.SetRecordStore(store.in());
  QuietDisplay display;
  Window window;
  GUI_VQMsgTarget target(controller);
  target.SetDisplay(&display, window.Poster());
  target.StartThread();

  std::fprintf(
      g_out,
      "From an ended message to the stores applied: the whole way (loop-thread fetch over IIOP and the\n"
      "window thread's apply) and the window thread's share, in ms, median and worst of %d messages\n",
      messages);
  std::fprintf(g_out, "%7s  %-12s %9s %9s %12s %12s\n", "links", "message", "median", "worst", "window med",
               "window worst");
  for (int links : {5000, 50000}) {
    g_LineArray.RemoveAll();
    for (int i = 0; i < links; ++i)
      g_LineArray.Add(new CDrawLine());
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
    display.minutes[0] = display.minutes[1] = 420;
    Measure(target, window, MSG_NOWSIM_ENDED, links, messages);
    Measure(target, window, MSG_FORESIM_ENDED, links, messages);
  }
  target.StopLoop();
  g_LineArray.RemoveAll();
  try {
    store->Shutdown();
  } catch (const CORBA::Exception&) {
  }
  waitpid(pid, nullptr, 0);
  orb->destroy();
  std::remove((dir + "/store.ior").c_str());
  rmdir(dir.c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv)
{
  if (argc >= 3 && std::string(argv[1]) == "--server")
    return RunServer(argv[2]);
  const int messages = argc >= 2 ? std::max(1, std::atoi(argv[1])) : 50;
  return RunClient(argv[0], messages);
}
