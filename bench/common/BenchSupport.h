// What every benchmark shares: the verdict printed beside a figure, the
// scratch directory under TMPDIR, the calling thread's CPU time, the load
// average, and the command line's numbers.
//
//   const vlq::bench::Goal goal{600, "ms", vlq::bench::Goal::kAtMost, 200000};
//   std::printf("load: %.1f ms   %s\n", ms, vlq::bench::Verdict(goal, ms, links).c_str());
//   vlq::bench::ScratchDir scratch;
//   if (!scratch.Make("vlq_model_bench_", error)) return Fail(error);
#pragma once

#include <string>

namespace vlq::bench {

// A figure's goal: a bound it stays within (or reaches), for networks up to
// a size when upToLinks is set.
struct Goal
{
  enum Direction { kAtMost, kAtLeast };
  double limit = 0;
  const char* unit = "";  // "ms", "bytes", "%"
  Direction direction = kAtMost;
  long long upToLinks = 0;  // > 0: the goal holds for networks of at most this many links
  const char* what = "";    // the figure judged ("p95", "median"), before the bound
};

// Whether the goal is judged at a network of `links` links.
bool Judged(const Goal& goal, long long links);
// Whether value meets the goal (a figure not judged at this size meets it).
bool Met(const Goal& goal, double value, long long links = 0);
// "<= 600 ms: within goal" or "<= 600 ms: MISSED"; above the goal's size
// "<= 600 ms (the goal holds up to 200,000 links)".
std::string Verdict(const Goal& goal, double value, long long links = 0);

// 200000 as "200,000".
std::string Grouped(long long n);

// CPU time of the calling thread, in ms.
double ThreadCpuMs();

// The first `fields` load averages of /proc/loadavg (1, 5, 15 minutes),
// "unknown" when it cannot be read.
std::string LoadAverage(int fields = 1);

// The directory for scratch files: TMPDIR, else /tmp.
std::string TempBase();

// A directory made under TempBase() and removed whole on every way out;
// the process leaves it first when it is the current one.
class ScratchDir
{
public:
  ScratchDir() = default;
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  ~ScratchDir();
  // Makes <TempBase()>/<prefix>XXXXXX; false, with the reason, when it cannot.
  bool Make(const std::string& prefix, std::string& error);
  const std::string& Path() const { return m_path; }

private:
  std::string m_path;
};

// The console handler's lines as a benchmark's display sees them: a
// message dropped ("Message N dropped: ...") or a record that did not fit
// ("Skipped ...") means the figure was measured on less work.
struct HandlerLines
{
  int lines = 0;   // every line noted
  int losses = 0;  // of them, drops and skips
  std::string firstLoss;
  void Note(const std::string& text);
  static bool TellsLoss(const std::string& text);
};

// The whole of text as a decimal integer in [min, max]; false for anything
// else (no number, trailing characters, out of range).
bool ParseInteger(const char* text, long long min, long long max, long long& out);
// The whole of text as a number in [min, max]; false for anything else.
bool ParseNumber(const char* text, double min, double max, double& out);

}  // namespace vlq::bench
