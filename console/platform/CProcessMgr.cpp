#include "CProcessMgr.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "AsciiCase.h"
#include "CProcessList.h"
#include "CProject.h"
#include "LaunchedProcesses.h"
#include "PathSearch.h"

extern char** environ;

namespace {

bool IsBatchFile(const std::string& file)
{
  return EndsWithIgnoringCase(file, ".bat");
}

// The file name part of a path, with "/" or "\" as separator.
std::string FileNamePart(const std::string& path)
{
  const std::size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// "<title>.log", the file's stem standing in for an empty title; a "/" in
// the title would name another directory and becomes "_".
std::string LogFileName(const std::string& file, const std::string& title)
{
  std::string name = title;
  if (name.empty()) {
    name = FileNamePart(file);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0)
      name.resize(dot);
  }
  for (char& c : name)
    if (c == '/')
      c = '_';
  return name + ".log";
}

// Owns the spawn attributes and file actions for one start.
struct SpawnSetup
{
  posix_spawnattr_t attr;
  posix_spawn_file_actions_t actions;
  SpawnSetup()
  {
    posix_spawnattr_init(&attr);
    posix_spawn_file_actions_init(&actions);
  }
  ~SpawnSetup()
  {
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
  }
  SpawnSetup(const SpawnSetup&) = delete;
  SpawnSetup& operator=(const SpawnSetup&) = delete;

  // 0 or the error code.
  int Prepare(const std::string& dir, int logFd)
  {
    // Own process group, no blocked signals, every signal at its default:
    // the console's threads may block or ignore signals that the program
    // must receive (SIGTERM at close-down).
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    sigdelset(&all, SIGKILL);
    sigdelset(&all, SIGSTOP);
    int r = posix_spawnattr_setflags(&attr,
                                     POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    if (r == 0)
      r = posix_spawnattr_setpgroup(&attr, 0);
    if (r == 0)
      r = posix_spawnattr_setsigmask(&attr, &none);
    if (r == 0)
      r = posix_spawnattr_setsigdefault(&attr, &all);
    if (r == 0 && !dir.empty())
      r = posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());
    if (r == 0)
      r = posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (r == 0)
      r = posix_spawn_file_actions_adddup2(&actions, logFd, 1);
    if (r == 0)
      r = posix_spawn_file_actions_adddup2(&actions, logFd, 2);
    if (r == 0)
      r = posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    return r;
  }
};

int ExitCodeOf(int status)
{
  if (WIFEXITED(status))
    return WEXITSTATUS(status);
  if (WIFSIGNALED(status))
    return 128 + WTERMSIG(status);
  return -1;
}

}  // namespace

std::string BuildCommandLine(const std::string& target, const std::string& params)
{
  std::string line = target.find_first_of(" \t") != std::string::npos ? "\"" + target + "\"" : target;
  if (!params.empty())
    line += " " + params;
  return line;
}

std::vector<std::string> SplitCommandLine(const std::string& commandLine)
{
  std::vector<std::string> words;
  std::string word;
  bool inWord = false, quoted = false;
  for (char c : commandLine) {
    if (c == '"') {
      quoted = !quoted;
      inWord = true;
    } else if ((c == ' ' || c == '\t') && !quoted) {
      if (inWord)
        words.push_back(word);
      word.clear();
      inWord = false;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (inWord)
    words.push_back(word);
  return words;
}

SpawnCommand BuildSpawnCommand(const std::string& target, const std::string& params, const std::string& title,
                               const std::string& terminal)
{
  SpawnCommand cmd;
  std::vector<std::string> words = SplitCommandLine(BuildCommandLine(target, params));
  if (IsBatchFile(target)) {
    cmd.path = "/bin/sh";
    words.insert(words.begin(), "sh");
  } else {
    cmd.path = target;
  }
  if (terminal.empty()) {
    cmd.argv = std::move(words);
    return cmd;
  }
  // xterm looks a program without "/" up in PATH: name it in the
  // working directory, as a direct start does.
  std::string program = cmd.path.find('/') == std::string::npos ? "./" + cmd.path : cmd.path;
  cmd.argv = {"xterm", "-T", title, "-e", program};
  cmd.argv.insert(cmd.argv.end(), words.begin() + 1, words.end());
  cmd.path = terminal;
  return cmd;
}

std::string FindTerminal(const char* display, const char* wayland, const char* pathVariable)
{
  const bool hasDisplay = (display && *display) || (wayland && *wayland);
  return hasDisplay ? FindInPathList("xterm", pathVariable) : "";
}

std::string FindTerminal()
{
  return FindTerminal(std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"), std::getenv("PATH"));
}

int CProcessMgr::Execute(const std::string& file, const std::string& params, const std::string& dir,
                         bool wait, const std::string& title)
{
  namespace fs = std::filesystem;
  std::error_code ec;
  if (file.empty()) {
    ReportError(ENOENT, file);
    return -1;
  }
  if (!dir.empty() && !fs::is_directory(dir, ec)) {
    ReportError(fs::exists(dir, ec) ? ENOTDIR : ENOENT, file);
    return -1;
  }
  const fs::path where = dir.empty() || fs::path(file).is_absolute() ? fs::path(file) : fs::path(dir) / file;
  if (!fs::exists(where, ec)) {
    ReportError(ENOENT, file);
    return -1;
  }
  if (IsBatchFile(file) && (fs::is_directory(where, ec) || ::access(where.c_str(), R_OK) != 0)) {
    ReportError(fs::is_directory(where, ec) ? EISDIR : EACCES, file);
    return -1;
  }

  // The log is opened here, so that a log that cannot be written is
  // reported as such.
  const fs::path log =
      dir.empty() ? fs::path(LogFileName(file, title)) : fs::path(dir) / LogFileName(file, title);
  const int logFd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (logFd < 0) {
    const int error = errno;
    ReportError(error, log.string());
    return -1;
  }
  // A waited start runs without a terminal window: its exit code is then
  // the program's, not the terminal's.
  const SpawnCommand cmd =
      BuildSpawnCommand(file, params, title.empty() ? FileNamePart(file) : title, wait ? "" : FindTerminal());
  std::vector<char*> argv;
  for (const std::string& a : cmd.argv)
    argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);

  SpawnSetup setup;
  int r = setup.Prepare(dir, logFd);
  pid_t pid = -1;
  if (r == 0)
    r = ::posix_spawn(&pid, cmd.path.c_str(), &setup.actions, &setup.attr, argv.data(), environ);
  ::close(logFd);
  if (r != 0) {
    ReportError(r, file);
    return -1;
  }
  CLaunchedProcesses::Instance().Add(pid, wait);
  if (!wait)
    return pid;

  int status = 0;
  pid_t w;
  do
    w = ::waitpid(pid, &status, 0);
  while (w < 0 && errno == EINTR);
  CLaunchedProcesses::Instance().Remove(pid);
  return w == pid ? ExitCodeOf(status) : -1;
}

void CProcessMgr::ReportError(int code, const std::string& file)
{
  const char* text = ::strerrordesc_np(code);
  const std::string message = file + "\r\n" + (text ? text : "Unknown error.");
  if (m_errors)
    m_errors->ShowMessage(message);
  else
    std::fprintf(stderr, "%s\n", message.c_str());
}

int CProcessMgr::FindProcess(const std::string& executable)
{
  const std::string name = FileNamePart(executable);
  CProcessList list;
  list.Refresh();
  while (const CProcess* p = list.GetNext())
    if (p->Matches(name))
      return p->id;
  return 0;
}
