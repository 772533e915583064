#include "ModNetwork.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "FileHandle.h"

namespace vlq::mod {

namespace {

// Sizes beyond these are not a network but a damaged header.
constexpr long long kMaxNodes = 10'000'000;
constexpr long long kMaxLinks = 20'000'000;
constexpr long long kMaxZones = 1'000'000;

long long PairKey(int from, int to)
{
  return (static_cast<long long>(from) << 32) ^ static_cast<unsigned int>(to);
}

}  // namespace

std::optional<long long> NextCount(fields::CharSource in)
{
  const std::optional<double> v = fields::NextUnsignedReal(in);
  if (!v)
    return std::nullopt;
  // A digit run beyond the 64-bit range reads as the largest value (the
  // callers' range checks then refuse it) rather than through an undefined
  // conversion.
  return *v >= 9.2e18 ? std::numeric_limits<long long>::max() : static_cast<long long>(*v);
}

int ModNetwork::ODZones() const
{
  return std::clamp(zones, 0, kMaxODZones);
}

int ModNetwork::FindLink(int from, int to) const
{
  auto it = m_link_by_pair.find(PairKey(from, to));
  return it == m_link_by_pair.end() ? -1 : it->second;
}

const std::vector<int>& ModNetwork::OutLinks(int from) const
{
  static const std::vector<int> none;
  auto it = m_out.find(from);
  return it == m_out.end() ? none : it->second;
}

void ModNetwork::Index()
{
  m_link_by_pair.clear();
  m_out.clear();
  m_link_by_pair.reserve(links.size());
  for (std::size_t i = 0; i < links.size(); ++i) {
    const ModLink& l = links[i];
    m_link_by_pair.emplace(PairKey(l.from, l.to), static_cast<int>(i));  // first one wins
    m_out[l.from].push_back(static_cast<int>(i));
  }
}

bool ReadNetworkFile(const std::string& path, ModNetwork& net, std::string& error)
{
  UniqueFile file = OpenFile(path, "r");
  if (!file) {
    error = "cannot open " + path;
    return false;
  }
  std::FILE* f = file.get();
  long long header[5];
  for (long long& h : header) {
    const std::optional<long long> v = NextCount(f);
    if (!v) {
      error = path + ": the header needs five values";
      return false;
    }
    h = *v;
  }
  const long long zones = header[0], nodes = header[1], links = header[2];
  if (zones > kMaxZones || nodes > kMaxNodes || links > kMaxLinks) {
    error = path + ": header counts out of range";
    return false;
  }
  ModNetwork n;
  n.zones = static_cast<int>(zones);
  n.network_param = static_cast<int>(std::min<long long>(header[3], 1 << 30));
  n.superzone_flag = static_cast<int>(std::min<long long>(header[4], 1 << 30));
  n.node_numbers.reserve(nodes);
  n.node_zones.reserve(nodes);
  for (long long i = 0; i < nodes; ++i) {
    const std::optional<long long> num = NextCount(f);
    const std::optional<long long> zone = num ? NextCount(f) : std::nullopt;
    if (!zone) {
      error = path + ": the node block ends after " + std::to_string(i) + " of " + std::to_string(nodes) +
              " nodes";
      return false;
    }
    if (*num > 2'000'000'000 || *zone > 2'000'000'000) {
      error = path + ": node " + std::to_string(i + 1) + " out of range";
      return false;
    }
    n.node_numbers.push_back(static_cast<int>(*num));
    n.node_zones.push_back(static_cast<int>(*zone));
  }
  n.links.reserve(links);
  for (long long k = 0; k < links; ++k) {
    double v[13];
    for (int c = 0; c < 13; ++c) {
      const std::optional<double> x = fields::NextUnsignedReal(f);
      if (!x) {
        error =
            path + ": the link block ends in link " + std::to_string(k + 1) + " of " + std::to_string(links);
        return false;
      }
      v[c] = *x;
    }
    for (double x : v) {
      if (!std::isfinite(x) || x > 2e9) {
        error = path + ": link " + std::to_string(k + 1) + " has a value out of range";
        return false;
      }
    }
    ModLink l;
    l.from = static_cast<int>(v[0]);
    l.to = static_cast<int>(v[1]);
    l.left_bays = static_cast<int>(v[2]);
    l.right_bays = static_cast<int>(v[3]);
    l.length_ft = static_cast<double>(static_cast<long long>(v[4]));
    l.lanes = std::max(1, static_cast<int>(v[5]));
    l.flow_model = v[6];
    l.speed_limit = v[8];
    l.max_service_flow = v[9];
    l.sat_flow = v[10];
    l.type = static_cast<int>(v[11]);
    l.grade = v[12];
    n.links.push_back(l);
  }
  n.Index();
  net = std::move(n);
  return true;
}

}  // namespace vlq::mod
