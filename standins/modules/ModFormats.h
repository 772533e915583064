// Text formats of the run directory that the modules and the run-directory
// generator both write or read: the detector reference table, the
// observation file, the predicted paths and the cycle settings.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "CycleFiles.h"
#include "ModNetwork.h"

namespace vlq::mod {

// Detector links named by a Detector.dat text (a node pair at the start of
// each line, read as the console reads it), as link indices in link order
// without repeats. Pairs that name no
// link are skipped and counted in *unknown.
std::vector<int> DetectorLinksFromText(const ModNetwork& net, const std::string& text,
                                       int* unknown = nullptr);

// The detector links of a network without a Detector.dat: every fifth link.
std::vector<int> DefaultDetectorLinks(std::size_t link_count);
bool IsDefaultDetectorLink(std::size_t link_index);

// NEARVET/referencetable.txt: "R M", then one row per link in link order:
// link number (1-based), from-node, to-node, detector number (1-based
// position among the detector links, 0 for none), length in feet, lanes.
std::string FormatReferenceTable(const ModNetwork& net, const std::vector<int>& detector_links);

// odestimate/obsData.dat: a time stamp of three integers (hour, minute,
// second), then one observed density per detector link.
std::string FormatObsData(int hour, int minute, int second, const std::vector<float>& values);

// One predicted path: travel time in minutes and its node numbers in order.
struct PredictedPath
{
  double travel_time = 0;
  std::vector<int> nodes;
};

// Predictive_PathTravelTime.dat: a leading integer (the stage's start
// minute), the number of paths, then per path its 1-based index, travel
// time, node count and node numbers.
std::string FormatPredictedPaths(int lead, const std::vector<PredictedPath>& paths);

// The ten cycle settings in seconds, by CycleEntry (runfiles/CycleFiles.h);
// scheduler.dat is SchedulerFileText of them.
using SchedulerCycles = std::array<int, kCycleEntries>;
// The cycles dialog's initial entries.
SchedulerCycles DefaultCycles();

// The values of a scheduler.dat the modules use; false when the text holds
// fewer than the nineteen numbers of the file.
struct SchedulerValues
{
  int nowsim_period = 0;
  int foresim_roll = 0;
  int foresim_stage_length = 0;
  int ode_state_length = 0;
  int odp_period = 0;
  int odp_horizon = 0;
  int farvet_period = 0;
  int nearvet_period = 0;
  int od_departure_interval = 0;
  int od_observation_interval = 0;
  int cc_observation_interval = 0;
};
bool ParseScheduler(const std::string& text, SchedulerValues& out);

}  // namespace vlq::mod
