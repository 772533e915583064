#include "ResultStores.h"

#include <cstring>

#include "TextHelpers.h"

NetStatRecord g_NetStats[kStoreSources][kStoreMinutes];
double g_FarvetPerMinute[kStoreMinutes];
double g_NearvetPerMinute[kStoreMinutes];
bool g_ModuleRunning[kModuleSlots];
bool g_ModuleStartMarks[kModuleSlots][kStoreMinutes];
std::atomic<int> g_CurrentMinute{0};
std::atomic<int> g_PredictionOffset{0};
std::atomic<int> g_ChartWindowStart{0};
std::atomic<int> g_ChartWindowEnd{120};
std::atomic<int> g_ChartWindowRolledStage{-1};
ClockRecord g_EstimationClock;
ClockRecord g_PredictionClock;

void ClearModuleFlags()
{
  std::memset(g_ModuleRunning, 0, sizeof g_ModuleRunning);
  std::memset(g_ModuleStartMarks, 0, sizeof g_ModuleStartMarks);
}

std::string FormatClockRecord(const ClockRecord& clock)
{
  int hour = clock.nHour;
  int minute = clock.nMinute;
  return FormatClock(hour, minute);
}
