// The operator's command messages (codes 42 to 47) as Management sees them:
// their payload sizes, their decoded fields and one readable line each.
// Also the names of every message code, for log lines and the demo client.
#pragma once

#include "qelm_command_args.h"

#include <QELM.hh>

#include <cstdint>
#include <string>

// "MSG_NOWSIM_ENDED" and so on; "unknown" for a code the system does not use.
const char* MessageCodeName(long code);

// Payload size of a command code; 0 for a code that is no command.
unsigned CommandPayloadSize(long code);

// For a command message: true and the readable line of its fields, or false
// and the reason it is refused (a payload of the wrong size). For any other
// code: false and an empty text.
bool DescribeCommand(const QELM::MSG& m, std::string& text);
