// The Tallyhouse program end to end: a real omniNames on loopback, the
// program started as a child process in a temporary run directory, and this
// test as its client over IIOP.
#include "OrbEnvironment.h"
#include "RecordPattern.h"
#include "StressRun.h"
#include "TestSupport.h"

#include "HRTime.h"
#include "qelm_orb_args.h"

#include <QELM.hh>
#include <omniORB4/Naming.hh>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#ifndef TALLYHOUSE_EXE
#error "TALLYHOUSE_EXE must name the Tallyhouse program"
#endif

namespace {

using namespace std::chrono_literals;
using QELM::DBKRecord;
using QELM::DBKRecord_var;
using QELM::LSHHistory_var;
using DBKIDEnum = QELM::Tallyhouse::DBKIDEnum;
using tallyhouse_test::MakePatternRecord;

using tallyhouse_test::g_orb;
using tallyhouse_test::g_poa;
using tallyhouse_test::Id;

const ::testing::Environment* const g_env =
    ::testing::AddGlobalTestEnvironment(new tallyhouse_test::OrbEnvironment(
        [] { return qelm_orb_init(std::vector<std::string>(), QELM_ORB_ID, 60000, "giop:tcp:127.0.0.1:"); }));

// A Management service of the test's own: only its clock is asked for.
class TestManagement : public POA_QELM::Management
{
public:
  std::atomic<int> clock_calls{0};

