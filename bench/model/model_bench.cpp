// model_bench: loads a generated network of N links (default 50,000) and
// reports the load time and peak memory beside the time to read the same
// files' bytes, then the memory after writing 120 minutes of all four
// measures of one source for every link.
//
//   model_bench [--links N] [--own]     --own: use the built-in generator
//   model_bench --rundir DIR [--links N]  load DIR's network instead (kept as
//                                         it is; at least N links, or 1)
//
// The network is made in a directory under TMPDIR (else /tmp), removed at
// the end whatever happened. The run fails (status 1, with the reason) when
// no network could be made or the load loaded fewer links than asked.
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <system_error>
#include <unistd.h>
#include <vector>

#include "BenchSupport.h"
#include "CDrawLine.h"
#include "CProject.h"
#include "CycleSettings.h"
#include "GlobalArrays.h"
#include "LinkSeries.h"
#include "NetworkFiles.h"
#include "RunDirGen.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point a, Clock::time_point b)
{
  return std::chrono::duration<double, std::milli>(b - a).count();
}

// Goal of Load Data to the three views drawn (bench/viewtools measures it
// whole), up to 200,000 links: the load alone must stay within it.
constexpr double kLoadGoalMs = 600.0;
constexpr long kLoadGoalLinks = 200000;

int Fail(const std::string& why)
{
  std::fprintf(stderr, "model_bench: FAILED: %s\n", why.c_str());
  return 1;
}

// Resident and peak resident set of the process, in KiB.
long StatusKiB(const char* key)
{
  std::FILE* f = std::fopen("/proc/self/status", "r");
  if (!f)
    return -1;
  char line[256];
  long v = -1;
  std::size_t n = std::strlen(key);
  while (std::fgets(line, sizeof line, f))
    if (std::strncmp(line, key, n) == 0)
      v = std::atol(line + n);
  std::fclose(f);
  return v;
}

// A grid network of about `links` links (two directions per grid edge),
// only the files the load reads.
void Generate(const std::string& dir, long links)
{
  std::filesystem::create_directories(dir + "/estimate");
  // An R x C grid has 4RC - 2R - 2C directed links.
  long cols = 2, rows = 2;
  while (4 * rows * cols - 2 * rows - 2 * cols < links)
    (rows < cols ? rows : cols) += 1;
  NetworkFile net;
  std::vector<XYRecord> xy;
  std::vector<LinkShapeRecord> shapes;
  std::vector<LinkNameRecord> names;
  std::vector<LinkRef> detectors;
  std::vector<CCTVRecord> cameras;
  ControlFile control;
  auto number = [cols](long r, long c) { return static_cast<int>(r * cols + c + 1); };
  for (long r = 0; r < rows; ++r)
    for (long c = 0; c < cols; ++c) {
      net.nodes.push_back({number(r, c), static_cast<int>((r * cols + c) % 120 + 1)});
      xy.push_back({number(r, c), c * 500.0 + (r % 3) * 0.25, r * 400.0});
      control.nodes.push_back({0, static_cast<int>((r + c) % 6 + 1), 0, 0});
    }
  auto add = [&](int a, int b) {
    if (static_cast<long>(net.links.size()) >= links)
      return;
    NetworkLinkRecord l;
    l.nFrom = a;
    l.nTo = b;
    l.nLengthFeet = 1500;
    l.nLanes = 2;
    l.dFlowModel = 1;
    l.dSpeedAdjust = 1;
    l.dSpeedLimit = 45;
    l.dMaxServiceFlow = 2000;
    l.dSatFlow = 1800;
    l.nLinkType = 5;
    net.links.push_back(l);
    std::size_t k = net.links.size();
    if (k % 2 == 0)
      names.push_back({a, b, "Street " + std::to_string(k)});
    if (k % 10 == 0)
      detectors.push_back({a, b});
    if (k % 100 == 0)
      cameras.push_back({a, b, "http://cam.example/" + std::to_string(k)});
    if (k % 3 == 0)
      shapes.push_back({a, b, {{0, 0}, {1, 1}, {2, 2}}});
  };
  for (long r = 0; r < rows; ++r)
    for (long c = 0; c < cols; ++c) {
      if (c + 1 < cols) {
        add(number(r, c), number(r, c + 1));
        add(number(r, c + 1), number(r, c));
      }
      if (r + 1 < rows) {
        add(number(r, c), number(r + 1, c));
        add(number(r + 1, c), number(r, c));
      }
    }
  // Shapes in the coordinates of xy.dat along each link.
  for (auto& s : shapes) {
    const XYRecord& a = xy[static_cast<std::size_t>(s.nFrom - 1)];
    const XYRecord& b = xy[static_cast<std::size_t>(s.nTo - 1)];
    s.points = {{a.x, a.y}, {(a.x + b.x) / 2 + 20, (a.y + b.y) / 2 + 20}, {b.x, b.y}};
  }
  net.header = {120, static_cast<int>(net.nodes.size()), static_cast<int>(net.links.size()), 10, 0};
  control.header = {1, 2, 3};
  WriteNetworkFile(dir + "/estimate/network.dat", net);
  WriteXYFile(dir + "/estimate/xy.dat", xy);
  WriteLinkXYFile(dir + "/estimate/linkxy.dat", shapes);
  WriteLinkNameFile(dir + "/estimate/LinkName.dat", names);
  WriteDetectorFile(dir + "/estimate/Detector.dat", detectors);
  WriteCCTVFile(dir + "/estimate/CCTV.dat", cameras);
  WriteControlFile(dir + "/estimate/control.dat", control);
  int cycle[kCycleEntries] = {60, 300, 600, 900, 1800, 120, 300, 3600, 300, 1800};
  WriteSchedulerFile(dir + "/scheduler.dat", cycle);
}

