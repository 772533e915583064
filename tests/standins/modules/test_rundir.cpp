// The sample run directory: exact files of a small grid, the console's
// limits on grids of every shape up to 50,000 links, the generator's
// command line and batch files that really start the naming service.
#include <gtest/gtest.h>

#include <omniORB4/CORBA.h>
#include <omniORB4/Naming.hh>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include "ConsoleReaders.h"
#include "ModFormats.h"
#include "RunDirGen.h"
#include "RunPrograms.h"
#include "TestSupport.h"

namespace fs = std::filesystem;
using vlq::mod::RunDirOptions;

namespace {

std::string RunFile(const TempDir& dir, const std::string& name)
{
  return ReadFile(dir.path() + "/run/" + name);
}

RunDirOptions Grid(int rows, int cols)
{
  RunDirOptions o;
  o.rows = rows;
  o.cols = cols;
  o.bindir = VLQ_BUILD_ROOT;
  return o;
}

RunDirOptions Links(long long n)
{
  RunDirOptions o;
  o.links = n;
  o.bindir = VLQ_BUILD_ROOT;
  return o;
}

// ---------------------------------------------------------------- golden 2 x 2

TEST(RunDirGolden, TwoByTwoGridFiles)
{
  TempDir dir("vlq-rundir");
  std::string error;
  ASSERT_TRUE(vlq::mod::WriteRunDir(dir.path() + "/run", Grid(2, 2), error)) << error;

  const std::map<std::string, std::string> golden = {
      {"estimate/network.dat",
       "4 4 8 10 1\n"
       "      1      1\n"
       "      2      2\n"
       "      3      3\n"
       "      4      4\n"
       "      1      2   1   0    800   3   1.0  1.00  45.0  2000.0  1900.0   7   0.0\n"
       "      2      1   1   0    800   3   1.0  1.00  45.0  2000.0  1900.0   7   0.0\n"
       "      1      3   1   0   1200   3   1.0  1.00  40.0  1800.0  1800.0   5   0.0\n"
       "      3      1   1   0   1200   3   1.0  1.00  40.0  1800.0  1800.0   5   0.0\n"
       "      2      4   0   0   1200   2   1.0  1.00  30.0  1800.0  1700.0   5   0.0\n"
       "      4      2   0   0   1200   2   1.0  1.00  30.0  1800.0  1700.0   5   0.0\n"
       "      3      4   0   0    800   2   1.0  1.00  35.0  1800.0  1800.0   5   0.0\n"
       "      4      3   0   0    800   2   1.0  1.00  35.0  1800.0  1800.0   5   0.0\n"},
      {"estimate/SuperZone.dat", "4\n1 2 3 4\n1 2 3 4\n"},
      {"estimate/xy.dat", "1 100.0 100.0\n2 900.0 100.0\n3 100.0 1300.0\n4 900.0 1300.0\n"},
      {"estimate/linkxy.dat", "1 2 2 100.0 75.0 900.0 75.0\n"
                              "2 1 2 900.0 125.0 100.0 125.0\n"
                              "1 3 2 125.0 100.0 125.0 1300.0\n"
                              "3 1 2 75.0 1300.0 75.0 100.0\n"
                              "2 4 2 925.0 100.0 925.0 1300.0\n"
                              "4 2 2 875.0 1300.0 875.0 100.0\n"
                              "3 4 2 100.0 1275.0 900.0 1275.0\n"
                              "4 3 2 900.0 1325.0 100.0 1325.0\n"},
      {"estimate/LinkName.dat", "    1    2Avenue 1 EB\n"
                                "    2    1Avenue 1 WB\n"
                                "    1    3Street 1 SB\n"
                                "    3    1Street 1 NB\n"
                                "    2    4Street 2 SB\n"
                                "    4    2Street 2 NB\n"
                                "    3    4Avenue 2 EB\n"
                                "    4    3Avenue 2 WB\n"},
      {"estimate/Detector.dat", "    1    2\n    4    2\n"},
      {"estimate/CCTV.dat", "    3    1 http://cctv.vorlantis.local/camera1\n"},
      {"estimate/control.dat", "0\n1 1 0 0\n2 1 0 0\n3 1 0 0\n4 1 0 0\n"},
      {"estimate/vms.dat", "0\n"},
      {"estimate/incident.dat", "0\n"},
      {"predict/vms.dat", "0\n"},
      {"predict1/vms.dat", "0\n"},
      {"NEARVET/referencetable.txt", "8 2\n"
                                     "1 1 2 1 800 3\n"
                                     "2 2 1 0 800 3\n"
                                     "3 1 3 0 1200 3\n"
                                     "4 3 1 0 1200 3\n"
                                     "5 2 4 0 1200 2\n"
                                     "6 4 2 2 1200 2\n"
                                     "7 3 4 0 800 2\n"
                                     "8 4 3 0 800 2\n"},
      {"distribution.ini", "[VORLANTISQ]\nforesim=0\nforesim1=0\nnowsim=0\nnearvet=0\nfarvet=0\nmanagement="
                           "0\ntallyhouse=0\node=0\nodp=0\n"},
      {"modules.dat",
       "1\n1\n1\n1\n1\n1\n\nline 1: state estimation; 1=run; 0=not run\nline 2: state prediction\n"
       "line 3: state prediction_1\nline 4: short-term consistency checking/updating\n"
       "line 5: long-term consistency checking/updating\nline 6: OD estimation & prediction"},
  };
  for (const auto& [name, text] : golden)
    EXPECT_EQ(RunFile(dir, name), text) << name;

  // scheduler.dat: the cycles dialog's initial settings, in seconds.
  const std::vector<std::string> sched = console::Lines(RunFile(dir, "scheduler.dat"));
  const std::vector<std::string> head = {
      "30 0", "300 1200 300", "900 300", "600 2700 0", "300 300", "30 30",   "",
      "300",  "300",          "30",      "",           "5",       "3600000", ""};
  ASSERT_GE(sched.size(), head.size());
  for (std::size_t i = 0; i < head.size(); ++i)
    EXPECT_EQ(sched[i], head[i]) << "scheduler.dat line " << i + 1;

  EXPECT_TRUE(fs::is_directory(dir.path() + "/run/odestimate"));
}

// Every row of Scen_Man, each as its cells joined by "|".
std::vector<std::string> ScenarioRows(const std::string& file)
{
  std::vector<std::string> rows;
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    sqlite3_close(db);
    return rows;
  }
  sqlite3_stmt* st = nullptr;
  if (sqlite3_prepare_v2(db, "select * from Scen_Man", -1, &st, nullptr) == SQLITE_OK) {
    while (sqlite3_step(st) == SQLITE_ROW) {
      std::string row;
      for (int c = 0; c < sqlite3_column_count(st); ++c) {
        const unsigned char* text = sqlite3_column_text(st, c);
        row += (c ? "|" : "") + std::string(text ? reinterpret_cast<const char*>(text) : "");
      }
      rows.push_back(row);
    }
  }
  sqlite3_finalize(st);
  sqlite3_close(db);
  return rows;
}

