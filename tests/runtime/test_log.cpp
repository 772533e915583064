// The time-stamped log: where each kind of write goes, the file prefix, the
// invariant-failure line, the one-instance rule, and whole lines of
// concurrent writers.
#include "VQCheck.h"
#include "VQOStreamLog.h"
#include "VQTimeCentral.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string ReadFile(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

// "HH:MM:SS.mmm: " followed by the message.
bool IsPrefixed(const std::string& line, const std::string& message)
{
  const char* shape = "dd:dd:dd.ddd: ";
  const size_t n = std::char_traits<char>::length(shape);
  if (line.size() != n + message.size())
    return false;
  for (size_t i = 0; i < n; ++i) {
    const bool digit = line[i] >= '0' && line[i] <= '9';
    if (shape[i] == 'd' ? !digit : line[i] != shape[i])
      return false;
  }
  const int hh = std::stoi(line.substr(0, 2)), mm = std::stoi(line.substr(3, 2)),
            ss = std::stoi(line.substr(6, 2));
  return hh < 24 && mm < 60 && ss < 61 && line.compare(n, std::string::npos, message) == 0;
}

// Standard output redirected into a file for the lifetime of the object.
class CapturedStdout
{
public:
  explicit CapturedStdout(const std::string& path) : path_(path)
  {
    std::fflush(stdout);
    saved_ = dup(STDOUT_FILENO);
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(fd, STDOUT_FILENO);
    close(fd);
  }
  ~CapturedStdout() { Restore(); }
  // Ends the capture and returns what was written.
  std::string Text()
  {
    Restore();
    return ReadFile(path_);
  }

private:
  void Restore()
  {
    if (saved_ < 0)
      return;
    std::fflush(stdout);
    dup2(saved_, STDOUT_FILENO);
    close(saved_);
    saved_ = -1;
  }
  std::string path_;
  int saved_ = -1;
};

class LogTest : public testing::Test
{
protected:
  void SetUp() override
  {
    char tmpl[] = "/tmp/vlq_log_test_XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    VQOStreamLog::Close();
  }
  void TearDown() override
  {
    VQOStreamLog::Close();
    std::string cmd = "rm -rf '" + dir_ + "'";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
  }
  std::string Path(const std::string& name) const { return dir_ + "/" + name; }

  std::string dir_;
};

TEST_F(LogTest, EachWriteGoesToItsDestinations)
{
  struct Case
  {
    const char* name;
    bool with_file;
    void (*write)();
    const char* on_stdout;
    const char* in_file;
  } cases[] = {
      {"PrintFile without file", false, [] { VQOStreamLog::PrintFile("file %d\n", 1); }, "", nullptr},
      {"Print without file", false, [] { VQOStreamLog::Print("both %s\n", "x"); }, "both x\n", nullptr},
      {"PrintConsole without file", false, [] { VQOStreamLog::PrintConsole("con %d\n", 2); }, "con 2\n",
       nullptr},
      {"PrintFile with file", true, [] { VQOStreamLog::PrintFile("file %d\n", 3); }, "", "file 3\n"},
      {"Print with file", true, [] { VQOStreamLog::Print("both %s %d\n", "y", 4); }, "both y 4\n",
       "both y 4\n"},
      {"PrintConsole with file", true, [] { VQOStreamLog::PrintConsole("con %d\n", 5); }, "con 5\n", ""},
      {"continued line", true,
       [] {
         VQOStreamLog::Print("Registering object %s...", "Tallyhouse");
         VQOStreamLog::Print("Succeded.\n");
       },
       "Registering object Tallyhouse...Succeded.\n", "Registering object Tallyhouse...Succeded.\n"},
  };
  int n = 0;
  for (const auto& c : cases) {
    const std::string log = Path("case" + std::to_string(n) + ".log");
    const std::string out = Path("case" + std::to_string(n) + ".out");
    ++n;
    if (c.with_file) {
      ASSERT_TRUE(VQOStreamLog::Open(log.c_str(), "w")) << c.name;
    }
    CapturedStdout capture(out);
    c.write();
    // Every write is flushed at once: the file holds it while still open.
    const std::string file_text = c.with_file ? ReadFile(log) : std::string();
    EXPECT_EQ(capture.Text(), c.on_stdout) << c.name;
    if (c.in_file) {
      EXPECT_EQ(file_text, c.in_file) << c.name;
    }
    VQOStreamLog::Close();
    EXPECT_FALSE(VQOStreamLog::IsOpen()) << c.name;
  }
}

