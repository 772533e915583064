#include "RunDirGen.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include <sys/stat.h>
#include <unistd.h>

#include "BatchFiles.h"
#include "CycleFiles.h"
#include "FileText.h"
#include "ModFormats.h"
#include "ModRandom.h"
#include "RunPrograms.h"
#include "ScenarioDatabase.h"
#include "StringPrintf.h"

namespace fs = std::filesystem;

namespace vlq::mod {

namespace {

// Coordinates start here so that the shifted link shapes stay positive
// (the console's number readers skip minus signs).
constexpr double kOrigin = 100.0;
// Sideways shift of a link's shape from the line between its nodes, so that
// the two directions of a street are drawn apart.
constexpr double kShapeShift = 25.0;
constexpr std::size_t kMaxCameras = 50;
// Why a grid stops at kMaxGridNodes.
const char kGridNodesReason[] =
    "node numbers of five digits (10000 to 99999), the widest that the five-column node fields of "
    "LinkName.dat, Detector.dat and CCTV.dat hold, number at most 90000 nodes";

struct GridLink
{
  int r0, c0, r1, c1;
};

bool IsCameraLink(std::size_t k)
{
  return k % 25 == 3;
}

// Where the build puts a program, below its root.
std::string BuildSubdir(const RunProgram& p)
{
  if (p.module)
    return "standins/modules";
  return std::string(p.image) == "Tallyhouse" ? "tallyhouse" : "standins/management";
}

}  // namespace

bool BuildGrid(const RunDirOptions& opt, GridNetwork& g, std::string& error)
{
  std::vector<GridLink> links;
  int rows = 0, cols = 0;
  if (opt.links > 0) {
    const long long n = opt.links;
    cols = std::max(2, static_cast<int>(std::ceil(std::sqrt(static_cast<double>(n) / 4.0))));
    // Rows needed for n links: each row adds 2(cols-1) across and 2 cols down.
    const long long per_row = 4LL * cols - 2;
    const long long need_rows = (n + 2LL * cols) / per_row + 2;
    if (need_rows * cols > kMaxGridNodes) {
      error = "a grid for " + std::to_string(n) + " links needs " + std::to_string(need_rows * cols) +
              " nodes; " + kGridNodesReason;
      return false;
    }
    links.reserve(static_cast<std::size_t>(n));
    for (int r = 0; static_cast<long long>(links.size()) < n; ++r) {
      for (int c = 0; c + 1 < cols && static_cast<long long>(links.size()) < n; ++c) {
        links.push_back({r, c, r, c + 1});
        if (static_cast<long long>(links.size()) < n)
          links.push_back({r, c + 1, r, c});
      }
      for (int c = 0; c < cols && static_cast<long long>(links.size()) < n; ++c) {
        links.push_back({r, c, r + 1, c});
        if (static_cast<long long>(links.size()) < n)
          links.push_back({r + 1, c, r, c});
      }
    }
    for (const GridLink& l : links)
      rows = std::max({rows, l.r0 + 1, l.r1 + 1});
  } else {
    rows = opt.rows;
    cols = opt.cols;
    if (rows < 1 || cols < 1 || static_cast<long long>(rows) * cols < 2) {
      error = "a grid needs at least two nodes (rows and columns of 1 or more)";
      return false;
    }
    if (static_cast<long long>(rows) * cols > kMaxGridNodes) {
      error = "a grid of " + std::to_string(rows) + " x " + std::to_string(cols) + " has " +
              std::to_string(static_cast<long long>(rows) * cols) + " nodes; " + kGridNodesReason;
      return false;
    }
    for (int r = 0; r < rows; ++r) {
      for (int c = 0; c + 1 < cols; ++c) {
        links.push_back({r, c, r, c + 1});
        links.push_back({r, c + 1, r, c});
      }
      if (r + 1 < rows) {
        for (int c = 0; c < cols; ++c) {
          links.push_back({r, c, r + 1, c});
          links.push_back({r + 1, c, r, c});
        }
      }
    }
  }

  g = GridNetwork();
  g.rows = rows;
  g.cols = cols;
  g.zone_rows = std::min(rows, 10);
  g.zone_cols = std::min(cols, 12);
  const int zones = g.zone_rows * g.zone_cols;
  g.superzones = std::min(4, zones);
  g.net.zones = zones;
  g.net.network_param = 10;
  g.net.superzone_flag = 1;

  // Column widths and row heights vary with the seed.
  std::vector<double> xs(static_cast<std::size_t>(cols)), ys(static_cast<std::size_t>(rows));
  xs[0] = kOrigin;
  for (int c = 1; c < cols; ++c)
    xs[static_cast<std::size_t>(c)] =
        xs[static_cast<std::size_t>(c - 1)] + 800.0 +
        100.0 * static_cast<double>(Hash(opt.seed, 1, static_cast<uint64_t>(c)) % 9);
  ys[0] = kOrigin;
  for (int r = 1; r < rows; ++r)
    ys[static_cast<std::size_t>(r)] =
        ys[static_cast<std::size_t>(r - 1)] + 800.0 +
        100.0 * static_cast<double>(Hash(opt.seed, 2, static_cast<uint64_t>(r)) % 9);

  const std::size_t node_count = static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols);
  g.node_base = node_count <= 9999 ? 1 : kWideNodeBase;
  auto node_index = [cols](int r, int c) {
    return static_cast<std::size_t>(r) * static_cast<std::size_t>(cols) + static_cast<std::size_t>(c);
  };
  g.net.node_numbers.resize(node_count);
  g.net.node_zones.resize(node_count);
  g.x.resize(node_count);
  g.y.resize(node_count);
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < cols; ++c) {
      const std::size_t i = node_index(r, c);
      g.net.node_numbers[i] = static_cast<int>(i) + g.node_base;
      g.net.node_zones[i] = (r * g.zone_rows / rows) * g.zone_cols + (c * g.zone_cols / cols) + 1;
      g.x[i] = xs[static_cast<std::size_t>(c)];
      g.y[i] = ys[static_cast<std::size_t>(r)];
    }
  }

  std::vector<int> out_degree(node_count, 0);
  g.net.links.reserve(links.size());
  g.names.reserve(links.size());
  for (const GridLink& gl : links) {
    const std::size_t a = node_index(gl.r0, gl.c0), b = node_index(gl.r1, gl.c1);
    ModLink l;
    l.from = g.net.node_numbers[a];
    l.to = g.net.node_numbers[b];
    l.length_ft = std::round(std::hypot(g.x[b] - g.x[a], g.y[b] - g.y[a]));
    l.flow_model = 1.0;
    l.grade = 0.0;
    char name[40];
    if (gl.r0 == gl.r1) {
      const bool major = gl.r0 % 4 == 0;
      l.type = major ? 7 : 5;
      l.lanes = major ? 3 : 2;
      l.speed_limit = major ? 45.0 : 35.0;
      l.max_service_flow = major ? 2000.0 : 1800.0;
      l.sat_flow = major ? 1900.0 : 1800.0;
      std::snprintf(name, sizeof(name), "Avenue %d %s", gl.r0 + 1, gl.c1 > gl.c0 ? "EB" : "WB");
    } else {
      const bool major = gl.c0 % 4 == 0;
      l.type = 5;
      l.lanes = major ? 3 : 2;
      l.speed_limit = major ? 40.0 : 30.0;
      l.max_service_flow = 1800.0;
      l.sat_flow = major ? 1800.0 : 1700.0;
      std::snprintf(name, sizeof(name), "Street %d %s", gl.c0 + 1, gl.r1 > gl.r0 ? "SB" : "NB");
    }
    l.left_bays = l.lanes >= 3 ? 1 : 0;
    l.right_bays = 0;
    ++out_degree[a];
    g.net.links.push_back(l);
    g.names.emplace_back(name);
  }
  g.net.Index();

  g.control_type.resize(node_count);
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < cols; ++c) {
      const std::size_t i = node_index(r, c);
      const int d = out_degree[i];
      g.control_type[i] = d >= 4 ? ((r % 4 == 0 && c % 4 == 0) ? 5 : 4) : d == 3 ? 3 : 1;
    }
  }
  g.detectors = DefaultDetectorLinks(g.net.links.size());
  for (std::size_t k = 0; k < g.net.links.size() && g.cameras.size() < kMaxCameras; ++k)
    if (IsCameraLink(k))
      g.cameras.push_back(static_cast<int>(k));
  return true;
}

