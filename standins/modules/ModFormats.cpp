#include "ModFormats.h"

#include <cstdio>
#include <sstream>

#include "FieldReaders.h"
#include "StringPrintf.h"

namespace vlq::mod {

std::vector<int> DetectorLinksFromText(const ModNetwork& net, const std::string& text, int* unknown)
{
  std::vector<char> mark(net.links.size(), 0);
  int missing = 0;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    int from = 0, to = 0;
    const char* p = line.c_str();
    if (!ParseLinkLineNumbers(p, from, to))
      continue;  // empty or unreadable line
    const int k = net.FindLink(from, to);
    if (k < 0) {
      ++missing;
      continue;
    }
    mark[static_cast<std::size_t>(k)] = 1;
  }
  if (unknown)
    *unknown = missing;
  std::vector<int> out;
  for (std::size_t k = 0; k < mark.size(); ++k)
    if (mark[k])
      out.push_back(static_cast<int>(k));
  return out;
}

bool IsDefaultDetectorLink(std::size_t link_index)
{
  return link_index % 5 == 0;
}

std::vector<int> DefaultDetectorLinks(std::size_t link_count)
{
  std::vector<int> out;
  for (std::size_t k = 0; k < link_count; ++k)
    if (IsDefaultDetectorLink(k))
      out.push_back(static_cast<int>(k));
  return out;
}

std::string FormatReferenceTable(const ModNetwork& net, const std::vector<int>& detector_links)
{
  std::vector<int> number(net.links.size(), 0);
  int m = 0;
  for (int k : detector_links)
    if (k >= 0 && static_cast<std::size_t>(k) < number.size() && number[static_cast<std::size_t>(k)] == 0)
      number[static_cast<std::size_t>(k)] = ++m;
  std::string out;
  out.reserve(net.links.size() * 40 + 32);
  StringAppendF(out, "%zu %d\n", net.links.size(), m);
  for (std::size_t k = 0; k < net.links.size(); ++k) {
    const ModLink& l = net.links[k];
    StringAppendF(out, "%zu %d %d %d %.0f %d\n", k + 1, l.from, l.to, number[k], l.length_ft, l.lanes);
  }
  return out;
}

std::string FormatObsData(int hour, int minute, int second, const std::vector<float>& values)
{
  std::string out;
  out.reserve(values.size() * 10 + 32);
  StringAppendF(out, "%d %d %d\n", hour, minute, second);
  for (std::size_t j = 0; j < values.size(); ++j)
    StringAppendF(out, "%.2f%c", static_cast<double>(values[j]),
                  (j % 10 == 9 || j + 1 == values.size()) ? '\n' : ' ');
  return out;
}

std::string FormatPredictedPaths(int lead, const std::vector<PredictedPath>& paths)
{
  std::string out;
  StringAppendF(out, "%d\n%zu\n", lead, paths.size());
  for (std::size_t p = 0; p < paths.size(); ++p) {
    StringAppendF(out, "%zu %.2f %zu", p + 1, paths[p].travel_time, paths[p].nodes.size());
    for (int n : paths[p].nodes)
      StringAppendF(out, " %d", n);
    out += '\n';
  }
  return out;
}

SchedulerCycles DefaultCycles()
{
  // The cycles dialog's initial entries, in seconds.
  return {30, 300, 900, 600, 300, 30, 300, 1200, 300, 2700};
}

bool ParseScheduler(const std::string& text, SchedulerValues& out)
{
  fields::TextCursor in(text);
  long long v[19];
  for (long long& x : v) {
    const std::optional<long long> n = NextCount(in);
    if (!n)
      return false;
    x = *n;
  }
  auto i = [](long long x) { return x > 1'000'000'000 ? 1'000'000'000 : static_cast<int>(x); };
  out.nowsim_period = i(v[0]);
  out.foresim_roll = i(v[2]);
  out.foresim_stage_length = i(v[3]);
  out.ode_state_length = i(v[5]);
  out.odp_period = i(v[7]);
  out.odp_horizon = i(v[8]);
  out.farvet_period = i(v[10]);
  out.nearvet_period = i(v[12]);
  out.od_departure_interval = i(v[14]);
  out.od_observation_interval = i(v[15]);
  out.cc_observation_interval = i(v[16]);
  return true;
}

}  // namespace vlq::mod
