// vlq_make_rundir: lays out a sample run directory with a synthetic grid
// network (see usage below).
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "RunDirGen.h"

namespace {

const char kUsage[] =
    "usage: vlq_make_rundir <dir> [--rows R --cols C | --links N] [--seed S]\n"
    "                       [--bindir DIR] [--ns-host HOST:PORT]\n"
    "\n"
    "Writes a run directory for a synthetic grid network: estimate/ with the\n"
    "network files, predict/ and predict1/, NEARVET/referencetable.txt,\n"
    "odestimate/, farvet/, odpredict/, scheduler.dat, modules.dat, distribution.ini\n"
    "(every program on the server machine), ScenarioManager.db (the scenario\n"
    "table, one row per prediction instance) and one batch file per program\n"
    "(naming_service.bat and <key>.bat), each run by /bin/sh: a module runs in\n"
    "its own folder (nowsim in estimate/, foresim in predict/, foresim1 in\n"
    "predict1/, nearvet in NEARVET/, farvet in farvet/, ode in odestimate/, odp\n"
    "in odpredict/), the others in the run directory.\n"
    "\n"
    "  --rows R --cols C  a full grid of R x C nodes (default 8 x 8)\n"
    "  --links N          exactly N links, on a grid as square as it gets\n"
    "  --seed S           seed of the network's geometry and of the modules' values (default 1)\n"
    "  --bindir DIR       where the programs are: DIR itself or a build tree under it\n"
    "                     (DIR/tallyhouse/Tallyhouse, DIR/standins/management/Management,\n"
    "                     DIR/standins/modules/NOWSIM ...); default: the build tree of\n"
    "                     vlq_make_rundir itself. The batch files hold absolute paths.\n"
    "  --ns-host H:P      naming service address used when QELM_NAME_SERVICE_HOST is\n"
    "                     unset when a batch file runs (default 127.0.0.1:10013)\n";

bool ParseInt(const char* s, long long lo, long long hi, long long& out)
{
  char* end = nullptr;
  errno = 0;
  const long long v = std::strtoll(s, &end, 10);
  if (errno != 0 || end == s || *end != 0 || v < lo || v > hi)
    return false;
  out = v;
  return true;
}

}  // namespace

int main(int argc, char** argv)
{
  vlq::mod::RunDirOptions opt;
  std::string dir;
  bool rows_given = false, cols_given = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto value = [&](const char* what) -> const char* {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "vlq_make_rundir: %s needs a value\n%s", what, kUsage);
        std::exit(2);
      }
      return argv[++i];
    };
    long long v = 0;
    if (a == "--help" || a == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    } else if (a == "--rows" || a == "--cols" || a == "--links" || a == "--seed") {
      const char* s = value(a.c_str());
      const long long hi = a == "--seed" ? 4294967295LL : 100'000'000LL;
      if (!ParseInt(s, a == "--seed" ? 0 : 1, hi, v)) {
        std::fprintf(stderr, "vlq_make_rundir: bad value for %s: \"%s\"\n", a.c_str(), s);
        return 2;
      }
      if (a == "--rows") {
        opt.rows = static_cast<int>(v);
        rows_given = true;
      } else if (a == "--cols") {
        opt.cols = static_cast<int>(v);
        cols_given = true;
      } else if (a == "--links") {
        opt.links = v;
      } else {
        opt.seed = static_cast<uint32_t>(v);
      }
    } else if (a == "--bindir") {
      opt.bindir = value("--bindir");
    } else if (a == "--ns-host") {
      opt.ns_host = value("--ns-host");
    } else if (!a.empty() && a[0] == '-') {
      std::fprintf(stderr, "vlq_make_rundir: unknown option \"%s\"\n%s", a.c_str(), kUsage);
      return 2;
    } else if (dir.empty()) {
      dir = a;
    } else {
      std::fprintf(stderr, "vlq_make_rundir: more than one directory given\n%s", kUsage);
      return 2;
    }
  }
  if (dir.empty()) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  if (opt.links > 0 && (rows_given || cols_given)) {
    std::fprintf(stderr, "vlq_make_rundir: --links excludes --rows and --cols\n");
    return 2;
  }

  std::error_code ec;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (!ec)
    opt.self_dir = self.parent_path().string();
  if (!opt.bindir.empty())
    opt.bindir = std::filesystem::absolute(opt.bindir, ec).string();

  std::string error;
  std::vector<std::string> warnings;
  const bool ok = vlq::mod::WriteRunDir(dir, opt, error, &warnings);
  for (const std::string& w : warnings)
    std::fprintf(stderr, "vlq_make_rundir: warning: %s\n", w.c_str());
  if (!ok) {
    std::fprintf(stderr, "vlq_make_rundir: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
