#include "LaunchedProcesses.h"

#include <cerrno>
#include <sys/wait.h>

CLaunchedProcesses& CLaunchedProcesses::Instance()
{
  static CLaunchedProcesses record;
  return record;
}

void CLaunchedProcesses::Add(pid_t id, bool waited)
{
  std::lock_guard<std::mutex> lock(m_mutex);
  m_children[id] = waited;
}

void CLaunchedProcesses::Remove(pid_t id)
{
  std::lock_guard<std::mutex> lock(m_mutex);
  m_children.erase(id);
}

std::set<pid_t> CLaunchedProcesses::Running()
{
  std::lock_guard<std::mutex> lock(m_mutex);
  std::set<pid_t> running;
  for (auto it = m_children.begin(); it != m_children.end();) {
    if (!it->second) {
      int status = 0;
      const pid_t r = ::waitpid(it->first, &status, WNOHANG);
      if (r == it->first || (r < 0 && errno == ECHILD)) {
        it = m_children.erase(it);
        continue;
      }
    }
    running.insert(it->first);
    ++it;
  }
  return running;
}
