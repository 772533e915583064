// Close-down on real processes, run by the close-down tests in a PID
// namespace of its own, so that it can reach no process it did not start:
//
//   unshare --pid --fork --mount-proc --kill-child
//           vlq_closedown_probe running|idle <work dir> <vlq_sleeper>
//
// It lays out <work dir>/run (the console's run directory), other/ (another
// run) and run2/ (a name that begins like run), with copies of the sleeper
// under the system's program names, and starts them: through the launcher
// from batch files (scene "running", the bring-up done) and directly, as
// leftovers and decoys. Then it runs Close Components and prints one line
// per process, "<label> ended" or "<label> alive", then "killed <label>"
// for each process that needed SIGKILL, and "again <n>" with the number of
// processes a second Close Components ended. Exit code 0, or 3 when the
// processes could not be set up. Ending, it ends every process left in the
// namespace.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "CProcessMgr.h"
#include "CloseDown.h"
#include "SignalState.h"

namespace fs = std::filesystem;

namespace {

struct Started
{
  std::string label;
  pid_t pid;
  std::string task;  // the task name once the program runs
  bool ignoresTerm;
  CProcess process;
};

const uid_t kNobody = 65534;

// fork/exec of program with args in cwd, as another user when uid is set;
// output to /dev/null.
pid_t StartDirect(const std::string& program, const std::vector<std::string>& args, const std::string& cwd,
                  uid_t uid = static_cast<uid_t>(-1))
{
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const std::string& a : args)
    argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const pid_t pid = ::fork();
  if (pid == 0) {
    const int null = ::open("/dev/null", O_RDWR);
    ::dup2(null, 1);
    ::dup2(null, 2);
    if (::chdir(cwd.c_str()) != 0)
      ::_exit(126);
    if (uid != static_cast<uid_t>(-1) && (::setgid(kNobody) != 0 || ::setuid(uid) != 0))
      ::_exit(126);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  return pid;
}

bool Ready(Started& s)
{
  for (int i = 0; i < 2000; ++i) {
    if (ReadProcess("/proc", s.pid, s.process) && s.process.task == s.task &&
        (!s.ignoresTerm || IgnoresSigterm(s.pid)))
      return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

bool Alive(const Started& s)
{
  CProcess now;
  return ReadProcess("/proc", s.pid, now) && now.startTime == s.process.startTime && !now.zombie;
}

void CopyProgram(const std::string& from, const fs::path& to)
{
  fs::copy_file(from, to, fs::copy_options::overwrite_existing);
  fs::permissions(to, fs::perms(0755));
}

void WriteText(const fs::path& path, const std::string& text)
{
  std::ofstream(path) << text;
}

}  // namespace

int main(int argc, char** argv)
{
  if (argc != 4 || (std::strcmp(argv[1], "running") != 0 && std::strcmp(argv[1], "idle") != 0)) {
    std::fprintf(stderr, "usage: vlq_closedown_probe running|idle <work dir> <vlq_sleeper>\n");
    return 2;
  }
  const bool running = std::strcmp(argv[1], "running") == 0;
  const fs::path work = fs::canonical(argv[2]);
  const std::string sleeper = fs::canonical(argv[3]).string();
  const fs::path run = work / "run", other = work / "other", run2 = work / "run2";
  for (const fs::path& d : {run, run / "predict", other, run2})
    fs::create_directories(d);
  // The other user must reach the programs.
  for (const fs::path& d : {work, run, run / "predict", other, run2})
    fs::permissions(d, fs::perms(0755));
  CopyProgram(sleeper, run / "NOWSIM");
  CopyProgram(sleeper, run / "FORESIM");
  CopyProgram(sleeper, run / "nowsim");
  CopyProgram(sleeper, run / "KEEPER");
  CopyProgram(sleeper, other / "NOWSIM");
  CopyProgram(sleeper, run2 / "NOWSIM");
  fs::create_symlink(sleeper, run / "NAMEDIR");
  WriteText(run / "nowsim.bat", "exec ./NOWSIM sleep\n");
  WriteText(run / "naming_service.bat", "exec ./NAMEDIR sleep\n");
  WriteText(other / "foresim1.bat", "exec ../run/FORESIM sleep\n");
  if (::chdir(run.c_str()) != 0)
    return 3;

  std::vector<Started> started;
  auto add = [&](const std::string& label, pid_t pid, const std::string& task, bool ignoresTerm = false) {
    started.push_back({label, pid, task, ignoresTerm, {}});
  };
  if (running) {
    CProcessMgr mgr;
    add("nowsim-launched", mgr.Execute("nowsim.bat", "", "", false, "NOW-SIM"), "NOWSIM");
    add("namedir-launched", mgr.Execute("naming_service.bat", "", "", false, "Naming_Service"), "NAMEDIR");
    add("foresim1-launched-elsewhere", mgr.Execute("foresim1.bat", "", other.string(), false, "FORE-SIM1"),
        "FORESIM");
    add("foresim-stubborn",
        StartDirect((run / "FORESIM").string(), {"sleep", "--ignore-term"}, (run / "predict").string()),
        "FORESIM", true);
    add("nowsim-lowercase", StartDirect("./nowsim", {"sleep"}, run.string()), "nowsim");
  }
  add("foresim-leftover", StartDirect((run / "FORESIM").string(), {"sleep"}, run.string()), "FORESIM");
  add("nowsim-other-run", StartDirect((other / "NOWSIM").string(), {"sleep"}, other.string()), "NOWSIM");
  add("nowsim-prefix-dir", StartDirect((run2 / "NOWSIM").string(), {"sleep"}, run2.string()), "NOWSIM");
  add("keeper", StartDirect((run / "KEEPER").string(), {"sleep"}, run.string()), "KEEPER");
  if (::geteuid() == 0)
    add("nowsim-other-user", StartDirect((run / "NOWSIM").string(), {"sleep"}, run.string(), kNobody),
        "NOWSIM");

  for (Started& s : started) {
    if (s.pid <= 0 || !Ready(s)) {
      std::printf("not ready %s\n", s.label.c_str());
      return 3;
    }
  }

  const CloseDownReport report = CloseComponents(CloseDownScope::ForThisConsole());
  while (::waitpid(-1, nullptr, WNOHANG) > 0) {
  }
  for (const Started& s : started)
    std::printf("%s %s\n", s.label.c_str(), Alive(s) ? "alive" : "ended");
  for (const Started& s : started)
    for (pid_t k : report.killed)
      if (k == s.pid)
        std::printf("killed %s\n", s.label.c_str());
  const CloseDownReport again = CloseComponents(CloseDownScope::ForThisConsole());
  std::printf("again %zu\n", again.terminated.size() + again.killed.size() + again.remaining.size());
  std::fflush(stdout);
  return 0;
}
