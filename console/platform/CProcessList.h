// The processes running on this machine, read from /proc, and the rule by
// which a process's image name matches a name such as "NOWSIM.EXE".
//
//   CProcessList list;                 // or CProcessList("/some/fake/proc")
//   if (list.Refresh())
//     while (const CProcess* p = list.GetNext())
//       if (p->Matches("NOWSIM.EXE"))
//         ...p->id...
//
// The image name of a process is the file name of its program (the last
// part of /proc/PID/exe), or the kernel's task name (/proc/PID/stat) when
// the program cannot be read (another user's process, a kernel thread).
// The task name is the file name the program was started under: a program
// started through a link (the run directory's NAMEDIR, a link to the
// naming service's program) has the link's name there and its target's
// name as image name; Matches accepts either.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

// True when image and name are the same file name, compared without
// regard to case, each with or without a final ".EXE" (in any case).
bool ImageNameMatches(const std::string& image, const std::string& name);

// One process as /proc showed it when the list was refreshed.
struct CProcess
{
  pid_t id = 0;
  std::string name;                    // image name, see above
  std::string task;                    // the kernel's task name (at most 15 characters)
  uid_t uid = static_cast<uid_t>(-1);  // real user id; -1 when unreadable
  pid_t parent = 0;
  pid_t group = 0;  // process group
  // Working directory; "" when unreadable (another user's process).
  std::string cwd;
  // Start time in clock ticks after boot: with id, names this process and
  // no later one that reuses the id.
  unsigned long long startTime = 0;
  bool zombie = false;  // ended, not yet reaped by its parent

  // The image name or the task name matches name (ImageNameMatches; the
  // task name against name cut to the task name's 15 characters).
  bool Matches(const std::string& name) const;
};

// Reads one process from <procRoot>/<pid>; false when it has gone or its
// stat file cannot be read.
bool ReadProcess(const std::string& procRoot, pid_t pid, CProcess& out);

class CProcessList
{
public:
  explicit CProcessList(std::string procRoot = "/proc");

  // Reads every process again, in increasing id order, and puts the cursor
  // on the first. False when the process directory cannot be read (the
  // list is then empty).
  bool Refresh();
  // The next process, or null at the end.
  const CProcess* GetNext();
  const std::vector<CProcess>& Entries() const { return m_entries; }

private:
  std::string m_procRoot;
  std::vector<CProcess> m_entries;
  std::size_t m_cursor = 0;
};
