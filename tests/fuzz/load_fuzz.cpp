// vlq_load_fuzz: mutation test of the console's project load.
//
// Each case lays out a small run directory with the generator, mutates one
// or two of the project's files from the case's seed (byte flips,
// truncation, numbers replaced by huge, negative and boundary values, empty
// files, 100,000-character lines, binary garbage, CR and CR LF line ends, a
// missing file, a directory in a file's place) and runs the load in a child
// process: the Load Data command's load and write-back, then the
// observation thread polling a few times at a short pause. A crash, a
// sanitizer report, a hang or an end by signal fails the case; an end with
// exit status 1 and the load's message is the designed answer to fatal data.
//
//   vlq_load_fuzz [--seed S] [--cases N] [--jobs J] [--time-limit SEC] [--timeout SEC]
//       runs the cases of seeds S .. S+N-1 (default 1, 200), J at a time,
//       starting no new case after SEC seconds; a failing case prints its
//       seed, its mutations and the command that reproduces it
//   vlq_load_fuzz --case SEED
//       runs the one case of that seed, prints its mutations and the load's
//       output, and keeps its run directory
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cinttypes>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "CProject.h"
#include "ModFormats.h"
#include "ObservationReader.h"
#include "RunDirGen.h"
#include "StringPrintf.h"
#include "TestSupport.h"

namespace fs = std::filesystem;

namespace {

// The files the project load and the observation thread read, relative to
// the run directory.
const char* const kProjectFiles[] = {
    "estimate/network.dat",  "estimate/SuperZone.dat",     "estimate/xy.dat",        "estimate/linkxy.dat",
    "estimate/LinkName.dat", "estimate/Detector.dat",      "estimate/CCTV.dat",      "estimate/control.dat",
    "estimate/vms.dat",      "estimate/incident.dat",      "predict/vms.dat",        "predict1/vms.dat",
    "scheduler.dat",         "NEARVET/referencetable.txt", "odestimate/obsData.dat",
};

// Numbers at the edges of the readers' ranges and of the project's tables.
const char* const kBoundaryValues[] = {
    "2147483647",
    "2147483648",
    "-2147483648",
    "-2147483649",
    "4294967295",
    "4294967296",
    "9223372036854775807",
    "-9223372036854775809",
    "99999999999999999999999999999999999999999999",
    "-99999999999999999999999999999999999999999999",
    "-1",
    "0",
    "1",
    "-0",
    "0.5",
    "-0.5",
    "25000",
    "24999",
    "-25000",
    "899999",
    "899998",
    "99999",
    "100000",
    "120",
    "121",
    "15",
    "16",
    "1000000",
    "1000001",
    "5000",
    "4999",
    "1439",
    "1440",
    "nan",
    "1e308",
    "340282366920938463463374607431768211456",
};

// Whether the last line of the output is one of the load's messages before
// it ends the program with status 1 (an undefined or out-of-range node).
bool EndsWithFatalMessage(const std::string& output)
{
  std::string last = output;
  while (!last.empty() && (last.back() == '\n' || last.back() == '\r'))
    last.pop_back();
  last = last.substr(last.rfind('\n') == std::string::npos ? 0 : last.rfind('\n') + 1);
  auto starts = [&last](const char* s) { return last.rfind(s, 0) == 0; };
  auto has = [&last](const char* s) { return last.find(s) != std::string::npos; };
  return starts("Please ensure that the node number") || (starts("Node ") && has(" has not been defined")) ||
         (starts("A node ") && has(" cannot be found."));
}

constexpr int kPolls = 5;              // observation polls in each case
constexpr int kPollPauseMs = 2;        // pause between them
constexpr int kChildWaitSeconds = 20;  // the child's own bound on the polls

// ---------------------------------------------------------------- the case

class Mutator
{
public:
  explicit Mutator(uint64_t seed) : m_rng(seed) {}

  uint64_t Next() { return m_rng(); }
  size_t Below(size_t n) { return n == 0 ? 0 : static_cast<size_t>(m_rng() % n); }

