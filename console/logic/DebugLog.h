// Progress lines of the running system: each goes to debug.log in the
// working directory ("\n" then the line, so the file begins with an empty
// line and its last line has no line break after it; the file is opened and
// closed within each call) and, when asked, to the control panel's message
// list. Callable from any thread: calls are serialised, and the panel line
// goes through the panel sink, which the window side makes reach the GUI
// thread.
//
//   SetDebugLogPanel([](const std::string& line) { PostToGui([=] { panel->AddMessage(line); }); });
//   DebugLog("NOWSIM cycle ended", 1);
#pragma once

#include <functional>
#include <string>

constexpr const char* kDebugLogFile = "debug.log";

// Installs the sink of the lines meant for the control panel (empty: none).
void SetDebugLogPanel(std::function<void(const std::string&)> sink);

// Appends the line to debug.log and, when toPanel is 1, hands it to the
// panel sink first. A file that cannot be opened drops the line silently.
void DebugLog(const std::string& text, int toPanel);

// Empties debug.log (Setup CORBA and Start). False when it cannot be written.
bool EmptyDebugLog();
