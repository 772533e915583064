// The payloads of the operator's command messages (codes 42 to 47): one
// type per payload, the same for whoever sends, forwards or keeps a command.
// Plain C++ with no ORB, so that code which only keeps commands (the
// modules' traffic model) needs nothing else; packing and reading are in
// qelm_command_args.h. On the wire the fields stand back to back in the
// host's byte order, with no padding, count or marker.
//
//   VMSMsgArg sign;
//   sign.type = 2;            // mandatory detour
//   sign.params[1] = 3;       // three sub-path nodes in path[0..2]
//   for (int i = 0; i < VMSDetourNodeCount(sign); ++i) ...
#pragma once

#include <algorithm>
#include <cstdint>

// IncidentMsgArg, 20 bytes, codes 42 and 43.
struct IncidentMsgArg
{
  int32_t from_node = 0;  // node numbers of the link, as in network.dat
  int32_t to_node = 0;
  float start = 0;  // minutes of the day
  float end = 0;
  float severity = 0;
  friend bool operator==(const IncidentMsgArg&, const IncidentMsgArg&) = default;
};

// VMSMsgArg, 428 bytes, codes 44 and 45.
struct VMSMsgArg
{
  enum { MAX_PATH_NODES = 100 };
  int32_t type = 0;  // 1 speed advisory, 2 mandatory detour, 3 congestion warning, 4 optional detour
  int32_t from_node = 0;
  int32_t to_node = 0;
  int32_t params[2] = {0, 0};  // types 2 and 4: 100 and the number of sub-path nodes
  float start = 0;
  float end = 0;
  int32_t path[MAX_PATH_NODES] = {};
  friend bool operator==(const VMSMsgArg&, const VMSMsgArg&) = default;
};

// Sub-path nodes of a detour (types 2 and 4) that `path` holds: the second
// parameter, kept within 0..MAX_PATH_NODES; 0 for the other types.
inline int VMSDetourNodeCount(const VMSMsgArg& a)
{
  if (a.type != 2 && a.type != 4)
    return 0;
  return std::clamp<int>(a.params[1], 0, VMSMsgArg::MAX_PATH_NODES);
}

// WorkZoneMsgArg, 28 bytes, codes 46 and 47.
struct WorkZoneMsgArg
{
  int32_t from_node = 0;
  int32_t to_node = 0;
  float start = 0;
  float end = 0;
  float capacity_reduction = 0;
  int32_t speed_limit = 0;
  int32_t discharge_rate = 0;
  friend bool operator==(const WorkZoneMsgArg&, const WorkZoneMsgArg&) = default;
};
