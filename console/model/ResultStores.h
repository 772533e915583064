// Live result stores of the console that are not members of a network
// object: network statistics, consistency-checking values, module running
// flags and start marks, the current minute, the prediction offset, the
// chart time window and the two view clocks. All global, zero at program
// start unless stated, never freed or resized. Written on the message-loop
// thread and read on the window thread; the scalars are atomic, a reader of
// a record may see it half written until the next repaint.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

constexpr int kStoreMinutes = 5000;
constexpr int kStoreSources = 4;
constexpr int kModuleSlots = 10;

// Module index of the running flags and start marks.
enum ModuleIndex {
  kModuleNowsim = 0,
  kModuleForesim = 1,
  kModuleNearvet = 2,
  kModuleFarvet = 3,
  kModuleODE = 4,
  kModuleODEC = 5,
  kModuleODP = 6,
  kModuleForesim1 = 7,
};

struct NetStatRecord
{
  std::int32_t numcars = 0;
  double AvgStop = 0.0;
  double AvgDen = 0.0;
  double AvgSpeed = 0.0;
};

struct ClockRecord
{
  std::int32_t nHour = 0;
  std::int32_t nMinute = 0;
  std::int32_t nSecond = 0;
  double dMinute = 0.0;
  std::int32_t nWindowStart = 0;
  std::int32_t nWindowEnd = 0;
};

extern NetStatRecord g_NetStats[kStoreSources][kStoreMinutes];
extern double g_FarvetPerMinute[kStoreMinutes];
extern double g_NearvetPerMinute[kStoreMinutes];
extern bool g_ModuleRunning[kModuleSlots];
extern bool g_ModuleStartMarks[kModuleSlots][kStoreMinutes];
extern std::atomic<int> g_CurrentMinute;
extern std::atomic<int> g_PredictionOffset;
extern std::atomic<int> g_ChartWindowStart;  // 0 at start
extern std::atomic<int> g_ChartWindowEnd;    // 120 at start
// Stage start of the prediction that rolled the chart window last (-1: none),
// so that one stage reported twice rolls the window once.
extern std::atomic<int> g_ChartWindowRolledStage;
extern ClockRecord g_EstimationClock;
extern ClockRecord g_PredictionClock;

// True for a minute index of the per-minute stores.
inline bool IsStoreMinute(int minute)
{
  return minute >= 0 && minute < kStoreMinutes;
}

// Clears the module running flags and start marks (the project object's
// constructor does it once).
void ClearModuleFlags();

// "hh:mm" of a clock record (FormatClock on a copy; the record is unchanged).
std::string FormatClockRecord(const ClockRecord& clock);