std::string FormatNetworkDat(const GridNetwork& g)
{
  const ModNetwork& n = g.net;
  std::string out;
  out.reserve(n.node_numbers.size() * 16 + n.links.size() * 80 + 64);
  StringAppendF(out, "%d %zu %zu %d %d\n", n.zones, n.node_numbers.size(), n.links.size(), n.network_param,
                n.superzone_flag);
  for (std::size_t i = 0; i < n.node_numbers.size(); ++i)
    StringAppendF(out, "%7d%7d\n", n.node_numbers[i], n.node_zones[i]);
  for (const ModLink& l : n.links)
    StringAppendF(out, "%7d%7d%4d%4d%7d%4d%6.1f%6.2f%6.1f%8.1f%8.1f%4d%6.1f\n", l.from, l.to, l.left_bays,
                  l.right_bays, static_cast<int>(l.length_ft), l.lanes, l.flow_model, 1.0, l.speed_limit,
                  l.max_service_flow, l.sat_flow, l.type, l.grade);
  return out;
}

std::string FormatSuperZoneDat(const GridNetwork& g)
{
  const int z = g.net.zones;
  std::string out;
  StringAppendF(out, "%d\n", g.superzones);
  for (int i = 1; i <= z; ++i)
    StringAppendF(out, "%d%c", i, (i % 10 == 0 || i == z) ? '\n' : ' ');
  for (int i = 1; i <= z; ++i)
    StringAppendF(out, "%d%c", (i - 1) * g.superzones / z + 1, (i % 10 == 0 || i == z) ? '\n' : ' ');
  return out;
}

