// Packing and reading of the operator's command payloads (codes 42 to 47,
// types in qelm_command_payloads.h): the fields of each, packed back to back
// by VQDataPacker. One place for the wire layout, used by whoever packs a
// command and whoever reads one.
#pragma once

#include <QELM.hh>

#include "qelm_command_payloads.h"

// The packed payload of a command.
QELM::OctetSeq PackCommandArg(const IncidentMsgArg& a);
QELM::OctetSeq PackCommandArg(const VMSMsgArg& a);
QELM::OctetSeq PackCommandArg(const WorkZoneMsgArg& a);

// Reading of a payload of exactly the command's size (20, 428 or 28 bytes);
// false, and `out` unchanged, for any other length.
bool UnpackCommandArg(const QELM::OctetSeq& arg, IncidentMsgArg& out);
bool UnpackCommandArg(const QELM::OctetSeq& arg, VMSMsgArg& out);
bool UnpackCommandArg(const QELM::OctetSeq& arg, WorkZoneMsgArg& out);

// The command of one operator send, as the console's controller sends it:
// the add code when action is 1, the remove code for any other value, and
// the payload built from the send's arguments (a null params or subPath
// sends zeros).
struct CommandPayload
{
  long code = 0;
  QELM::OctetSeq arg;
};
CommandPayload IncidentCommand(int action, int fromNode, int toNode, float start, float end, float severity);
CommandPayload VMSCommand(int action, int type, int fromNode, int toNode, const int* params, float start,
                          float end, const int* subPath);
CommandPayload WorkZoneCommand(int action, int fromNode, int toNode, float start, float end,
                               float capacityReduction, int speedLimit, int dischargeRate);

// A command message stamped with the corrected clock.
QELM::MSG MakeCommandMsg(long code, const QELM::OctetSeq& arg);
