// The payloads of the operator's command messages (codes 42 to 47): the
// fields of each, packed back to back by VQDataPacker in the host's byte
// order, with no padding, count or marker. One place for the layout, used by
// whoever packs a command and whoever reads one.
#pragma once

#include <QELM.hh>

#include <cstdint>

// IncidentMsgArg, 20 bytes, codes 42 and 43.
struct IncidentMsgArg
{
  int32_t from_node = 0;  // node numbers of the link, as in network.dat
  int32_t to_node = 0;
  float start = 0;  // minutes of the day
  float end = 0;
  float severity = 0;
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
};

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
};

// The packed payload of a command.
QELM::OctetSeq PackCommandArg(const IncidentMsgArg& a);
QELM::OctetSeq PackCommandArg(const VMSMsgArg& a);
QELM::OctetSeq PackCommandArg(const WorkZoneMsgArg& a);

// Reading of a payload of exactly the command's size (20, 428 or 28 bytes);
// false, and `out` unchanged, for any other length.
bool UnpackCommandArg(const QELM::OctetSeq& arg, IncidentMsgArg& out);
bool UnpackCommandArg(const QELM::OctetSeq& arg, VMSMsgArg& out);
bool UnpackCommandArg(const QELM::OctetSeq& arg, WorkZoneMsgArg& out);

// A command message stamped with the corrected clock.
QELM::MSG MakeCommandMsg(long code, const QELM::OctetSeq& arg);
