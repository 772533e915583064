#include "ModCommands.h"

#include "qelm_command_args.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "StringPrintf.h"
#include "VQDataPacker.h"
#include "qelm_msg_codes.h"

namespace vlq::mod {

namespace {

bool Finite(float a, float b)
{
  return std::isfinite(a) && std::isfinite(b);
}

// Removes the exact match, or else the first event on the same link.
template <class T>
bool RemoveMatching(std::vector<T>& list, const T& e)
{
  auto it = std::find(list.begin(), list.end(), e);
  if (it == list.end())
    it = std::find_if(list.begin(), list.end(),
                      [&](const T& x) { return x.from_node == e.from_node && x.to_node == e.to_node; });
  if (it == list.end())
    return false;
  list.erase(it);
  return true;
}

std::string LinkNote(const ModNetwork* net, int from, int to)
{
  if (net && net->FindLink(from, to) < 0)
    return StringPrintf(" (no link %d->%d in network.dat: no effect)", from, to);
  return std::string();
}

// What the three kinds of command share: the names in the log, the
// payload's size, whether an add of an event already held keeps the one
// held, and where the events are kept.
template <class Event>
struct CommandKind
{
  const char* name;
  const char* noun;
  unsigned size;
  bool once;
  std::vector<Event> EventSet::*events;
};
const CommandKind<IncidentMsgArg> kIncidentKind = {"Incident", "incident", INCIDENT_MSG_ARG_SIZE, false,
                                                   &EventSet::incidents};
const CommandKind<VMSMsgArg> kVMSKind = {"VMS", "VMS", VMS_MSG_ARG_SIZE, true, &EventSet::vms};
const CommandKind<WorkZoneMsgArg> kWorkZoneKind = {"Work zone", "work zone", WORKZONE_MSG_ARG_SIZE, false,
                                                   &EventSet::workzones};

// What differs is below: the reading of the payload (a VMS as DecodeVMS
// keeps it), the checks of an add and its log text.
template <class Event>
bool Decode(const QELM::OctetSeq& arg, Event& e)
{
  return UnpackCommandArg(arg, e);
}
bool Decode(const QELM::OctetSeq& arg, VMSMsgArg& e)
{
  return DecodeVMS(arg, e);
}

// Why an add is refused; empty when its values are in range.
std::string Refusal(const IncidentMsgArg& e)
{
  if (!Finite(e.start, e.end) || !std::isfinite(e.severity) || e.severity < 0 || e.severity > 1)
    return StringPrintf("Incident on %d->%d refused: values out of range.", e.from_node, e.to_node);
  return std::string();
}
std::string Refusal(const VMSMsgArg& e)
{
  if (e.type < 1 || e.type > 4 || !Finite(e.start, e.end) ||
      ((e.type == 2 || e.type == 4) && (e.params[1] < 0 || e.params[1] > VMSMsgArg::MAX_PATH_NODES)))
    return StringPrintf("VMS on %d->%d refused: type %d or its values out of range.", e.from_node, e.to_node,
                        e.type);
  return std::string();
}
std::string Refusal(const WorkZoneMsgArg& e)
{
  if (!Finite(e.start, e.end) || !std::isfinite(e.capacity_reduction) || e.capacity_reduction < 0 ||
      e.capacity_reduction > 1 || e.speed_limit < 0 || e.discharge_rate < 0)
    return StringPrintf("Work zone on %d->%d refused: values out of range.", e.from_node, e.to_node);
  return std::string();
}

std::string Added(const IncidentMsgArg& e, bool, const std::string& note)
{
  return StringPrintf("Incident added on %d->%d, minutes %.1f to %.1f, severity %.2f%s.", e.from_node,
                      e.to_node, static_cast<double>(e.start), static_cast<double>(e.end),
                      static_cast<double>(e.severity), note.c_str());
}
std::string Added(const VMSMsgArg& e, bool held, const std::string& note)
{
  return StringPrintf("VMS type %d %s on %d->%d, minutes %.1f to %.1f, %d detour nodes%s.", e.type,
                      held ? "already held" : "added", e.from_node, e.to_node, static_cast<double>(e.start),
                      static_cast<double>(e.end), VMSDetourNodeCount(e), note.c_str());
}
std::string Added(const WorkZoneMsgArg& e, bool, const std::string& note)
{
  return StringPrintf(
      "Work zone added on %d->%d, minutes %.1f to %.1f, capacity -%.0f%%, %d mph, %d veh/h/ln%s.",
      e.from_node, e.to_node, static_cast<double>(e.start), static_cast<double>(e.end),
      static_cast<double>(e.capacity_reduction) * 100.0, e.speed_limit, e.discharge_rate, note.c_str());
}

// One add or remove of any kind, on the events that `mutex` guards.
template <class Event>
CommandState::Result ApplyCommand(const QELM::MSG& m, bool add, const CommandKind<Event>& kind,
                                  const ModNetwork* net, std::mutex& mutex, EventSet& events,
                                  std::string& text)
{
  Event e;
  if (!Decode(m.arg, e)) {
    text = StringPrintf("%s command %ld refused: %u bytes of payload, %u expected.", kind.name,
                        static_cast<long>(m.ID), static_cast<unsigned>(m.arg.length()), kind.size);
    return CommandState::REFUSED;
  }
  if (add) {
    if (std::string why = Refusal(e); !why.empty()) {
      text = why;
      return CommandState::REFUSED;
    }
    const std::string note = LinkNote(net, e.from_node, e.to_node);
    std::lock_guard<std::mutex> lock(mutex);
    std::vector<Event>& list = events.*kind.events;
    const bool held = kind.once && std::find(list.begin(), list.end(), e) != list.end();
    if (!held)
      list.push_back(e);
    text = Added(e, held, note);
    return CommandState::APPLIED;
  }
  std::lock_guard<std::mutex> lock(mutex);
  if (!RemoveMatching(events.*kind.events, e)) {
    text = StringPrintf("%s remove on %d->%d: no such %s.", kind.name, e.from_node, e.to_node, kind.noun);
    return CommandState::NOT_FOUND;
  }
  text = StringPrintf("%s removed from %d->%d.", kind.name, e.from_node, e.to_node);
  return CommandState::APPLIED;
}

}  // namespace

bool DecodeVMS(const QELM::OctetSeq& arg, VMSMsgArg& out)
{
  VMSMsgArg a;
  if (!UnpackCommandArg(arg, a))
    return false;
  std::fill(a.path + VMSDetourNodeCount(a), a.path + VMSMsgArg::MAX_PATH_NODES, 0);
  out = a;
  return true;
}

CommandState::Result CommandState::Apply(const QELM::MSG& m, const ModNetwork* net, std::string& text)
{
  switch (m.ID) {
  case MSG_INCIDENT_ADD:
  case MSG_INCIDENT_REMOVE:
    return ApplyCommand(m, m.ID == MSG_INCIDENT_ADD, kIncidentKind, net, m_mutex, m_events, text);
  case MSG_VMS_ADD:
  case MSG_VMS_REMOVE: return ApplyCommand(m, m.ID == MSG_VMS_ADD, kVMSKind, net, m_mutex, m_events, text);
  case MSG_WORKZONE_ADD:
  case MSG_WORKZONE_REMOVE:
    return ApplyCommand(m, m.ID == MSG_WORKZONE_ADD, kWorkZoneKind, net, m_mutex, m_events, text);
  default: text.clear(); return NOT_A_COMMAND;
  }
}

EventSet CommandState::Snapshot() const
{
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_events;
}

}  // namespace vlq::mod