TEST_F(LogTest, SecondOpenClosesTheFirstFile)
{
  const std::string first = Path("first.log");
  const std::string second = Path("second.log");
  ASSERT_TRUE(VQOStreamLog::Open(first.c_str(), "w"));
  VQOStreamLog::PrintFile("one\n");
  ASSERT_TRUE(VQOStreamLog::Open(second.c_str(), "w"));
  VQOStreamLog::PrintFile("two\n");
  VQOStreamLog::Close();
  EXPECT_EQ(ReadFile(first), "one\n");
  EXPECT_EQ(ReadFile(second), "two\n");
}

TEST_F(LogTest, OpenModeIsHonoured)
{
  const std::string path = Path("mode.log");
  {
    std::ofstream pre(path);
    pre << "old\n";
  }
  ASSERT_TRUE(VQOStreamLog::Open(path.c_str(), "a"));
  VQOStreamLog::PrintFile("new\n");
  VQOStreamLog::Close();
  EXPECT_EQ(ReadFile(path), "old\nnew\n");

  // "w" empties the file at each start.
  ASSERT_TRUE(VQOStreamLog::Open(path.c_str(), "w"));
  VQOStreamLog::PrintFile("fresh\n");
  VQOStreamLog::Close();
  EXPECT_EQ(ReadFile(path), "fresh\n");
}

TEST_F(LogTest, UnopenableFileIsAFailedCheckAndLeavesNoFile)
{
  const std::string bad = Path("no/such/dir/x.log");
  CapturedStdout capture(Path("bad.out"));
  EXPECT_FALSE(VQOStreamLog::Open(bad.c_str(), "w"));
  EXPECT_FALSE(VQOStreamLog::IsOpen());
  VQOStreamLog::Print("still on the console\n");
  EXPECT_EQ(capture.Text(), "still on the console\n");
}

TEST_F(LogTest, PrefixedLineHasClockTimeInTheFileAndOnlyTheMessageOnStdout)
{
  const std::string log = Path("line.log");
  ASSERT_TRUE(VQOStreamLog::Open(log.c_str(), "w"));
  CapturedStdout capture(Path("line.out"));
  VQOStreamLog::Line("Tallyhouse: %s %d\n", "ready", 7);
  VQOStreamLog::PrintPrefix();
  VQOStreamLog::Print("second %s\n", "line");
  VQOStreamLog::Close();
  EXPECT_EQ(capture.Text(), "Tallyhouse: ready 7\nsecond line\n");

  const std::string text = ReadFile(log);
  const size_t end = text.find('\n') + 1;
  ASSERT_GT(end, 0u) << text;
  EXPECT_TRUE(IsPrefixed(text.substr(0, end), "Tallyhouse: ready 7\n")) << text;
  EXPECT_TRUE(IsPrefixed(text.substr(end), "second line\n")) << text;

  // The shape check itself tells good prefixes from bad ones.
  EXPECT_TRUE(IsPrefixed("23:59:60.999: x", "x"));
  EXPECT_FALSE(IsPrefixed("24:00:00.000: x", "x"));
  EXPECT_FALSE(IsPrefixed("1:00:00.000: x", "x"));
  EXPECT_FALSE(IsPrefixed("x", "x"));
}

