#include "BenchSupport.h"

#include "FileText.h"
#include "StringPrintf.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <system_error>
#include <time.h>

namespace vlq::bench {

namespace {

std::string Bound(const Goal& goal)
{
  std::string text = goal.what[0] ? std::string(goal.what) + " " : std::string();
  text += goal.direction == Goal::kAtMost ? "<= " : ">= ";
  text += StringPrintf("%g", goal.limit);
  if (goal.unit[0])
    text += std::strcmp(goal.unit, "%") == 0 ? goal.unit : std::string(" ") + goal.unit;
  return text;
}

}  // namespace

bool Judged(const Goal& goal, long long links)
{
  return goal.upToLinks <= 0 || links <= goal.upToLinks;
}

bool Met(const Goal& goal, double value, long long links)
{
  if (!Judged(goal, links))
    return true;
  return goal.direction == Goal::kAtMost ? value <= goal.limit : value >= goal.limit;
}

std::string Verdict(const Goal& goal, double value, long long links)
{
  if (!Judged(goal, links))
    return Bound(goal) + " (the goal holds up to " + Grouped(goal.upToLinks) + " links)";
  return Bound(goal) + (Met(goal, value, links) ? ": within goal" : ": MISSED");
}

std::string Grouped(long long n)
{
  std::string digits = std::to_string(n < 0 ? -n : n);
  for (std::size_t k = digits.size(); k > 3; k -= 3)
    digits.insert(k - 3, ",");
  return n < 0 ? "-" + digits : digits;
}

double ThreadCpuMs()
{
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

std::string LoadAverage(int fields)
{
  std::string text;
  if (!ReadFileText("/proc/loadavg", text))
    return "unknown";
  std::istringstream in(text);
  std::string out, field;
  for (int k = 0; k < fields && in >> field; ++k)
    out += (out.empty() ? "" : " ") + field;
  return out.empty() ? "unknown" : out;
}

std::string TempBase()
{
  std::error_code ec;
  const std::filesystem::path tmp = std::filesystem::temp_directory_path(ec);
  return ec ? std::string("/tmp") : tmp.string();
}

ScratchDir::~ScratchDir()
{
  if (m_path.empty())
    return;
  std::error_code ec;
  const std::filesystem::path here = std::filesystem::current_path(ec);
  if (!ec && here.string().rfind(m_path, 0) == 0)
    std::filesystem::current_path(TempBase(), ec);
  std::filesystem::remove_all(m_path, ec);
}

bool ScratchDir::Make(const std::string& prefix, std::string& error)
{
  std::string tmpl = TempBase() + "/" + prefix + "XXXXXX";
  if (!::mkdtemp(tmpl.data())) {
    error = "cannot make a directory under " + TempBase() + ": " + std::strerror(errno);
    return false;
  }
  m_path = tmpl;
  return true;
}

void HandlerLines::Note(const std::string& text)
{
  ++lines;
  if (TellsLoss(text) && losses++ == 0)
    firstLoss = text;
}

bool HandlerLines::TellsLoss(const std::string& text)
{
  return text.rfind("Skipped ", 0) == 0 ||
         (text.rfind("Message ", 0) == 0 && text.find(" dropped") != std::string::npos);
}

bool ParseInteger(const char* text, long long min, long long max, long long& out)
{
  if (!text || !*text)
    return false;
  char* end = nullptr;
  errno = 0;
  const long long n = std::strtoll(text, &end, 10);
  if (errno != 0 || end == text || *end != '\0' || n < min || n > max)
    return false;
  out = n;
  return true;
}

bool ParseNumber(const char* text, double min, double max, double& out)
{
  if (!text || !*text)
    return false;
  char* end = nullptr;
  errno = 0;
  const double x = std::strtod(text, &end);
  if (errno != 0 || end == text || *end != '\0' || !std::isfinite(x) || x < min || x > max)
    return false;
  out = x;
  return true;
}

}  // namespace vlq::bench