TEST(RunDirGolden, ScenarioTableHasOneRowPerInstance)
{
  TempDir dir("vlq-rundir");
  std::string error;
  const std::vector<std::string> expected = {
      "Scenario0|vms_scenario0|N/A|N/A|N/A|Signs of the first prediction instance|vlq_make_rundir||FORESIM0",
      "Scenario1|vms_scenario1|N/A|N/A|N/A|Signs of the second prediction instance|vlq_make_rundir||FORESIM1",
  };
  // Written again over an existing run directory, the table is replaced.
  for (int round = 0; round < 2; ++round) {
    ASSERT_TRUE(vlq::mod::WriteRunDir(dir.path() + "/run", Grid(2, 2), error)) << error;
    EXPECT_EQ(ScenarioRows(dir.path() + "/run/ScenarioManager.db"), expected) << round;
  }
}

TEST(RunDirGolden, SeedMovesTheGeometryOnly)
{
  vlq::mod::GridNetwork a, b;
  std::string error;
  RunDirOptions o = Grid(6, 7);
  ASSERT_TRUE(vlq::mod::BuildGrid(o, a, error)) << error;
  o.seed = 99;
  ASSERT_TRUE(vlq::mod::BuildGrid(o, b, error)) << error;
  ASSERT_EQ(a.net.links.size(), b.net.links.size());
  EXPECT_NE(vlq::mod::FormatXYDat(a), vlq::mod::FormatXYDat(b));
  EXPECT_EQ(vlq::mod::FormatDetectorDat(a), vlq::mod::FormatDetectorDat(b));
  for (std::size_t k = 0; k < a.net.links.size(); ++k) {
    EXPECT_EQ(a.net.links[k].from, b.net.links[k].from);
    EXPECT_EQ(a.net.links[k].to, b.net.links[k].to);
  }
}

