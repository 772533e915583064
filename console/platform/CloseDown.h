// Close-down of the distributed system: ends the module processes, the
// record store, Management and the naming service by image name, the way
// Close Components and the end of the console do.
//
//   // On a worker thread (it takes up to about three seconds):
//   CloseDownReport r = CloseComponents(CloseDownScope::ForThisConsole());
//
// Close-down never touches another user's or another run's processes. It
// ends a process only when its image name is on the kill list (or is the
// name asked for) and it belongs to this user and either this console
// started it (or a process this console started did) or it works inside
// the console's run directory. Those get SIGTERM first and SIGKILL when
// they are still there after a short grace.
//
// The choice is SelectProcessesToEnd, a plain function over the process
// list; EndProcesses sends the signals.
#pragma once

#include <chrono>
#include <set>
#include <string>
#include <sys/types.h>
#include <vector>

#include "CProcessList.h"

// "FORESIM.EXE", "NOWSIM.EXE", "NEARVET.EXE", "FARVET.EXE",
// "Management.EXE", "Tallyhouse.EXE", "ODE.EXE", "ODP.EXE", "NAMEDIR.EXE",
// in the order in which they are ended.
const std::vector<std::string>& KillList();

// Time that close-down gives the processes to end after SIGTERM.
constexpr std::chrono::milliseconds kCloseDownGrace{2000};

// Whose processes a close-down may end.
struct CloseDownScope
{
  uid_t uid = static_cast<uid_t>(-1);  // only this user's
  std::string runDir;                  // absolute; "" = none
  std::set<pid_t> launched;            // started by this console (and their groups)
  pid_t self = 0;                      // never ended

  // This user, this process, the processes the launcher started that still
  // run, and runDir made absolute ("" = the current directory).
  static CloseDownScope ForThisConsole(const std::string& runDir = "");
};

// The processes to end, in the order of names and, per name, of the list:
// those whose image name matches one of names (CProcess::Matches), that
// have not ended, are not scope.self, belong to scope.uid, and either are
// in scope.launched, lead or sit in a group in it, descend from a process
// in it, or have their working directory at or below scope.runDir. Each
// process at most once.
std::vector<CProcess> SelectProcessesToEnd(const std::vector<CProcess>& processes,
                                           const std::vector<std::string>& names,
                                           const CloseDownScope& scope);

struct CloseDownReport
{
  std::vector<pid_t> terminated;  // ended after SIGTERM (or had ended before)
  std::vector<pid_t> killed;      // still there after the grace: sent SIGKILL
  std::vector<pid_t> remaining;   // could not be signalled, or still there after SIGKILL
};

// Sends SIGTERM to each process (only while its id still names the same
// process: same start time), waits up to grace for them to end, polling,
// then sends SIGKILL to the others and waits up to one more second. Reaps
// the console's own children on the way. Safe on any thread.
CloseDownReport EndProcesses(const std::vector<CProcess>& processes,
                             std::chrono::milliseconds grace = kCloseDownGrace);

// Ends the processes of one image name in scope.
CloseDownReport KillProcessByName(const std::string& name, const CloseDownScope& scope,
                                  std::chrono::milliseconds grace = kCloseDownGrace);

// Ends the processes of the whole kill list in scope: one SIGTERM round in
// list order, one grace, one SIGKILL round. Running it again ends nothing
// more, harmlessly.
CloseDownReport CloseComponents(const CloseDownScope& scope,
                                std::chrono::milliseconds grace = kCloseDownGrace);