  // Applies one mutation to a file of the run directory; returns its
  // description.
  std::string Mutate(const fs::path& run, const std::string& name)
  {
    const fs::path path = run / name;
    std::string text = ReadFile(path.string());
    std::string what;
    switch (Below(10)) {
    case 0: {
      const size_t n = 1 + Below(8);
      for (size_t i = 0; i < n && !text.empty(); ++i)
        text[Below(text.size())] ^= static_cast<char>(1 + Below(255));
      what = std::to_string(n) + " bytes flipped";
      break;
    }
    case 1: {
      const size_t at = Below(text.size());
      text.resize(at);
      what = "cut at byte " + std::to_string(at);
      break;
    }
    case 2:
    case 3: what = ReplaceNumbers(text); break;
    case 4:
      text.clear();
      what = "emptied";
      break;
    case 5: what = InsertLongLine(text); break;
    case 6: what = InsertGarbage(text); break;
    case 7: {
      const bool crlf = Below(2) == 0;
      std::string out;
      for (char c : text)
        out += c == '\n' ? (crlf ? "\r\n" : "\r") : std::string(1, c);
      text = out;
      what = crlf ? "CR LF line ends" : "CR line ends";
      break;
    }
    case 8: {
      std::error_code ec;
      fs::remove_all(path, ec);
      return name + ": removed";
    }
    default: {
      std::error_code ec;
      fs::remove_all(path, ec);
      fs::create_directories(path, ec);
      return name + ": a directory in its place";
    }
    }
    std::error_code ec;
    fs::remove_all(path, ec);  // a directory left by an earlier mutation
    WriteFile(path.string(), text);
    return name + ": " + what;
  }

private:
  std::string ReplaceNumbers(std::string& text)
  {
    // Numbers: digit runs with an optional sign and fraction.
    // Half of the time only the first number of each line (a record's key:
    // a node or link number).
    const bool line_starts = Below(2) == 0;
    std::vector<std::pair<size_t, size_t>> numbers;
    for (size_t i = 0; i < text.size();) {
      if (!std::isdigit(static_cast<unsigned char>(text[i]))) {
        ++i;
        continue;
      }
      size_t start = i > 0 && text[i - 1] == '-' ? i - 1 : i;
      while (i < text.size() && (std::isdigit(static_cast<unsigned char>(text[i])) || text[i] == '.'))
        ++i;
      size_t line = 0;
      if (start > 0) {
        const size_t end = text.find_last_of("\r\n", start - 1);
        line = end == std::string::npos ? 0 : end + 1;
      }
      const size_t first = text.find_first_of("-0123456789", line);
      if (!line_starts || first == start)
        numbers.emplace_back(start, i - start);
    }
    if (numbers.empty())
      return "no number to replace";
    const size_t n = 1 + Below(3);
    std::string what;
    for (size_t k = 0; k < n && !numbers.empty(); ++k) {
      // One at a time; the numbers after it move by the change of length.
      const size_t idx = Below(numbers.size());
      const auto [pos, len] = numbers[idx];
      const std::string value = kBoundaryValues[Below(std::size(kBoundaryValues))];
      what += (what.empty() ? "" : ", ") + text.substr(pos, len) + " at byte " + std::to_string(pos) +
              " -> " + value;
      text.replace(pos, len, value);
      const long long shift = static_cast<long long>(value.size()) - static_cast<long long>(len);
      numbers.erase(numbers.begin() + static_cast<long>(idx));
      for (auto& p : numbers)
        if (p.first > pos)
          p.first = static_cast<size_t>(static_cast<long long>(p.first) + shift);
    }
    return "number " + what;
  }

  std::string InsertLongLine(std::string& text)
  {
    static const char* const kinds[] = {"digits", "letters", "blanks", "numbers"};
    const size_t kind = Below(std::size(kinds));
    std::string line(100000, ' ');
    for (size_t i = 0; i < line.size(); ++i) {
      switch (kind) {
      case 0: line[i] = static_cast<char>('0' + Below(10)); break;
      case 1: line[i] = static_cast<char>('a' + Below(26)); break;
      case 2: break;
      default: line[i] = i % 2 == 0 ? static_cast<char>('1' + Below(9)) : ' '; break;
      }
    }
    // At the start of a line of the file.
    std::vector<size_t> starts = {0};
    for (size_t i = 0; i < text.size(); ++i)
      if (text[i] == '\n')
        starts.push_back(i + 1);
    const size_t at = starts[Below(starts.size())];
    text.insert(at, line + "\n");
    return std::string("a 100,000-character line of ") + kinds[kind] + " at byte " + std::to_string(at);
  }

  std::string InsertGarbage(std::string& text)
  {
    const size_t len = 1 + Below(4096);
    std::string garbage(len, '\0');
    for (char& c : garbage)
      c = static_cast<char>(Below(256));
    if (text.empty() || Below(4) == 0) {
      text = garbage;
      return "replaced by " + std::to_string(len) + " random bytes";
    }
    const size_t at = Below(text.size());
    const size_t cut = std::min(text.size() - at, Below(len + 1));
    text.replace(at, cut, garbage);
    return std::to_string(len) + " random bytes at byte " + std::to_string(at);
  }

