#include "CycleSettings.h"

#include <cctype>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "NumericLocale.h"

namespace {

struct FileCloser
{
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// One "%d" conversion: blanks skipped, an optional sign, digits. Unlike
// fscanf, a value out of the int range is clamped instead of undefined.
bool ScanInt(std::FILE* in, int* out)
{
  int c;
  while ((c = std::fgetc(in)) != EOF && std::isspace(c)) {
  }
  long long sign = 1;
  if (c == '-' || c == '+') {
    sign = c == '-' ? -1 : 1;
    c = std::fgetc(in);
  }
  if (c == EOF || !std::isdigit(c)) {
    if (c != EOF)
      std::ungetc(c, in);
    return false;
  }
  long long v = 0;
  for (; c != EOF && std::isdigit(c); c = std::fgetc(in))
    if (v <= INT_MAX)
      v = v * 10 + (c - '0');
  if (c != EOF)
    std::ungetc(c, in);
  v *= sign;
  *out = v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : static_cast<int>(v);
  return true;
}

bool Finish(FilePtr f)
{
  bool ok = !std::ferror(f.get());
  return std::fclose(f.release()) == 0 && ok;
}

}  // namespace

bool WriteSchedulerFile(const std::string& path, const int c[kCycleEntries])
{
  FilePtr f(std::fopen(path.c_str(), "w"));
  if (!f)
    return false;
  CNumericLocaleScope c_locale;
  std::FILE* o = f.get();
  std::fprintf(o, "%d %d\n", c[0], 0);
  std::fprintf(o, "%d %d %d\n", c[1], c[7], c[1]);
  std::fprintf(o, "%d %d\n", c[2], c[1]);
  std::fprintf(o, "%d %d %d\n", c[3], c[9], 0);
  std::fprintf(o, "%d %d\n", c[4], c[4]);
  std::fprintf(o, "%d %d\n", c[5], c[5]);
  std::fprintf(o, "\n");
  std::fprintf(o, "%d\n", c[6]);
  std::fprintf(o, "%d\n", c[8]);
  std::fprintf(o, "%d\n", c[5]);
  std::fprintf(o, "\n");
  std::fprintf(o, "%d\n", 5);
  std::fprintf(o, "%d\n\n", 3600000);
  std::fputs(
      "\n(File Contents:)\n(NOWSIM) \tperiod start_time\n(FORESIM)\troll_period stage_length start_time\n",
      o);
  std::fputs(
      "(ODE)\t\tstate_length start_time\n(ODP)\t\tperiod horizon start_time\n(FARVET)\tperiod start_time\n"
      "(NEARVET)\tperiod start_time\n\n",
      o);
  std::fputs("(The next three parameters:)\nOD Departure (assignment) interval\nOD Observation interval\n"
             "CC Observation interval\n\n",
             o);
  std::fputs(
      "(The last two elements are:)\nframe_length\nsimulation_horizon\n(i.e. for how long to simulate)\n\n"
      "(all are in units of seconds)\n",
      o);
  return Finish(std::move(f));
}

bool WriteModulesFile(const std::string& path, int runForesim1, int runNearvet, int runFarvet, int runOD)
{
  FilePtr f(std::fopen(path.c_str(), "w"));
  if (!f)
    return false;
  CNumericLocaleScope c_locale;
  std::FILE* o = f.get();
  std::fprintf(o, "%d\n", 1);
  std::fprintf(o, "%d\n", 1);
  std::fprintf(o, "%d\n", runForesim1);
  std::fprintf(o, "%d\n", runNearvet);
  std::fprintf(o, "%d\n", runFarvet);
  std::fprintf(o, "%d\n", runOD);
  std::fputs("\n", o);
  std::fputs("line 1: state estimation; 1=run; 0=not run\n", o);
  std::fputs("line 2: state prediction\n", o);
  std::fputs("line 3: state prediction_1\n", o);
  std::fputs("line 4: short-term consistency checking/updating\n", o);
  std::fputs("line 5: long-term consistency checking/updating\n", o);
  std::fputs("line 6: OD estimation & prediction", o);
  return Finish(std::move(f));
}

bool WriteOutputOptionFile(const std::string& path, const int first[kCycleEntries],
                           const int second[kCycleEntries])
{
  FilePtr f(std::fopen(path.c_str(), "w"));
  if (!f)
    return false;
  CNumericLocaleScope c_locale;
  for (int i = 0; i < kCycleEntries; ++i)
    std::fprintf(f.get(), "%d %d \n", first[i], second[i]);
  std::fprintf(f.get(), "1\n");
  return Finish(std::move(f));
}

SchedulerReadResult ReadSchedulerFile(const std::string& path, int* ccObsInterval)
{
  FilePtr f(std::fopen(path.c_str(), "r"));
  if (!f)
    return SchedulerReadResult::kNotOpened;
  int a = 0;
  const int groups[] = {2, 3, 2, 3, 2, 2, 1, 1, 1};
  for (int n : groups)
    for (int i = 0; i < n; ++i)
      if (!ScanInt(f.get(), &a))
        return SchedulerReadResult::kMalformed;
  if (ccObsInterval)
    *ccObsInterval = a;
  return SchedulerReadResult::kRead;
}

std::string SchedulerOpenMessage(const std::string& path)
{
  // The message names the full path: a relative one is taken from the
  // working directory.
  std::filesystem::path p(path);
  std::error_code ec;
  if (p.is_relative()) {
    std::filesystem::path cwd = std::filesystem::current_path(ec);
    if (!ec)
      p = cwd / p;
  }
  return "Cannot open " + p.string();
}
