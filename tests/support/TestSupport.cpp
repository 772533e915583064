#include "TestSupport.h"

#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <sstream>
#include <stdexcept>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "PathSearch.h"

extern char** environ;

// ---------------------------------------------------------------- TempDir

TempDir::TempDir(const std::string& prefix)
{
  const char* base = std::getenv("TMPDIR");
  std::string templ = std::string(base && *base ? base : "/tmp") + "/" + prefix + "-XXXXXX";
  std::vector<char> buf(templ.begin(), templ.end());
  buf.push_back('\0');
  if (!mkdtemp(buf.data()))
    throw std::runtime_error("TempDir: mkdtemp failed for " + templ);
  m_path = buf.data();
}

TempDir::~TempDir()
{
  std::error_code ec;
  std::filesystem::remove_all(m_path, ec);
}

std::string TempDir::file(const std::string& name) const
{
  return m_path + "/" + name;
}

// ------------------------------------------------------------ small helpers

int FreeLoopbackPort()
{
  const int s = socket(AF_INET, SOCK_STREAM, 0);
  if (s < 0)
    return -1;
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = 0;
  int port = -1;
  if (bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) {
    socklen_t len = sizeof addr;
    if (getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len) == 0)
      port = ntohs(addr.sin_port);
  }
  close(s);
  return port;
}

std::string ReadFile(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  if (!in)
    return "";
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

bool WriteFile(const std::string& path, const std::string& text)
{
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out)
    return false;
  out << text;
  return static_cast<bool>(out.flush());
}

