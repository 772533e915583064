// The road network as the computing modules see it: the zones, nodes and
// links of estimate/network.dat, links in file order.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "FieldReaders.h"

namespace vlq::mod {

// Largest OD zone count that the console's OD tables hold.
constexpr int kMaxODZones = 120;

struct ModLink
{
  int from = 0;  // upstream node number
  int to = 0;    // downstream node number
  int left_bays = 0;
  int right_bays = 0;
  double length_ft = 0;
  int lanes = 1;
  double flow_model = 0;
  double speed_limit = 0;       // mph
  double max_service_flow = 0;  // pcphpl
  double sat_flow = 0;          // vphpl
  int type = 0;
  double grade = 0;
};

struct ModNetwork
{
  int zones = 0;  // first header value of network.dat
  int network_param = 0;
  int superzone_flag = 0;
  std::vector<int> node_numbers;  // by node index
  std::vector<int> node_zones;    // by node index
  std::vector<ModLink> links;     // by link index (file order)

  // Zone count the OD records carry: the file's zone count, at most 120.
  int ODZones() const;

  // Index of the first link from -> to in file order, -1 when there is none.
  int FindLink(int from, int to) const;
  // Link indices of the out-links of a node number, in file order.
  const std::vector<int>& OutLinks(int from) const;

  // Builds the lookup tables; called by the reader.
  void Index();

private:
  std::unordered_map<long long, int> m_link_by_pair;
  std::unordered_map<int, std::vector<int>> m_out;
};

// Reads a network.dat. Numbers are taken as the runtime's ReadReal takes
// them: any character that cannot start a number separates values (a
// minus sign included). Returns false with a message for a missing file, a
// header out of range or a node or link block that ends early.
bool ReadNetworkFile(const std::string& path, ModNetwork& net, std::string& error);

// Next unsigned number of a text (fields::NextUnsignedReal) truncated
// toward zero; a value beyond the 64-bit range reads as the largest. nullopt
// at the end of the text.
std::optional<long long> NextCount(fields::CharSource in);

}  // namespace vlq::mod
