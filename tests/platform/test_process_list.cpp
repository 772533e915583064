// The process list over a made-up /proc tree and over the real one, and
// the rule by which an image name matches a name of the kill list.
#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

#include "CProcessList.h"
#include "FakeProc.h"
#include "TestSupport.h"

namespace {

TEST(ImageName, Matches)
{
  struct Case
  {
    const char* image;
    const char* name;
    bool match;
  } cases[] = {
      {"NOWSIM", "NOWSIM.EXE", true},
      {"nowsim", "NOWSIM.EXE", true},
      {"nowsim.exe", "NOWSIM.EXE", true},
      {"NOWSIM.EXE", "nowsim", true},
      {"Tallyhouse", "Tallyhouse.EXE", true},
      {"tallyhouse", "TALLYHOUSE", true},
      {"NOWSIM.Exe", "NowSim.eXe", true},
      {"NOWSIM", "FORESIM.EXE", false},
      {"NOWSIM2", "NOWSIM.EXE", false},
      {"NOWSIM.bat", "NOWSIM.EXE", false},
      {"NOWSIM.EXE.EXE", "NOWSIM.EXE", false},
      {"", "NOWSIM.EXE", false},
      {"ODE", "ODEC.EXE", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ImageNameMatches(c.image, c.name), c.match) << c.image << " / " << c.name;
}

TEST(ImageName, TaskNameCounts)
{
  CProcess linked;  // started through the run directory's NAMEDIR link
  linked.name = "omniNames";
  linked.task = "NAMEDIR";
  EXPECT_TRUE(linked.Matches("NAMEDIR.EXE"));
  EXPECT_TRUE(linked.Matches("omniNames"));
  EXPECT_FALSE(linked.Matches("NOWSIM.EXE"));

  CProcess longName;  // the kernel keeps 15 characters of the task name
  longName.name = "x";
  longName.task = "VeryLongModuleN";
  EXPECT_TRUE(longName.Matches("VeryLongModuleName.EXE"));
  EXPECT_TRUE(longName.Matches("verylongmodulen"));
  EXPECT_FALSE(longName.Matches("VeryLongModule.EXE"));
}

TEST(ProcessList, ReadsTheFakeTree)
{
  FakeProc proc;
  proc.Add({300, "NOWSIM", "/opt/run/NOWSIM", 1000, 1, 300, "/opt/run", 'S', 4242});
  proc.Add({20, "NAMEDIR", "/usr/bin/omniNames", 1000, 300, 300, "/opt/run"});
  proc.Add({1000, "FORESIM", "/opt/run/FORESIM (deleted)", 0, 1, 1000, "/opt/run/predict"});
  proc.Add({7, "odd) (name", nullptr, 1000, 1, 7, nullptr, 'Z'});
  proc.Raw("55/stat", "55 no parentheses S 1 55\n");  // malformed: skipped
  proc.Raw("56/status", "Uid:\t0\n");                 // no stat: skipped
  proc.Raw("57/stat", "57 (short) S 1\n");            // cut short: skipped
  proc.Raw("self/stat", "1 (x) S 0 1\n");             // not a process id
  proc.Raw("0123/stat", "123 (x) S 0 1\n");
  proc.Raw("sys/x", "");

  CProcessList list(proc.root());
  ASSERT_TRUE(list.Refresh());
  std::vector<pid_t> ids;
  while (const CProcess* p = list.GetNext())
    ids.push_back(p->id);
  EXPECT_EQ(ids, (std::vector<pid_t>{7, 20, 300, 1000}));
  EXPECT_EQ(list.GetNext(), nullptr);

  const auto& e = list.Entries();
  EXPECT_EQ(e[0].name, "odd) (name");  // no program link: the task name
  EXPECT_EQ(e[0].task, "odd) (name");
  EXPECT_TRUE(e[0].zombie);
  EXPECT_EQ(e[0].cwd, "");
  EXPECT_EQ(e[1].name, "omniNames");
  EXPECT_EQ(e[1].task, "NAMEDIR");
  EXPECT_EQ(e[1].parent, 300);
  EXPECT_EQ(e[2].name, "NOWSIM");
  EXPECT_EQ(e[2].uid, 1000u);
  EXPECT_EQ(e[2].group, 300);
  EXPECT_EQ(e[2].cwd, "/opt/run");
  EXPECT_EQ(e[2].startTime, 4242u);
  EXPECT_FALSE(e[2].zombie);
  EXPECT_EQ(e[3].name, "FORESIM");  // the program was replaced on disk
  EXPECT_EQ(e[3].uid, 0u);

  // A second refresh starts again at the first entry.
  ASSERT_TRUE(list.Refresh());
  ASSERT_NE(list.GetNext(), nullptr);
  EXPECT_EQ(list.Entries().size(), 4u);

  CProcessList none(proc.root() + "/no-such-dir");
  EXPECT_FALSE(none.Refresh());
  EXPECT_EQ(none.GetNext(), nullptr);
}

TEST(ProcessList, ReadsThisProcessFromProc)
{
  CProcessList list;
  ASSERT_TRUE(list.Refresh());
  const CProcess* self = nullptr;
  while (const CProcess* p = list.GetNext())
    if (p->id == ::getpid())
      self = p;
  ASSERT_NE(self, nullptr);
  EXPECT_EQ(self->name, std::filesystem::read_symlink("/proc/self/exe").filename().string());
  EXPECT_EQ(self->uid, ::getuid());
  EXPECT_EQ(self->parent, ::getppid());
  EXPECT_EQ(self->group, ::getpgrp());
  EXPECT_EQ(self->cwd, std::filesystem::current_path().string());
  EXPECT_GT(self->startTime, 0u);
}

// A program started through a link (as naming_service.bat starts the
// naming service through NAMEDIR): /proc/PID/exe names the link's target,
// the task name the link, and the process matches "NAMEDIR.EXE".
TEST(ProcessList, ProgramStartedThroughALinkMatchesTheLinkName)
{
  TempDir dir("vlq-link");
  const std::string link = dir.file("NAMEDIR");
  std::filesystem::create_symlink(VLQ_SLEEPER_PATH, link);
  ChildProcess child;
  ASSERT_TRUE(child.Start(link, {"sleep"}));
  CProcess p;
  ASSERT_TRUE(WaitUntil([&] { return ReadProcess("/proc", child.pid(), p) && p.task == "NAMEDIR"; }));
  EXPECT_EQ(p.name, "vlq_sleeper");
  EXPECT_TRUE(p.Matches("NAMEDIR.EXE"));
  EXPECT_TRUE(p.Matches("namedir"));
  child.Terminate();
}

}  // namespace