bool WaitUntil(const std::function<bool()>& pred, std::chrono::milliseconds timeout)
{
  const auto end = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (pred())
      return true;
    if (std::chrono::steady_clock::now() >= end)
      return pred();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

std::string WaitForFile(const std::string& path, std::chrono::milliseconds timeout)
{
  std::string text;
  WaitUntil(
      [&] {
        text = ReadFile(path);
        return !text.empty();
      },
      timeout);
  return text;
}

bool LoopbackPortAnswers(int port)
{
  const int s = socket(AF_INET, SOCK_STREAM, 0);
  if (s < 0)
    return false;
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = htons(static_cast<uint16_t>(port));
  const bool ok = connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
  close(s);
  return ok;
}

std::string MissingSystemProgram(const std::string& buildRoot)
{
  for (const char* program :
       {"tallyhouse/Tallyhouse", "standins/management/Management", "standins/modules/NOWSIM"})
    if (!std::filesystem::exists(buildRoot + "/" + program))
      return program;
  return "";
}

namespace {

// program itself when it holds a "/", else its place in PATH.
std::string FindInPath(const std::string& program)
{
  if (program.find('/') != std::string::npos)
    return program;
  const char* path = std::getenv("PATH");
  return FindInPathList(program, path ? path : "/usr/local/bin:/usr/bin:/bin");
}

}  // namespace

// ----------------------------------------------------------- ChildProcess

ChildProcess::~ChildProcess()
{
  Terminate();
}

bool ChildProcess::Start(const std::string& program, const std::vector<std::string>& args,
                         const Options& options)
{
  if (m_pid > 0 && !m_reaped)
    return false;
  const std::string exe = FindInPath(program);
  if (exe.empty() || access(exe.c_str(), X_OK) != 0)
    return false;

  // Everything the child needs is built before fork: after it, the child
  // only makes system calls.
  std::vector<std::string> argv_s;
  argv_s.push_back(program);
  argv_s.insert(argv_s.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : argv_s)
    argv.push_back(a.data());
  argv.push_back(nullptr);

  std::vector<std::string> env_s;
  for (char** e = environ; e && *e; ++e) {
    const std::string entry = *e;
    const std::string key = entry.substr(0, entry.find('='));
    bool replaced = false;
    for (const auto& add : options.env)
      if (add.substr(0, add.find('=')) == key)
        replaced = true;
    if (!replaced)
      env_s.push_back(entry);
  }
  env_s.insert(env_s.end(), options.env.begin(), options.env.end());
  std::vector<char*> envp;
  for (auto& e : env_s)
    envp.push_back(e.data());
  envp.push_back(nullptr);

  const char* wd = options.working_dir.empty() ? nullptr : options.working_dir.c_str();
  const char* out = options.stdout_file.empty() ? nullptr : options.stdout_file.c_str();
  const char* err = options.stderr_file.empty() ? nullptr : options.stderr_file.c_str();
  const bool same = out && err && options.stdout_file == options.stderr_file;
  const bool kill_with_parent = options.kill_with_parent;
  const pid_t parent = getpid();

  const pid_t pid = fork();
  if (pid < 0)
    return false;
  if (pid == 0) {
    if (kill_with_parent) {
      prctl(PR_SET_PDEATHSIG, SIGKILL);
      if (getppid() != parent)
        _exit(127);
    }
    if (wd && chdir(wd) != 0)
      _exit(127);
    if (out) {
      const int fd = open(out, O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (fd < 0)
        _exit(127);
      dup2(fd, 1);
      if (same)
        dup2(fd, 2);
      close(fd);
    }
    if (err && !same) {
      const int fd = open(err, O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (fd < 0)
        _exit(127);
      dup2(fd, 2);
      close(fd);
    }
    execve(exe.c_str(), argv.data(), envp.data());
    _exit(127);
  }
  m_pid = pid;
  m_reaped = false;
  m_status = 0;
  return true;
}

bool ChildProcess::TryReap(bool block)
{
  if (m_pid <= 0 || m_reaped)
    return m_reaped;
  int status = 0;
  pid_t r;
  do {
    r = waitpid(m_pid, &status, block ? 0 : WNOHANG);
  } while (r < 0 && errno == EINTR);
  if (r == m_pid) {
    m_reaped = true;
    m_status = status;
  } else if (r < 0) {
    // Not our child any more (reaped elsewhere): treat as ended.
    m_reaped = true;
    m_status = 0;
  }
  return m_reaped;
}

bool ChildProcess::Running()
{
  return m_pid > 0 && !TryReap(false);
}

bool ChildProcess::Wait(std::chrono::milliseconds timeout)
{
  if (m_pid <= 0)
    return true;
  return WaitUntil([this] { return TryReap(false); }, timeout);
}

void ChildProcess::Signal(int sig)
{
  if (Running())
    kill(m_pid, sig);
}

void ChildProcess::Terminate(std::chrono::milliseconds grace)
{
  if (!Running())
    return;
  kill(m_pid, SIGTERM);
  if (!Wait(grace)) {
    kill(m_pid, SIGKILL);
    TryReap(true);
  }
}

int ChildProcess::ExitCode() const
{
  if (WIFEXITED(m_status))
    return WEXITSTATUS(m_status);
  if (WIFSIGNALED(m_status))
    return -WTERMSIG(m_status);
  return -1;
}

// --------------------------------------------------- NamingServiceFixture

NamingServiceFixture::NamingServiceFixture()
{
  for (int attempt = 0; attempt < 5; ++attempt) {
    const int port = FreeLoopbackPort();
    if (port > 0 && TryStart(port))
      return;
  }
  throw std::runtime_error("NamingServiceFixture: omniNames did not start; see " +
                           m_dir.file("omninames.out"));
}

NamingServiceFixture::~NamingServiceFixture()
{
  Stop();
}

bool NamingServiceFixture::TryStart(int port)
{
  const char* override_exe = std::getenv("VLQ_OMNINAMES");
  const std::string exe = override_exe && *override_exe ? override_exe : "omniNames";
  const std::string data = m_dir.file("data");
  mkdir(data.c_str(), 0755);
  const std::string p = std::to_string(port);
  ChildProcess::Options opt;
  opt.stdout_file = m_dir.file("omninames.out");
  opt.stderr_file = opt.stdout_file;
  opt.working_dir = m_dir.path();
  if (!m_process.Start(
          exe, {"-start", p, "-always", "-datadir", data, "-ORBendPoint", "giop:tcp:127.0.0.1:" + p}, opt))
    return false;
  // It answers once it has written its root context and listens.
  const bool up = WaitUntil(
      [&] {
        if (!m_process.Running())
          return true;
        return ReadFile(opt.stdout_file).find("Root context is") != std::string::npos &&
               LoopbackPortAnswers(port);
      },
      std::chrono::seconds(20));
  if (up && m_process.Running()) {
    m_port = port;
    return true;
  }
  m_process.Terminate();
  return false;
}

void NamingServiceFixture::Stop()
{
  m_process.Terminate();
}

std::string NamingServiceFixture::host_port() const
{
  return "127.0.0.1:" + std::to_string(m_port);
}

std::string NamingServiceFixture::corbaloc() const
{
  return "corbaloc::" + host_port() + "/NameService";
}

std::string NamingServiceFixture::init_ref() const
{
  return "NameService=" + corbaloc();
}

std::vector<std::string> NamingServiceFixture::orb_args() const
{
  return {"-ORBInitRef", init_ref()};
}

std::vector<std::string> NamingServiceFixture::system_orb_args() const
{
  return {"-ORBInitRef", "NameService=iiop://" + host_port() + "/NameService", "-ORBDottedDecimalAddresses",
          "1"};
}

std::string WirePeerPath()
{
#ifdef VLQ_WIRE_PEER_PATH
  return VLQ_WIRE_PEER_PATH;
#else
  return "vlq_wire_peer";
#endif
}
