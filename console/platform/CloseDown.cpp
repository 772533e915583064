#include "CloseDown.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <filesystem>
#include <map>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

#include "LaunchedProcesses.h"

namespace {

const char kProc[] = "/proc";
constexpr std::chrono::milliseconds kPoll{20};
constexpr std::chrono::milliseconds kKillWait{1000};

bool InsideDir(const std::string& path, std::string dir)
{
  while (dir.size() > 1 && dir.back() == '/')
    dir.pop_back();
  if (dir.empty() || path.empty())
    return false;
  if (path == dir)
    return true;
  const std::string base = dir == "/" ? dir : dir + "/";
  return path.compare(0, base.size(), base) == 0;
}

// p or one of its ancestors in the list was started by this console (a
// batch file run in a terminal window has the terminal as parent).
bool StartedByConsole(const CProcess& p, const std::map<pid_t, const CProcess*>& byId,
                      const std::set<pid_t>& launched)
{
  if (launched.count(p.group))
    return true;
  const CProcess* q = &p;
  for (int depth = 0; q && depth < 64; ++depth) {
    if (launched.count(q->id))
      return true;
    if (q->parent <= 1)
      return false;
    const auto it = byId.find(q->parent);
    q = it == byId.end() ? nullptr : it->second;
  }
  return false;
}

// Whether the process with p's id is still p and has not ended.
bool StillRunning(const CProcess& p)
{
  CProcess now;
  return ReadProcess(kProc, p.id, now) && now.startTime == p.startTime && !now.zombie;
}

enum class SignalResult { kSent, kGone, kRefused };

// Signals p through a process descriptor, so that the signal cannot reach
// a later process that has taken p's id after the check.
SignalResult SendSignal(const CProcess& p, int sig)
{
  const long fd = ::syscall(SYS_pidfd_open, p.id, 0);
  if (fd < 0 && errno == ESRCH)
    return SignalResult::kGone;
  if (!StillRunning(p)) {
    if (fd >= 0)
      ::close(static_cast<int>(fd));
    return SignalResult::kGone;
  }
  int r;
  if (fd >= 0) {
    r = static_cast<int>(::syscall(SYS_pidfd_send_signal, static_cast<int>(fd), sig, nullptr, 0));
    ::close(static_cast<int>(fd));
  } else {
    r = ::kill(p.id, sig);  // kernels without process descriptors
  }
  if (r == 0)
    return SignalResult::kSent;
  return errno == ESRCH ? SignalResult::kGone : SignalResult::kRefused;
}

// Polls until none of ps runs or the time has passed; the console's own
// children are reaped on the way, so that they do not stay as zombies.
// Returns those still running.
std::vector<CProcess> WaitForEnd(std::vector<CProcess> ps, std::chrono::milliseconds timeout)
{
  const auto until = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    CLaunchedProcesses::Instance().Running();
    std::erase_if(ps, [](const CProcess& p) { return !StillRunning(p); });
    if (ps.empty() || std::chrono::steady_clock::now() >= until)
      return ps;
    std::this_thread::sleep_for(kPoll);
  }
}

bool Contains(const std::vector<CProcess>& ps, pid_t id)
{
  return std::any_of(ps.begin(), ps.end(), [id](const CProcess& p) { return p.id == id; });
}

}  // namespace

const std::vector<std::string>& KillList()
{
  static const std::vector<std::string> names = {"FORESIM.EXE", "NOWSIM.EXE",     "NEARVET.EXE",
                                                 "FARVET.EXE",  "Management.EXE", "Tallyhouse.EXE",
                                                 "ODE.EXE",     "ODP.EXE",        "NAMEDIR.EXE"};
  return names;
}

CloseDownScope CloseDownScope::ForThisConsole(const std::string& runDir)
{
  CloseDownScope scope;
  scope.uid = ::getuid();
  scope.self = ::getpid();
  scope.launched = CLaunchedProcesses::Instance().Running();
  std::error_code ec;
  const std::filesystem::path dir =
      runDir.empty() ? std::filesystem::current_path(ec) : std::filesystem::weakly_canonical(runDir, ec);
  if (!ec)
    scope.runDir = dir.lexically_normal().string();
  while (scope.runDir.size() > 1 && scope.runDir.back() == '/')
    scope.runDir.pop_back();
  return scope;
}

std::vector<CProcess> SelectProcessesToEnd(const std::vector<CProcess>& processes,
                                           const std::vector<std::string>& names, const CloseDownScope& scope)
{
  std::map<pid_t, const CProcess*> byId;
  for (const CProcess& p : processes)
    byId[p.id] = &p;
  std::vector<CProcess> chosen;
  for (const std::string& name : names) {
    for (const CProcess& p : processes) {
      if (p.zombie || p.id == scope.self || p.uid != scope.uid || !p.Matches(name) || Contains(chosen, p.id))
        continue;
      if (StartedByConsole(p, byId, scope.launched) || InsideDir(p.cwd, scope.runDir))
        chosen.push_back(p);
    }
  }
  return chosen;
}

CloseDownReport EndProcesses(const std::vector<CProcess>& processes, std::chrono::milliseconds grace)
{
  CloseDownReport report;
  // Signals each process; returns those signalled. One that has gone
  // counts as terminated, one that refuses the signal as remaining.
  auto signalAll = [&report](const std::vector<CProcess>& ps, int sig) {
    std::vector<CProcess> sent;
    for (const CProcess& p : ps) {
      switch (SendSignal(p, sig)) {
      case SignalResult::kSent: sent.push_back(p); break;
      case SignalResult::kGone: report.terminated.push_back(p.id); break;
      case SignalResult::kRefused: report.remaining.push_back(p.id); break;
      }
    }
    return sent;
  };
  const std::vector<CProcess> termed = signalAll(processes, SIGTERM);
  const std::vector<CProcess> stubborn = WaitForEnd(termed, grace);
  for (const CProcess& p : termed)
    if (!Contains(stubborn, p.id))
      report.terminated.push_back(p.id);

  const std::vector<CProcess> killed = signalAll(stubborn, SIGKILL);
  for (const CProcess& p : killed)
    report.killed.push_back(p.id);
  for (const CProcess& p : WaitForEnd(killed, kKillWait))
    report.remaining.push_back(p.id);
  return report;
}

CloseDownReport KillProcessByName(const std::string& name, const CloseDownScope& scope,
                                  std::chrono::milliseconds grace)
{
  CProcessList list;
  list.Refresh();
  return EndProcesses(SelectProcessesToEnd(list.Entries(), {name}, scope), grace);
}

CloseDownReport CloseComponents(const CloseDownScope& scope, std::chrono::milliseconds grace)
{
  CProcessList list;
  list.Refresh();
  return EndProcesses(SelectProcessesToEnd(list.Entries(), KillList(), scope), grace);
}