  void SendMsg(const QELM::MSG&) override {}
  CORBA::Long RegisterTarget(QELM::MessageTarget_ptr) override { return 0; }
  CORBA::Long UnregisterTarget(CORBA::Long) override { return 0; }
  CORBA::Long Initialize() override { return 0; }
  void Start(QELM::Management::RunModeEnum) override {}
  CORBA::Long Stop() override { return 0; }
  void Shutdown() override {}
  QELM::SystemStatus GetSystemStatus() override { return QELM::SystemStatus(); }
  QELM::HRTime GetSystemClock() override
  {
    ++clock_calls;
    return HRTimeNow();
  }
  QELM::Tallyhouse_ptr GetDataBrokerObject() override { return QELM::Tallyhouse::_nil(); }
  QELM::Task_ptr GetTaskObject(CORBA::Long) override { return QELM::Task::_nil(); }
  QELM::TaskStatus GetTaskStatus(CORBA::Long) override { return QELM::TaskStatus(); }
};

// "hh:mm:ss.mmm: " at the start of the line.
bool HasTimePrefix(const std::string& line)
{
  const char* shape = "00:00:00.000: ";
  if (line.size() < 14)
    return false;
  for (int i = 0; i < 14; ++i) {
    if (shape[i] == '0' ? !std::isdigit(static_cast<unsigned char>(line[i])) : line[i] != shape[i])
      return false;
  }
  return true;
}

// Every line of the log file begins with one time prefix, followed by a
// message without another (the two lines of a failed check, which carry
// none, stay together).
void ExpectWholePrefixedLines(const std::string& log)
{
  std::size_t pos = 0;
  int lines = 0;
  bool in_check = false;
  while (pos < log.size()) {
    std::size_t nl = log.find('\n', pos);
    ASSERT_NE(nl, std::string::npos) << "the log ends inside a line";
    const std::string line = log.substr(pos, nl - pos);
    pos = nl + 1;
    ++lines;
    if (in_check) {
      ASSERT_EQ(line.rfind("(In file \"", 0), 0u) << "line " << lines << ": " << line;
      in_check = false;
      continue;
    }
    if (line.rfind("Assertion Failed: \"", 0) == 0) {
      in_check = true;
      continue;
    }
    ASSERT_TRUE(HasTimePrefix(line)) << "line " << lines << ": " << line;
    ASSERT_FALSE(HasTimePrefix(line.substr(14))) << "line " << lines << ": " << line;
    ASSERT_EQ(line.find(": Tallyhouse: ", 14), std::string::npos) << "line " << lines << ": " << line;
  }
  EXPECT_FALSE(in_check);
}

// Messages of the log file: each line without its time prefix (whether
// every line has one is checked separately).
std::vector<std::string> LogMessages(const std::string& log)
{
  std::vector<std::string> lines;
  std::size_t pos = 0;
  while (pos < log.size()) {
    std::size_t nl = log.find('\n', pos);
    if (nl == std::string::npos)
      nl = log.size();
    std::string line = log.substr(pos, nl - pos);
    pos = nl + 1;
    while (HasTimePrefix(line))
      line = line.substr(14);
    lines.push_back(line);
  }
  return lines;
}

// The messages must appear in this order (others may come between).
void ExpectInOrder(const std::vector<std::string>& lines, const std::vector<std::string>& expected)
{
  std::size_t at = 0;
  for (const std::string& e : expected) {
    while (at < lines.size() && lines[at] != e)
      ++at;
    ASSERT_LT(at, lines.size()) << "missing or out of order: \"" << e << "\"";
    ++at;
  }
}

// ---- a GIOP client of the test's own ----------------------------------------

// Little-endian CDR reading over bytes, aligned relative to their start.
class CdrReader
{
public:
  explicit CdrReader(const std::string& bytes, std::size_t pos = 0) : m_bytes(bytes), m_pos(pos) {}
  bool ok() const { return m_ok; }
  void Align(std::size_t n) { m_pos = (m_pos + n - 1) / n * n; }
  template <class T>
  T Get()
  {
    Align(sizeof(T));
    T v{};
    if (m_pos + sizeof(T) > m_bytes.size()) {
      m_ok = false;
      return v;
    }
    std::memcpy(&v, m_bytes.data() + m_pos, sizeof(T));
    m_pos += sizeof(T);
    return v;
  }
  std::string Bytes(std::size_t n)
  {
    if (m_pos + n > m_bytes.size()) {
      m_ok = false;
      return std::string();
    }
    std::string b = m_bytes.substr(m_pos, n);
    m_pos += n;
    return b;
  }
  std::string Octets() { return Bytes(Get<std::uint32_t>()); }

private:
  const std::string& m_bytes;
  std::size_t m_pos;
  bool m_ok = true;
};

struct IiopAddress
{
  std::string host;
  int port = 0;
  std::string key;
};

// Host, port and object key of the first IIOP profile of a stringified
// reference (written little-endian by omniORB on this machine).
bool ParseIor(const std::string& ior, IiopAddress& out)
{
  if (ior.rfind("IOR:", 0) != 0)
    return false;
  std::string bytes;
  for (std::size_t i = 4; i + 1 < ior.size(); i += 2)
    bytes += static_cast<char>(std::stoi(ior.substr(i, 2), nullptr, 16));
  CdrReader r(bytes);
  if (r.Get<std::uint8_t>() != 1)
    return false;
  r.Octets();  // type id
  const std::uint32_t profiles = r.Get<std::uint32_t>();
  for (std::uint32_t i = 0; i < profiles && r.ok(); ++i) {
    const std::uint32_t tag = r.Get<std::uint32_t>();
    const std::string body = r.Octets();
    if (tag != 0)
      continue;
    CdrReader p(body);
    if (p.Get<std::uint8_t>() != 1)
      return false;
    p.Get<std::uint8_t>();
    p.Get<std::uint8_t>();
    std::string host = p.Octets();
    out.host = host.substr(0, host.find('\0'));
    out.port = p.Get<std::uint16_t>();
    out.key = p.Octets();
    return p.ok();
  }
  return false;
}

// One GIOP 1.2 connection driven by hand: the test sends a request and then
// reads the reply when it chooses, so that the server's reply stays in
// flight (its socket full) meanwhile.
class RawGiopClient
{
public:
  ~RawGiopClient()
  {
    if (m_fd >= 0)
      close(m_fd);
  }

