// The operator's commands as a module receives them (codes 42 to 47, with
// the console's packed payloads) and the set of incidents, work zones and
// VMS they build up.
#pragma once

#include <QELM.hh>

#include <mutex>
#include <string>

#include "ModTraffic.h"

namespace vlq::mod {

// A VMS payload of exactly its size (428 bytes), as a module keeps it: the
// path holds the counted detour nodes and zeros after them (whatever the
// sender left there is dropped), so that equal signs compare equal. False,
// nothing decoded, for any other length. Incidents and work zones are kept
// as UnpackCommandArg reads them.
bool DecodeVMS(const QELM::OctetSeq& arg, VMSMsgArg& out);

// The events in force for one module, shared by its ORB threads.
class CommandState
{
public:
  enum Result {
    NOT_A_COMMAND,  // any code but 42 to 47: ignored
    APPLIED,
    REFUSED,    // a payload of the wrong size or with values out of range
    NOT_FOUND,  // a remove that matches nothing held
  };

  // Applies one message. `text` says what was done, for the log.
  Result Apply(const QELM::MSG& m, const ModNetwork* net, std::string& text);

  EventSet Snapshot() const;

private:
  mutable std::mutex m_mutex;
  EventSet m_events;
};

}  // namespace vlq::mod
