// Fixtures of the tests that run the whole system from a generated run
// directory: the run directory laid out by vlq_make_rundir with the built
// programs, the naming service's port answering, the run's processes still
// there, and the programs' logs for a failure's message.
#pragma once

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "CProcessList.h"
#include "CProject.h"
#include "CloseDown.h"
#include "TestSupport.h"

namespace system_test {

// The programs the run needs, under the build tree.
inline bool ProgramsBuilt(std::string* missing)
{
  for (const char* p : {"tallyhouse/Tallyhouse", "standins/management/Management", "standins/modules/NOWSIM"})
    if (!std::filesystem::exists(std::string(VLQ_BUILD_ROOT) + "/" + p)) {
      *missing = p;
      return false;
    }
  return true;
}

// Lays out a run directory of a rows x cols grid whose batch files start
// the built programs. False, with the generator's output, when it fails.
inline bool MakeRunDir(const std::string& run, const std::string& outFile, int rows, int cols,
                       std::string* why)
{
  ChildProcess gen;
  ChildProcess::Options o;
  o.stdout_file = o.stderr_file = outFile;
  if (!gen.Start(VLQ_MAKE_RUNDIR,
                 {run, "--rows", std::to_string(rows), "--cols", std::to_string(cols), "--seed", "5",
                  "--bindir", VLQ_BUILD_ROOT, "--ns-host", "127.0.0.1:1"},
                 o) ||
      !gen.Wait(std::chrono::seconds(60)) || gen.ExitCode() != 0) {
    *why = ReadFile(outFile);
    return false;
  }
  return true;
}

inline bool PortAnswers(int port)
{
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<uint16_t>(port));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
  ::close(fd);
  return ok;
}

// The run's processes still there: a listed image name, working in the run
// directory or in one of its folders.
inline std::vector<std::string> RunProcesses(const std::string& run)
{
  std::vector<std::string> out;
  CProcessList list;
  list.Refresh();
  for (const CProcess& p : list.Entries())
    for (const std::string& name : KillList())
      if (!p.zombie && p.Matches(name) && p.cwd.rfind(run, 0) == 0)
        out.push_back(p.name + " " + std::to_string(p.id));
  return out;
}

// The programs' logs below the run directory: the record store's and
// Management's in it, each module's in the folder it runs in.
inline const std::vector<std::string>& RunLogs()
{
  static const std::vector<std::string> logs = {
      "tallyhouse.log",      "management.log",        "estimate/NOWSIM.log",
      "predict/FORESIM.log", "predict1/FORESIM1.log", "NEARVET/NEARVET.log",
      "farvet/FARVET.log",   "odestimate/ODE.log",    "odpredict/ODP.log"};
  return logs;
}

// The start of each program's log.
inline std::string Logs(const std::string& run)
{
  std::string out;
  for (const std::string& f : RunLogs())
    out += "---- " + f + "\n" + ReadFile(run + "/" + f).substr(0, 3000);
  return out;
}

// Every program of the run has logged that it is ready.
inline bool AllProgramsReady(const std::string& run)
{
  for (const std::string& log : RunLogs())
    if (ReadFile(run + "/" + log).find("Succeded.") == std::string::npos)
      return false;
  return true;
}

// A run directory of a rows x cols grid, made the working directory, with
// QELM_NAME_SERVICE_HOST naming a free loopback port; skipped when the
// programs are not built. The end ends whatever is left of the run (by the
// ids this process started or working in the run directory) and empties
// the network.
class SystemRun : public ::testing::Test
{
protected:
  SystemRun(int rows, int cols) : m_rows(rows), m_cols(cols) {}

  void SetUp() override
  {
    std::string why;
    if (!ProgramsBuilt(&why))
      GTEST_SKIP() << why << " is not built";
    run = std::filesystem::canonical(dir.path()).string() + "/run";
    port = FreeLoopbackPort();
    ASSERT_TRUE(MakeRunDir(run, dir.file("gen.out"), m_rows, m_cols, &why)) << why;
    // The console runs in its run directory and names the naming service
    // through the environment, which the batch files inherit.
    ::setenv("QELM_NAME_SERVICE_HOST", ("127.0.0.1:" + std::to_string(port)).c_str(), 1);
    old = std::filesystem::current_path();
    std::filesystem::current_path(run);
  }

  void TearDown() override
  {
    if (old.empty())
      return;
    CloseComponents(CloseDownScope::ForThisConsole(run));
    g_Project.ClearNetworkArrays();
    g_Project.m_bProjectLoaded = false;
    std::filesystem::current_path(old);
  }

  TempDir dir{"vlq-system-run"};
  std::string run;
  int port = 0;
  std::filesystem::path old;

private:
  int m_rows, m_cols;
};

}  // namespace system_test