// ---------------------------------------------------------------- limits, any size

struct Shape
{
  const char* label;
  RunDirOptions opt;
  long long links;  // expected link count
  long long nodes;  // expected node count
};

void PrintTo(const Shape& s, std::ostream* os)
{
  *os << s.label;
}

class RunDirShapes : public ::testing::TestWithParam<Shape>
{};

TEST_P(RunDirShapes, FilesKeepTheConsolesLimits)
{
  const Shape& s = GetParam();
  TempDir dir("vlq-rundir");
  std::string error;
  ASSERT_TRUE(vlq::mod::WriteRunDir(dir.path() + "/run", s.opt, error)) << error;

  // network.dat
  const std::vector<double> net = console::Numbers(RunFile(dir, "estimate/network.dat"));
  ASSERT_GE(net.size(), 5u);
  const long long zones = static_cast<long long>(net[0]), nodes = static_cast<long long>(net[1]),
                  links = static_cast<long long>(net[2]);
  EXPECT_EQ(links, s.links);
  EXPECT_EQ(nodes, s.nodes);
  EXPECT_GE(zones, 1);
  EXPECT_LE(zones, 120);
  EXPECT_EQ(net[4], 1.0);  // SuperZone.dat is read
  ASSERT_EQ(static_cast<long long>(net.size()), 5 + 2 * nodes + 13 * links);
  std::set<int> defined;
  for (long long i = 0; i < nodes; ++i) {
    const int num = static_cast<int>(net[5 + 2 * i]);
    const int zone = static_cast<int>(net[6 + 2 * i]);
    EXPECT_GE(num, 1);
    EXPECT_LT(num, 100000) << "wider than the five-column node fields";
    EXPECT_TRUE(defined.insert(num).second) << "node " << num << " twice";
    EXPECT_GE(zone, 1);
    EXPECT_LE(zone, zones);
  }
  std::map<int, int> out_links;
  std::set<std::pair<int, int>> pairs;
  for (long long k = 0; k < links; ++k) {
    const double* l = &net[static_cast<std::size_t>(5 + 2 * nodes + 13 * k)];
    const int from = static_cast<int>(l[0]), to = static_cast<int>(l[1]);
    ASSERT_TRUE(defined.count(from) && defined.count(to)) << "link " << k;
    EXPECT_NE(from, to);
    EXPECT_GT(l[4], 0) << "length";
    EXPECT_GE(l[5], 1) << "lanes";
    EXPECT_GT(l[8], 0) << "speed limit";
    EXPECT_GE(l[11], 1);
    EXPECT_LE(l[11], 7);
    ++out_links[from];
    pairs.insert({from, to});
  }
  for (const auto& [node, n] : out_links)
    EXPECT_LE(n, 15) << "node " << node;

  // The modules read the same network.
  vlq::mod::ModNetwork mine;
  ASSERT_TRUE(vlq::mod::ReadNetworkFile(dir.path() + "/run/estimate/network.dat", mine, error)) << error;
  ASSERT_EQ(static_cast<long long>(mine.links.size()), links);
  for (long long k = 0; k < links; ++k) {
    const double* l = &net[static_cast<std::size_t>(5 + 2 * nodes + 13 * k)];
    ASSERT_EQ(mine.links[static_cast<std::size_t>(k)].from, static_cast<int>(l[0]));
    ASSERT_EQ(mine.links[static_cast<std::size_t>(k)].to, static_cast<int>(l[1]));
  }

  // No minus sign anywhere: the console's readers would drop it.
  for (const char* f : {"estimate/network.dat", "estimate/xy.dat", "estimate/linkxy.dat",
                        "estimate/control.dat", "estimate/SuperZone.dat", "NEARVET/referencetable.txt"})
    EXPECT_EQ(RunFile(dir, f).find('-'), std::string::npos) << f;

  // xy.dat: every node once.
  const std::vector<double> xy = console::Numbers(RunFile(dir, "estimate/xy.dat"));
  ASSERT_EQ(static_cast<long long>(xy.size()), 3 * nodes);
  std::set<int> placed;
  for (long long i = 0; i < nodes; ++i)
    placed.insert(static_cast<int>(xy[static_cast<std::size_t>(3 * i)]));
  EXPECT_EQ(placed, defined);

  // linkxy.dat: records of existing links.
  const std::vector<double> lxy = console::Numbers(RunFile(dir, "estimate/linkxy.dat"));
  long long shapes = 0;
  for (std::size_t at = 0; at < lxy.size(); ++shapes) {
    ASSERT_LE(at + 3, lxy.size());
    EXPECT_TRUE(pairs.count({static_cast<int>(lxy[at]), static_cast<int>(lxy[at + 1])}));
    const std::size_t n = static_cast<std::size_t>(lxy[at + 2]);
    EXPECT_GE(n, 2u);
    at += 3 + 2 * n;
  }
  EXPECT_EQ(shapes, links);

  // LinkName.dat, Detector.dat, CCTV.dat: existing links, names and addresses that fit.
  int from = 0, to = 0;
  long long named = 0;
  for (const std::string& line : console::Lines(RunFile(dir, "estimate/LinkName.dat"))) {
    ASSERT_TRUE(console::NodePair(line, from, to)) << line;
    EXPECT_TRUE(pairs.count({from, to})) << line;
    ASSERT_GT(line.size(), 10u);
    EXPECT_LE(line.size() - 10, 39u) << line;
    ++named;
  }
  EXPECT_EQ(named, links);
  std::vector<std::string> detectors = console::Lines(RunFile(dir, "estimate/Detector.dat"));
  EXPECT_FALSE(detectors.empty());
  for (const std::string& line : detectors) {
    ASSERT_TRUE(console::NodePair(line, from, to)) << line;
    EXPECT_TRUE(pairs.count({from, to})) << line;
  }
  const std::vector<std::string> cams = console::Lines(RunFile(dir, "estimate/CCTV.dat"));
  EXPECT_LE(cams.size(), 50u);
  for (const std::string& line : cams) {
    ASSERT_TRUE(console::NodePair(line, from, to)) << line;
    EXPECT_TRUE(pairs.count({from, to})) << line;
    const std::string addr = line.substr(11);
    EXPECT_GT(addr.size(), 0u);
    EXPECT_LE(addr.size(), 59u);
    EXPECT_EQ(addr.find(' '), std::string::npos);
  }

  // control.dat: K, K values, four values per node, control types 1..6.
  const std::vector<double> ctl = console::Numbers(RunFile(dir, "estimate/control.dat"));
  ASSERT_FALSE(ctl.empty());
  const std::size_t k0 = 1 + static_cast<std::size_t>(ctl[0]);
  ASSERT_EQ(ctl.size(), k0 + 4 * static_cast<std::size_t>(nodes));
  for (long long i = 0; i < nodes; ++i) {
    const double type = ctl[k0 + 4 * static_cast<std::size_t>(i) + 1];
    EXPECT_GE(type, 1);
    EXPECT_LE(type, 6);
  }

  // SuperZone.dat: S, then the zone list and each zone's super-zone.
  const std::vector<double> sz = console::Numbers(RunFile(dir, "estimate/SuperZone.dat"));
  ASSERT_EQ(static_cast<long long>(sz.size()), 1 + 2 * zones);
  for (long long i = 0; i < zones; ++i) {
    EXPECT_GE(sz[1 + i], 1);
    EXPECT_LE(sz[1 + i], zones);
    EXPECT_GE(sz[1 + zones + i], 1);
    EXPECT_LE(sz[1 + zones + i], sz[0]);
  }

  // referencetable.txt: a row per link; M rows are detector rows, as many as Detector.dat lines.
  const std::vector<double> ref = console::Numbers(RunFile(dir, "NEARVET/referencetable.txt"));
  ASSERT_GE(ref.size(), 2u);
  EXPECT_EQ(static_cast<long long>(ref[0]), links);
  ASSERT_EQ(static_cast<long long>(ref.size()), 2 + 6 * links);
  long long marked = 0;
  for (long long i = 0; i < links; ++i) {
    EXPECT_EQ(static_cast<long long>(ref[static_cast<std::size_t>(2 + 6 * i)]), i + 1);
    if (ref[static_cast<std::size_t>(2 + 6 * i + 3)] > 0)
      ++marked;
  }
  EXPECT_EQ(marked, static_cast<long long>(ref[1]));
  EXPECT_EQ(marked, static_cast<long long>(detectors.size()));

  // One batch file per distribution.ini key, and the naming service's; the
  // folder each program runs in is there.
  for (const RunProgram& p : RunPrograms()) {
    EXPECT_TRUE(fs::exists(dir.path() + "/run/" + p.key + ".bat")) << p.key;
    EXPECT_TRUE(fs::is_directory(dir.path() + "/run/" + p.folder)) << p.key;
  }
  EXPECT_TRUE(fs::exists(dir.path() + "/run/naming_service.bat"));
}

