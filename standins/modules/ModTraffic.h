// The modules' synthetic traffic: link densities, speeds, queues and flows
// that follow a time-of-day demand and react to the operator's incidents,
// work zones and VMS detours. Every value is a deterministic function of the
// network, the seed, the time and the events, so that the modules (each in
// its own process) agree with each other.
#pragma once

#include <cstdint>
#include <vector>

#include "ModFormats.h"
#include "ModNetwork.h"
#include "qelm_command_payloads.h"

namespace vlq::mod {

// Operator actions as the modules keep them: the command payloads as they
// came (times are minutes of the day, a window runs from start up to, not
// including, end; an incident's severity and a work zone's capacity
// reduction are fractions of the capacity lost).
struct EventSet
{
  std::vector<IncidentMsgArg> incidents;
  std::vector<WorkZoneMsgArg> workzones;
  std::vector<VMSMsgArg> vms;  // a detour's path holds zeros past its node count
};

// State of one link.
struct LinkState
{
  float density = 0;  // veh/mi/ln
  float speed = 0;    // mph
  float queue = 0;    // queue length as a fraction of the link length, 0..1
  float flow = 0;     // veh/h
};

struct NetStats
{
  int numcars = 0;
  float avg_density = 0;
  float avg_speed = 0;
  float avg_stops = 0;
};

// Minute of the day (0 <= m < 1440) of a time in seconds.
double MinuteOfDay(double t_sec);

class TrafficModel
{
public:
  TrafficModel() = default;
  TrafficModel(const ModNetwork* net, uint64_t seed) : m_net(net), m_seed(seed) {}

  // Demand over the day, about 0.6 at night, 1.05 at the morning peak and
  // 1.1 at the evening peak.
  static double TimeOfDay(double minute);

  // State of every link at time t (seconds; the minute of the day is taken)
  // under the events whose window holds that minute.
  void Compute(double t_sec, const EventSet& events, std::vector<LinkState>& out) const;

  // Detector values as measured: the state with a few percent of noise.
  LinkState Observe(const LinkState& s, int link, double t_sec) const;

  NetStats Stats(const std::vector<LinkState>& states) const;

  // OD demand (vehicles per five minutes) for `zones` zones at time t,
  // origin i and destination j at out[j * zones + i].
  void ODMatrix(double t_sec, int zones, std::vector<float>& out) const;

  // Up to `count` fastest paths between seeded node pairs under the
  // given link states (travel time in minutes).
  std::vector<PredictedPath> Paths(const std::vector<LinkState>& states, int count) const;

  const ModNetwork* network() const { return m_net; }
  uint64_t seed() const { return m_seed; }

private:
  const ModNetwork* m_net = nullptr;
  uint64_t m_seed = 0;
};

}  // namespace vlq::mod
