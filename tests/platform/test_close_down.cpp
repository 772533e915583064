// Close-down: which processes it ends (a table over a made-up /proc tree)
// and how it ends them (real child processes of this test only).
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <unistd.h>

#include "CloseDown.h"
#include "FakeProc.h"
#include "SignalState.h"
#include "TestSupport.h"

namespace {

TEST(CloseDown, KillListInOrder)
{
  EXPECT_EQ(KillList(), (std::vector<std::string>{"FORESIM.EXE", "NOWSIM.EXE", "NEARVET.EXE", "FARVET.EXE",
                                                  "Management.EXE", "Tallyhouse.EXE", "ODE.EXE", "ODP.EXE",
                                                  "NAMEDIR.EXE"}));
}

// One machine: the console (100, user 1000, run directory /home/op/run)
// with what it started, leftovers of an earlier run in its run directory,
// and processes of other runs and other users.
void AddMachine(FakeProc& proc)
{
  const uid_t op = 1000;
  const FakeProcess ps[] = {
      {100, "vlqgui", "/opt/vlq/vlqgui", op, 1, 100, "/home/op/run"},
      {101, "NOWSIM", "/opt/vlq/NOWSIM", op, 100, 101, "/home/op/run"},
      {102, "FORESIM", "/opt/vlq/FORESIM", op, 100, 102, "/home/op/run/predict"},
      {103, "FORESIM", "/opt/vlq/FORESIM", op, 100, 103, "/home/op/run/predict1"},
      {104, "NAMEDIR", "/usr/bin/omniNames", op, 100, 104, "/home/op/run"},
      // Started in a terminal window: the terminal is the launched process.
      {110, "xterm", "/usr/bin/xterm", op, 100, 110, "/home/op/run"},
      {111, "NEARVET", "/opt/vlq/NEARVET", op, 110, 111, "/home/op/elsewhere"},
      // A batch file that does not exec its program, and one that left a
      // program behind in its group.
      {120, "sh", "/usr/bin/dash", op, 100, 120, "/tmp"},
      {121, "FARVET", "/opt/vlq/FARVET", op, 120, 120, "/tmp"},
      {122, "ODE", "/opt/vlq/ODE", op, 1, 120, "/tmp"},
      // Leftovers in the run directory.
      {130, "tallyhouse", "/home/op/run/tallyhouse", op, 1, 130, "/home/op/run"},
      {131, "Management", "/opt/vlq/Management", op, 1, 131, "/home/op/run/sub/deeper"},
      // Not ours.
      {200, "NOWSIM", "/opt/other/NOWSIM", op, 1, 200, "/home/op/other"},
      {201, "FORESIM", "/opt/vlq/FORESIM", op, 1, 201, "/home/op/run2"},
      {202, "NOWSIM", "/opt/vlq/NOWSIM", 2000, 1, 202, "/home/op/run"},
      {203, "NOWSIM", nullptr, 0, 1, 203, nullptr},
      {204, "ODP", "/opt/vlq/ODP", op, 1, 204, "/home/op/run", 'Z'},
      {205, "KEEPER", "/opt/vlq/KEEPER", op, 100, 205, "/home/op/run"},
  };
  for (const FakeProcess& p : ps)
    proc.Add(p);
}

TEST(CloseDown, WhichProcessesEnd)
{
  FakeProc proc;
  AddMachine(proc);
  CProcessList list(proc.root());
  ASSERT_TRUE(list.Refresh());

  CloseDownScope console;
  console.uid = 1000;
  console.self = 100;
  console.runDir = "/home/op/run";
  console.launched = {101, 102, 103, 104, 110, 120, 205};
  auto with = [&](auto change) {
    CloseDownScope s = console;
    change(s);
    return s;
  };

  struct Case
  {
    const char* name;
    CloseDownScope scope;
    std::vector<std::string> names;
    std::vector<pid_t> ended;
  } cases[] = {
      {"kill list, this console", console, KillList(), {102, 103, 101, 111, 121, 131, 130, 122, 104}},
      {"nothing launched: only the run directory's",
       with([](CloseDownScope& s) { s.launched.clear(); }),
       KillList(),
       {102, 103, 101, 131, 130, 104}},
      {"run directory with a final slash",
       with([](CloseDownScope& s) {
         s.launched.clear();
         s.runDir += "/";
       }),
       KillList(),
       {102, 103, 101, 131, 130, 104}},
      {"no run directory: only what the console started",
       with([](CloseDownScope& s) { s.runDir.clear(); }),
       KillList(),
       {102, 103, 101, 111, 121, 122, 104}},
      {"one name in lower case", console, {"nowsim"}, {101}},
      {"a name twice ends each process once", console, {"NOWSIM.EXE", "nowsim"}, {101}},
      {"the console itself is never ended",
       with([](CloseDownScope& s) { s.self = 101; }),
       KillList(),
       {102, 103, 111, 121, 131, 130, 122, 104}},
      {"another user's console",
       with([](CloseDownScope& s) {
         s.uid = 2000;
         s.launched.clear();
       }),
       KillList(),
       {202}},
      {"a name on no process", console, {"ODEC.EXE"}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<pid_t> ended;
    for (const CProcess& p : SelectProcessesToEnd(list.Entries(), c.names, c.scope))
      ended.push_back(p.id);
    EXPECT_EQ(ended, c.ended);
  }
}

TEST(CloseDown, ScopeOfThisConsole)
{
  const CloseDownScope s = CloseDownScope::ForThisConsole();
  EXPECT_EQ(s.uid, ::getuid());
  EXPECT_EQ(s.self, ::getpid());
  EXPECT_EQ(s.runDir, std::filesystem::current_path().string());
  TempDir dir("vlq-scope");
  EXPECT_EQ(CloseDownScope::ForThisConsole(dir.path() + "/./x/..").runDir,
            std::filesystem::canonical(dir.path()).string());
}

CProcess Snapshot(pid_t pid, const char* task)
{
  CProcess p;
  EXPECT_TRUE(WaitUntil([&] { return ReadProcess("/proc", pid, p) && p.task == task; }));
  return p;
}

// The signalling, on children of this test only.
TEST(CloseDown, TermThenKillAfterTheGrace)
{
  ChildProcess polite, stubborn;
  ASSERT_TRUE(polite.Start(VLQ_SLEEPER_PATH, {"sleep"}));
  ASSERT_TRUE(stubborn.Start(VLQ_SLEEPER_PATH, {"sleep", "--ignore-term"}));
  ASSERT_TRUE(WaitUntil([&] { return IgnoresSigterm(stubborn.pid()); }));
  const CProcess a = Snapshot(polite.pid(), "vlq_sleeper"), b = Snapshot(stubborn.pid(), "vlq_sleeper");

  const CloseDownReport r = EndProcesses({a, b}, std::chrono::milliseconds(300));
  EXPECT_EQ(r.terminated, std::vector<pid_t>{a.id});
  EXPECT_EQ(r.killed, std::vector<pid_t>{b.id});
  EXPECT_TRUE(r.remaining.empty());
  ASSERT_TRUE(polite.Wait(std::chrono::seconds(10)));
  ASSERT_TRUE(stubborn.Wait(std::chrono::seconds(10)));
  EXPECT_EQ(polite.ExitCode(), -SIGTERM);
  EXPECT_EQ(stubborn.ExitCode(), -SIGKILL);

  // Again: both have ended, nothing is sent.
  const CloseDownReport again = EndProcesses({a, b}, std::chrono::milliseconds(300));
  EXPECT_EQ(again.terminated, (std::vector<pid_t>{a.id, b.id}));
  EXPECT_TRUE(again.killed.empty());
}

// An entry whose id now names another process (another start time) is
// left alone.
TEST(CloseDown, EntryOfAnEarlierProcessIsNotSignalled)
{
  ChildProcess child;
  ASSERT_TRUE(child.Start(VLQ_SLEEPER_PATH, {"sleep"}));
  CProcess stale = Snapshot(child.pid(), "vlq_sleeper");
  stale.startTime += 1;
  const CloseDownReport r = EndProcesses({stale}, std::chrono::milliseconds(100));
  EXPECT_EQ(r.terminated, std::vector<pid_t>{child.pid()});
  EXPECT_TRUE(r.killed.empty());
  EXPECT_TRUE(child.Running());
  child.Terminate();
}

}  // namespace
