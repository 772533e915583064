// The process launcher: the command line and what runs (tables), then real
// starts of batch files and programs, their errors, their descriptors and
// their process group.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

#include "CProcessList.h"
#include "CProcessMgr.h"
#include "CProject.h"
#include "LaunchedProcesses.h"
#include "TestSupport.h"

namespace {

TEST(ProcessMgrCommandLine, Table)
{
  struct Case
  {
    const char* target;
    const char* params;
    const char* line;
  } cases[] = {
      {"naming_service.bat", "", "naming_service.bat"},
      {"nowsim.bat", "-x 1", "nowsim.bat -x 1"},
      {"run dir/nowsim.bat", "", "\"run dir/nowsim.bat\""},
      {"a\tb", "p", "\"a\tb\" p"},
      {"prog", " ", "prog  "},  // params are taken as they are
  };
  for (const Case& c : cases)
    EXPECT_EQ(BuildCommandLine(c.target, c.params), c.line) << c.target << " / " << c.params;
}

TEST(ProcessMgrCommandLine, Words)
{
  using W = std::vector<std::string>;
  struct Case
  {
    const char* line;
    W words;
  } cases[] = {
      {"", {}},
      {"  \t ", {}},
      {"a b\tc", {"a", "b", "c"}},
      {"\"run dir/x.bat\" -p  1", {"run dir/x.bat", "-p", "1"}},
      {"a \"b c\"d", {"a", "b cd"}},
      {"\"\"", {""}},
      {"\"open", {"open"}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(SplitCommandLine(c.line), c.words) << c.line;
}

TEST(ProcessMgrCommandLine, WhatRuns)
{
  using W = std::vector<std::string>;
  struct Case
  {
    const char* name;
    const char* target;
    const char* params;
    const char* terminal;
    std::string path;
    W argv;
  } cases[] = {
      {"batch file", "nowsim.bat", "", "", "/bin/sh", {"sh", "nowsim.bat"}},
      {"batch file in any case", "X.BAT", "a \"b c\"", "", "/bin/sh", {"sh", "X.BAT", "a", "b c"}},
      {"batch file with a blank", "my run/x.bat", "", "", "/bin/sh", {"sh", "my run/x.bat"}},
      {"program", "bin/tool", "-v", "", "bin/tool", {"bin/tool", "-v"}},
      {"batch file in a terminal",
       "nowsim.bat",
       "",
       "/usr/bin/xterm",
       "/usr/bin/xterm",
       {"xterm", "-T", "NOW-SIM", "-e", "/bin/sh", "nowsim.bat"}},
      {"program in a terminal, named in the working directory",
       "tool",
       "-v",
       "/usr/bin/xterm",
       "/usr/bin/xterm",
       {"xterm", "-T", "NOW-SIM", "-e", "./tool", "-v"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const SpawnCommand cmd = BuildSpawnCommand(c.target, c.params, "NOW-SIM", c.terminal);
    EXPECT_EQ(cmd.path, c.path);
    EXPECT_EQ(cmd.argv, c.argv);
  }
}

TEST(ProcessMgrCommandLine, Terminal)
{
  TempDir dir("vlq-term");
  const std::string bin = dir.file("bin"), plain = dir.file("plain");
  std::filesystem::create_directories(bin);
  std::filesystem::create_directories(plain);
  WriteFile(bin + "/xterm", "#!/bin/sh\n");
  ::chmod((bin + "/xterm").c_str(), 0755);
  WriteFile(plain + "/xterm", "not a program\n");  // not executable
  const std::string path = plain + ":" + bin;
  EXPECT_EQ(FindTerminal(":0", nullptr, path.c_str()), bin + "/xterm");
  EXPECT_EQ(FindTerminal(nullptr, "wayland-0", path.c_str()), bin + "/xterm");
  EXPECT_EQ(FindTerminal("", "", path.c_str()), "");
  EXPECT_EQ(FindTerminal(nullptr, nullptr, path.c_str()), "");
  EXPECT_EQ(FindTerminal(":0", nullptr, plain.c_str()), "");
  EXPECT_EQ(FindTerminal(":0", nullptr, nullptr), "");
}

struct RecordingSink : IMessageSink
{
  std::vector<std::string> messages;
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
};

class ProcessMgr : public ::testing::Test
{
protected:
  void SetUp() override
  {
    // Output into log files, never into terminal windows.
    ::unsetenv("DISPLAY");
    ::unsetenv("WAYLAND_DISPLAY");
  }
  std::string Lines(const std::string& log, const std::string& prefix)
  {
    std::istringstream in(ReadFile(log));
    std::string line, out;
    while (std::getline(in, line))
      if (line.compare(0, prefix.size(), prefix) == 0)
        out += line.substr(prefix.size()) + "|";
    return out;
  }
  TempDir dir{"vlq-launch"};
  RecordingSink sink;
  CProcessMgr mgr{&sink};
};

TEST_F(ProcessMgr, BatchFileRunsInItsDirectoryWithItsOutputInTheLog)
{
  WriteFile(dir.file("nowsim.bat"), "pwd\necho \"args:$*\"\necho to-err >&2\nexit 7\n");
  WriteFile(dir.file("NOW-SIM.log"), "earlier run\n");
  EXPECT_EQ(mgr.Execute("nowsim.bat", "x \"y z\"", dir.path(), true, "NOW-SIM"), 7);
  EXPECT_EQ(ReadFile(dir.file("NOW-SIM.log")),
            "earlier run\n" + std::filesystem::canonical(dir.path()).string() + "\nargs:x y z\nto-err\n");
  EXPECT_TRUE(sink.messages.empty());

  // No title: the log is named after the file; a relative directory is
  // taken from the current one.
  std::filesystem::create_directories(dir.file("sub"));
  WriteFile(dir.file("sub/odp.bat"), "exit 0\n");
  const std::string cwd = std::filesystem::current_path();
  ASSERT_EQ(::chdir(dir.path().c_str()), 0);
  EXPECT_EQ(mgr.Execute("odp.bat", "", "sub", true, ""), 0);
  ASSERT_EQ(::chdir(cwd.c_str()), 0);
  EXPECT_TRUE(std::filesystem::exists(dir.file("sub/odp.log")));
}

TEST_F(ProcessMgr, ProgramGetsItsArgumentsAndNoDescriptorOfTheConsole)
{
  int leak[2];
  ASSERT_EQ(::pipe(leak), 0);  // inheritable: no close-on-exec
  const int code = mgr.Execute(VLQ_SLEEPER_PATH, "report \"a b\" c", dir.path(), true, "Report");
  ::close(leak[0]);
  ::close(leak[1]);
  ASSERT_EQ(code, 0);
  const std::string log = dir.file("Report.log");
  EXPECT_EQ(Lines(log, "arg:"), std::string(VLQ_SLEEPER_PATH) + "|report|a b|c|");
  EXPECT_EQ(Lines(log, "cwd:"), std::filesystem::canonical(dir.path()).string() + "|");
  EXPECT_EQ(Lines(log, "fd:"), "0 /dev/null|1 " + std::filesystem::canonical(log).string() + "|2 " +
                                   std::filesystem::canonical(log).string() + "|");
}

TEST_F(ProcessMgr, Errors)
{
  WriteFile(dir.file("plain"), "data\n");  // not executable
  std::filesystem::create_directories(dir.file("folder.bat"));
  struct Case
  {
    const char* file;
    std::string dir;
    std::string message;
  } cases[] = {
      {"missing.bat", dir.path(), "missing.bat\r\nNo such file or directory"},
      {"missing_program", dir.path(), "missing_program\r\nNo such file or directory"},
      {"plain", dir.path(), "plain\r\nPermission denied"},
      {"folder.bat", dir.path(), "folder.bat\r\nIs a directory"},
      {"x.bat", dir.file("no-such-dir"), "x.bat\r\nNo such file or directory"},
      {"x.bat", dir.file("plain"), "x.bat\r\nNot a directory"},
      {"", "", "\r\nNo such file or directory"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    sink.messages.clear();
    EXPECT_EQ(mgr.Execute(c.file, "", c.dir, false, "T"), -1);
    EXPECT_EQ(sink.messages, std::vector<std::string>{c.message});
  }
  // A log that cannot be written is named in the report; nothing starts.
  WriteFile(dir.file("ok.bat"), "exit 0\n");
  std::filesystem::create_directories(dir.file("Busy.log"));
  sink.messages.clear();
  EXPECT_EQ(mgr.Execute("ok.bat", "", dir.path(), true, "Busy"), -1);
  EXPECT_EQ(sink.messages, std::vector<std::string>{dir.file("Busy.log") + "\r\nIs a directory"});

  sink.messages.clear();
  mgr.ReportError(100000, "f.bat");
  EXPECT_EQ(sink.messages, std::vector<std::string>{"f.bat\r\nUnknown error."});
}

TEST_F(ProcessMgr, StartWithoutWaitLeadsItsOwnGroupAndIsRecorded)
{
  // The starting thread blocks SIGTERM; the program must not inherit that.
  sigset_t term, old;
  sigemptyset(&term);
  sigaddset(&term, SIGTERM);
  ASSERT_EQ(::pthread_sigmask(SIG_BLOCK, &term, &old), 0);
  const int pid = mgr.Execute(VLQ_SLEEPER_PATH, "sleep", dir.path(), false, "Sleeper");
  ::pthread_sigmask(SIG_SETMASK, &old, nullptr);
  ASSERT_GT(pid, 0);
  EXPECT_TRUE(CLaunchedProcesses::Instance().Running().count(pid));

  CProcess p;
  ASSERT_TRUE(WaitUntil([&] { return ReadProcess("/proc", pid, p) && p.task == "vlq_sleeper"; }));
  EXPECT_EQ(p.group, pid);
  EXPECT_EQ(p.cwd, std::filesystem::canonical(dir.path()).string());
  EXPECT_EQ(CProcessMgr::FindProcess("no_such_program.EXE"), 0);

  // SIGTERM ends it; the record reaps it and forgets it.
  ASSERT_EQ(::kill(pid, SIGTERM), 0);
  EXPECT_TRUE(WaitUntil([&] { return CLaunchedProcesses::Instance().Running().count(pid) == 0; }));
  EXPECT_FALSE(ReadProcess("/proc", pid, p));
}

// FindProcess over the process list, by file name with or without a
// directory and ".EXE".
TEST_F(ProcessMgr, FindProcess)
{
  const std::string name = "vlqfind" + std::to_string(::getpid());
  std::filesystem::copy_file(VLQ_SLEEPER_PATH, dir.file(name));
  ::chmod(dir.file(name).c_str(), 0755);
  ChildProcess child;
  ASSERT_TRUE(child.Start(dir.file(name), {"sleep"}));
  ASSERT_TRUE(WaitUntil([&] { return CProcessMgr::FindProcess(name) == child.pid(); }));
  EXPECT_EQ(CProcessMgr::FindProcess("some\\dir\\" + name + ".EXE"), child.pid());
  child.Terminate();
}

}  // namespace