TEST_F(LogTest, FailedCheckWritesTheAssertionLineToTheFileOnly)
{
  const std::string log = Path("check.log");
  ASSERT_TRUE(VQOStreamLog::Open(log.c_str(), "w"));
  CapturedStdout capture(Path("check.out"));
  int f_ior = 0;
  const bool ok = VQ_CHECK(f_ior != 0);
  const int line = __LINE__ - 1;
  const bool passed = VQ_CHECK(f_ior == 0);
  const bool text_ok = VQ_CHECK_TEXT(f_ior > 1, "numpast <= m_data_hist[lshid].size()");
  const int text_line = __LINE__ - 1;
  VQOStreamLog::Close();

  EXPECT_FALSE(ok);
  EXPECT_TRUE(passed);
  EXPECT_FALSE(text_ok);
  EXPECT_EQ(capture.Text(), "");
  const std::string expected = std::string("Assertion Failed: \"f_ior != 0\"\n(In file \"") + __FILE__ +
                               "\", line " + std::to_string(line) + ")\n" +
                               "Assertion Failed: \"numpast <= m_data_hist[lshid].size()\"\n(In file \"" +
                               __FILE__ + "\", line " + std::to_string(text_line) + ")\n";
  EXPECT_EQ(ReadFile(log), expected);
}

TEST_F(LogTest, SecondInstanceIsRefusedAndLeavesTheLogFileOpen)
{
  const int before = VQOStreamLog::Instances();
  EXPECT_GE(before, 1);
  const std::string log = Path("instance.log");
  ASSERT_TRUE(VQOStreamLog::Open(log.c_str(), "w"));
  {
    VQOStreamLog extra;
  }
  EXPECT_EQ(VQOStreamLog::Instances(), before + 1);
  EXPECT_TRUE(VQOStreamLog::IsOpen());
  VQOStreamLog::PrintFile("after\n");
  VQOStreamLog::Close();
  const std::string text = ReadFile(log);
  EXPECT_EQ(text.rfind("Assertion Failed: \"m_instances == 0\"\n(In file \"", 0), 0u) << text;
  EXPECT_NE(text.find("after\n"), std::string::npos) << text;
}

// Milliseconds of the day of a corrected clock reading, in the local zone.
long long LocalMsOfDay(const HRTime& t)
{
  const time_t secs = static_cast<time_t>(t.sec);
  struct tm lt
  {};
  localtime_r(&secs, &lt);
  return ((lt.tm_hour * 60LL + lt.tm_min) * 60 + lt.tm_sec) * 1000 + t.msec;
}

TEST_F(LogTest, PrefixReadsTheCorrectedClock)
{
  struct Case
  {
    long long sec, msec;
  } corrections[] = {{5 * 3600 + 17 * 60 + 9, 250}, {-1, 700}, {-11 * 3600, 0}};
  for (const auto& c : corrections) {
    HRTime correction;
    correction.sec = c.sec;
    correction.msec = c.msec;
    VQTimeCentral::SetCorrectionForTest(correction);
    const std::string log = Path("corrected.log");
    ASSERT_TRUE(VQOStreamLog::Open(log.c_str(), "w"));
    CapturedStdout capture(Path("corrected.out"));
    const HRTime before = VQTimeCentral::Now();
    VQOStreamLog::Line("x\n");
    const HRTime after = VQTimeCentral::Now();
    VQOStreamLog::Close();
    HRTime zero;
    zero.sec = 0;
    zero.msec = 0;
    VQTimeCentral::SetCorrectionForTest(zero);

    const std::string text = ReadFile(log);
    ASSERT_TRUE(IsPrefixed(text, "x\n")) << text;
    const long long got = ((std::stoll(text.substr(0, 2)) * 60 + std::stoll(text.substr(3, 2))) * 60 +
                           std::stoll(text.substr(6, 2))) *
                              1000 +
                          std::stoll(text.substr(9, 3));
    // Between the two corrected readings around it (modulo a day).
    const long long day = 86400000;
    const long long from = LocalMsOfDay(before);
    const long long span = ((LocalMsOfDay(after) - from) % day + day) % day;
    const long long offset = ((got - from) % day + day) % day;
    EXPECT_LE(offset, span) << text << " correction " << c.sec << "." << c.msec;
  }
}

