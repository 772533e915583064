// The shared test helpers themselves: child processes, temporary
// directories and the naming-service fixture, which every area's tests rely
// on to leave no process or directory behind.
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <string>
#include <sys/types.h>
#include <unistd.h>

TEST(TestSupport, TempDirIsRemovedWithItsContents)
{
  std::string path;
  {
    TempDir dir("vlq-support");
    path = dir.path();
    ASSERT_TRUE(std::filesystem::is_directory(path));
    ASSERT_TRUE(WriteFile(dir.file("a.txt"), "x"));
    std::filesystem::create_directory(dir.file("sub"));
    ASSERT_TRUE(WriteFile(dir.file("sub/b.txt"), "y"));
    EXPECT_EQ(ReadFile(dir.file("a.txt")), "x");
    TempDir other("vlq-support");
    EXPECT_NE(other.path(), path);
  }
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(TestSupport, ChildProcessArgumentsEnvironmentDirectoryAndExitCode)
{
  TempDir dir;
  ChildProcess child;
  ChildProcess::Options opt;
  opt.env = {"VLQ_SUPPORT_TEST=some value", "HOME=/nowhere"};
  opt.working_dir = dir.path();
  opt.stdout_file = dir.file("out.txt");
  ASSERT_TRUE(child.Start("/bin/sh",
                          {"-c", "echo \"$VLQ_SUPPORT_TEST|$HOME|$1\"; pwd; exit 3", "sh", "arg one"}, opt));
  EXPECT_GT(child.pid(), 0);
  ASSERT_TRUE(child.Wait(std::chrono::seconds(20)));
  EXPECT_TRUE(child.Exited());
  EXPECT_EQ(child.ExitCode(), 3);
  const std::string real_dir = std::filesystem::canonical(dir.path()).string();
  EXPECT_EQ(ReadFile(opt.stdout_file), "some value|/nowhere|arg one\n" + real_dir + "\n");
}

TEST(TestSupport, ChildProcessStdoutAndStderrToOneFile)
{
  TempDir dir;
  ChildProcess child;
  ChildProcess::Options opt;
  opt.stdout_file = dir.file("both.txt");
  opt.stderr_file = opt.stdout_file;
  ASSERT_TRUE(child.Start("sh", {"-c", "echo out; echo err >&2"}, opt));
  ASSERT_TRUE(child.Wait(std::chrono::seconds(20)));
  EXPECT_EQ(ReadFile(opt.stdout_file), "out\nerr\n");
}

TEST(TestSupport, ChildProcessTerminateByPid)
{
  struct Case
  {
    const char* what;
    const char* script;
    int code;
    std::chrono::milliseconds grace;
  };
  // The child that ends on SIGTERM gets a grace period no loaded machine
  // can run out of; it ends long before.
  const Case cases[] = {
      {"ends on SIGTERM", "exec sleep 100", -SIGTERM, std::chrono::seconds(20)},
      {"ignores SIGTERM, gets SIGKILL", "trap '' TERM; exec sleep 100", -SIGKILL,
       std::chrono::milliseconds(300)},
  };
  for (const auto& c : cases) {
    ChildProcess child;
    ASSERT_TRUE(child.Start("/bin/sh", {"-c", c.script}));
    const pid_t pid = child.pid();
    EXPECT_TRUE(child.Running());
    // Let the shell reach its exec (and its trap) before the signal.
    WaitUntil([&] { return ReadFile("/proc/" + std::to_string(pid) + "/comm") == "sleep\n"; });
    child.Terminate(c.grace);
    EXPECT_FALSE(child.Running()) << c.what;
    EXPECT_EQ(child.ExitCode(), c.code) << c.what;
    // Reaped: the PID is gone.
    EXPECT_EQ(kill(pid, 0), -1) << c.what;
    EXPECT_EQ(errno, ESRCH) << c.what;
  }
}

TEST(TestSupport, ChildProcessMissingProgram)
{
  ChildProcess child;
  EXPECT_FALSE(child.Start("/nonexistent/program", {}));
  EXPECT_FALSE(child.Start("vlq-no-such-program-in-path", {}));
  EXPECT_FALSE(child.Running());
}

TEST(TestSupport, NamingServiceFixturesAreSeparateAndLeaveNothingBehind)
{
  pid_t pid_a = 0;
  std::string dir_a;
  {
    NamingServiceFixture a;
    NamingServiceFixture b;
    EXPECT_NE(a.port(), b.port());
    EXPECT_EQ(a.host_port(), "127.0.0.1:" + std::to_string(a.port()));
    EXPECT_EQ(a.corbaloc(), "corbaloc::" + a.host_port() + "/NameService");
    EXPECT_EQ(a.orb_args(), (std::vector<std::string>{"-ORBInitRef", "NameService=" + a.corbaloc()}));
    EXPECT_EQ(a.system_orb_args()[1], "NameService=iiop://" + a.host_port() + "/NameService");
    pid_a = a.pid();
    dir_a = a.dir();
    EXPECT_EQ(kill(pid_a, 0), 0);
    b.Stop();
    EXPECT_EQ(kill(b.pid(), 0), -1);
    b.Stop();  // idempotent
  }
  EXPECT_EQ(kill(pid_a, 0), -1);
  EXPECT_FALSE(std::filesystem::exists(dir_a));
}

TEST(TestSupport, FreeLoopbackPortAndWaitForFile)
{
  const int port = FreeLoopbackPort();
  EXPECT_GT(port, 0);
  EXPECT_LT(port, 65536);
  TempDir dir;
  EXPECT_EQ(WaitForFile(dir.file("never"), std::chrono::milliseconds(50)), "");
  ASSERT_TRUE(WriteFile(dir.file("now"), "text"));
  EXPECT_EQ(WaitForFile(dir.file("now")), "text");
}
