// One cycle of each module as a computation: from the traffic model, the
// events in force and the cycle's time to the records (and files) the
// module hands on. The programs add the messages and the remote calls.
#pragma once

#include <QELM.hh>

#include <string>
#include <vector>

#include "ModTraffic.h"

namespace vlq::mod {

// Number of predicted paths a prediction writes.
constexpr int kPredictedPaths = 5;

struct NowsimOutput
{
  QELM::DBKRecord link;  // GUIRTLINKDATA
  QELM::DBKRecord stat;  // GUIRTSTATDATA
};
NowsimOutput NowsimCycle(const TrafficModel& model, const EventSet& events, double time_now_sec);

struct ForesimOutput
{
  QELM::DBKRecord link;  // GUIPLINKDATA or GUIPLINKDATA_1
  QELM::DBKRecord stat;  // GUIPSTATDATA or GUIPSTATDATA_1
  std::string paths;     // Predictive_PathTravelTime.dat
  int stage_start = 0;   // minute of the day
  int stage_length = 0;  // minutes
};
// A prediction of stage_length_min one-minute steps from the minute of time_now.
ForesimOutput ForesimCycle(const TrafficModel& model, const EventSet& events, double time_now_sec,
                           int stage_length_min);

struct NearvetOutput
{
  QELM::DBKRecord updated_speed;  // CCB_UPDATED_SPEED
  QELM::DBKRecord observed;       // GUISTLINKDATA
  std::string obs_data;           // odestimate/obsData.dat
  float value = 0;                // the short-term consistency error, percent
};
NearvetOutput NearvetCycle(const TrafficModel& model, const EventSet& events, double time_now_sec,
                           const std::vector<int>& detector_links);

struct FarvetOutput
{
  QELM::DBKRecord correction;  // CCA_CORRECTION
  float value = 0;             // the long-term consistency error, percent
};
FarvetOutput FarvetCycle(const TrafficModel& model, const EventSet& events, double time_now_sec);

// ODE_PREDICTED_COEFF: the estimated OD demand; the correction step adds the
// observations' pull.
QELM::DBKRecord OdeCycle(const TrafficModel& model, double time_now_sec, bool corrected);
// ODP_PREDICTED_OD: one OD matrix per five-minute slot of the horizon.
QELM::DBKRecord OdpCycle(const TrafficModel& model, double start_sec, double horizon_sec);

}  // namespace vlq::mod
