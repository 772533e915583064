#include "qelm_command_args.h"

#include "VQDataPacker.h"
#include "VQTimeCentral.h"
#include "qelm_msg_codes.h"

namespace {

// The fields of each payload in their order on the wire, for packing and
// reading alike.
template <class Io, class Arg>
void Fields(Io&& io, Arg& a, IncidentMsgArg*)
{
  io(&a.from_node, 1);
  io(&a.to_node, 1);
  io(&a.start, 1);
  io(&a.end, 1);
  io(&a.severity, 1);
}

template <class Io, class Arg>
void Fields(Io&& io, Arg& a, VMSMsgArg*)
{
  io(&a.type, 1);
  io(&a.from_node, 1);
  io(&a.to_node, 1);
  io(a.params, 2);
  io(&a.start, 1);
  io(&a.end, 1);
  io(a.path, VMSMsgArg::MAX_PATH_NODES);
}

template <class Io, class Arg>
void Fields(Io&& io, Arg& a, WorkZoneMsgArg*)
{
  io(&a.from_node, 1);
  io(&a.to_node, 1);
  io(&a.start, 1);
  io(&a.end, 1);
  io(&a.capacity_reduction, 1);
  io(&a.speed_limit, 1);
  io(&a.discharge_rate, 1);
}

template <class Arg>
QELM::OctetSeq Pack(const Arg& a)
{
  VQDataPacker p;
  Fields([&](const auto* field, size_t count) { PackInto(p, field, sizeof *field, count); }, a,
         static_cast<Arg*>(nullptr));
  QELM::OctetSeq s;
  p.Pack(s);
  return s;
}

template <class Arg>
bool Unpack(const QELM::OctetSeq& arg, unsigned size, Arg& out)
{
  if (arg.length() != size)
    return false;
  Arg a;
  VQDataUnpacker u(arg);
  bool ok = true;
  Fields([&](auto* field, size_t count) { ok = ok && UnpackFrom(u, field, sizeof *field, count); }, a,
         static_cast<Arg*>(nullptr));
  if (!ok || u.GetRemaining() != 0)
    return false;
  out = a;
  return true;
}

}  // namespace

QELM::OctetSeq PackCommandArg(const IncidentMsgArg& a)
{
  return Pack(a);
}
QELM::OctetSeq PackCommandArg(const VMSMsgArg& a)
{
  return Pack(a);
}
QELM::OctetSeq PackCommandArg(const WorkZoneMsgArg& a)
{
  return Pack(a);
}

bool UnpackCommandArg(const QELM::OctetSeq& arg, IncidentMsgArg& out)
{
  return Unpack(arg, INCIDENT_MSG_ARG_SIZE, out);
}

bool UnpackCommandArg(const QELM::OctetSeq& arg, VMSMsgArg& out)
{
  return Unpack(arg, VMS_MSG_ARG_SIZE, out);
}

bool UnpackCommandArg(const QELM::OctetSeq& arg, WorkZoneMsgArg& out)
{
  return Unpack(arg, WORKZONE_MSG_ARG_SIZE, out);
}

CommandPayload IncidentCommand(int action, int fromNode, int toNode, float start, float end, float severity)
{
  IncidentMsgArg a;
  a.from_node = fromNode;
  a.to_node = toNode;
  a.start = start;
  a.end = end;
  a.severity = severity;
  return {action == 1 ? MSG_INCIDENT_ADD : MSG_INCIDENT_REMOVE, PackCommandArg(a)};
}

CommandPayload VMSCommand(int action, int type, int fromNode, int toNode, const int* params, float start,
                          float end, const int* subPath)
{
  VMSMsgArg a;
  a.type = type;
  a.from_node = fromNode;
  a.to_node = toNode;
  if (params) {
    a.params[0] = params[0];
    a.params[1] = params[1];
  }
  a.start = start;
  a.end = end;
  if (subPath)
    for (int i = 0; i < VMSMsgArg::MAX_PATH_NODES; ++i)
      a.path[i] = subPath[i];
  return {action == 1 ? MSG_VMS_ADD : MSG_VMS_REMOVE, PackCommandArg(a)};
}

CommandPayload WorkZoneCommand(int action, int fromNode, int toNode, float start, float end,
                               float capacityReduction, int speedLimit, int dischargeRate)
{
  WorkZoneMsgArg a;
  a.from_node = fromNode;
  a.to_node = toNode;
  a.start = start;
  a.end = end;
  a.capacity_reduction = capacityReduction;
  a.speed_limit = speedLimit;
  a.discharge_rate = dischargeRate;
  return {action == 1 ? MSG_WORKZONE_ADD : MSG_WORKZONE_REMOVE, PackCommandArg(a)};
}

QELM::MSG MakeCommandMsg(long code, const QELM::OctetSeq& arg)
{
  QELM::MSG m;
  m.ID = static_cast<CORBA::Long>(code);
  m.timestamp = VQTimeCentral::Now();
  m.arg = arg;
  return m;
}