  bool Connect(const IiopAddress& addr)
  {
    m_fd = socket(AF_INET, SOCK_STREAM, 0);
    if (m_fd < 0)
      return false;
    // A small receive window: the server can put little of a large reply
    // on the way before it has to wait for this reader.
    int small = 4096;
    setsockopt(m_fd, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(static_cast<std::uint16_t>(addr.port));
    if (inet_pton(AF_INET, addr.host.c_str(), &sa.sin_addr) != 1)
      return false;
    return connect(m_fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) == 0;
  }

  // A Request message for op with one unsigned long argument.
  bool SendRequest(const std::string& key, const char* op, std::uint32_t arg)
  {
    std::string m("GIOP\x01\x02\x01\x00\0\0\0\0", 12);
    auto align = [&](std::size_t n) { m.resize((m.size() + n - 1) / n * n, '\0'); };
    auto ulong = [&](std::uint32_t v) {
      align(4);
      m.append(reinterpret_cast<const char*>(&v), 4);
    };
    ulong(1);                           // request id
    m += std::string("\x03\0\0\0", 4);  // response expected; reserved
    m += std::string("\0\0", 2);        // target address: the object key
    ulong(static_cast<std::uint32_t>(key.size()));
    m += key;
    ulong(static_cast<std::uint32_t>(std::strlen(op) + 1));
    m.append(op, std::strlen(op) + 1);
    ulong(0);  // no service contexts
    align(8);
    ulong(arg);
    const std::uint32_t size = static_cast<std::uint32_t>(m.size() - 12);
    std::memcpy(&m[8], &size, 4);
    return WriteAll(m);
  }

  // True once some of the reply has arrived.
  bool WaitForReplyStart(std::chrono::milliseconds timeout)
  {
    pollfd p{m_fd, POLLIN, 0};
    return poll(&p, 1, static_cast<int>(timeout.count())) == 1;
  }

  // The reply's body, its fragments joined, as one stream aligned from the
  // first message's start; empty when the connection ended first.
  std::string ReadReply()
  {
    std::string stream;
    for (;;) {
      std::string header;
      if (!ReadExactly(12, header) || header.compare(0, 4, "GIOP") != 0)
        return std::string();
      const bool more = (header[6] & 0x02) != 0;
      const int type = header[7];
      std::uint32_t size = 0;
      std::memcpy(&size, &header[8], 4);
      std::string body;
      if (!ReadExactly(size, body))
        return std::string();
      if (type == 1)
        stream = header + body;  // Reply
      else if (type == 7 && body.size() >= 4)
        stream += body.substr(4);  // Fragment: request id, then data
      else
        return std::string();
      if (!more)
        return stream;
    }
  }

private:
  bool WriteAll(const std::string& m)
  {
    std::size_t done = 0;
    while (done < m.size()) {
      const ssize_t n = write(m_fd, m.data() + done, m.size() - done);
      if (n <= 0)
        return false;
      done += static_cast<std::size_t>(n);
    }
    return true;
  }
  bool ReadExactly(std::size_t n, std::string& out)
  {
    out.resize(n);
    std::size_t done = 0;
    while (done < n) {
      const ssize_t got = read(m_fd, &out[done], n - done);
      if (got <= 0)
        return false;
      done += static_cast<std::size_t>(got);
    }
    return true;
  }
  int m_fd = -1;
};

// The DBKRecord of a GetLatestRecord reply stream; false when the reply is
// not a normal one or is cut.
bool ParseRecordReply(const std::string& stream, DBKRecord& rec)
{
  CdrReader r(stream, 12);
  r.Get<std::uint32_t>();  // request id
  if (r.Get<std::uint32_t>() != 0)
    return false;  // not NO_EXCEPTION
  const std::uint32_t contexts = r.Get<std::uint32_t>();
  for (std::uint32_t i = 0; i < contexts && r.ok(); ++i) {
    r.Get<std::uint32_t>();
    r.Octets();
  }
  r.Align(8);
  rec.timestamp.sec = r.Get<std::int64_t>();
  rec.timestamp.msec = r.Get<std::int64_t>();
  rec.quasi_timestamp = r.Get<float>();
  rec.L.length(r.Get<std::uint32_t>());
  for (CORBA::ULong j = 0; j < rec.L.length() && r.ok(); ++j) {
    rec.L[j].length(r.Get<std::uint32_t>());
    for (CORBA::ULong k = 0; k < rec.L[j].length(); ++k)
      rec.L[j][k] = r.Get<std::int32_t>();
  }
  rec.F.length(r.Get<std::uint32_t>());
  for (CORBA::ULong j = 0; j < rec.F.length() && r.ok(); ++j) {
    rec.F[j].length(r.Get<std::uint32_t>());
    for (CORBA::ULong k = 0; k < rec.F[j].length(); ++k)
      rec.F[j][k] = r.Get<float>();
  }
  return r.ok();
}

class TallyhouseProgram : public ::testing::Test
{
protected:
  void SetUp() override { StartProgram(); }

