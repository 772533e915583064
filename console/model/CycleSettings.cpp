#include "CycleSettings.h"

#include <cctype>
#include <climits>
#include <cstdio>
#include <filesystem>

#include "FileHandle.h"
#include "FileText.h"
#include "StringPrintf.h"

namespace {

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

}  // namespace

bool WriteSchedulerFile(const std::string& path, std::span<const int, kCycleEntries> cycle)
{
  return WriteFileText(path, SchedulerFileText(cycle));
}

bool WriteModulesFile(const std::string& path, int runForesim1, int runNearvet, int runFarvet, int runOD)
{
  return WriteFileText(path, ModulesFileText(runForesim1, runNearvet, runFarvet, runOD));
}

bool WriteOutputOptionFile(const std::string& path, const int first[kCycleEntries],
                           const int second[kCycleEntries])
{
  std::string text;
  for (int i = 0; i < kCycleEntries; ++i)
    StringAppendF(text, "%d %d \n", first[i], second[i]);
  text += "1\n";
  return WriteFileText(path, text);
}

SchedulerReadResult ReadSchedulerFile(const std::string& path, int* ccObsInterval)
{
  UniqueFile f = OpenFile(path, "r");
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
