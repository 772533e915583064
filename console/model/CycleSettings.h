// The run's cycle settings files in the working directory: scheduler.dat
// (cycle lengths and start times of the modules) and modules.dat (which
// modules run), both written from the operator's cycles dialog, and
// output_option.dat, which no command writes.
#pragma once

#include <span>
#include <string>

#include "CycleFiles.h"

// Writes scheduler.dat (SchedulerFileText; the file is replaced). False,
// and nothing written, when the file cannot be created.
bool WriteSchedulerFile(const std::string& path, std::span<const int, kCycleEntries> cycle);

// Writes modules.dat from the four run flags (ModulesFileText; the file is
// replaced). False when the file cannot be created.
bool WriteModulesFile(const std::string& path, int runForesim1, int runNearvet, int runFarvet, int runOD);

// Writes output_option.dat: line i holds entry i of both columns, then "1".
bool WriteOutputOptionFile(const std::string& path, const int first[kCycleEntries],
                           const int second[kCycleEntries]);

enum class SchedulerReadResult {
  kRead,       // every group read; the CC observation interval is set
  kNotOpened,  // the file does not open; the caller shows SchedulerOpenMessage
  kMalformed   // a group could not be read; the interval is left unchanged
};

// Reads scheduler.dat past its groups (2, 3, 2, 3, 2, 2 values, then three
// single values) and stores the last value read, the CC observation
// interval, into *ccObsInterval.
SchedulerReadResult ReadSchedulerFile(const std::string& path, int* ccObsInterval);

// The message shown when scheduler.dat cannot be opened: "Cannot open %s"
// with the full path (a relative path is completed with the working
// directory).
std::string SchedulerOpenMessage(const std::string& path);
