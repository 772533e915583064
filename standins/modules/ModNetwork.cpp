#include "ModNetwork.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <limits>
#include <sstream>

#include <unistd.h>

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

bool NumberScanner::Next(double& value)
{
  const std::size_t n = m_text.size();
  while (m_pos < n && !(m_text[m_pos] >= '0' && m_text[m_pos] <= '9'))
    ++m_pos;
  if (m_pos >= n)
    return false;
  const std::size_t start = m_pos;
  bool point = false;
  while (m_pos < n) {
    const char c = m_text[m_pos];
    if (c >= '0' && c <= '9') {
      ++m_pos;
    } else if (c == '.' && !point) {
      point = true;
      ++m_pos;
    } else {
      break;
    }
  }
  // Digits and at most one point: plain strtod of the run is exact enough.
  char buf[64];
  const std::size_t len = std::min<std::size_t>(m_pos - start, sizeof(buf) - 1);
  std::memcpy(buf, m_text.data() + start, len);
  buf[len] = 0;
  value = std::strtod(buf, nullptr);
  return true;
}

bool NumberScanner::NextInt(long long& value)
{
  double v = 0;
  if (!Next(v))
    return false;
  // Truncated toward zero; a digit run beyond the 64-bit range reads as the
  // largest value (the callers' range checks then refuse it) rather than
  // through an undefined conversion.
  value = v >= 9.2e18 ? std::numeric_limits<long long>::max() : static_cast<long long>(v);
  return true;
}

bool ReadWholeFile(const std::string& path, std::string& out)
{
  std::ifstream in(path, std::ios::binary);
  if (!in)
    return false;
  std::ostringstream ss;
  ss << in.rdbuf();
  out = ss.str();
  return !in.bad();
}

bool WriteFileAtomic(const std::string& path, const std::string& content, std::string* error)
{
  const std::string tmp = path + ".tmp." + std::to_string(::getpid());
  std::FILE* f = std::fopen(tmp.c_str(), "wb");
  if (!f) {
    if (error)
      *error = "cannot create " + tmp + ": " + std::strerror(errno);
    return false;
  }
  const bool written = std::fwrite(content.data(), 1, content.size(), f) == content.size();
  const bool flushed = std::fflush(f) == 0 && ::fsync(::fileno(f)) == 0;
  const bool closed = std::fclose(f) == 0;
  if (!written || !flushed || !closed) {
    if (error)
      *error = "cannot write " + tmp;
    std::remove(tmp.c_str());
    return false;
  }
  if (std::rename(tmp.c_str(), path.c_str()) != 0) {
    if (error)
      *error = "cannot rename " + tmp + " to " + path + ": " + std::strerror(errno);
    std::remove(tmp.c_str());
    return false;
  }
  return true;
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
  std::string text;
  if (!ReadWholeFile(path, text)) {
    error = "cannot open " + path;
    return false;
  }
  NumberScanner sc(std::move(text));
  long long header[5];
  for (long long& h : header) {
    if (!sc.NextInt(h)) {
      error = path + ": the header needs five values";
      return false;
    }
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
    long long num = 0, zone = 0;
    if (!sc.NextInt(num) || !sc.NextInt(zone)) {
      error = path + ": the node block ends after " + std::to_string(i) + " of " + std::to_string(nodes) +
              " nodes";
      return false;
    }
    if (num > 2'000'000'000 || zone > 2'000'000'000) {
      error = path + ": node " + std::to_string(i + 1) + " out of range";
      return false;
    }
    n.node_numbers.push_back(static_cast<int>(num));
    n.node_zones.push_back(static_cast<int>(zone));
  }
  n.links.reserve(links);
  for (long long k = 0; k < links; ++k) {
    double v[13];
    for (int c = 0; c < 13; ++c) {
      if (!sc.Next(v[c])) {
        error =
            path + ": the link block ends in link " + std::to_string(k + 1) + " of " + std::to_string(links);
        return false;
      }
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
