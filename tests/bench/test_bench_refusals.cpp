// The benchmarks never report figures they did not measure: run on a run
// directory that holds no network (empty, or missing), each fails with
// status 1 and says why, and leaves the directory as it was. The model
// benchmark makes its scratch files under TMPDIR and removes them, whether
// it measured or the generator refused the size. The console's benchmark
// fails when a message was dropped, with the handler's line. A command line
// that is not the benchmark's gets its usage line and status 2, before
// anything runs.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "TestSupport.h"

namespace fs = std::filesystem;

namespace {

struct Bench
{
  const char* name;
  const char* path;
};
const Bench kBenches[] = {
    {"model_bench", VLQ_MODEL_BENCH},
    {"view_bench", VLQ_VIEW_BENCH},
    {"viewtools_bench", VLQ_VIEWTOOLS_BENCH},
};

// Runs a benchmark with TMPDIR set; its output (both streams) into `out`.
int RunBench(const std::string& path, const std::vector<std::string>& args, const std::string& tmpdir,
             const std::string& out)
{
  ChildProcess p;
  ChildProcess::Options o;
  o.env = {"TMPDIR=" + tmpdir, "QT_QPA_PLATFORM=offscreen"};
  o.stdout_file = out;
  o.stderr_file = out;
  if (!p.Start(path, args, o))
    return -1000;
  if (!p.Wait(std::chrono::seconds(240))) {
    p.Terminate();
    return -1001;
  }
  return p.ExitCode();
}

// What the benchmarks left in a directory (Qt's own runtime directory,
// made under TMPDIR when XDG_RUNTIME_DIR is unset, is not theirs).
std::vector<std::string> BenchFiles(const std::string& dir)
{
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir))
    if (e.path().filename().string().rfind("runtime-", 0) != 0)
      names.push_back(e.path().filename().string());
  return names;
}

TEST(BenchRefusals, NothingLoadedFailsWithTheReason)
{
  TempDir dir("vlq-bench");
  const std::string tmp = dir.file("tmp"), empty = dir.file("empty"), out = dir.file("out.txt");
  fs::create_directories(tmp);
  fs::create_directories(empty);
  struct Case
  {
    const char* label;
    std::string rundir;
    const char* reason;  // in the output
  };
  const Case cases[] = {
      {"empty run directory", empty, "Cannot open estimate/network.dat"},
      {"missing run directory", dir.file("missing"), "no run directory"},
  };
  for (const Bench& b : kBenches)
    for (const Case& c : cases) {
      const int status = RunBench(b.path, {"--rundir", c.rundir}, tmp, out);
      const std::string text = ReadFile(out);
      EXPECT_EQ(status, 1) << b.name << ", " << c.label << ": " << text;
      EXPECT_NE(text.find("FAILED"), std::string::npos) << b.name << ", " << c.label << ": " << text;
      EXPECT_NE(text.find(c.reason), std::string::npos) << b.name << ", " << c.label << ": " << text;
      EXPECT_EQ(text.find("within goal"), std::string::npos) << b.name << ", " << c.label << ": " << text;
    }
  EXPECT_TRUE(fs::is_empty(empty));
  EXPECT_FALSE(fs::exists(dir.file("missing")));
  EXPECT_EQ(BenchFiles(tmp), std::vector<std::string>{});
}

TEST(BenchRefusals, ModelBenchCleansUpUnderTmpdir)
{
  TempDir dir("vlq-bench");
  const std::string tmp = dir.file("tmp"), out = dir.file("out.txt");
  fs::create_directories(tmp);
  // A size the generator refuses: its reason, no figures.
  EXPECT_EQ(RunBench(VLQ_MODEL_BENCH, {"--links", "400000"}, tmp, out), 1) << ReadFile(out);
  std::string text = ReadFile(out);
  EXPECT_NE(text.find("node numbers of five digits"), std::string::npos) << text;
  EXPECT_EQ(text.find("project load"), std::string::npos) << text;
  EXPECT_EQ(BenchFiles(tmp), std::vector<std::string>{});
  // A small network: measured, with its goal, and nothing left behind.
  EXPECT_EQ(RunBench(VLQ_MODEL_BENCH, {"--links", "40"}, tmp, out), 0) << ReadFile(out);
  text = ReadFile(out);
  EXPECT_NE(text.find("network: 40 links"), std::string::npos) << text;
  EXPECT_NE(text.find("<= 600 ms"), std::string::npos) << text;
  EXPECT_EQ(BenchFiles(tmp), std::vector<std::string>{});
}

TEST(BenchRefusals, BadCommandLineGetsTheUsage)
{
  TempDir dir("vlq-bench");
  const std::string tmp = dir.file("tmp"), out = dir.file("out.txt");
  fs::create_directories(tmp);
  struct Case
  {
    const char* path;
    std::vector<std::string> args;
  };
  const Case cases[] = {
      {VLQ_TALLYHOUSE_BENCH, {"--help"}},
      {VLQ_TALLYHOUSE_BENCH, {"2s"}},
      {VLQ_TALLYHOUSE_BENCH, {"0"}},
      {VLQ_TALLYHOUSE_BENCH, {"1", "2"}},
      {VLQ_SERIES_DAY_BENCH, {"--links", "100", "--bogus", "3"}},
      {VLQ_SERIES_DAY_BENCH, {"--links"}},
      {VLQ_SERIES_DAY_BENCH, {"--minutes", "1x"}},
      {VLQ_SERIES_DAY_BENCH, {"--minutes", "1441"}},
      {VLQ_GUI_BENCH, {"--messages", "abc"}},
      {VLQ_GUI_BENCH, {"--messages", "0", "40"}},
      {VLQ_GUI_BENCH, {"40x"}},
      {VLQ_MODEL_BENCH, {"--links", "abc"}},
      {VLQ_VIEW_BENCH, {"--rounds", "abc"}},
      {VLQ_VIEWTOOLS_BENCH, {"--links", "12abc"}},
  };
  for (const Case& c : cases) {
    std::string label = fs::path(c.path).filename().string();
    for (const std::string& a : c.args)
      label += " " + a;
    EXPECT_EQ(RunBench(c.path, c.args, tmp, out), 2) << label << ": " << ReadFile(out);
    EXPECT_NE(ReadFile(out).find("usage: "), std::string::npos) << label << ": " << ReadFile(out);
  }
  EXPECT_EQ(BenchFiles(tmp), std::vector<std::string>{});
}

TEST(BenchRefusals, DroppedMessageFailsWithTheHandlersLine)
{
  TempDir dir("vlq-bench");
  const std::string tmp = dir.file("tmp"), out = dir.file("out.txt");
  fs::create_directories(tmp);
  struct Case
  {
    const char* label;
    std::vector<std::string> args;
    const char* reason;  // in the output
  };
  const Case cases[] = {
      {"record store without records",
       {"--messages", "1", "--empty-store", "40"},
       "gui_bench: FAILED: message 1 dropped/skipped: Message "},
  };
  for (const Case& c : cases) {
    const int status = RunBench(VLQ_GUI_BENCH, c.args, tmp, out);
    const std::string text = ReadFile(out);
    EXPECT_EQ(status, 1) << c.label << ": " << text;
    EXPECT_NE(text.find(c.reason), std::string::npos) << c.label << ": " << text;
    EXPECT_EQ(text.find("within goal"), std::string::npos) << c.label << ": " << text;
    EXPECT_EQ(BenchFiles(tmp), std::vector<std::string>{}) << c.label;
  }
}

}  // namespace