// Whole lines of 8 writers: the file's lines with their time prefix and
// standard output's without, each line once, every writer's lines in its
// own order; also with lines longer than a stack buffer.
TEST_F(LogTest, LinesOfConcurrentWritersStayWhole)
{
  for (const std::size_t padding : {std::size_t(40), std::size_t(3000)}) {
    SCOPED_TRACE(padding);
    const std::string log = Path("threads.log");
    ASSERT_TRUE(VQOStreamLog::Open(log.c_str(), "w"));
    CapturedStdout capture(Path("threads.out"));
    constexpr int kThreads = 8, kLines = 300;
    const std::string pad(padding, 'x');
    std::vector<std::thread> writers;
    for (int t = 0; t < kThreads; ++t)
      writers.emplace_back([t, &pad] {
        for (int i = 0; i < kLines; ++i)
          VQOStreamLog::Line("writer %d line %d %s\n", t, i, pad.c_str());
      });
    for (auto& w : writers)
      w.join();
    VQOStreamLog::Close();
    const std::string out = capture.Text();

    for (const bool prefixed : {true, false}) {
      SCOPED_TRACE(prefixed ? "file" : "standard output");
      std::istringstream in(prefixed ? ReadFile(log) : out);
      std::string line;
      int n = 0;
      std::vector<int> next(kThreads, 0);
      while (std::getline(in, line)) {
        ++n;
        const size_t at = line.find("writer ");
        ASSERT_EQ(at, prefixed ? 14u : 0u) << line;
        const std::string message = line.substr(at);
        if (prefixed) {
          ASSERT_TRUE(IsPrefixed(line + "\n", message + "\n")) << line;
        }
        int t = -1, i = -1;
        ASSERT_EQ(std::sscanf(message.c_str(), "writer %d line %d", &t, &i), 2) << line;
        ASSERT_TRUE(t >= 0 && t < kThreads) << line;
        ASSERT_EQ(i, next[t]) << line;
        ++next[t];
        ASSERT_EQ(message, "writer " + std::to_string(t) + " line " + std::to_string(i) + " " + pad) << line;
      }
      EXPECT_EQ(n, kThreads * kLines);
    }
  }
}

// Writers go on while the file is closed and opened again: each line goes
// whole to one of the files or to none.
TEST_F(LogTest, ReopeningWhileWritersLogKeepsEveryLineWhole)
{
  CapturedStdout capture(Path("reopen.out"));
  constexpr int kThreads = 8, kLines = 500, kFiles = 20;
  std::atomic<bool> go{false};
  std::vector<std::thread> writers;
  for (int t = 0; t < kThreads; ++t)
    writers.emplace_back([t, &go] {
      while (!go.load())
        std::this_thread::yield();
      for (int i = 0; i < kLines; ++i)
        VQOStreamLog::Line("writer %d line %d\n", t, i);
    });
  go = true;
  for (int f = 0; f < kFiles; ++f) {
    const std::string log = Path("reopen" + std::to_string(f) + ".log");
    ASSERT_TRUE(VQOStreamLog::Open(log.c_str(), "w"));
    std::this_thread::yield();
  }
  for (auto& w : writers)
    w.join();
  VQOStreamLog::Close();
  capture.Text();
  for (int f = 0; f < kFiles; ++f) {
    std::istringstream in(ReadFile(Path("reopen" + std::to_string(f) + ".log")));
    std::string line;
    while (std::getline(in, line)) {
      const size_t at = line.find(": writer ");
      ASSERT_EQ(at, 12u) << line;
      ASSERT_TRUE(IsPrefixed(line + "\n", line.substr(at + 2) + "\n")) << line;
    }
  }
}

}  // namespace
