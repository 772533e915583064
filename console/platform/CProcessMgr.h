// Starts the naming service and the module batch files for the bring-up
// commands, and finds a running process by program name.
//
//   CProcessMgr mgr(&messageBoxSink);   // null: errors go to stderr
//   mgr.Execute("naming_service.bat", "", "", false, "Naming_Service");
//   int code = mgr.Execute("tool", "-x \"a b\"", "work", true, "Tool");
//
// A ".bat" file (any case) runs through /bin/sh, any other file is started
// as a program; both in their own process group, in dir (the current
// directory when dir is ""; a relative file is found there), with the
// console's environment, standard input from /dev/null and no other
// descriptor of the console. Output goes to "<title>.log" in that
// directory, appended (the file name's stem when title is ""), or, when
// xterm is installed and a display is set (DISPLAY or WAYLAND_DISPLAY),
// into an xterm window with that title (xterm's own messages then go to
// the log). Every started process is recorded in CLaunchedProcesses for
// close-down.
//
// Execute does not wait for the program to get ready (there is no such
// state to wait for): without wait it returns as soon as the process
// exists. A failure is reported to the sink as "<file>\r\n<text>" (the
// log's path in place of file when the log cannot be written) and Execute
// returns -1.
#pragma once

#include <string>
#include <vector>

class IMessageSink;

// The command line of a start: target, in double quotes when it holds a
// blank or a tab, then a blank and params when params is not empty.
std::string BuildCommandLine(const std::string& target, const std::string& params);

// Words of a command line: separated by blanks and tabs; double quotes
// group blanks into a word and are dropped ("a \"b c\"d" is a, b cd).
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

// What posix_spawn runs for a start: program path and argument vector.
struct SpawnCommand
{
  std::string path;
  std::vector<std::string> argv;
};

// A ".bat" target runs as /bin/sh with the command line's words, any other
// target as itself with them. With terminal set (the path of xterm) the
// command runs inside "<terminal> -T <title> -e ...".
SpawnCommand BuildSpawnCommand(const std::string& target, const std::string& params, const std::string& title,
                               const std::string& terminal);

// The path of xterm when it is installed and display or wayland is a
// non-empty display name, else "". FindTerminal() asks the environment.
std::string FindTerminal(const char* display, const char* wayland, const char* pathVariable);
std::string FindTerminal();

class CProcessMgr
{
public:
  explicit CProcessMgr(IMessageSink* errors = nullptr) : m_errors(errors) {}

  // Starts file (see above). Returns the process id; with wait, the exit
  // code once it ended (128 + N when signal N ended it); -1 on failure.
  int Execute(const std::string& file, const std::string& params, const std::string& dir, bool wait,
              const std::string& title);

  // Shows "<file>\r\n<the system's text for error code>" ("Unknown error."
  // for an unknown code) through the sink.
  void ReportError(int code, const std::string& file);

  // Id of the first running process whose image name matches the file
  // name part of executable, or 0.
  static int FindProcess(const std::string& executable);

private:
  IMessageSink* m_errors;
};