  void TearDown() override
  {
    if (program.Running()) {
      try {
        th->Shutdown();
      } catch (const CORBA::Exception&) {
      }
      if (!program.Wait(30s))
        program.Terminate();
    }
  }

  void StartProgram()
  {
    ChildProcess::Options opts;
    opts.working_dir = run.path();
    opts.stdout_file = run.file("stdout.txt");
    opts.stderr_file = run.file("stderr.txt");
    // The system's own form of the naming-service argument.
    std::vector<std::string> args = {"-ORBInitRef",
                                     "NameService=iiop://" + names.host_port() + "/NameService"};
    args.insert(args.end(), extra_args.begin(), extra_args.end());
    ASSERT_TRUE(program.Start(TALLYHOUSE_EXE, args, opts));
    // Ready once this start's log (a restart empties the previous one)
    // reports the pool running.
    ASSERT_TRUE(WaitUntil(
        [&] {
          const std::string log = ReadFile(run.file("tallyhouse.log"));
          return log.find("Launched 11") != std::string::npos &&
                 log.find("ended normally") == std::string::npos;
        },
        60s))
        << "log: " << ReadFile(run.file("tallyhouse.log"))
        << "\nstderr: " << ReadFile(run.file("stderr.txt"));
    th = Resolve();
    ASSERT_FALSE(CORBA::is_nil(th.in()));
  }

  QELM::Tallyhouse_ptr Resolve()
  {
    CORBA::Object_var obj = g_orb->string_to_object(names.corbaloc().c_str());
    CosNaming::NamingContext_var ctx = CosNaming::NamingContext::_narrow(obj.in());
    CosNaming::Name name;
    name.length(2);
    name[0].id = CORBA::string_dup("QELM");
    name[1].id = CORBA::string_dup("Tallyhouse");
    CORBA::Object_var ref = ctx->resolve(name);
    return QELM::Tallyhouse::_narrow(ref.in());
  }

  // Shuts the program down and checks its orderly end.
  void ShutdownAndExpectNormalEnd()
  {
    th->Shutdown();
    ASSERT_TRUE(program.Wait(60s)) << "the program did not end after Shutdown";
    EXPECT_EQ(program.ExitCode(), 0) << ReadFile(run.file("stderr.txt"));
    ExpectInOrder(LogMessages(ReadFile(run.file("tallyhouse.log"))),
                  {"Server shutting down...", "Disconnecting from the time synchronization server...",
                   "Waiting for the ORB to shutdown...", "Tallyhouse server ended normally..."});
  }