std::string FormatXYDat(const GridNetwork& g)
{
  std::string out;
  out.reserve(g.x.size() * 24);
  for (std::size_t i = 0; i < g.x.size(); ++i)
    StringAppendF(out, "%d %.1f %.1f\n", g.net.node_numbers[i], g.x[i], g.y[i]);
  return out;
}

std::string FormatLinkXYDat(const GridNetwork& g)
{
  // A grid's node numbers are its node indices plus the base.
  std::string out;
  out.reserve(g.net.links.size() * 48);
  for (const ModLink& l : g.net.links) {
    const std::size_t a = static_cast<std::size_t>(l.from - g.node_base);
    const std::size_t b = static_cast<std::size_t>(l.to - g.node_base);
    const double dx = g.x[b] - g.x[a], dy = g.y[b] - g.y[a];
    const double len = std::hypot(dx, dy);
    const double sx = len > 0 ? dy / len * kShapeShift : 0.0;
    const double sy = len > 0 ? -dx / len * kShapeShift : 0.0;
    StringAppendF(out, "%d %d 2 %.1f %.1f %.1f %.1f\n", l.from, l.to, g.x[a] + sx, g.y[a] + sy, g.x[b] + sx,
                  g.y[b] + sy);
  }
  return out;
}

std::string FormatLinkNameDat(const GridNetwork& g)
{
  std::string out;
  out.reserve(g.net.links.size() * 28);
  for (std::size_t k = 0; k < g.net.links.size(); ++k)
    StringAppendF(out, "%5d%5d%s\n", g.net.links[k].from, g.net.links[k].to, g.names[k].c_str());
  return out;
}

std::string FormatDetectorDat(const GridNetwork& g)
{
  std::string out;
  for (int k : g.detectors)
    StringAppendF(out, "%5d%5d\n", g.net.links[static_cast<std::size_t>(k)].from,
                  g.net.links[static_cast<std::size_t>(k)].to);
  return out;
}

std::string FormatCCTVDat(const GridNetwork& g)
{
  std::string out;
  int cam = 0;
  for (int k : g.cameras)
    StringAppendF(out, "%5d%5d http://cctv.vorlantis.local/camera%d\n",
                  g.net.links[static_cast<std::size_t>(k)].from, g.net.links[static_cast<std::size_t>(k)].to,
                  ++cam);
  return out;
}

std::string FormatControlDat(const GridNetwork& g)
{
  // No leading values; then node number, control type, cycle length, offset.
  std::string out = "0\n";
  out.reserve(g.control_type.size() * 16);
  for (std::size_t i = 0; i < g.control_type.size(); ++i)
    StringAppendF(out, "%d %d %d %d\n", g.net.node_numbers[i], g.control_type[i],
                  g.control_type[i] >= 4 ? 90 : 0, 0);
  return out;
}

