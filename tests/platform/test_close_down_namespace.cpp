// Close Components on real processes, each scene in a PID namespace of its
// own (vlq_closedown_probe under unshare): the console's processes and the
// leftovers in its run directory end, another run's, another user's and
// unlisted ones survive.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>

#include "TestSupport.h"

namespace {

const std::vector<std::string> kUnshare = {"--pid", "--fork", "--mount-proc", "--kill-child"};

// Why a PID namespace cannot be made here, or "" when it can.
std::string NamespaceRefusal()
{
  TempDir dir("vlq-ns");
  ChildProcess::Options o;
  o.stdout_file = o.stderr_file = dir.file("out.txt");
  ChildProcess c;
  std::vector<std::string> args = kUnshare;
  args.push_back("true");
  if (!c.Start("unshare", args, o))
    return "unshare is not installed";
  if (!c.Wait(std::chrono::seconds(30)) || c.ExitCode() != 0)
    return "unshare --pid --fork --mount-proc is not permitted here (" + ReadFile(dir.file("out.txt")) + ")";
  return "";
}

// The probe's lines: label -> "ended" / "alive", "killed" -> labels, "again" -> count.
std::map<std::string, std::string> RunScene(const char* scene)
{
  TempDir dir("vlq-closedown");
  ChildProcess::Options o;
  o.stdout_file = dir.file("probe.out");
  o.stderr_file = dir.file("probe.err");
  std::vector<std::string> args = kUnshare;
  for (const std::string& a :
       {std::string(VLQ_PROBE_PATH), std::string(scene), dir.path(), std::string(VLQ_SLEEPER_PATH)})
    args.push_back(a);
  ChildProcess probe;
  EXPECT_TRUE(probe.Start("unshare", args, o));
  EXPECT_TRUE(probe.Wait(std::chrono::seconds(60)));
  EXPECT_EQ(probe.ExitCode(), 0) << ReadFile(dir.file("probe.out")) << ReadFile(dir.file("probe.err"));
  std::map<std::string, std::string> lines;
  std::istringstream in(ReadFile(dir.file("probe.out")));
  std::string first, second;
  while (in >> first >> second) {
    if (first == "killed")
      lines["killed"] += (lines["killed"].empty() ? "" : " ") + second;
    else
      lines[first] = second;
  }
  return lines;
}

class CloseDownNamespace : public ::testing::Test
{
protected:
  void SetUp() override
  {
    const std::string why = NamespaceRefusal();
    if (!why.empty())
      GTEST_SKIP() << "close-down on real processes needs a PID namespace of its own: " << why;
  }
};

TEST_F(CloseDownNamespace, AfterBringUp)
{
  const auto lines = RunScene("running");
  const std::map<std::string, std::string> expected = {
      {"nowsim-launched", "ended"},              // started by the console from nowsim.bat
      {"namedir-launched", "ended"},             // through the NAMEDIR link
      {"foresim1-launched-elsewhere", "ended"},  // started by the console from another directory
      {"foresim-stubborn", "ended"},             // ignores SIGTERM: SIGKILL after the grace
      {"nowsim-lowercase", "ended"},             // image name "nowsim" in the run directory
      {"foresim-leftover", "ended"},             // an earlier run's, in the run directory
      {"nowsim-other-run", "alive"},             // another run's directory
      {"nowsim-prefix-dir", "alive"},            // ".../run2" is not inside ".../run"
      {"keeper", "alive"},                       // not on the kill list
      {"killed", "foresim-stubborn"},
      {"again", "0"},
  };
  for (const auto& [label, state] : expected)
    EXPECT_EQ(lines.count(label) ? lines.at(label) : "(missing)", state) << label;
  if (lines.count("nowsim-other-user")) {  // only when the test runs as root
    EXPECT_EQ(lines.at("nowsim-other-user"), "alive");
  }
}

TEST_F(CloseDownNamespace, InStateZero)
{
  const auto lines = RunScene("idle");
  const std::map<std::string, std::string> expected = {
      {"foresim-leftover", "ended"},
      {"nowsim-other-run", "alive"},
      {"nowsim-prefix-dir", "alive"},
      {"keeper", "alive"},
      {"again", "0"},
  };
  for (const auto& [label, state] : expected)
    EXPECT_EQ(lines.count(label) ? lines.at(label) : "(missing)", state) << label;
  EXPECT_EQ(lines.count("killed"), 0u);
  if (lines.count("nowsim-other-user")) {
    EXPECT_EQ(lines.at("nowsim-other-user"), "alive");
  }
}

}  // namespace