  NamingServiceFixture names;
  TempDir run{"tallyhouse-run"};
  ChildProcess program;
  QELM::Tallyhouse_var th;
  // ORB options added to the program's command line.
  std::vector<std::string> extra_args;
};

TEST_F(TallyhouseProgram, StartUpLogIorFileAndName)
{
  const std::string log = ReadFile(run.file("tallyhouse.log"));
  // The first lines come from one thread: one time prefix each.
  std::size_t pos = 0;
  for (int i = 0; i < 3; ++i) {
    const std::size_t nl = log.find('\n', pos);
    ASSERT_NE(nl, std::string::npos);
    const std::string line = log.substr(pos, nl - pos);
    EXPECT_TRUE(HasTimePrefix(line) && !HasTimePrefix(line.substr(14))) << line;
    pos = nl + 1;
  }
  ExpectInOrder(LogMessages(log),
                {"Tallyhouse Server started...", "Registering object Tallyhouse...Succeded.",
                 "Tallyhouse ORB Running...",
                 "VQORBThreadPool: Launched 11 secondary threads. Running the main thread..."});
  // Standard output has the same messages without time stamps.
  const std::string out = ReadFile(run.file("stdout.txt"));
  EXPECT_EQ(out.rfind("Tallyhouse Server started...\nRegistering object Tallyhouse...Succeded.\n"
                      "Tallyhouse ORB Running...\n",
                      0),
            0u)
      << out;

  const std::string ior = ReadFile(run.file("Tallyhouse.ior"));
  ASSERT_EQ(ior.rfind("IOR:", 0), 0u);
  EXPECT_EQ(ior.find('\n'), std::string::npos);
  CORBA::Object_var obj = g_orb->string_to_object(ior.c_str());
  QELM::Tallyhouse_var by_file = QELM::Tallyhouse::_narrow(obj.in());
  EXPECT_TRUE(by_file->_is_equivalent(th.in()));
  EXPECT_EQ(by_file->GetTableMaxSize(Id(0)), 80);
}

TEST_F(TallyhouseProgram, EveryOperationOverIiop)
{
  QELM::SimulationParameters p = th->GetSimulationParameters();
  EXPECT_EQ(p.noofarcs, 0);
  p = {10, 20, 30, 40, 1.5f, 2.5f, 3.5f, 4.5f, 5.5f, 6.5f, 7.5f, 8.5f};
  th->UpdateSimulationParameters(p);
  QELM::SimulationParameters q = th->GetSimulationParameters();
  EXPECT_EQ(q.noofarcs_org, 10);
  EXPECT_EQ(q.noofzones, 40);
  EXPECT_EQ(q.cc_observation_interval, 8.5f);

  QELM::HRTime t = th->GetLatestInsertTime(Id(8));
  EXPECT_EQ(t.sec, -2147483647);
  EXPECT_EQ(t.msec, 0);

  for (int s = 0; s < 5; ++s)
    th->InsertRecord(MakePatternRecord(8, s, 5, 3000), Id(8));
  EXPECT_EQ(th->GetRecordCount(Id(8)), 5);
  EXPECT_EQ(th->GetLatestInsertTime(Id(8)).sec, 1000000 + 4);

  int w = 0, s = 0;
  DBKRecord_var latest = th->GetLatestRecord(Id(8));
  EXPECT_EQ(tallyhouse_test::CheckPatternRecord(latest.in(), w, s), "");
  EXPECT_EQ(s, 4);

  DBKRecord_var by_qt = th->GetRecord(Id(8), 2.0005f);
  EXPECT_EQ(tallyhouse_test::CheckPatternRecord(by_qt.in(), w, s), "");
  EXPECT_EQ(s, 2);
  EXPECT_THROW(th->GetRecord(Id(8), 2.002f), QELM::Tallyhouse::InvalidQuasiTimestamp);
  EXPECT_THROW(th->GetRecord(Id(9), 0.0f), QELM::Tallyhouse::InvalidQuasiTimestamp);

  DBKRecord_var avg = th->GetRecordAverage(Id(8), 2);
  ASSERT_EQ(avg->L.length(), 2u);
  EXPECT_EQ(avg->L[0][1], (4 + 3) / 2);
  EXPECT_FLOAT_EQ(avg->F[1][7],
                  (tallyhouse_test::PatternValue(8, 4, 1, 7) + tallyhouse_test::PatternValue(8, 3, 1, 7)) /
                      2);

  LSHHistory_var hist = th->FetchLSHH(Id(8), 3);
  ASSERT_EQ(hist->length(), 3u);
  for (CORBA::ULong i = 0; i < 3; ++i) {
    EXPECT_EQ(tallyhouse_test::CheckPatternRecord(hist[i], w, s), "");
    EXPECT_EQ(s, 4 - static_cast<int>(i));
  }
  LSHHistory_var none = th->FetchLSHH(Id(8), 0);
  EXPECT_EQ(none->length(), 0u);

  th->SetTableMaxSize(Id(8), 2);
  EXPECT_EQ(th->GetTableMaxSize(Id(8)), 2);
  EXPECT_EQ(th->GetRecordCount(Id(8)), 3);

  // Refused requests reach the caller as system exceptions.
  EXPECT_THROW(th->GetLatestRecord(Id(9)), CORBA::BAD_INV_ORDER);
  EXPECT_THROW(th->GetRecordAverage(Id(8), 0), CORBA::BAD_PARAM);
  EXPECT_THROW(th->GetRecordAverage(Id(8), 4), CORBA::BAD_PARAM);
  EXPECT_THROW(th->FetchLSHH(Id(8), -1), CORBA::BAD_PARAM);
  EXPECT_THROW(th->SetTableMaxSize(Id(8), 0), CORBA::BAD_PARAM);
  EXPECT_EQ(th->GetRecordCount(Id(8)), 3);

  th->Flush();
  EXPECT_EQ(th->GetRecordCount(Id(8)), 3) << "3 records are within trim size + 1";

  const std::vector<std::string> lines = LogMessages(ReadFile(run.file("tallyhouse.log")));
  ExpectInOrder(lines,
                {"Tallyhouse: Call to GetLatestTimestamp. id = 8.",
                 "Tallyhouse: Call to InsertRecord. id = 8.", "Tallyhouse: Call to GetLatestRecord. id = 8.",
                 "Tallyhouse: Call to GetRecord. id = 8, timestamp = 2.000500.", " quasi_timestamp: 2.000000",
                 "Tallyhouse: Call to GetRecord. id = 8, timestamp = 2.002000.",
                 "Assertion Failed: \"found_it\"", "Tallyhouse: Call to GetRecordAverage. id,numpast = 8,2.",
                 "Tallyhouse: Call to FetchLSHH. id,numpast = 8,3."});
}

TEST_F(TallyhouseProgram, TrimSizesPerKindAndFlush)
{
  struct
  {
    int id, trim, max;
  } kinds[] = {{0, 30, 80}, {1, 1, 1}, {5, 30, 60}, {7, 1, 1}, {12, 1, 1}, {16, 30, 60}};
  const DBKRecord rec = MakePatternRecord(0, 0, 2, 100);
  for (const auto& k : kinds) {
    SCOPED_TRACE(k.id);
    EXPECT_EQ(th->GetTableMaxSize(Id(k.id)), k.max);
    const int full = k.max == 1 ? 2 : k.max;
    for (int i = 0; i < full; ++i)
      th->InsertRecord(rec, Id(k.id));
    EXPECT_EQ(th->GetRecordCount(Id(k.id)), full);
    th->InsertRecord(rec, Id(k.id));
    EXPECT_EQ(th->GetRecordCount(Id(k.id)), k.trim + 1);
  }
  // Flush: 45 records of a trim-30 kind leave 31, 20 stay 20.
  for (int i = 0; i < 45; ++i)
    th->InsertRecord(rec, Id(8));
  for (int i = 0; i < 20; ++i)
    th->InsertRecord(rec, Id(9));
  for (int i = 0; i < 30; ++i)
    th->InsertRecord(rec, Id(0));  // 31 + 30 = 61
  th->Flush();
  EXPECT_EQ(th->GetRecordCount(Id(8)), 31);
  EXPECT_EQ(th->GetRecordCount(Id(9)), 20);
  EXPECT_EQ(th->GetRecordCount(Id(0)), 31);
  EXPECT_EQ(th->GetRecordCount(Id(1)), 2);
}

TEST_F(TallyhouseProgram, InitializeWithManagementThenShutdown)
{
  TestManagement* man = new TestManagement;
  PortableServer::ObjectId_var oid = g_poa->activate_object(man);
  CORBA::Object_var obj = g_poa->id_to_reference(oid.in());
  QELM::Management_var man_ref = QELM::Management::_narrow(obj.in());

  EXPECT_EQ(th->Initialize(man_ref.in()), 0);
  EXPECT_GE(man->clock_calls.load(), 1);
  ExpectInOrder(LogMessages(ReadFile(run.file("tallyhouse.log"))),
                {"Bound to Management.", "Connecting to the time synchronization server..."});

  ShutdownAndExpectNormalEnd();
  g_poa->deactivate_object(oid.in());
  man->_remove_ref();
}

TEST_F(TallyhouseProgram, ShutdownFlushesAndEndsNormally)
{
  const DBKRecord rec = MakePatternRecord(0, 0, 1, 10);
  for (int i = 0; i < 45; ++i)
    th->InsertRecord(rec, Id(10));
  ShutdownAndExpectNormalEnd();
}

TEST_F(TallyhouseProgram, SecondStartEmptiesTheLogAndReplacesTheBinding)
{
  const std::string first_ior = ReadFile(run.file("Tallyhouse.ior"));
  th->InsertRecord(MakePatternRecord(0, 0, 1, 10), Id(3));
  ShutdownAndExpectNormalEnd();

  StartProgram();
  const std::string log = ReadFile(run.file("tallyhouse.log"));
  EXPECT_EQ(log.find("Tallyhouse: Call to InsertRecord"), std::string::npos) << "the log starts empty";
  EXPECT_EQ(log.find("ended normally"), std::string::npos);
  EXPECT_FALSE(ReadFile(run.file("Tallyhouse.ior")).empty());
  // The histories do not survive the end of the program.
  EXPECT_EQ(th->GetRecordCount(Id(3)), 0);
  ShutdownAndExpectNormalEnd();
}

// The object lives in a persistent POA under a fixed object id: started
// again on the same address, the program serves the reference that clients
// of the first start hold, and its object key names "ChildPOA" and
// "Tallyhouse".
TEST_F(TallyhouseProgram, ReferenceOfAnEarlierStartReachesTheNextOne)
{
  // The first start (on a port of the ORB's choosing) is ended; the next
  // two listen on one fixed port.
  ShutdownAndExpectNormalEnd();
  const int port = FreeLoopbackPort();
  extra_args = {"-ORBendPoint", "giop:tcp:127.0.0.1:" + std::to_string(port)};
  StartProgram();
  QELM::Tallyhouse_var old_ref = QELM::Tallyhouse::_duplicate(th.in());
  const std::string ior = ReadFile(run.file("Tallyhouse.ior"));
  std::string key_bytes;
  for (std::size_t i = 4; i + 1 < ior.size(); i += 2)
    key_bytes += static_cast<char>(std::stoi(ior.substr(i, 2), nullptr, 16));
  EXPECT_NE(key_bytes.find("ChildPOA"), std::string::npos);
  EXPECT_NE(key_bytes.find("Tallyhouse"), std::string::npos);
  ShutdownAndExpectNormalEnd();

  StartProgram();
  // The first call may still find the connection to the ended program.
  CORBA::Long count = -1;
  for (int attempt = 0; attempt < 3 && count < 0; ++attempt) {
    try {
      count = old_ref->GetRecordCount(Id(8));
    } catch (const CORBA::COMM_FAILURE&) {
    } catch (const CORBA::TRANSIENT&) {
    }
  }
  EXPECT_EQ(count, 0) << "the earlier reference reaches the new object";
  EXPECT_EQ(old_ref->GetTableMaxSize(Id(0)), 80);
}

// A reply to another process is marshalled from the stored record itself.
// The history may drop that record while the reply is still on its way (a
// slow reader, a large record): the reply must go out whole all the same.
TEST_F(TallyhouseProgram, ReplyInFlightSurvivesTheHistoryDroppingItsRecord)
{
  // Arrays large enough to be given back to the system when freed.
  const DBKRecord big = MakePatternRecord(9, 1, 1, 9 * 1000 * 1000);
  th->InsertRecord(big, Id(3));

  IiopAddress addr;
  ASSERT_TRUE(ParseIor(ReadFile(run.file("Tallyhouse.ior")), addr));
  RawGiopClient reader;
  ASSERT_TRUE(reader.Connect(addr));
  ASSERT_TRUE(reader.SendRequest(addr.key, "GetLatestRecord", 3));
  ASSERT_TRUE(reader.WaitForReplyStart(60s)) << "no reply began";

  // Kind 3 holds two records: two more inserts drop the large one.
  th->InsertRecord(MakePatternRecord(9, 2, 1, 10), Id(3));
  th->InsertRecord(MakePatternRecord(9, 3, 1, 10), Id(3));
  EXPECT_EQ(th->GetRecordCount(Id(3)), 2);
  EXPECT_THROW(th->GetRecord(Id(3), 1.0f), QELM::Tallyhouse::InvalidQuasiTimestamp) << "still in the history";

  DBKRecord got;
  ASSERT_TRUE(ParseRecordReply(reader.ReadReply(), got)) << "reply cut or refused";
  int w = 0, seq = 0;
  EXPECT_EQ(tallyhouse_test::CheckPatternRecord(got, w, seq), "");
  EXPECT_EQ(seq, 1);

  // The same answer through the ORB, empty arrays included.
  DBKRecord with_empty = MakePatternRecord(9, 4, 3, 100);
  with_empty.F[1].length(0);
  with_empty.L.length(3);
  th->InsertRecord(with_empty, Id(3));
  DBKRecord_var back = th->GetLatestRecord(Id(3));
  ASSERT_EQ(back->F.length(), 3u);
  EXPECT_EQ(back->F[1].length(), 0u);
  ASSERT_EQ(back->L.length(), 3u);
  EXPECT_EQ(back->L[2].length(), 0u);
  EXPECT_EQ(back->F[2][99], tallyhouse_test::PatternValue(9, 4, 2, 99));
  EXPECT_EQ(back->L[1][7], 4 ^ 7);
  ShutdownAndExpectNormalEnd();
}

TEST_F(TallyhouseProgram, ParallelClientsOverIiop)
{
  tallyhouse_test::StressResult r = tallyhouse_test::RunStress(th.in(), 8, 4.0);
  for (const std::string& e : r.errors)
    ADD_FAILURE() << e;
  EXPECT_GT(r.inserts, 0);
  ShutdownAndExpectNormalEnd();
  // 8 clients logged at once: every line of the log is whole, and standard
  // output holds the same messages without prefixes.
  const std::string log = ReadFile(run.file("tallyhouse.log"));
  ExpectWholePrefixedLines(log);
  std::size_t calls = 0;
  for (std::size_t at = log.find(": Tallyhouse: Call to "); at != std::string::npos;
       at = log.find(": Tallyhouse: Call to ", at + 1))
    ++calls;
  EXPECT_GT(calls, 8u);
  const std::string out = ReadFile(run.file("stdout.txt"));
  std::size_t out_calls = 0;
  for (std::size_t at = out.find("\nTallyhouse: Call to "); at != std::string::npos;
       at = out.find("\nTallyhouse: Call to ", at + 1))
    ++out_calls;
  EXPECT_EQ(out_calls, calls);
}

TEST_F(TallyhouseProgram, ParallelClientsSharingKindsOverIiop)
{
  tallyhouse_test::StressResult r = tallyhouse_test::RunSharedStress(th.in(), 8, 4.0);
  for (const std::string& e : r.errors)
    ADD_FAILURE() << e;
  EXPECT_GT(r.inserts, 0);
  ShutdownAndExpectNormalEnd();
}

}  // namespace

namespace {

TEST(TallyhouseProgramStart, WithoutANamingServiceItEndsWithAnError)
{
  TempDir run{"tallyhouse-run"};
  ChildProcess program;
  ChildProcess::Options opts;
  opts.working_dir = run.path();
  opts.stdout_file = run.file("stdout.txt");
  opts.stderr_file = run.file("stderr.txt");
  // A port on which nothing listens.
  const int port = FreeLoopbackPort();
  ASSERT_TRUE(program.Start(
      TALLYHOUSE_EXE,
      {"-ORBInitRef", "NameService=iiop://127.0.0.1:" + std::to_string(port) + "/NameService"}, opts));
  ASSERT_TRUE(program.Wait(120s)) << "the program must not serve half-built";
  EXPECT_NE(program.ExitCode(), 0);
  const std::string log = ReadFile(run.file("tallyhouse.log"));
  EXPECT_NE(log.find("Tallyhouse Server started..."), std::string::npos);
  EXPECT_EQ(log.find("Tallyhouse ORB Running..."), std::string::npos);
  EXPECT_EQ(log.find("ended normally"), std::string::npos);
  EXPECT_EQ(ReadFile(run.file("Tallyhouse.ior")), "") << "no reference file of an object that is not served";
}

}  // namespace