  std::mt19937_64 m_rng;
};

// The operator's files that the generator leaves empty: two incidents and
// two signs (one with a detour) on the network's first links.
void WriteScenarioFiles(const fs::path& run, const vlq::mod::GridNetwork& grid)
{
  const auto& links = grid.net.links;
  if (links.empty())
    return;
  const auto& a = links.front();
  const auto& b = links[links.size() / 2];
  std::string incidents;
  StringAppendF(incidents, "2\n");
  StringAppendF(incidents, "%7d   %7d  %2.1f  %2.1f %2.1f\n", a.from, a.to, 480.0, 540.0, 0.5);
  StringAppendF(incidents, "%7d   %7d  %2.1f  %2.1f %2.1f\n", b.from, b.to, 10.0, 20.0, 1.0);
  WriteFile((run / "estimate/incident.dat").string(), incidents);
  std::string vms;
  StringAppendF(vms, "2\n");
  StringAppendF(vms, "%7d%7d%7d%7d%7d   %2.1f  %2.1f \n", 1, a.from, a.to, 30, 0, 420.0, 600.0);
  StringAppendF(vms, "%7d%7d%7d%7d%7d   %2.1f  %2.1f \n", 2, b.from, b.to, 1, 3, 0.0, 1440.0);
  StringAppendF(vms, "%7d%7d%7d\n", b.from, b.to, a.from);
  for (const char* dir : {"estimate", "predict", "predict1"})
    WriteFile((run / dir / "vms.dat").string(), vms);
}

// Lays out the run directory of a case and mutates it. False (with the
// reason) when the generator fails.
bool BuildCase(uint64_t seed, const fs::path& run, std::vector<std::string>& mutations, std::string& error)
{
  Mutator m(seed);
  vlq::mod::RunDirOptions opt;
  opt.rows = 2 + static_cast<int>(m.Below(5));
  opt.cols = 2 + static_cast<int>(m.Below(5));
  opt.seed = static_cast<uint32_t>(m.Next());
  vlq::mod::GridNetwork grid;
  if (!vlq::mod::BuildGrid(opt, grid, error) || !vlq::mod::WriteRunDir(run.string(), opt, error))
    return false;
  WriteScenarioFiles(run, grid);
  std::vector<float> observed;
  for (size_t i = 0; i < grid.detectors.size(); ++i)
    observed.push_back(static_cast<float>(10 + m.Below(90)));
  WriteFile((run / "odestimate/obsData.dat").string(), vlq::mod::FormatObsData(8, 2, 0, observed));

  mutations.push_back("grid " + std::to_string(opt.rows) + " x " + std::to_string(opt.cols));
  const size_t count = m.Below(3) == 0 ? 2 : 1;
  for (size_t i = 0; i < count; ++i)
    mutations.push_back(m.Mutate(run, kProjectFiles[m.Below(std::size(kProjectFiles))]));
  return true;
}

// ---------------------------------------------------------------- the child

// The load in the run directory, as the Load Data command makes it, then a
// few polls of the observation thread. Data the load refuses as fatal ends
// the program inside the load with status 1.
int RunChild(const std::string& dir)
{
  if (chdir(dir.c_str()) != 0) {
    std::perror(dir.c_str());
    return 2;
  }
  g_Project.LoadProjectAndWriteBack();
  if (g_Project.m_LastLoadResult != LoadResult::Loaded)
    return 0;
  // The load's own thread has made its first poll (or is making it); it is
  // started again with a short pause so that it polls a few times.
  g_ObservationReader.Start(".", kPollPauseMs, kPollPauseMs);
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(kChildWaitSeconds);
  while (g_ObservationReader.Polls() < kPolls && !g_ObservationReader.ThreadEnded()) {
    if (std::chrono::steady_clock::now() > until) {
      std::fprintf(stderr, "vlq_load_fuzz: the observation thread made %d polls in %d s\n",
                   g_ObservationReader.Polls(), kChildWaitSeconds);
      return 3;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  g_Project.StopRealTimeReader();
  return 0;
}

// ---------------------------------------------------------------- the driver

// Exit status of a child that a sanitizer stopped (told apart from the
// load's status 1).
constexpr int kSanitizerExit = 86;

std::string SelfPath()
{
  std::error_code ec;
  const fs::path p = fs::read_symlink("/proc/self/exe", ec);
  return ec ? std::string() : p.string();
}

// The sanitizers' settings for the child: the caller's, with an exit
// status of their own.
std::vector<std::string> ChildEnvironment()
{
  std::vector<std::string> env;
  auto add = [&env](const char* name, const char* fallback) {
    const char* set = std::getenv(name);
    std::string v = set && *set ? std::string(set) + ":" : std::string(fallback);
    env.push_back(std::string(name) + "=" + v + "exitcode=" + std::to_string(kSanitizerExit));
  };
  add("ASAN_OPTIONS", "detect_leaks=1:");
  add("UBSAN_OPTIONS", "print_stacktrace=1:halt_on_error=1:");
  const char* lsan = std::getenv("LSAN_OPTIONS");
  if (!(lsan && *lsan))
    env.push_back(std::string("LSAN_OPTIONS=suppressions=") + VLQ_LSAN_SUPPRESSIONS +
                  ":print_suppressions=0");
  return env;
}

struct Outcome
{
  bool passed = false;
  bool designed_end = false;  // status 1 with the load's message
  std::string verdict;
  std::string output;
};

Outcome Classify(ChildProcess& child, bool ended, const std::string& output, int timeout_s)
{
  Outcome o;
  o.output = output;
  if (!ended) {
    o.verdict = "hang: no end within " + std::to_string(timeout_s) + " s";
    return o;
  }
  if (output.find("Sanitizer") != std::string::npos || output.find("runtime error:") != std::string::npos) {
    o.verdict = "sanitizer report (exit status " + std::to_string(child.ExitCode()) + ")";
    return o;
  }
  const int code = child.ExitCode();
  if (code < 0) {
    o.verdict = "ended by signal " + std::to_string(-code) + " (" + strsignal(-code) + ")";
    return o;
  }
  if (code == 0) {
    o.passed = true;
    o.verdict = "passed";
    return o;
  }
  if (code == kExitBadNode && EndsWithFatalMessage(output)) {
    o.passed = o.designed_end = true;
    o.verdict = "ended by the load's message (status 1)";
    return o;
  }
  o.verdict = "exit status " + std::to_string(code);
  return o;
}

struct CaseResult
{
  uint64_t seed;
  std::vector<std::string> mutations;
  Outcome outcome;
};

// Runs one case in a directory of the caller's (its run directory and the
// child's output go under it).
CaseResult RunCase(const std::string& self, uint64_t seed, const fs::path& dir, int timeout_s)
{
  CaseResult r{seed, {}, {}};
  const fs::path run = dir / "run";
  std::string error;
  if (!BuildCase(seed, run, r.mutations, error)) {
    r.outcome.verdict = "the generator failed: " + error;
    return r;
  }
  ChildProcess child;
  ChildProcess::Options opt;
  opt.env = ChildEnvironment();
  opt.stdout_file = (dir / "output.txt").string();
  opt.stderr_file = opt.stdout_file;
  if (!child.Start(self, {"--child", run.string()}, opt)) {
    r.outcome.verdict = "the child did not start";
    return r;
  }
  const bool ended = child.Wait(std::chrono::seconds(timeout_s));
  if (!ended)
    child.Terminate(std::chrono::seconds(1));
  r.outcome = Classify(child, ended, ReadFile(opt.stdout_file), timeout_s);
  return r;
}

std::string LastLines(const std::string& text, size_t n)
{
  size_t pos = text.size();
  for (size_t k = 0; k <= n && pos > 0; ++k) {
    const size_t nl = text.rfind('\n', pos - 1);
    if (nl == std::string::npos) {
      pos = 0;
      break;
    }
    pos = nl;
    if (k == n)
      ++pos;
  }
  std::string tail = text.substr(pos);
  if (tail.size() > 4000)
    tail = "..." + tail.substr(tail.size() - 4000);
  return tail;
}

void PrintCase(const CaseResult& r, bool whole_output)
{
  std::printf("case %" PRIu64 ": %s\n", r.seed, r.outcome.verdict.c_str());
  for (const std::string& m : r.mutations)
    std::printf("  %s\n", m.c_str());
  if (!r.outcome.output.empty()) {
    std::printf("  output:\n%s",
                whole_output ? r.outcome.output.c_str() : LastLines(r.outcome.output, 30).c_str());
    if (r.outcome.output.back() != '\n')
      std::printf("\n");
  }
}

struct Settings
{
  uint64_t seed = 1;
  uint64_t cases = 200;
  int jobs = 1;
  int time_limit_s = 0;  // 0: none
  int timeout_s = 60;    // one case
  bool one_case = false;
};

void Usage()
{
  std::fprintf(stderr,
               "usage: vlq_load_fuzz [--seed S] [--cases N] [--jobs J] [--time-limit SEC] [--timeout SEC]\n"
               "       vlq_load_fuzz --case SEED\n"
               "  --seed S         first case seed (1); the cases are S .. S+N-1\n"
               "  --cases N        number of cases (200)\n"
               "  --jobs J         cases run at once (1)\n"
               "  --time-limit SEC start no case after SEC seconds (none)\n"
               "  --timeout SEC    a case not ended after SEC seconds is a hang (60)\n"
               "  --case SEED      run the one case of that seed, print its output, keep its files\n");
}

bool ParseNumber(const char* text, uint64_t hi, uint64_t& out)
{
  if (!text || !*text || *text == '-')
    return false;
  char* end = nullptr;
  errno = 0;
  const unsigned long long v = std::strtoull(text, &end, 10);
  if (errno != 0 || *end != '\0' || v > hi)
    return false;
  out = v;
  return true;
}

bool ParseArgs(int argc, char** argv, Settings& s)
{
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const char* v = i + 1 < argc ? argv[++i] : nullptr;
    uint64_t n = 0;
    bool ok = true;
    if (a == "--seed" || a == "--case") {
      ok = ParseNumber(v, UINT64_MAX, s.seed);
      s.one_case = s.one_case || a == "--case";
    } else if (a == "--cases") {
      ok = ParseNumber(v, UINT64_MAX, s.cases) && s.cases > 0;
    } else if (a == "--jobs") {
      ok = ParseNumber(v, 256, n) && n > 0;
      s.jobs = static_cast<int>(n);
    } else if (a == "--time-limit") {
      ok = ParseNumber(v, 86400 * 365, n);
      s.time_limit_s = static_cast<int>(n);
    } else if (a == "--timeout") {
      ok = ParseNumber(v, 86400, n) && n > 0;
      s.timeout_s = static_cast<int>(n);
    } else {
      std::fprintf(stderr, "vlq_load_fuzz: unknown option %s\n", a.c_str());
      return false;
    }
    if (!ok) {
      std::fprintf(stderr, "vlq_load_fuzz: bad value for %s\n", a.c_str());
      return false;
    }
  }
  return true;
}

int RunOne(const std::string& self, const Settings& s)
{
  const char* base = std::getenv("TMPDIR");
  std::string templ = std::string(base && *base ? base : "/tmp") + "/vlq-fuzz-case-XXXXXX";
  if (!mkdtemp(templ.data())) {
    std::perror("mkdtemp");
    return 2;
  }
  const CaseResult r = RunCase(self, s.seed, templ, s.timeout_s);
  PrintCase(r, true);
  std::printf("files kept in %s (run/ as the load left it, output.txt)\n", templ.c_str());
  return r.outcome.passed ? 0 : 1;
}

int RunMany(const std::string& self, const Settings& s)
{
  const auto start = std::chrono::steady_clock::now();
  std::atomic<uint64_t> next{0};
  std::mutex mutex;
  uint64_t passed = 0, designed = 0, failed = 0;
  auto worker = [&] {
    for (;;) {
      if (s.time_limit_s > 0 &&
          std::chrono::steady_clock::now() - start > std::chrono::seconds(s.time_limit_s))
        return;
      const uint64_t i = next++;
      if (i >= s.cases)
        return;
      CaseResult r;
      {
        TempDir dir("vlq-fuzz");
        r = RunCase(self, s.seed + i, dir.path(), s.timeout_s);
      }
      std::lock_guard<std::mutex> lock(mutex);
      if (r.outcome.passed) {
        ++passed;
        designed += r.outcome.designed_end ? 1 : 0;
        continue;
      }
      ++failed;
      std::printf("FAILED ");
      PrintCase(r, false);
      std::printf("  reproduce: %s --case %" PRIu64 "\n", self.c_str(), r.seed);
      std::fflush(stdout);
    }
  };
  std::vector<std::thread> workers;
  for (int j = 0; j < s.jobs; ++j)
    workers.emplace_back(worker);
  for (auto& w : workers)
    w.join();
  const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("load fuzz: seeds from %" PRIu64 ", %" PRIu64 " cases in %.1f s; %" PRIu64
              " ended by the load's message\n",
              s.seed, passed + failed, secs, designed);
  std::printf("fuzz: %" PRIu64 " passed, %" PRIu64 " failed\n", passed, failed);
  return failed == 0 && passed > 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
  if (argc == 3 && std::strcmp(argv[1], "--child") == 0)
    return RunChild(argv[2]);
  Settings s;
  if (!ParseArgs(argc, argv, s)) {
    Usage();
    return 2;
  }
  const std::string self = SelfPath();
  if (self.empty()) {
    std::fprintf(stderr, "vlq_load_fuzz: cannot find its own program file\n");
    return 2;
  }
  return s.one_case ? RunOne(self, s) : RunMany(self, s);
}