std::string FindProgram(const RunDirOptions& opt, const std::string& name, const std::string& build_subdir,
                        bool* found)
{
  std::vector<fs::path> candidates;
  if (!opt.bindir.empty()) {
    candidates.push_back(fs::path(opt.bindir) / name);
    candidates.push_back(fs::path(opt.bindir) / build_subdir / name);
  }
  if (!opt.self_dir.empty()) {
    candidates.push_back(fs::path(opt.self_dir) / name);
    // The generator itself lives in <build>/standins/modules.
    candidates.push_back(fs::path(opt.self_dir) / ".." / ".." / build_subdir / name);
  }
  std::error_code ec;
  for (const fs::path& p : candidates) {
    if (IsExecutableFile(p.string())) {
      if (found)
        *found = true;
      const fs::path c = fs::canonical(p, ec);
      return ec ? fs::absolute(p).string() : c.string();
    }
  }
  if (found)
    *found = false;
  // Not built yet: name the place in the build tree where it will be.
  const fs::path fallback = !opt.bindir.empty() ? fs::path(opt.bindir) / build_subdir / name
                            : !opt.self_dir.empty()
                                ? fs::path(opt.self_dir) / ".." / ".." / build_subdir / name
                                : fs::path(name);
  return fs::absolute(fallback, ec).lexically_normal().string();
}

bool WriteRunDir(const std::string& dir, const RunDirOptions& opt, std::string& error,
                 std::vector<std::string>* warnings)
{
  GridNetwork g;
  if (!BuildGrid(opt, g, error))
    return false;
  if (!IsNameServiceAddress(opt.ns_host)) {
    error = "the naming service's address must be host:port, not \"" + opt.ns_host + "\"";
    return false;
  }

  const fs::path root(dir);
  std::error_code ec;
  for (const char* sub : {"", "estimate", "predict", "predict1", "NEARVET", "odestimate"}) {
    fs::create_directories(root / sub, ec);
    if (ec) {
      error = "cannot create " + (root / sub).string() + ": " + ec.message();
      return false;
    }
  }
  auto warn = [warnings](const std::string& w) {
    if (warnings)
      warnings->push_back(w);
  };

  const fs::path est = root / "estimate";
  const std::string empty_list = "0\n";
  const std::pair<fs::path, std::string> files[] = {
      {est / "network.dat", FormatNetworkDat(g)},
      {est / "SuperZone.dat", FormatSuperZoneDat(g)},
      {est / "xy.dat", FormatXYDat(g)},
      {est / "linkxy.dat", FormatLinkXYDat(g)},
      {est / "LinkName.dat", FormatLinkNameDat(g)},
      {est / "Detector.dat", FormatDetectorDat(g)},
      {est / "CCTV.dat", FormatCCTVDat(g)},
      {est / "control.dat", FormatControlDat(g)},
      {est / "vms.dat", empty_list},
      {est / "incident.dat", empty_list},
      {root / "predict" / "vms.dat", empty_list},
      {root / "predict1" / "vms.dat", empty_list},
      {root / "scheduler.dat", SchedulerFileText(DefaultCycles())},
      {root / "modules.dat", ModulesFileText(1, 1, 1, 1)},
      {root / "distribution.ini", DistributionIniText(DistributionValues{})},  // all on the server
      {root / "NEARVET" / "referencetable.txt", FormatReferenceTable(g.net, g.detectors)},
  };
  for (const auto& [path, text] : files)
    if (!WriteFileText(path.string(), text, &error))
      return false;

  if (!WriteScenarioDatabase((root / kScenarioDatabaseFile).string(), error))
    return false;

  std::string link_warning;
  if (!WriteNameServiceLink(root.string(), error, &link_warning))
    return false;
  if (!link_warning.empty())
    warn(link_warning);
  // The programs this build makes, with the modules' seed.
  const auto command = [&](const RunProgram& p) {
    bool found = false;
    ProgramCommand c;
    c.program = FindProgram(opt, p.image, BuildSubdir(p), &found);
    if (!found)
      warn(std::string(p.image) + " not found; " + p.key + ".bat starts " + c.program);
    if (p.module)
      c.args = {"--seed", std::to_string(opt.seed)};
    return c;
  };
  return WriteBatchFiles(root.string(), opt.ns_host, command, error);
}

}  // namespace vlq::mod
