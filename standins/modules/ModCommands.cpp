#include "ModCommands.h"

#include "qelm_command_args.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>

#include "VQDataPacker.h"
#include "qelm_msg_codes.h"

namespace vlq::mod {

namespace {

bool Finite(float a, float b)
{
  return std::isfinite(a) && std::isfinite(b);
}

std::string Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

std::string Format(const char* fmt, ...)
{
  char buf[512];
  va_list ap;
  va_start(ap, fmt);
  std::vsnprintf(buf, sizeof(buf), fmt, ap);
  va_end(ap);
  return buf;
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
    return Format(" (no link %d->%d in network.dat: no effect)", from, to);
  return std::string();
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
  const long code = m.ID;
  const unsigned len = m.arg.length();
  switch (code) {
  case MSG_INCIDENT_ADD:
  case MSG_INCIDENT_REMOVE: {
    IncidentMsgArg e;
    if (!UnpackCommandArg(m.arg, e)) {
      text = Format("Incident command %ld refused: %u bytes of payload, %u expected.", code, len,
                    static_cast<unsigned>(INCIDENT_MSG_ARG_SIZE));
      return REFUSED;
    }
    if (code == MSG_INCIDENT_ADD) {
      if (!Finite(e.start, e.end) || !std::isfinite(e.severity) || e.severity < 0 || e.severity > 1) {
        text = Format("Incident on %d->%d refused: values out of range.", e.from_node, e.to_node);
        return REFUSED;
      }
      std::lock_guard<std::mutex> lock(m_mutex);
      m_events.incidents.push_back(e);
      text = Format("Incident added on %d->%d, minutes %.1f to %.1f, severity %.2f%s.", e.from_node,
                    e.to_node, static_cast<double>(e.start), static_cast<double>(e.end),
                    static_cast<double>(e.severity), LinkNote(net, e.from_node, e.to_node).c_str());
      return APPLIED;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!RemoveMatching(m_events.incidents, e)) {
      text = Format("Incident remove on %d->%d: no such incident.", e.from_node, e.to_node);
      return NOT_FOUND;
    }
    text = Format("Incident removed from %d->%d.", e.from_node, e.to_node);
    return APPLIED;
  }
  case MSG_VMS_ADD:
  case MSG_VMS_REMOVE: {
    VMSMsgArg e;
    if (!DecodeVMS(m.arg, e)) {
      text = Format("VMS command %ld refused: %u bytes of payload, %u expected.", code, len,
                    static_cast<unsigned>(VMS_MSG_ARG_SIZE));
      return REFUSED;
    }
    if (code == MSG_VMS_ADD) {
      if (e.type < 1 || e.type > 4 || !Finite(e.start, e.end) ||
          ((e.type == 2 || e.type == 4) && (e.params[1] < 0 || e.params[1] > VMSMsgArg::MAX_PATH_NODES))) {
        text = Format("VMS on %d->%d refused: type %d or its values out of range.", e.from_node, e.to_node,
                      e.type);
        return REFUSED;
      }
      std::lock_guard<std::mutex> lock(m_mutex);
      const bool known = std::find(m_events.vms.begin(), m_events.vms.end(), e) != m_events.vms.end();
      if (!known)
        m_events.vms.push_back(e);
      text = Format("VMS type %d %s on %d->%d, minutes %.1f to %.1f, %d detour nodes%s.", e.type,
                    known ? "already held" : "added", e.from_node, e.to_node, static_cast<double>(e.start),
                    static_cast<double>(e.end), VMSDetourNodeCount(e),
                    LinkNote(net, e.from_node, e.to_node).c_str());
      return APPLIED;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!RemoveMatching(m_events.vms, e)) {
      text = Format("VMS remove on %d->%d: no such VMS.", e.from_node, e.to_node);
      return NOT_FOUND;
    }
    text = Format("VMS removed from %d->%d.", e.from_node, e.to_node);
    return APPLIED;
  }
  case MSG_WORKZONE_ADD:
  case MSG_WORKZONE_REMOVE: {
    WorkZoneMsgArg e;
    if (!UnpackCommandArg(m.arg, e)) {
      text = Format("Work zone command %ld refused: %u bytes of payload, %u expected.", code, len,
                    static_cast<unsigned>(WORKZONE_MSG_ARG_SIZE));
      return REFUSED;
    }
    if (code == MSG_WORKZONE_ADD) {
      if (!Finite(e.start, e.end) || !std::isfinite(e.capacity_reduction) || e.capacity_reduction < 0 ||
          e.capacity_reduction > 1 || e.speed_limit < 0 || e.discharge_rate < 0) {
        text = Format("Work zone on %d->%d refused: values out of range.", e.from_node, e.to_node);
        return REFUSED;
      }
      std::lock_guard<std::mutex> lock(m_mutex);
      m_events.workzones.push_back(e);
      text =
          Format("Work zone added on %d->%d, minutes %.1f to %.1f, capacity -%.0f%%, %d mph, %d veh/h/ln%s.",
                 e.from_node, e.to_node, static_cast<double>(e.start), static_cast<double>(e.end),
                 static_cast<double>(e.capacity_reduction) * 100.0, e.speed_limit, e.discharge_rate,
                 LinkNote(net, e.from_node, e.to_node).c_str());
      return APPLIED;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!RemoveMatching(m_events.workzones, e)) {
      text = Format("Work zone remove on %d->%d: no such work zone.", e.from_node, e.to_node);
      return NOT_FOUND;
    }
    text = Format("Work zone removed from %d->%d.", e.from_node, e.to_node);
    return APPLIED;
  }
  default: text.clear(); return NOT_A_COMMAND;
  }
}

EventSet CommandState::Snapshot() const
{
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_events;
}

}  // namespace vlq::mod
