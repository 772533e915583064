#include "DebugLog.h"

#include <cstdio>
#include <mutex>

namespace {

std::mutex& LogMutex()
{
  static std::mutex m;
  return m;
}

std::function<void(const std::string&)>& PanelSink()
{
  static std::function<void(const std::string&)> sink;
  return sink;
}

}  // namespace

void SetDebugLogPanel(std::function<void(const std::string&)> sink)
{
  std::lock_guard<std::mutex> lock(LogMutex());
  PanelSink() = std::move(sink);
}

void DebugLog(const std::string& text, int toPanel)
{
  std::lock_guard<std::mutex> lock(LogMutex());
  if (toPanel == 1 && PanelSink())
    PanelSink()(text);
  if (std::FILE* f = std::fopen(kDebugLogFile, "a")) {
    std::fprintf(f, "\n%s", text.c_str());
    std::fclose(f);
  }
}

bool EmptyDebugLog()
{
  std::lock_guard<std::mutex> lock(LogMutex());
  std::FILE* f = std::fopen(kDebugLogFile, "w");
  if (!f)
    return false;
  return std::fclose(f) == 0;
}
