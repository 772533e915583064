// Test helpers shared by every area's tests (library vlq_testsupport).
//
//   TempDir              RAII temporary directory, removed with its contents.
//   FreeLoopbackPort()   a TCP port that is free on 127.0.0.1 right now.
//   LoopbackPortAnswers() whether a server accepts connections on it.
//   MissingSystemProgram() a program of the system not built yet.
//   ChildProcess         fork/exec of a program with arguments, extra
//                        environment, working directory and captured output;
//                        wait with a time-out; stop by PID.
//   NamingServiceFixture a real omniNames on a free loopback port in a fresh
//                        temporary directory, stopped by PID when destroyed.
//   WirePeerPath()       path of the test peer program vlq_wire_peer (test
//                        servants of the QELM interfaces in a process of
//                        their own; see tests/support/peer/).
//   ReadFile(), WaitForFile(), WaitUntil()
//                        small polling helpers (no timing assertions: the
//                        time-outs only keep a broken test from hanging).
//
// Nothing here kills processes by name: every process is stopped through
// the PID that started it.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

// A fresh directory under $TMPDIR (or /tmp), made with mkdtemp. The
// destructor removes it and everything in it.
class TempDir
{
public:
  explicit TempDir(const std::string& prefix = "vlq");
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return m_path; }
  // path() + "/" + name
  std::string file(const std::string& name) const;

private:
  std::string m_path;
};

// A TCP port on 127.0.0.1 that the kernel has just handed out (bound to
// port 0 and released). Another process may take it before it is used;
// callers that start a server on it retry with a new port on failure.
int FreeLoopbackPort();
// True when a server accepts a TCP connection on 127.0.0.1 at the port.
bool LoopbackPortAnswers(int port);

// The first of the record store, Management and a module stand-in that is
// not built under the build tree (its path below it), or "" when all are:
// the tests of the whole system skip without them.
std::string MissingSystemProgram(const std::string& buildRoot);

// Whole contents of a file, or "" when it cannot be read.
std::string ReadFile(const std::string& path);
// Writes (truncates) a file; false on failure.
bool WriteFile(const std::string& path, const std::string& text);

// Polls pred every 10 ms until it is true or the time-out has passed.
// Returns pred's last value.
bool WaitUntil(const std::function<bool()>& pred,
               std::chrono::milliseconds timeout = std::chrono::seconds(20));

// Waits until the file exists and is non-empty; returns its contents or ""
// after the time-out.
std::string WaitForFile(const std::string& path,
                        std::chrono::milliseconds timeout = std::chrono::seconds(20));

// One child process started with fork/exec.
class ChildProcess
{
public:
  struct Options
  {
    // "NAME=value" entries added to (or replacing in) the parent's
    // environment.
    std::vector<std::string> env;
    // Working directory of the child; "" = the parent's.
    std::string working_dir;
    // Files receiving the child's standard output / error ("" = inherited).
    // When both name the same file, both streams go to it.
    std::string stdout_file;
    std::string stderr_file;
    // The child gets SIGKILL when the thread that started it ends, so that
    // a crashed test leaves no process behind. Start children from a thread
    // that outlives them (normally the test's main thread).
    bool kill_with_parent = true;
  };

  ChildProcess() = default;
  // Terminates the child (see Terminate) when it still runs.
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Starts program (a path, or a name looked up in PATH) with args (not
  // including argv[0], which is the program). False when the program is not
  // found or fork fails; a failing exec ends the child with exit code 127.
  bool Start(const std::string& program, const std::vector<std::string>& args, const Options& options);
  bool Start(const std::string& program, const std::vector<std::string>& args)
  {
    return Start(program, args, Options());
  }

  pid_t pid() const { return m_pid; }
  // True while the child has been started and not yet reaped.
  bool Running();
  // Waits until the child ends or the time-out passes; true when it ended.
  bool Wait(std::chrono::milliseconds timeout);
  // SIGTERM, then SIGKILL after the grace period, then reaps the child.
  // Nothing when it is not running.
  void Terminate(std::chrono::milliseconds grace = std::chrono::seconds(3));
  // Sends a signal to the child's PID (when it runs).
  void Signal(int sig);

  // After the child has ended: its exit code, or -N when killed by signal
  // N. Meaningless before.
  int ExitCode() const;
  bool Exited() const { return m_reaped; }

private:
  bool TryReap(bool block);

  pid_t m_pid = -1;
  bool m_reaped = false;
  int m_status = 0;
};

// A real omniNames for the test, listening on 127.0.0.1 only, on a free
// port, with its data files in a fresh temporary directory. The constructor
// returns once the naming service answers, and throws std::runtime_error
// when it cannot be started. The destructor stops it by PID (SIGTERM, then
// SIGKILL after a grace period, waitpid) and removes the directory.
//
// The omniNames program is looked up in PATH, or taken from the environment
// variable VLQ_OMNINAMES when that is set.
class NamingServiceFixture
{
public:
  NamingServiceFixture();
  ~NamingServiceFixture();
  NamingServiceFixture(const NamingServiceFixture&) = delete;
  NamingServiceFixture& operator=(const NamingServiceFixture&) = delete;

  int port() const { return m_port; }
  pid_t pid() const { return m_process.pid(); }
  // "127.0.0.1:NNNN", the form of QELM_NAME_SERVICE_HOST.
  std::string host_port() const;
  // "corbaloc::127.0.0.1:NNNN/NameService"
  std::string corbaloc() const;
  // "NameService=corbaloc::127.0.0.1:NNNN/NameService"
  std::string init_ref() const;
  // {"-ORBInitRef", init_ref()}: omniORB's own form.
  std::vector<std::string> orb_args() const;
  // The system's own four arguments for this naming service:
  // {"-ORBInitRef", "NameService=iiop://127.0.0.1:NNNN/NameService",
  //  "-ORBDottedDecimalAddresses", "1"}.
  std::vector<std::string> system_orb_args() const;
  // Directory holding omniNames's data files and its output
  // ("omninames.out").
  const std::string& dir() const { return m_dir.path(); }

  // Stops the naming service now (as the destructor does); idempotent.
  void Stop();

private:
  bool TryStart(int port);

  TempDir m_dir{"vlq-names"};
  ChildProcess m_process;
  int m_port = 0;
};

// Path of the vlq_wire_peer test program.
std::string WirePeerPath();
