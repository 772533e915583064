#include "ModCycles.h"

#include <algorithm>
#include <cmath>

#include "ModFormats.h"
#include "ModRandom.h"
#include "ModRecords.h"

namespace vlq::mod {

namespace {

// Longest prediction stage and OD horizon accepted (one day).
constexpr int kMaxStageMinutes = 1440;
constexpr int kMaxODSlots = 288;

int Zones(const TrafficModel& model)
{
  return model.network() ? model.network()->ODZones() : 0;
}

std::size_t Links(const TrafficModel& model)
{
  return model.network() ? model.network()->links.size() : 0;
}

}  // namespace

NowsimOutput NowsimCycle(const TrafficModel& model, const EventSet& events, double time_now_sec)
{
  std::vector<LinkState> states;
  model.Compute(time_now_sec, events, states);
  std::vector<float> od;
  const int zones = Zones(model);
  model.ODMatrix(time_now_sec, zones, od);
  const float quasi = static_cast<float>(time_now_sec);
  NowsimOutput out;
  out.link = BuildRTLinkRecord(quasi, states, zones, od);
  out.stat = BuildRTStatRecord(quasi, model.Stats(states), time_now_sec);
  return out;
}

ForesimOutput ForesimCycle(const TrafficModel& model, const EventSet& events, double time_now_sec,
                           int stage_length_min)
{
  ForesimOutput out;
  out.stage_start = static_cast<int>(MinuteOfDay(time_now_sec));
  out.stage_length = std::clamp(stage_length_min, 0, kMaxStageMinutes);
  const double base = std::floor(time_now_sec / 60.0) * 60.0;
  std::vector<std::vector<LinkState>> steps(static_cast<std::size_t>(out.stage_length));
  for (int t = 0; t < out.stage_length; ++t)
    model.Compute(base + 60.0 * t, events, steps[static_cast<std::size_t>(t)]);
  std::vector<LinkState> first;
  if (steps.empty())
    model.Compute(base, events, first);
  const std::vector<LinkState>& now = steps.empty() ? first : steps.front();
  const float quasi = static_cast<float>(time_now_sec);
  out.link = BuildPredLinkRecord(quasi, steps, Links(model));
  out.stat = BuildPredStatRecord(quasi, model.Stats(now), out.stage_start, out.stage_length);
  // Paths under the conditions halfway through the stage.
  const std::vector<LinkState>& mid = steps.empty() ? first : steps[steps.size() / 2];
  out.paths = FormatPredictedPaths(out.stage_start, model.Paths(mid, kPredictedPaths));
  return out;
}

NearvetOutput NearvetCycle(const TrafficModel& model, const EventSet& events, double time_now_sec,
                           const std::vector<int>& detector_links)
{
  std::vector<LinkState> est;
  model.Compute(time_now_sec, events, est);
  std::vector<float> updated(est.size());
  for (std::size_t k = 0; k < est.size(); ++k)
    updated[k] = est[k].speed;
  std::vector<int> numbers;
  std::vector<LinkState> obs;
  std::vector<float> densities;
  double sq = 0;
  for (int k : detector_links) {
    if (k < 0 || static_cast<std::size_t>(k) >= est.size())
      continue;
    const LinkState o = model.Observe(est[static_cast<std::size_t>(k)], k, time_now_sec);
    const LinkState& e = est[static_cast<std::size_t>(k)];
    const double rel = (o.density - e.density) / std::max(1.0f, e.density);
    sq += rel * rel;
    // Detector links take the mean of estimate and measurement.
    updated[static_cast<std::size_t>(k)] = 0.5f * (e.speed + o.speed);
    numbers.push_back(k + 1);
    obs.push_back(o);
    densities.push_back(o.density);
  }
  NearvetOutput out;
  out.value =
      obs.empty() ? 0.0f : static_cast<float>(100.0 * std::sqrt(sq / static_cast<double>(obs.size())));
  const float quasi = static_cast<float>(time_now_sec);
  out.updated_speed = BuildCCBRecord(quasi, updated, out.value);
  out.observed = BuildSTLinkRecord(quasi, est.size(), numbers, obs);
  const long long s = static_cast<long long>(std::fmod(std::max(0.0, time_now_sec), 86400.0));
  out.obs_data = FormatObsData(static_cast<int>(s / 3600), static_cast<int>(s / 60 % 60),
                               static_cast<int>(s % 60), densities);
  return out;
}

FarvetOutput FarvetCycle(const TrafficModel& model, const EventSet& events, double time_now_sec)
{
  // The long-term pattern is the day's traffic without the operator's
  // events; the check measures how far the estimate has moved from it.
  std::vector<LinkState> est, usual;
  model.Compute(time_now_sec, events, est);
  model.Compute(time_now_sec, EventSet(), usual);
  std::vector<float> correction(est.size(), 1.0f);
  double dev = 0;
  for (std::size_t k = 0; k < est.size(); ++k) {
    correction[k] = std::clamp(est[k].density / std::max(0.1f, usual[k].density), 0.2f, 5.0f);
    dev += std::fabs(est[k].density - usual[k].density) / std::max(1.0f, usual[k].density);
  }
  const uint64_t slot = static_cast<uint64_t>(MinuteOfDay(time_now_sec) / 5.0);
  const double model_error = 1.5 + Unit(model.seed(), 51, slot);
  FarvetOutput out;
  out.value =
      static_cast<float>(model_error + (est.empty() ? 0.0 : 100.0 * dev / static_cast<double>(est.size())));
  out.correction = BuildCCARecord(static_cast<float>(time_now_sec), correction, out.value);
  return out;
}

QELM::DBKRecord OdeCycle(const TrafficModel& model, double time_now_sec, bool corrected)
{
  const int zones = Zones(model);
  std::vector<float> od;
  model.ODMatrix(time_now_sec, zones, od);
  if (corrected) {
    const uint64_t slot = static_cast<uint64_t>(MinuteOfDay(time_now_sec) / 5.0);
    for (std::size_t i = 0; i < od.size(); ++i)
      od[i] *= static_cast<float>(1.0 + 0.04 * Signed(model.seed(), 61, i, slot));
  }
  return BuildODECoeffRecord(static_cast<float>(time_now_sec), zones, corrected, od);
}

QELM::DBKRecord OdpCycle(const TrafficModel& model, double start_sec, double horizon_sec)
{
  const int zones = Zones(model);
  const double h = std::isfinite(horizon_sec) ? std::max(0.0, horizon_sec) : 0.0;
  const int slots = static_cast<int>(std::clamp(std::ceil(h / 300.0), 1.0, static_cast<double>(kMaxODSlots)));
  const double start = std::isfinite(start_sec) ? start_sec : 0.0;
  std::vector<std::vector<float>> matrices(static_cast<std::size_t>(slots));
  for (int s = 0; s < slots; ++s)
    model.ODMatrix(start + 300.0 * s, zones, matrices[static_cast<std::size_t>(s)]);
  const int first_slot = static_cast<int>(MinuteOfDay(start) / 5.0);
  return BuildODPRecord(static_cast<float>(start), zones, first_slot, matrices);
}

}  // namespace vlq::mod
