#include "ModTraffic.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <queue>
#include <unordered_map>

#include "ModRandom.h"

namespace vlq::mod {

namespace {

constexpr double kJamDensity = 160.0;  // veh/mi/ln
constexpr double kMinSpeed = 3.0;      // mph
constexpr double kFeetPerMile = 5280.0;

// Salts of the value streams.
enum : uint64_t {
  S_BASE = 11,
  S_NOISE = 12,
  S_OBS_DENSITY = 21,
  S_OBS_SPEED = 22,
  S_OBS_FLOW = 23,
  S_OD_BASE = 31,
  S_OD_NOISE = 32,
  S_PATH_FROM = 41,
  S_PATH_TO = 42,
};

bool InWindow(float start, float end, double minute)
{
  return std::isfinite(start) && std::isfinite(end) && static_cast<double>(start) <= minute &&
         minute < static_cast<double>(end);
}

double Capacity(const ModLink& l)
{
  const double sat = l.sat_flow > 0 ? l.sat_flow : 1800.0;
  return std::max(100.0, sat * l.lanes);
}

}  // namespace

double MinuteOfDay(double t_sec)
{
  if (!std::isfinite(t_sec))
    return 0;
  double m = std::fmod(t_sec / 60.0, 1440.0);
  if (m < 0)
    m += 1440.0;
  return m;
}

double TrafficModel::TimeOfDay(double minute)
{
  auto bump = [minute](double centre, double width, double height) {
    const double d = (minute - centre) / width;
    return height * std::exp(-d * d);
  };
  // The sample day starts at 1:00 (Management's first cycle): its night
  // carries enough traffic for the views and charts to show it.
  return 0.6 + bump(480, 90, 0.45) + bump(750, 150, 0.15) + bump(1050, 110, 0.5);
}

void TrafficModel::Compute(double t_sec, const EventSet& events, std::vector<LinkState>& out) const
{
  const std::size_t n = m_net ? m_net->links.size() : 0;
  out.assign(n, LinkState());
  if (n == 0)
    return;
  const double minute = MinuteOfDay(t_sec);
  const uint64_t step = static_cast<uint64_t>(minute);
  const double tod = TimeOfDay(minute);

  std::vector<double> demand(n), cap_factor(n, 1.0), delta(n, 0.0), speed_cap(n, 0.0), discharge(n, 0.0);
  for (std::size_t k = 0; k < n; ++k) {
    const double base = 0.30 + 0.50 * Unit(m_seed, S_BASE, k);
    const double noise = 1.0 + 0.03 * Signed(m_seed, S_NOISE, k, step);
    demand[k] = base * tod * noise * Capacity(m_net->links[k]);
  }

  for (const IncidentMsgArg& e : events.incidents) {
    const int k = m_net->FindLink(e.from_node, e.to_node);
    if (k < 0 || !InWindow(e.start, e.end, minute))
      continue;
    cap_factor[static_cast<std::size_t>(k)] *= 1.0 - std::clamp(static_cast<double>(e.severity), 0.0, 1.0);
  }
  for (const WorkZoneMsgArg& e : events.workzones) {
    const int k = m_net->FindLink(e.from_node, e.to_node);
    if (k < 0 || !InWindow(e.start, e.end, minute))
      continue;
    const std::size_t i = static_cast<std::size_t>(k);
    cap_factor[i] *= 1.0 - std::clamp(static_cast<double>(e.capacity_reduction), 0.0, 1.0);
    if (e.speed_limit > 0)
      speed_cap[i] = speed_cap[i] > 0 ? std::min<double>(speed_cap[i], e.speed_limit) : e.speed_limit;
    if (e.discharge_rate > 0)
      discharge[i] = discharge[i] > 0 ? std::min<double>(discharge[i], e.discharge_rate) : e.discharge_rate;
  }
  // Detours: part of the VMS link's traffic leaves its downstream node by
  // the detour instead of the other ways out.
  for (const VMSMsgArg& e : events.vms) {
    const int nodes = VMSDetourNodeCount(e);
    if (nodes < 2 || !InWindow(e.start, e.end, minute))
      continue;
    const int k = m_net->FindLink(e.from_node, e.to_node);
    if (k < 0)
      continue;
    const double diverted = (e.type == 2 ? 0.5 : 0.25) * demand[static_cast<std::size_t>(k)];
    std::vector<int> detour;
    for (int i = 0; i + 1 < nodes; ++i) {
      const int d = m_net->FindLink(e.path[i], e.path[i + 1]);
      if (d >= 0)
        detour.push_back(d);
    }
    if (detour.empty())
      continue;
    for (int d : detour)
      delta[static_cast<std::size_t>(d)] += diverted;
    std::vector<int> others;
    for (int o : m_net->OutLinks(e.to_node)) {
      if (o == detour.front() || m_net->links[static_cast<std::size_t>(o)].to == e.from_node)
        continue;
      others.push_back(o);
    }
    for (int o : others)
      delta[static_cast<std::size_t>(o)] -= diverted / static_cast<double>(others.size());
  }

  for (std::size_t k = 0; k < n; ++k) {
    const ModLink& l = m_net->links[k];
    double cap = Capacity(l) * std::max(0.05, cap_factor[k]);
    if (discharge[k] > 0)
      cap = std::min(cap, discharge[k] * l.lanes);
    double vf = l.speed_limit > 0 ? l.speed_limit : 30.0;
    if (speed_cap[k] > 0)
      vf = std::min(vf, speed_cap[k]);
    vf = std::max(vf, kMinSpeed);
    const double d = std::max(0.0, demand[k] + delta[k]);
    const double x = d / cap;
    double v, queue;
    if (x <= 1.0) {
      v = vf * (1.0 - 0.45 * x * x * x * x);
      queue = x > 0.9 ? (x - 0.9) * 0.5 : 0.0;
    } else {
      v = vf * 0.55 / std::pow(x, 1.5);
      queue = std::min(1.0, (x - 1.0) * 1.2);
    }
    v = std::max(v, kMinSpeed);
    const double q = std::min(d, cap);
    const double moving = q / (v * l.lanes);
    LinkState& s = out[k];
    s.density = static_cast<float>(std::min(kJamDensity, (1.0 - queue) * moving + queue * kJamDensity));
    s.speed = static_cast<float>(v);
    s.queue = static_cast<float>(queue);
    s.flow = static_cast<float>(q);
  }
}

LinkState TrafficModel::Observe(const LinkState& s, int link, double t_sec) const
{
  const uint64_t step = static_cast<uint64_t>(MinuteOfDay(t_sec));
  const uint64_t k = static_cast<uint64_t>(link);
  LinkState o = s;
  o.density =
      std::max(0.1f, static_cast<float>(s.density * (1.0 + 0.08 * Signed(m_seed, S_OBS_DENSITY, k, step))));
  o.speed = std::max(0.1f, static_cast<float>(s.speed * (1.0 + 0.08 * Signed(m_seed, S_OBS_SPEED, k, step))));
  o.flow = std::max(0.1f, static_cast<float>(s.flow * (1.0 + 0.08 * Signed(m_seed, S_OBS_FLOW, k, step))));
  return o;
}

NetStats TrafficModel::Stats(const std::vector<LinkState>& states) const
{
  NetStats st;
  if (!m_net || states.empty() || states.size() != m_net->links.size())
    return st;
  double cars = 0, den = 0, spd = 0, queue = 0;
  for (std::size_t k = 0; k < states.size(); ++k) {
    const ModLink& l = m_net->links[k];
    cars += states[k].density * l.lanes * (l.length_ft / kFeetPerMile);
    den += states[k].density;
    spd += states[k].speed;
    queue += states[k].queue;
  }
  const double n = static_cast<double>(states.size());
  st.numcars = static_cast<int>(std::lround(std::min(cars, 2e9)));
  st.avg_density = static_cast<float>(den / n);
  st.avg_speed = static_cast<float>(spd / n);
  st.avg_stops = static_cast<float>(0.2 + 3.0 * queue / n + 0.01 * den / n);
  return st;
}

void TrafficModel::ODMatrix(double t_sec, int zones, std::vector<float>& out) const
{
  const int z = std::max(0, zones);
  out.assign(static_cast<std::size_t>(z) * static_cast<std::size_t>(z), 0.0f);
  const double minute = MinuteOfDay(t_sec);
  const double tod = TimeOfDay(minute);
  const uint64_t slot = static_cast<uint64_t>(minute / 5.0);
  for (int i = 0; i < z; ++i) {
    for (int j = 0; j < z; ++j) {
      if (i == j)
        continue;
      const uint64_t pair = static_cast<uint64_t>(i) * 1000 + static_cast<uint64_t>(j);
      const double base = 2.0 + 18.0 * Unit(m_seed, S_OD_BASE, pair);
      const double noise = 1.0 + 0.05 * Signed(m_seed, S_OD_NOISE, pair, slot);
      out[static_cast<std::size_t>(j) * static_cast<std::size_t>(z) + static_cast<std::size_t>(i)] =
          static_cast<float>(base * tod * noise);
    }
  }
}

std::vector<PredictedPath> TrafficModel::Paths(const std::vector<LinkState>& states, int count) const
{
  std::vector<PredictedPath> paths;
  if (!m_net || count <= 0 || states.size() != m_net->links.size() || m_net->node_numbers.size() < 2)
    return paths;
  const std::size_t nodes = m_net->node_numbers.size();
  std::unordered_map<int, std::size_t> index;
  index.reserve(nodes);
  for (std::size_t i = 0; i < nodes; ++i)
    index.emplace(m_net->node_numbers[i], i);

  auto travel_minutes = [&](std::size_t k) {
    const double v = std::max<double>(states[k].speed, kMinSpeed);
    return (m_net->links[k].length_ft / kFeetPerMile) / v * 60.0;
  };

  const double inf = std::numeric_limits<double>::infinity();
  std::vector<double> dist(nodes);
  std::vector<int> via(nodes);
  for (int attempt = 0; attempt < count * 4 && static_cast<int>(paths.size()) < count; ++attempt) {
    const std::size_t a = Hash(m_seed, S_PATH_FROM, static_cast<uint64_t>(attempt)) % nodes;
    const std::size_t b = Hash(m_seed, S_PATH_TO, static_cast<uint64_t>(attempt)) % nodes;
    if (a == b)
      continue;
    std::fill(dist.begin(), dist.end(), inf);
    std::fill(via.begin(), via.end(), -1);
    using Item = std::pair<double, std::size_t>;
    std::priority_queue<Item, std::vector<Item>, std::greater<Item>> open;
    dist[a] = 0;
    open.push({0.0, a});
    while (!open.empty()) {
      const auto [d, u] = open.top();
      open.pop();
      if (d > dist[u])
        continue;
      if (u == b)
        break;
      for (int k : m_net->OutLinks(m_net->node_numbers[u])) {
        auto it = index.find(m_net->links[static_cast<std::size_t>(k)].to);
        if (it == index.end())
          continue;
        const double nd = d + travel_minutes(static_cast<std::size_t>(k));
        if (nd < dist[it->second]) {
          dist[it->second] = nd;
          via[it->second] = k;
          open.push({nd, it->second});
        }
      }
    }
    if (!std::isfinite(dist[b]))
      continue;
    PredictedPath p;
    p.travel_time = dist[b];
    for (std::size_t u = b;;) {
      p.nodes.push_back(m_net->node_numbers[u]);
      if (u == a)
        break;
      const int k = via[u];
      u = index.at(m_net->links[static_cast<std::size_t>(k)].from);
    }
    std::reverse(p.nodes.begin(), p.nodes.end());
    paths.push_back(std::move(p));
  }
  return paths;
}

}  // namespace vlq::mod
