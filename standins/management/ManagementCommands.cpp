#include "ManagementCommands.h"

#include "StringPrintf.h"
#include "VQDataPacker.h"
#include "qelm_msg_codes.h"

const char* MessageCodeName(long code)
{
  switch (code) {
  case MSG_CYCLIC_STARTED: return "MSG_CYCLIC_STARTED";
  case MSG_CYCLIC_STOPPED: return "MSG_CYCLIC_STOPPED";
  case MSG_CYCLIC_HALTED: return "MSG_CYCLIC_HALTED";
  case MSG_CYCLIC_FAILED: return "MSG_CYCLIC_FAILED";
  case MSG_NOWSIM_STARTED: return "MSG_NOWSIM_STARTED";
  case MSG_NOWSIM_ENDED: return "MSG_NOWSIM_ENDED";
  case MSG_FORESIM_STARTED: return "MSG_FORESIM_STARTED";
  case MSG_FORESIM_ENDED: return "MSG_FORESIM_ENDED";
  case MSG_ODE_STARTED: return "MSG_ODE_STARTED";
  case MSG_ODE_ENDED: return "MSG_ODE_ENDED";
  case MSG_ODEC_STARTED: return "MSG_ODEC_STARTED";
  case MSG_ODEC_ENDED: return "MSG_ODEC_ENDED";
  case MSG_ODP_STARTED: return "MSG_ODP_STARTED";
  case MSG_ODP_ENDED: return "MSG_ODP_ENDED";
  case MSG_FARVET_STARTED: return "MSG_FARVET_STARTED";
  case MSG_FARVET_ENDED: return "MSG_FARVET_ENDED";
  case MSG_NEARVET_STARTED: return "MSG_NEARVET_STARTED";
  case MSG_NEARVET_ENDED: return "MSG_NEARVET_ENDED";
  case MSG_FORESIM1_STARTED: return "MSG_FORESIM1_STARTED";
  case MSG_FORESIM1_ENDED: return "MSG_FORESIM1_ENDED";
  case MSG_INCIDENT_ADD: return "MSG_INCIDENT_ADD";
  case MSG_INCIDENT_REMOVE: return "MSG_INCIDENT_REMOVE";
  case MSG_VMS_ADD: return "MSG_VMS_ADD";
  case MSG_VMS_REMOVE: return "MSG_VMS_REMOVE";
  case MSG_WORKZONE_ADD: return "MSG_WORKZONE_ADD";
  case MSG_WORKZONE_REMOVE: return "MSG_WORKZONE_REMOVE";
  default: return "unknown";
  }
}

unsigned CommandPayloadSize(long code)
{
  switch (code) {
  case MSG_INCIDENT_ADD:
  case MSG_INCIDENT_REMOVE: return INCIDENT_MSG_ARG_SIZE;
  case MSG_VMS_ADD:
  case MSG_VMS_REMOVE: return VMS_MSG_ARG_SIZE;
  case MSG_WORKZONE_ADD:
  case MSG_WORKZONE_REMOVE: return WORKZONE_MSG_ARG_SIZE;
  default: return 0;
  }
}

namespace {

const char* VMSTypeName(int32_t type)
{
  switch (type) {
  case 1: return "speed advisory";
  case 2: return "mandatory detour";
  case 3: return "congestion warning";
  case 4: return "optional detour";
  default: return "unknown type";
  }
}

std::string DescribeVMS(const VMSMsgArg& v)
{
  std::string s =
      StringPrintf("type %d (%s), link %d -> %d, ", v.type, VMSTypeName(v.type), v.from_node, v.to_node);
  switch (v.type) {
  case 1: s += StringPrintf("speed threshold %d, change %d%%", v.params[0], v.params[1]); break;
  case 3: s += StringPrintf("response rate %d%%, path preference %d", v.params[0], v.params[1]); break;
  default: s += StringPrintf("parameters %d %d", v.params[0], v.params[1]); break;
  }
  s += StringPrintf(", minutes %.1f to %.1f", v.start, v.end);
  if (v.type == 2 || v.type == 4) {
    // The node count comes from the sender: only counts the array can hold
    // are followed.
    int n = v.params[1];
    if (n < 0 || n > 100) {
      s += StringPrintf(", sub-path node count %d out of range", n);
    } else {
      s += ", sub-path";
      if (n == 0)
        s += " empty";
      for (int i = 0; i < n; ++i)
        s += StringPrintf(" %d", v.path[i]);
    }
  }
  return s;
}

}  // namespace

bool DescribeCommand(const QELM::MSG& m, std::string& text)
{
  text.clear();
  const long code = m.ID;
  const unsigned expected = CommandPayloadSize(code);
  if (expected == 0)
    return false;
  const unsigned got = m.arg.length();
  const std::string head = StringPrintf("Command message %ld (%s)", code, MessageCodeName(code));
  if (got != expected) {
    text = head + StringPrintf(" refused: payload of %u bytes, %u expected.", got, expected);
    return false;
  }
  switch (code) {
  case MSG_INCIDENT_ADD:
  case MSG_INCIDENT_REMOVE: {
    IncidentMsgArg c;
    UnpackCommandArg(m.arg, c);
    text = head + StringPrintf(": link %d -> %d, minutes %.1f to %.1f, severity %.1f.", c.from_node,
                               c.to_node, c.start, c.end, c.severity);
    break;
  }
  case MSG_VMS_ADD:
  case MSG_VMS_REMOVE: {
    VMSMsgArg c;
    UnpackCommandArg(m.arg, c);
    text = head + ": " + DescribeVMS(c) + ".";
    break;
  }
  default: {
    WorkZoneMsgArg c;
    UnpackCommandArg(m.arg, c);
    text = head + StringPrintf(": link %d -> %d, minutes %.1f to %.1f, capacity reduction %.2f, "
                               "speed limit %d mph, discharge rate %d veh/hr/ln.",
                               c.from_node, c.to_node, c.start, c.end, c.capacity_reduction, c.speed_limit,
                               c.discharge_rate);
    break;
  }
  }
  return true;
}
