// The processes this console has started and not yet seen end: the
// launcher (CProcessMgr) adds each one, the close-down reads them. One
// record for the whole program, since the launcher is made per command.
//
//   CLaunchedProcesses::Instance().Add(pid, false);
//   std::set<pid_t> ours = CLaunchedProcesses::Instance().Running();
//
// Every started process leads a process group of its own, whose id is its
// process id. The record reaps the children that end: an id stays in it
// exactly as long as the kernel keeps it for that child, so it never
// names a later process that reuses the id. Safe to use from any thread.
#pragma once

#include <map>
#include <mutex>
#include <set>
#include <sys/types.h>

class CLaunchedProcesses
{
public:
  static CLaunchedProcesses& Instance();

  // A child just started. waited: its starter waits for it (and reaps it
  // itself, then calls Remove); otherwise Running() reaps it once it ends.
  void Add(pid_t id, bool waited);
  void Remove(pid_t id);
  // Reaps the children that ended (except those a starter waits for) and
  // returns the ids of the others.
  std::set<pid_t> Running();

private:
  std::mutex m_mutex;
  std::map<pid_t, bool> m_children;  // id -> its starter waits for it
};