const char* kLoadFiles[] = {"network.dat",  "SuperZone.dat", "xy.dat",   "linkxy.dat",
                            "LinkName.dat", "Detector.dat",  "CCTV.dat", "control.dat"};

std::size_t ReadBytes(const std::string& dir)
{
  std::size_t total = 0;
  std::vector<char> buf(1 << 16);
  for (const char* name : kLoadFiles) {
    std::FILE* f = std::fopen((dir + "/estimate/" + name).c_str(), "rb");
    if (!f)
      continue;
    std::size_t n;
    while ((n = std::fread(buf.data(), 1, buf.size(), f)) > 0)
      total += n;
    std::fclose(f);
  }
  return total;
}

struct CountingSink : IMessageSink
{
  int count = 0;
  std::string first;
  void ShowMessage(const std::string& t) override
  {
    if (count++ == 0)
      first = t;
  }
};

}  // namespace

// Loads the network of a run directory and prints the figures; 1 when it
// loaded fewer links than `links`.
int LoadAndReport(const std::string& run, const std::string& generator, long links);

int main(int argc, char** argv)
{
  long links = 50000;
  bool own = false, linksGiven = false;
  std::string rundir;
  for (int i = 1; i < argc; ++i) {
    long long n = 0;
    if (!std::strcmp(argv[i], "--links") && i + 1 < argc &&
        vlq::bench::ParseInteger(argv[i + 1], LONG_MIN, LONG_MAX, n)) {
      links = static_cast<long>(n);
      linksGiven = true;
      ++i;
    } else if (!std::strcmp(argv[i], "--own")) {
      own = true;
    } else if (!std::strcmp(argv[i], "--rundir") && i + 1 < argc) {
      rundir = argv[++i];
    } else {
      std::fprintf(stderr, "usage: model_bench [--links N] [--own] | --rundir DIR [--links N]\n");
      return 2;
    }
  }
  if (links < 1)
    return Fail("--links needs a number of 1 or more");
  if (!rundir.empty())
    return LoadAndReport(std::filesystem::absolute(rundir).string(), "the given run directory",
                         linksGiven ? links : 1);
  vlq::bench::ScratchDir scratch;
  std::string error;
  if (!scratch.Make("vlq_model_bench_", error))
    return Fail(error);
  const std::string dir = scratch.Path();
  std::string generator = "built-in generator";
  if (!own) {
    // The sample generator's run directory below the scratch one.
    vlq::mod::RunDirOptions opt;
    opt.links = links;
    if (!vlq::mod::WriteRunDir(dir + "/run", opt, error))
      return Fail("the sample generator made no network of " + std::to_string(links) + " links: " + error +
                  "; --own uses the benchmark's built-in generator");
    generator = "sample generator";
  } else {
    Generate(dir + "/run", links);
  }
  return LoadAndReport(dir + "/run", generator, links);
}