INSTANTIATE_TEST_SUITE_P(
    Grids, RunDirShapes,
    ::testing::Values(Shape{"grid2x2", Grid(2, 2), 8, 4}, Shape{"grid3x2", Grid(3, 2), 14, 6},
                      Shape{"row1x5", Grid(1, 5), 8, 5}, Shape{"column5x1", Grid(5, 1), 8, 5},
                      Shape{"links1", Links(1), 1, 2}, Shape{"links7", Links(7), 7, 4},
                      Shape{"links50000", Links(50000), 50000, 12656},
                      Shape{"grid120x120", Grid(120, 120), 57120, 14400}),
    [](const ::testing::TestParamInfo<Shape>& info) { return std::string(info.param.label); });

TEST(RunDirShapes, RefusedSizes)
{
  struct Case
  {
    const char* label;
    RunDirOptions opt;
    bool numbering;  // refused for the width of the node numbers
  };
  const Case cases[] = {
      {"one node", Grid(1, 1), false},
      {"no rows", Grid(0, 5), false},
      {"too many nodes", Grid(400, 400), true},
      {"too many links", Links(1'000'000), true},
      {"just too many links", Links(360'000), true},
  };
  for (const Case& c : cases) {
    vlq::mod::GridNetwork g;
    std::string error;
    EXPECT_FALSE(vlq::mod::BuildGrid(c.opt, g, error)) << c.label;
    EXPECT_FALSE(error.empty()) << c.label;
    if (c.numbering) {
      EXPECT_NE(error.find("node numbers of five digits"), std::string::npos) << error;
    }
  }
  TempDir dir("vlq-rundir");
  RunDirOptions bad_host = Grid(2, 2);
  bad_host.ns_host = "localhost";
  std::string error;
  EXPECT_FALSE(vlq::mod::WriteRunDir(dir.path() + "/run", bad_host, error));
  EXPECT_NE(error.find("host:port"), std::string::npos) << error;
}

// ---------------------------------------------------------------- the program

int RunGenerator(const std::vector<std::string>& args, const std::string& out_file)
{
  ChildProcess p;
  ChildProcess::Options o;
  o.stdout_file = out_file;
  o.stderr_file = out_file;
  if (!p.Start(VLQ_MAKE_RUNDIR, args, o))
    return -1000;
  if (!p.Wait(std::chrono::seconds(120))) {
    p.Terminate();
    return -1001;
  }
  return p.ExitCode();
}

TEST(RunDirProgram, CommandLineErrors)
{
  TempDir dir("vlq-rundir");
  const std::string out = dir.file("out.txt");
  struct Case
  {
    const char* label;
    std::vector<std::string> args;
    int status;
  };
  const std::string target = dir.file("run");
  const std::vector<Case> cases = {
      {"help", {"--help"}, 0},
      {"no directory", {}, 2},
      {"unknown option", {target, "--size", "3"}, 2},
      {"rows not a number", {target, "--rows", "abc"}, 2},
      {"rows missing its value", {target, "--rows"}, 2},
      {"zero links", {target, "--links", "0"}, 2},
      {"negative seed", {target, "--seed", "-1"}, 2},
      {"links with rows", {target, "--links", "10", "--rows", "3"}, 2},
      {"two directories", {target, dir.file("other")}, 2},
      {"grid too large", {target, "--rows", "1000", "--cols", "1000"}, 1},
      {"too many links for five-digit node numbers", {target, "--links", "400000"}, 1},
  };
  for (const Case& c : cases)
    EXPECT_EQ(RunGenerator(c.args, out), c.status) << c.label << ": " << ReadFile(out);
  EXPECT_FALSE(fs::exists(target + "/estimate/network.dat"));
}

TEST(RunDirProgram, BatchFilesNameTheBuiltPrograms)
{
  TempDir dir("vlq-rundir");
  const std::string run = dir.file("run");
  const std::string out = dir.file("out.txt");
  ASSERT_EQ(RunGenerator({run, "--rows", "3", "--cols", "2", "--seed", "7", "--bindir", VLQ_BUILD_ROOT,
                          "--ns-host", "127.0.0.1:10444"},
                         out),
            0)
      << ReadFile(out);

  struct Bat
  {
    const char* key;
    const char* program;
    bool seeded;
  };
  const Bat bats[] = {
      {"foresim", "FORESIM", true}, {"foresim1", "FORESIM", true},       {"nowsim", "NOWSIM", true},
      {"nearvet", "NEARVET", true}, {"farvet", "FARVET", true},          {"ode", "ODE", true},
      {"odp", "ODP", true},         {"management", "Management", false}, {"tallyhouse", "Tallyhouse", false}};
  for (const Bat& b : bats) {
    const std::string text = ReadFile(run + "/" + b.key + ".bat");
    // The exec line: an absolute path to the program, then its arguments.
    const std::size_t at = text.find("exec '");
    ASSERT_NE(at, std::string::npos) << b.key;
    const std::size_t end = text.find('\'', at + 6);
    const std::string program = text.substr(at + 6, end - at - 6);
    EXPECT_EQ(fs::path(program).filename(), b.program) << b.key;
    EXPECT_TRUE(fs::path(program).is_absolute()) << program;
    EXPECT_NE(text.find("-ORBInitRef \"NameService=corbaloc::${QELM_NAME_SERVICE_HOST}/NameService\""),
              std::string::npos)
        << b.key;
    EXPECT_NE(text.find("QELM_NAME_SERVICE_HOST:=127.0.0.1:10444"), std::string::npos) << b.key;
    EXPECT_EQ(text.find("'--seed' '7'") != std::string::npos, b.seeded) << b.key;
    EXPECT_EQ(text.find("'FORESIM' '1'") != std::string::npos ||
                  text.find("/FORESIM' '1'") != std::string::npos,
              std::string(b.key) == "foresim1")
        << b.key;
    // Syntax check by the shell that runs it.
    ChildProcess sh;
    ASSERT_TRUE(sh.Start("/bin/sh", {"-n", run + "/" + b.key + ".bat"}));
    ASSERT_TRUE(sh.Wait(std::chrono::seconds(20)));
    EXPECT_EQ(sh.ExitCode(), 0) << b.key;
  }
  // The modules this build makes are found where the build put them.
  for (const Bat& b : bats) {
    if (!b.seeded)
      continue;
    const std::string text = ReadFile(run + "/" + b.key + ".bat");
    EXPECT_NE(text.find(std::string(VLQ_BUILD_ROOT) + "/standins/modules/" + b.program + "'"),
              std::string::npos)
        << b.key << ":\n"
        << text;
  }
  // NAMEDIR is a link to the naming service's program.
  std::error_code ec;
  const fs::path target = fs::read_symlink(run + "/NAMEDIR", ec);
  ASSERT_FALSE(ec) << ec.message();
  EXPECT_EQ(target.filename(), "omniNames");
}

// ---------------------------------------------------------------- naming_service.bat

CORBA::ORB_ptr TestOrb()
{
  static CORBA::ORB_var orb = [] {
    int argc = 1;
    static char name[] = "standins_test_rundir";
    static char* argv[] = {name, nullptr};
    return CORBA::ORB_init(argc, argv);
  }();
  return orb.in();
}

TEST(RunDirProgram, NamingServiceBatchFileStartsNAMEDIR)
{
  TempDir dir("vlq-rundir");
  const std::string run = dir.file("run");
  std::string error;
  ASSERT_TRUE(vlq::mod::WriteRunDir(run, Grid(2, 2), error)) << error;

  ChildProcess ns;
  int port = 0;
  bool up = false;
  for (int attempt = 0; attempt < 3 && !up; ++attempt) {
    port = FreeLoopbackPort();
    ChildProcess::Options o;
    o.working_dir = run;
    o.env = {"QELM_NAME_SERVICE_HOST=127.0.0.1:" + std::to_string(port)};
    o.stdout_file = dir.file("ns.out");
    o.stderr_file = dir.file("ns.out");
    ASSERT_TRUE(ns.Start("/bin/sh", {"naming_service.bat"}, o));
    const std::string loc = "corbaloc::127.0.0.1:" + std::to_string(port) + "/NameService";
    up = WaitUntil(
        [&] {
          try {
            CORBA::Object_var obj = TestOrb()->string_to_object(loc.c_str());
            CosNaming::NamingContext_var ctx = CosNaming::NamingContext::_narrow(obj.in());
            return !CORBA::is_nil(ctx.in()) && !ctx->_non_existent();
          } catch (const CORBA::Exception&) {
            return !ns.Running() ? true : false;
          }
        },
        std::chrono::seconds(20));
    if (up && !ns.Running())
      up = false;
    if (!up)
      ns.Terminate();
  }
  ASSERT_TRUE(up) << ReadFile(dir.file("ns.out"));
  // The shell replaced itself: the batch file's process is the naming
  // service, under the image name close-down looks for.
  EXPECT_EQ(ReadFile("/proc/" + std::to_string(ns.pid()) + "/comm"), "NAMEDIR\n");
  EXPECT_TRUE(fs::is_directory(run + "/NameService"));
  ns.Terminate();
}

}  // namespace
