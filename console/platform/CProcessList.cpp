#include "CProcessList.h"

#include "AsciiCase.h"
#include "FileText.h"

#include <algorithm>
#include <cstdlib>
#include <dirent.h>
#include <sstream>
#include <unistd.h>

namespace {

// Longest task name the kernel keeps (16 bytes with the terminator).
constexpr std::size_t kTaskNameMax = 15;

// name without a final ".exe" in any case.
std::string Stem(const std::string& name)
{
  return name.size() > 4 && EndsWithIgnoringCase(name, ".exe") ? name.substr(0, name.size() - 4) : name;
}

// Target of a link, or "" when it cannot be read.
std::string ReadLink(const std::string& path)
{
  std::string buf(4096, '\0');
  const ssize_t n = ::readlink(path.c_str(), buf.data(), buf.size());
  if (n <= 0 || static_cast<std::size_t>(n) >= buf.size())
    return "";
  buf.resize(static_cast<std::size_t>(n));
  return buf;
}

// Parses "pid (task) state ppid pgrp ... starttime ...": the task name
// may hold blanks and ")", so it ends at the last ")".
bool ParseStat(const std::string& stat, CProcess& p)
{
  const std::size_t open = stat.find('(');
  const std::size_t close = stat.rfind(')');
  if (open == std::string::npos || close == std::string::npos || close < open)
    return false;
  p.task = stat.substr(open + 1, close - open - 1);
  std::istringstream rest(stat.substr(close + 1));
  std::string state;
  long long ppid = 0, pgrp = 0;
  if (!(rest >> state >> ppid >> pgrp))
    return false;
  // Fields 6 to 21, then the start time (field 22).
  std::string skip;
  for (int i = 6; i <= 21; ++i)
    if (!(rest >> skip))
      return false;
  if (!(rest >> p.startTime))
    return false;
  p.zombie = state == "Z" || state == "X";
  p.parent = static_cast<pid_t>(ppid);
  p.group = static_cast<pid_t>(pgrp);
  return true;
}

// Real user id from the "Uid:" line of the status file.
uid_t ParseUid(const std::string& status)
{
  std::istringstream in(status);
  std::string line;
  while (std::getline(in, line)) {
    if (line.compare(0, 4, "Uid:") == 0) {
      char* end = nullptr;
      const unsigned long uid = std::strtoul(line.c_str() + 4, &end, 10);
      if (end != line.c_str() + 4)
        return static_cast<uid_t>(uid);
    }
  }
  return static_cast<uid_t>(-1);
}

}  // namespace

bool ImageNameMatches(const std::string& image, const std::string& name)
{
  return !image.empty() && EqualsIgnoringCase(Stem(image), Stem(name));
}

bool CProcess::Matches(const std::string& wanted) const
{
  if (ImageNameMatches(name, wanted))
    return true;
  if (task.empty())
    return false;
  const std::string stem = Stem(wanted);
  if (stem.size() > kTaskNameMax && task.size() == kTaskNameMax)
    return EqualsIgnoringCase(task, stem.substr(0, kTaskNameMax));
  return ImageNameMatches(task, wanted);
}

bool ReadProcess(const std::string& procRoot, pid_t pid, CProcess& p)
{
  const std::string dir = procRoot + "/" + std::to_string(pid);
  std::string text;
  p = CProcess();
  p.id = pid;
  if (!ReadFileText(dir + "/stat", text) || !ParseStat(text, p))
    return false;
  if (ReadFileText(dir + "/status", text))
    p.uid = ParseUid(text);
  p.cwd = ReadLink(dir + "/cwd");

  std::string exe = ReadLink(dir + "/exe");
  // A program replaced on disk while it runs reads "<path> (deleted)".
  static const std::string kDeleted = " (deleted)";
  if (exe.size() > kDeleted.size() &&
      exe.compare(exe.size() - kDeleted.size(), kDeleted.size(), kDeleted) == 0)
    exe.resize(exe.size() - kDeleted.size());
  const std::size_t slash = exe.rfind('/');
  p.name = slash == std::string::npos ? exe : exe.substr(slash + 1);
  if (p.name.empty())
    p.name = p.task;
  return true;
}

CProcessList::CProcessList(std::string procRoot) : m_procRoot(std::move(procRoot)) {}

bool CProcessList::Refresh()
{
  m_entries.clear();
  m_cursor = 0;
  DIR* d = ::opendir(m_procRoot.c_str());
  if (!d)
    return false;
  std::vector<pid_t> ids;
  while (const dirent* e = ::readdir(d)) {
    char* end = nullptr;
    const long id = std::strtol(e->d_name, &end, 10);
    if (e->d_name[0] >= '1' && e->d_name[0] <= '9' && *end == '\0' && id > 0 && id <= 0x7fffffff)
      ids.push_back(static_cast<pid_t>(id));
  }
  ::closedir(d);
  std::sort(ids.begin(), ids.end());
  for (pid_t id : ids) {
    CProcess p;
    if (ReadProcess(m_procRoot, id, p))  // a process may end while the list is read
      m_entries.push_back(std::move(p));
  }
  return true;
}

const CProcess* CProcessList::GetNext()
{
  return m_cursor < m_entries.size() ? &m_entries[m_cursor++] : nullptr;
}
