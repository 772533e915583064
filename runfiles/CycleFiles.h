// The texts of the run directory's cycle settings files, written by the
// console's cycles dialog and by the sample run-directory generator, and
// read by Management and the modules: scheduler.dat (cycle lengths and
// start times) and modules.dat (which modules run).
//
//   int cycle[kCycleEntries] = {30, 300, 900, 600, 300, 30, 300, 1200, 300, 2700};
//   WriteFileText("scheduler.dat", SchedulerFileText(cycle));
//   WriteFileText("modules.dat", ModulesFileText(1, 1, 1, 1));
#pragma once

#include <span>
#include <string>

// Entries of the ten cycle settings, in seconds.
enum CycleEntry {
  kCycleNowsimPeriod = 0,
  kCycleForesimRoll = 1,  // also the FORESIM and ODE start time
  kCycleOdeStateLength = 2,
  kCycleOdpPeriod = 3,
  kCycleFarvetPeriod = 4,   // also its start time
  kCycleNearvetPeriod = 5,  // also its start time and the CC observation interval
  kCycleOdDeparture = 6,
  kCycleForesimStage = 7,
  kCycleOdObservation = 8,
  kCycleOdpHorizon = 9,
  kCycleEntries = 10
};

// scheduler.dat: a line per module (NOWSIM period and start; FORESIM roll
// period, stage length and start; ODE state length and start; ODP period,
// horizon and start; FARVET and NEARVET period and start), the OD
// departure, OD observation and CC observation intervals, the frame length
// and the simulation horizon, then a comment block naming them.
std::string SchedulerFileText(std::span<const int, kCycleEntries> cycle);

// modules.dat: six lines of 1 or 0 (state estimation and the first state
// prediction always 1), then a comment block naming the lines (the last
// without a line feed).
std::string ModulesFileText(int runForesim1, int runNearvet, int runFarvet, int runOD);