int LoadAndReport(const std::string& run, const std::string& generator, long links)
{
  if (!std::filesystem::is_directory(run))
    return Fail("no run directory " + run);

  ReadBytes(run);  // warm the page cache for both measurements
  auto b0 = Clock::now();
  std::size_t bytes = ReadBytes(run);
  auto b1 = Clock::now();

  std::filesystem::current_path(run);
  CountingSink sink;
  // A load that would end the program stops and fails instead.
  int ended = -1;
  g_Project.SetSinks(nullptr, &sink, [&ended](int status) { ended = status; });
  long rssBefore = StatusKiB("VmRSS:");
  const double c0 = vlq::bench::ThreadCpuMs();
  auto l0 = Clock::now();
  bool ok = g_Project.LoadNetworkData();
  auto l1 = Clock::now();
  const double c1 = vlq::bench::ThreadCpuMs();
  long rssAfterLoad = StatusKiB("VmRSS:");
  long peakAfterLoad = StatusKiB("VmHWM:");
  g_Project.StopRealTimeReader();
  g_Project.SetSinks(nullptr, nullptr, nullptr);

  std::printf("network: %d links, %d nodes (%s), files %.1f MiB\n", g_LineArray.GetSize(),
              g_NodeArray.GetSize(), generator.c_str(), bytes / 1048576.0);
  std::printf("load: %s, %d message(s)%s%s\n", ok ? "loaded" : "FAILED", sink.count, sink.count ? ": " : "",
              sink.first.c_str());
  if (!ok || g_LineArray.GetSize() < links) {
    g_Project.ClearNetworkArrays();
    return Fail(std::string(ended >= 0 ? "the load would have ended the program"
                            : !ok      ? "the load stopped"
                                       : "the load took fewer links than asked") +
                " (" + std::to_string(g_LineArray.GetSize()) + " of " + std::to_string(links) + " links)" +
                (sink.count ? ": " + sink.first : std::string()));
  }
  const double loadMs = Ms(l0, l1);
  const vlq::bench::Goal loadGoal{kLoadGoalMs, "ms", vlq::bench::Goal::kAtMost, kLoadGoalLinks};
  const long long loaded = g_LineArray.GetSize();
  std::printf("read the files' bytes: %8.1f ms\n", Ms(b0, b1));
  std::printf("project load:          %8.1f ms (CPU %.1f ms)   Load Data's goal %s\n", loadMs, c1 - c0,
              vlq::bench::Verdict(loadGoal, loadMs, loaded).c_str());
  std::printf("memory: RSS %ld KiB before the load, %ld KiB after (+%ld KiB), peak %ld KiB\n", rssBefore,
              rssAfterLoad, rssAfterLoad - rssBefore, peakAfterLoad);

  // 120 minutes of all four measures of one source for every link.
  auto s0 = Clock::now();
  for (const auto& line : g_LineArray)
    for (int measure = 0; measure < kSeriesMeasures; ++measure)
      for (int m = 0; m < 120; ++m)
        line->SetSeries(measure, kSourceEstimate, m, m * 0.5 + measure);
  auto s1 = Clock::now();
  long rssAfterSeries = StatusKiB("VmRSS:");
  std::printf("series: 120 minutes x 4 measures of source 0 for %d links in %.1f ms\n", g_LineArray.GetSize(),
              Ms(s0, s1));
  std::printf("series memory: %.1f MiB allocated (%.0f bytes per link), RSS +%ld KiB; a fixed 4x4x5000 table "
              "would take %.1f MiB (no goal here: the series' memory over a day is bench/gui's)\n",
              LinkSeriesAllocatedBytes() / 1048576.0,
              g_LineArray.GetSize() ? double(LinkSeriesAllocatedBytes()) / g_LineArray.GetSize() : 0.0,
              rssAfterSeries - rssAfterLoad, g_LineArray.GetSize() * 4.0 * 4 * 5000 * 8 / 1048576.0);
  auto r0 = Clock::now();
  ResetAllLinkSeries();
  auto r1 = Clock::now();
  std::printf("reset of every link's density, speed and queue: %.3f ms, RSS %+ld KiB\n", Ms(r0, r1),
              StatusKiB("VmRSS:") - rssAfterSeries);

  g_Project.ClearNetworkArrays();
  if (!vlq::bench::Met(loadGoal, loadMs, loaded))
    std::printf("the project load MISSED its goal\n");
  return 0;
}
