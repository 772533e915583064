// The Management stand-in as a child process, driven over CORBA by the
// test: status flags, Initialize against a record store, target
// registration, delivery to live, blocked, failing and dead targets, the
// operator's command messages, the cycles and Shutdown.
#include "TestSupport.h"
#include "VQDataPacker.h"
#include "qelm_msg_codes.h"
#include "qelm_orb_args.h"

#include <QELM.hh>
#include <omniORB4/Naming.hh>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <sys/time.h>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

namespace {

// ------------------------------------------------------------------ test ORB

CORBA::ORB_var g_orb;
PortableServer::POA_var g_poa;
std::thread g_orb_thread;

class OrbEnvironment : public ::testing::Environment
{
public:
  void SetUp() override
  {
    g_orb = qelm_orb_init(std::vector<std::string>{}, QELM_ORB_ID, 20000, "giop:tcp:127.0.0.1:");
    CORBA::Object_var obj = g_orb->resolve_initial_references("RootPOA");
    g_poa = PortableServer::POA::_narrow(obj.in());
    PortableServer::POAManager_var pm = g_poa->the_POAManager();
    pm->activate();
    g_orb_thread = std::thread([] { g_orb->run(); });
  }
  void TearDown() override
  {
    g_orb->shutdown(true);
    g_orb_thread.join();
    g_poa = PortableServer::POA::_nil();
    g_orb->destroy();
    g_orb = CORBA::ORB::_nil();
  }
};

::testing::Environment* const g_env = ::testing::AddGlobalTestEnvironment(new OrbEnvironment);

// A servant activated in the test's POA for as long as this object lives.
template <class S>
class Served
{
public:
  explicit Served(S* s) : m_s(s)
  {
    m_oid = g_poa->activate_object(s);
    m_ref = g_poa->id_to_reference(m_oid.in());
  }
  ~Served() { Deactivate(); }
  S* operator->() { return m_s; }
  S& get() { return *m_s; }
  CORBA::Object_ptr ref() { return m_ref.in(); }
  void Deactivate()
  {
    if (!m_active)
      return;
    m_active = false;
    g_poa->deactivate_object(m_oid.in());
    m_s->_remove_ref();
  }

private:
  S* m_s;
  bool m_active = true;
  PortableServer::ObjectId_var m_oid;
  CORBA::Object_var m_ref;
};

// ------------------------------------------------------------------ naming

CosNaming::Name QelmName(const char* name)
{
  CosNaming::Name n;
  n.length(2);
  n[0].id = CORBA::string_dup("QELM");
  n[1].id = CORBA::string_dup(name);
  return n;
}

CosNaming::NamingContext_ptr Context(const NamingServiceFixture& ns)
{
  CORBA::Object_var obj = g_orb->string_to_object(ns.corbaloc().c_str());
  return CosNaming::NamingContext::_narrow(obj.in());
}

void Bind(const NamingServiceFixture& ns, const char* name, CORBA::Object_ptr obj)
{
  CosNaming::NamingContext_var ctx = Context(ns);
  CosNaming::Name top;
  top.length(1);
  top[0].id = CORBA::string_dup("QELM");
  try {
    CosNaming::NamingContext_var sub = ctx->bind_new_context(top);
  } catch (const CosNaming::NamingContext::AlreadyBound&) {
  }
  ctx->rebind(QelmName(name), obj);
}

CORBA::Object_ptr Resolve(const NamingServiceFixture& ns, const char* name,
                          std::chrono::milliseconds timeout = 20s)
{
  CORBA::Object_var found;
  WaitUntil(
      [&] {
        try {
          CosNaming::NamingContext_var ctx = Context(ns);
          CORBA::Object_var obj = ctx->resolve(QelmName(name));
          if (!obj->_non_existent()) {
            found = obj._retn();
            return true;
          }
        } catch (...) {
        }
        return false;
      },
      timeout);
  return found._retn();
}

// ------------------------------------------------------------------ servants

// A message target that records the codes it receives. It can be made to
// block every delivery until released, to fail every delivery, or to take
// its time over each.
class Recorder : public POA_QELM::MessageTarget
{
public:
  explicit Recorder(bool block = false, bool fail = false, std::chrono::milliseconds delay = 0ms)
      : m_block(block), m_fail(fail), m_delay(delay)
  {}

  void SendMsg(const QELM::MSG& m) override
  {
    std::this_thread::sleep_for(m_delay);
    std::unique_lock<std::mutex> lock(m_mutex);
    ++m_calls;
    if (m_fail)
      throw CORBA::NO_PERMISSION();
    if (m_block)
      m_cv.wait(lock, [this] { return m_released; });
    m_ids.push_back(m.ID);
    m_sizes.push_back(m.arg.length());
    m_cv.notify_all();
  }

  void Release()
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_released = true;
    m_cv.notify_all();
  }
  std::vector<long> Ids()
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_ids;
  }
  int Calls()
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_calls;
  }
  // Waits until the code has arrived (count times).
  bool WaitFor(long id, int count = 1)
  {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_cv.wait_for(lock, 30s, [&] { return std::count(m_ids.begin(), m_ids.end(), id) >= count; });
  }

private:
  std::mutex m_mutex;
  std::condition_variable m_cv;
  std::vector<long> m_ids;
  std::vector<unsigned> m_sizes;
  int m_calls = 0;
  bool m_block, m_fail, m_released = false;
  std::chrono::milliseconds m_delay;
};

// A record store that does nothing but what Initialize needs: it reads the
// Management clock inside the call, as the real one does.
class FakeStore : public POA_QELM::Tallyhouse
{
public:
  CORBA::Long Initialize(QELM::Management_ptr man) override
  {
    QELM::HRTime t = man->GetSystemClock();
    std::lock_guard<std::mutex> lock(m_mutex);
    m_clock = t;
    ++m_inits;
    return 0;
  }
  void UpdateSimulationParameters(const QELM::SimulationParameters&) override {}
  QELM::SimulationParameters GetSimulationParameters() override { throw CORBA::NO_IMPLEMENT(); }
  void Shutdown() override {}
  void Flush() override {}
  CORBA::Long GetTableMaxSize(QELM::Tallyhouse::DBKIDEnum) override { return 0; }
  void SetTableMaxSize(QELM::Tallyhouse::DBKIDEnum, CORBA::Long) override {}
  CORBA::Long GetRecordCount(QELM::Tallyhouse::DBKIDEnum) override { return 0; }
  QELM::HRTime GetLatestInsertTime(QELM::Tallyhouse::DBKIDEnum) override { throw CORBA::NO_IMPLEMENT(); }
  // The record set for the kind with SetRecord, else NO_IMPLEMENT; every
  // kind asked for is recorded in order.
  QELM::DBKRecord* GetLatestRecord(QELM::Tallyhouse::DBKIDEnum id) override
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_fetched.push_back(id);
    for (auto& [kind, rec] : m_records)
      if (kind == id)
        return new QELM::DBKRecord(rec);
    throw CORBA::NO_IMPLEMENT();
  }
  void SetRecord(QELM::Tallyhouse::DBKIDEnum id, std::vector<std::vector<CORBA::Long>> L,
                 std::vector<std::vector<CORBA::Float>> F)
  {
    QELM::DBKRecord r;
    r.timestamp.sec = 0;
    r.timestamp.msec = 0;
    r.quasi_timestamp = 0;
    r.L.length(static_cast<CORBA::ULong>(L.size()));
    for (size_t i = 0; i < L.size(); ++i) {
      r.L[i].length(static_cast<CORBA::ULong>(L[i].size()));
      for (size_t j = 0; j < L[i].size(); ++j)
        r.L[i][j] = L[i][j];
    }
    r.F.length(static_cast<CORBA::ULong>(F.size()));
    for (size_t i = 0; i < F.size(); ++i) {
      r.F[i].length(static_cast<CORBA::ULong>(F[i].size()));
      for (size_t j = 0; j < F[i].size(); ++j)
        r.F[i][j] = F[i][j];
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    m_records.emplace_back(id, r);
  }
  std::vector<QELM::Tallyhouse::DBKIDEnum> Fetched()
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_fetched;
  }
  QELM::DBKRecord* GetRecord(QELM::Tallyhouse::DBKIDEnum, CORBA::Float) override
  {
    throw CORBA::NO_IMPLEMENT();
  }
  void InsertRecord(const QELM::DBKRecord&, QELM::Tallyhouse::DBKIDEnum) override {}
  QELM::DBKRecord* GetRecordAverage(QELM::Tallyhouse::DBKIDEnum, CORBA::Long) override
  {
    throw CORBA::NO_IMPLEMENT();
  }
  QELM::LSHHistory* FetchLSHH(QELM::Tallyhouse::DBKIDEnum, CORBA::Long) override
  {
    throw CORBA::NO_IMPLEMENT();
  }

  int Inits()
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_inits;
  }
  QELM::HRTime Clock()
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_clock;
  }

private:
  std::mutex m_mutex;
  QELM::HRTime m_clock{0, 0};
  int m_inits = 0;
  std::vector<std::pair<QELM::Tallyhouse::DBKIDEnum, QELM::DBKRecord>> m_records;
  std::vector<QELM::Tallyhouse::DBKIDEnum> m_fetched;
};

// A NOWSIM that records its cycle windows and reports each cycle's start
// and end through Management, inside the call, as the modules do.
class FakeNowsim : public POA_QELM::Descriptive
{
public:
  explicit FakeNowsim(bool fail_cycles = false) : m_fail(fail_cycles) {}

  CORBA::Long Initialize(QELM::Management_ptr man) override
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_man = QELM::Management::_duplicate(man);
    return 0;
  }
  void Stop() override {}
  void Shutdown() override {}
  void SendMsg(const QELM::MSG&) override {}
  void PostInitialize(QELM::SimulationParameters&) override {}
  void Simulate(CORBA::ULongLong start, CORBA::ULongLong end, CORBA::Long) override
  {
    QELM::Management_var man;
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      man = QELM::Management::_duplicate(m_man.in());
      m_windows.push_back({start, end});
    }
    m_cv.notify_all();
    if (m_fail)
      throw CORBA::INTERNAL();
    QELM::MSG msg;
    msg.ID = MSG_NOWSIM_STARTED;
    msg.timestamp = man->GetSystemClock();
    man->SendMsg(msg);
    msg.ID = MSG_NOWSIM_ENDED;
    man->SendMsg(msg);
  }
  void UpdateCCA() override {}
  void UpdateCCB() override {}
  void SaveNetworkState(CORBA::Long) override {}
  void GetNetworkState(QELM::OctetSeq_out state, CORBA::Long) override { state = new QELM::OctetSeq; }

  bool Initialized()
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    return !CORBA::is_nil(m_man.in());
  }
  std::vector<std::pair<unsigned long long, unsigned long long>> Windows()
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_windows;
  }
  bool WaitForCycles(size_t n)
  {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_cv.wait_for(lock, 30s, [&] { return m_windows.size() >= n; });
  }

private:
  std::mutex m_mutex;
  std::condition_variable m_cv;
  QELM::Management_var m_man;
  std::vector<std::pair<unsigned long long, unsigned long long>> m_windows;
  bool m_fail;
};

// ------------------------------------------------------------------ process

// One Management child process in a directory of its own.
class ManagementProcess
{
public:
  ~ManagementProcess() { Stop(); }

  // Starts it and waits until it serves and reports itself active.
  void Start(const NamingServiceFixture& ns, std::vector<std::string> extra = {},
             const std::string& scheduler = "")
  {
    if (!scheduler.empty()) {
      ASSERT_TRUE(WriteFile(m_dir.file("scheduler.dat"), scheduler));
    }
    std::vector<std::string> args = ns.system_orb_args();
    args.insert(args.end(), extra.begin(), extra.end());
    ChildProcess::Options opt;
    opt.working_dir = m_dir.path();
    opt.stdout_file = m_dir.file("output.txt");
    opt.stderr_file = m_dir.file("output.txt");
    ASSERT_TRUE(m_proc.Start(VLQ_MANAGEMENT_EXE, args, opt));
    CORBA::Object_var obj = Resolve(ns, "Management");
    ASSERT_FALSE(CORBA::is_nil(obj.in())) << ReadFile(m_dir.file("output.txt"));
    m_ref = QELM::Management::_narrow(obj.in());
    ASSERT_FALSE(CORBA::is_nil(m_ref.in()));
    ASSERT_TRUE(WaitUntil([&] { return m_ref->GetSystemStatus().active; }));
  }

  QELM::Management_ptr operator->() { return m_ref.in(); }
  QELM::Management_ptr ref() { return m_ref.in(); }
  ChildProcess& proc() { return m_proc; }
  std::string Log() { return ReadFile(m_dir.file("management.log")); }
  bool WaitForLog(const std::string& text)
  {
    return WaitUntil([&] { return Log().find(text) != std::string::npos; }, 30s);
  }
  const TempDir& dir() const { return m_dir; }

  void Stop()
  {
    if (!m_proc.Running())
      return;
    try {
      m_ref->Shutdown();
    } catch (...) {
    }
    if (!m_proc.Wait(20s))
      m_proc.Terminate();
  }

private:
  TempDir m_dir{"vlq-mgmt"};
  ChildProcess m_proc;
  QELM::Management_var m_ref;
};

QELM::MSG Msg(long id, const QELM::OctetSeq& arg = QELM::OctetSeq())
{
  QELM::MSG m;
  m.ID = id;
  m.timestamp.sec = 0;
  m.timestamp.msec = 0;
  m.arg = arg;
  return m;
}

QELM::OctetSeq Bytes(size_t n)
{
  QELM::OctetSeq s;
  s.length(static_cast<CORBA::ULong>(n));
  for (size_t i = 0; i < n; ++i)
    s[static_cast<CORBA::ULong>(i)] = 0;
  return s;
}

QELM::OctetSeq IncidentPayload(int32_t from, int32_t to, float start, float end, float severity)
{
  VQDataPacker p;
  PackInto(p, &from, 4);
  PackInto(p, &to, 4);
  PackInto(p, &start, 4);
  PackInto(p, &end, 4);
  PackInto(p, &severity, 4);
  QELM::OctetSeq s;
  p.Pack(s);
  return s;
}

QELM::OctetSeq VMSPayload(int32_t type, int32_t from, int32_t to, int32_t p0, int32_t p1, float start,
                          float end, std::vector<int32_t> nodes)
{
  int32_t params[2] = {p0, p1};
  int32_t path[100] = {};
  for (size_t i = 0; i < nodes.size() && i < 100; ++i)
    path[i] = nodes[i];
  VQDataPacker p;
  PackInto(p, &type, 4);
  PackInto(p, &from, 4);
  PackInto(p, &to, 4);
  PackInto(p, params, 4, 2);
  PackInto(p, &start, 4);
  PackInto(p, &end, 4);
  PackInto(p, path, 4, 100);
  QELM::OctetSeq s;
  p.Pack(s);
  return s;
}

QELM::OctetSeq WorkZonePayload(int32_t from, int32_t to, float start, float end, float reduction,
                               int32_t speed, int32_t discharge)
{
  VQDataPacker p;
  PackInto(p, &from, 4);
  PackInto(p, &to, 4);
  PackInto(p, &start, 4);
  PackInto(p, &end, 4);
  PackInto(p, &reduction, 4);
  PackInto(p, &speed, 4);
  PackInto(p, &discharge, 4);
  QELM::OctetSeq s;
  p.Pack(s);
  return s;
}

}  // namespace

// ------------------------------------------------------------------ tests

TEST(ManagementStatus, FlagsFollowInitializeStartAndStop)
{
  NamingServiceFixture ns;
  Served<FakeStore> store(new FakeStore);
  Bind(ns, "Tallyhouse", store.ref());
  ManagementProcess m;
  ASSERT_NO_FATAL_FAILURE(m.Start(ns, {"-pause-ms", "20"}));
  Served<Recorder> target(new Recorder);
  QELM::MessageTarget_var tref = QELM::MessageTarget::_narrow(target.ref());
  ASSERT_NE(m->RegisterTarget(tref.in()), 0);

  QELM::SystemStatus s = m->GetSystemStatus();
  EXPECT_TRUE(s.active);
  EXPECT_FALSE(s.initialized);
  EXPECT_FALSE(s.initialized_before);
  EXPECT_FALSE(s.cyclic_running);
  EXPECT_NE(m->Stop(), 0) << "Stop while not running";

  ASSERT_EQ(m->Initialize(), 0);
  s = m->GetSystemStatus();
  EXPECT_TRUE(s.active);
  EXPECT_TRUE(s.initialized);
  EXPECT_TRUE(s.initialized_before);
  EXPECT_FALSE(s.cyclic_running);
  QELM::Tallyhouse_var th = m->GetDataBrokerObject();
  ASSERT_FALSE(CORBA::is_nil(th.in()));
  EXPECT_TRUE(th->_is_equivalent(store.ref()));

  m->Start(QELM::Management::RUN_SEQUENTIAL);
  ASSERT_TRUE(WaitUntil([&] { return m->GetSystemStatus().cyclic_running; }));
  ASSERT_TRUE(target->WaitFor(MSG_CYCLIC_STARTED));
  EXPECT_NE(m->Initialize(), 0) << "Initialize while the cycles run";

  EXPECT_EQ(m->Stop(), 0);
  s = m->GetSystemStatus();
  EXPECT_TRUE(s.active);
  EXPECT_TRUE(s.initialized);
  EXPECT_FALSE(s.cyclic_running);
  ASSERT_TRUE(target->WaitFor(MSG_CYCLIC_STOPPED));
  std::vector<long> ids = target->Ids();
  EXPECT_EQ(ids.front(), MSG_CYCLIC_STARTED);
  EXPECT_EQ(ids.back(), MSG_CYCLIC_STOPPED);
  EXPECT_NE(m->Stop(), 0) << "second Stop";

  // The cycles start again after a Stop.
  m->Start(QELM::Management::RUN_REAL_TIME);
  ASSERT_TRUE(WaitUntil([&] { return m->GetSystemStatus().cyclic_running; }));
  EXPECT_EQ(m->Stop(), 0);
  ASSERT_TRUE(target->WaitFor(MSG_CYCLIC_STOPPED, 2));
}

TEST(ManagementInitialize, FailsWithoutRecordStoreAndLeavesTheFlags)
{
  NamingServiceFixture ns;
  ManagementProcess m;
  ASSERT_NO_FATAL_FAILURE(m.Start(ns, {"-store-wait-s", "0"}));
  EXPECT_NE(m->Initialize(), 0);
  QELM::SystemStatus s = m->GetSystemStatus();
  EXPECT_TRUE(s.active);
  EXPECT_FALSE(s.initialized);
  EXPECT_FALSE(s.initialized_before);
  QELM::Tallyhouse_var th = m->GetDataBrokerObject();
  EXPECT_TRUE(CORBA::is_nil(th.in()));
  // Start is refused while not initialized; the log says so.
  m->Start(QELM::Management::RUN_SEQUENTIAL);
  EXPECT_TRUE(m.WaitForLog("Start refused: not initialized."));
  EXPECT_FALSE(m->GetSystemStatus().cyclic_running);

  // A record store bound later makes a second Initialize succeed.
  Served<FakeStore> store(new FakeStore);
  Bind(ns, "Tallyhouse", store.ref());
  EXPECT_EQ(m->Initialize(), 0);
  EXPECT_TRUE(m->GetSystemStatus().initialized);
}

TEST(ManagementInitialize, RecordStoreReadsTheClockInsideInitialize)
{
  // The record store calls GetSystemClock while Management waits in
  // Tallyhouse::Initialize: Management must serve it at the same time. The
  // clock is the local one moved by the offset given on the command line.
  struct Case
  {
    const char* offset_ms;
    long long offset_s;
  } cases[] = {{"0", 0}, {"7200000", 7200}, {"-86400000", -86400}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.offset_ms);
    NamingServiceFixture ns;
    Served<FakeStore> store(new FakeStore);
    Bind(ns, "Tallyhouse", store.ref());
    ManagementProcess m;
    ASSERT_NO_FATAL_FAILURE(m.Start(ns, {"-clock-offset-ms", c.offset_ms}));
    ASSERT_EQ(m->Initialize(), 0);
    EXPECT_EQ(store->Inits(), 1);
    struct timeval now;
    gettimeofday(&now, nullptr);
    const long long diff = store->Clock().sec - (static_cast<long long>(now.tv_sec) + c.offset_s);
    EXPECT_LE(std::llabs(diff), 60) << "clock read inside Initialize";
    QELM::HRTime t = m->GetSystemClock();
    EXPECT_GE(t.msec, 0);
    EXPECT_LT(t.msec, 1000);
    EXPECT_LE(std::llabs(t.sec - (static_cast<long long>(now.tv_sec) + c.offset_s)), 60);
  }
}

TEST(ManagementInitialize, RealRecordStoreCorrectsItsClockAgainstManagement)
{
  NamingServiceFixture ns;
  TempDir thdir("vlq-th");
  ChildProcess th;
  ChildProcess::Options opt;
  opt.working_dir = thdir.path();
  opt.stdout_file = thdir.file("output.txt");
  opt.stderr_file = thdir.file("output.txt");
  ASSERT_TRUE(th.Start(VLQ_TALLYHOUSE_EXE, ns.system_orb_args(), opt));
  CORBA::Object_var thobj = Resolve(ns, "Tallyhouse");
  ASSERT_FALSE(CORBA::is_nil(thobj.in())) << ReadFile(thdir.file("output.txt"));

  ManagementProcess m;
  ASSERT_NO_FATAL_FAILURE(m.Start(ns, {"-clock-offset-ms", "3600000"}));
  ASSERT_EQ(m->Initialize(), 0);
  QELM::Tallyhouse_var store = m->GetDataBrokerObject();
  ASSERT_FALSE(CORBA::is_nil(store.in()));
  EXPECT_EQ(store->GetRecordCount(QELM::Tallyhouse::GUIRTSTATDATA), 0);
  EXPECT_TRUE(m.Log().find("Record store initialized.") != std::string::npos) << m.Log();
  // The record store measured a correction of about one hour.
  const std::string log = ReadFile(thdir.file("tallyhouse.log"));
  const std::string key = "time correction: ";
  size_t pos = log.find(key);
  ASSERT_NE(pos, std::string::npos) << log;
  long correction = std::strtol(log.c_str() + pos + key.size(), nullptr, 10);
  EXPECT_GE(correction, 3590);
  EXPECT_LE(correction, 3610);

  store->Shutdown();
  if (!th.Wait(20s))
    th.Terminate();
}

TEST(ManagementTargets, IdsAreNonzeroDistinctAndWithdrawnOnce)
{
  NamingServiceFixture ns;
  ManagementProcess m;
  ASSERT_NO_FATAL_FAILURE(m.Start(ns));
  Served<Recorder> a(new Recorder), b(new Recorder), c(new Recorder);
  QELM::MessageTarget_var ra = QELM::MessageTarget::_narrow(a.ref());
  QELM::MessageTarget_var rb = QELM::MessageTarget::_narrow(b.ref());
  QELM::MessageTarget_var rc = QELM::MessageTarget::_narrow(c.ref());
  CORBA::Long ia = m->RegisterTarget(ra.in());
  CORBA::Long ib = m->RegisterTarget(rb.in());
  CORBA::Long ic = m->RegisterTarget(rc.in());
  EXPECT_NE(ia, 0);
  EXPECT_NE(ib, 0);
  EXPECT_NE(ic, 0);
  EXPECT_NE(ia, ib);
  EXPECT_NE(ib, ic);
  EXPECT_NE(ia, ic);
  EXPECT_EQ(m->RegisterTarget(QELM::MessageTarget::_nil()), 0) << "nil target";

  EXPECT_EQ(m->UnregisterTarget(ib), 0);
  EXPECT_NE(m->UnregisterTarget(ib), 0) << "withdrawn twice";
  for (CORBA::Long unknown : {0, -1, 99999})
    EXPECT_NE(m->UnregisterTarget(unknown), 0) << unknown;

  // A withdrawn target gets nothing more; the others still get everything.
  m->SendMsg(Msg(100));
  ASSERT_TRUE(a->WaitFor(100));
  ASSERT_TRUE(c->WaitFor(100));
  EXPECT_TRUE(b->Ids().empty());
  // The same object registered again gets a fresh id.
  CORBA::Long ib2 = m->RegisterTarget(rb.in());
  EXPECT_NE(ib2, 0);
  EXPECT_NE(ib2, ib);
  EXPECT_EQ(m->UnregisterTarget(ia), 0);
  EXPECT_EQ(m->UnregisterTarget(ic), 0);
  EXPECT_EQ(m->UnregisterTarget(ib2), 0);

  // Registrations are bounded (each target has a delivery thread); a
  // withdrawal makes room again.
  std::vector<CORBA::Long> ids;
  for (int i = 0; i < 64; ++i) {
    ids.push_back(m->RegisterTarget(ra.in()));
    ASSERT_NE(ids.back(), 0) << i;
  }
  EXPECT_EQ(m->RegisterTarget(ra.in()), 0) << "a 65th target";
  EXPECT_EQ(m->UnregisterTarget(ids.front()), 0);
  EXPECT_NE(m->RegisterTarget(ra.in()), 0);
}

TEST(ManagementDelivery, LiveTargetGetsEverythingInOrderWhileOthersBlockFailOrAreGone)
{
  NamingServiceFixture ns;
  ManagementProcess m;
  ASSERT_NO_FATAL_FAILURE(m.Start(ns, {"-target-timeout-ms", "20000"}));
  Served<Recorder> live(new Recorder);
  Served<Recorder> blocked(new Recorder(true));
  Served<Recorder> failing(new Recorder(false, true));
  Served<Recorder> gone(new Recorder);
  auto reg = [&](CORBA::Object_ptr o) {
    QELM::MessageTarget_var t = QELM::MessageTarget::_narrow(o);
    return m->RegisterTarget(t.in());
  };
  CORBA::Long i_live = reg(live.ref());
  CORBA::Long i_blocked = reg(blocked.ref());
  CORBA::Long i_failing = reg(failing.ref());
  CORBA::Long i_gone = reg(gone.ref());
  gone.Deactivate();  // its object no longer exists

  std::vector<long> sent;
  for (long id = 100; id < 130; ++id) {
    m->SendMsg(Msg(id));
    sent.push_back(id);
  }
  // Everything reaches the live target, in order, while the blocked one
  // still holds its first message.
  ASSERT_TRUE(live->WaitFor(129));
  EXPECT_EQ(live->Ids(), sent);
  EXPECT_TRUE(blocked->Ids().empty());

  ASSERT_TRUE(m.WaitForLog("Message target " + std::to_string(i_failing) + " dropped"));
  ASSERT_TRUE(m.WaitForLog("Message target " + std::to_string(i_gone) + " dropped"));
  EXPECT_EQ(failing->Calls(), 1) << "a failed target is not called again";
  EXPECT_NE(m->UnregisterTarget(i_failing), 0) << "dropped target";
  EXPECT_NE(m->UnregisterTarget(i_gone), 0) << "dropped target";

  // More messages still reach the live one; the dropped ones get nothing.
  m->SendMsg(Msg(130));
  ASSERT_TRUE(live->WaitFor(130));
  EXPECT_EQ(failing->Calls(), 1);

  // Released, the blocked target gets everything too, in order.
  blocked->Release();
  ASSERT_TRUE(blocked->WaitFor(130));
  sent.push_back(130);
  EXPECT_EQ(blocked->Ids(), sent);
  EXPECT_EQ(m->UnregisterTarget(i_live), 0);
  EXPECT_EQ(m->UnregisterTarget(i_blocked), 0);
}

// A target that answers within the delivery time-out, but slower than
// messages arrive, is dropped once its queue is full (by bytes or by
// messages); the others keep receiving everything. The slow target holds its
// first message until the drop is seen, so the queue fills however fast the
// machine sends.
TEST(ManagementDelivery, TargetFallingTooFarBehindIsDroppedWhileOthersGetEverything)
{
  NamingServiceFixture ns;
  ManagementProcess m;
  ASSERT_NO_FATAL_FAILURE(m.Start(ns, {"-target-timeout-ms", "600000"}));
  struct Case
  {
    const char* name;
    size_t payload;
    int count;
  };
  const Case cases[] = {
      {"1 MB messages: bounded by bytes", 1u << 20, 40},
      {"empty messages: bounded by count", 0, 1100},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Served<Recorder> live(new Recorder);
    Served<Recorder> slow(new Recorder(true));
    QELM::MessageTarget_var rl = QELM::MessageTarget::_narrow(live.ref());
    QELM::MessageTarget_var rs = QELM::MessageTarget::_narrow(slow.ref());
    const CORBA::Long i_live = m->RegisterTarget(rl.in());
    const CORBA::Long i_slow = m->RegisterTarget(rs.in());
    ASSERT_NE(i_live, 0);
    ASSERT_NE(i_slow, 0);

    const QELM::OctetSeq payload = Bytes(c.payload);
    std::vector<long> sent;
    for (long id = 1000; id < 1000 + c.count; ++id) {
      m->SendMsg(Msg(id, payload));
      sent.push_back(id);
    }
    const std::string drop = "Message target " + std::to_string(i_slow) + " dropped: ";
    const bool dropped = m.WaitForLog(drop);
    slow->Release();
    ASSERT_TRUE(dropped);
    const std::string log = m.Log();
    const size_t at = log.find(drop);
    EXPECT_NE(log.substr(at, log.find('\n', at) - at).find("wait for delivery."), std::string::npos)
        << "dropped for its full queue, not for a failed delivery";
    ASSERT_TRUE(live->WaitFor(sent.back()));
    EXPECT_EQ(live->Ids(), sent);
    EXPECT_LT(slow->Calls(), c.count / 2);
    EXPECT_NE(m->UnregisterTarget(i_slow), 0) << "dropped target";
    EXPECT_EQ(m->UnregisterTarget(i_live), 0);
  }
}

TEST(ManagementCommands, PayloadSizesDecideBetweenDecodedLineAndRefusal)
{
  struct Case
  {
    long code;
    QELM::OctetSeq arg;
    bool accepted;
    std::string line;
  };
  const std::vector<Case> cases = {
      {MSG_INCIDENT_ADD, IncidentPayload(11, 12, 480, 540, 0.5f), true,
       "Command message 42 (MSG_INCIDENT_ADD): link 11 -> 12, minutes 480.0 to 540.0, severity 0.5."},
      {MSG_INCIDENT_REMOVE, IncidentPayload(7, 9, 0, 1440, 1.0f), true,
       "Command message 43 (MSG_INCIDENT_REMOVE): link 7 -> 9, minutes 0.0 to 1440.0, severity 1.0."},
      {MSG_VMS_ADD, VMSPayload(2, 11, 12, 100, 3, 480, 540, {12, 13, 14}), true,
       "Command message 44 (MSG_VMS_ADD): type 2 (mandatory detour), link 11 -> 12, parameters 100 3, "
       "minutes 480.0 to 540.0, sub-path 12 13 14."},
      {MSG_VMS_REMOVE, VMSPayload(1, 11, 12, -20, 30, 60, 120, {5, 6}), true,
       "Command message 45 (MSG_VMS_REMOVE): type 1 (speed advisory), link 11 -> 12, speed threshold "
       "-20, change 30%, minutes 60.0 to 120.0."},
      {MSG_VMS_ADD, VMSPayload(3, 1, 2, 40, 1, 0, 10, {}), true,
       "type 3 (congestion warning), link 1 -> 2, response rate 40%, path preference 1, minutes 0.0 "
       "to 10.0."},
      {MSG_VMS_ADD, VMSPayload(4, 1, 2, 100, 150, 0, 10, {2}), true,
       "type 4 (optional detour), link 1 -> 2, parameters 100 150, minutes 0.0 to 10.0, sub-path "
       "node count 150 out of range."},
      {MSG_WORKZONE_ADD, WorkZonePayload(3, 4, 600, 720, 0.3f, 35, 1800), true,
       "Command message 46 (MSG_WORKZONE_ADD): link 3 -> 4, minutes 600.0 to 720.0, capacity "
       "reduction 0.30, speed limit 35 mph, discharge rate 1800 veh/hr/ln."},
      {MSG_WORKZONE_REMOVE, WorkZonePayload(3, 4, 600, 720, 1.0f, 25, 900), true,
       "Command message 47 (MSG_WORKZONE_REMOVE): link 3 -> 4"},
      {MSG_INCIDENT_ADD, Bytes(19), false,
       "Command message 42 (MSG_INCIDENT_ADD) refused: payload of 19 bytes, 20 expected."},
      {MSG_INCIDENT_REMOVE, Bytes(0), false,
       "Command message 43 (MSG_INCIDENT_REMOVE) refused: payload of 0 bytes, 20 expected."},
      {MSG_VMS_ADD, Bytes(20), false,
       "Command message 44 (MSG_VMS_ADD) refused: payload of 20 bytes, 428 expected."},
      {MSG_VMS_REMOVE, Bytes(429), false,
       "Command message 45 (MSG_VMS_REMOVE) refused: payload of 429 bytes, 428 expected."},
      {MSG_WORKZONE_ADD, Bytes(428), false,
       "Command message 46 (MSG_WORKZONE_ADD) refused: payload of 428 bytes, 28 expected."},
      {MSG_WORKZONE_REMOVE, Bytes(27), false,
       "Command message 47 (MSG_WORKZONE_REMOVE) refused: payload of 27 bytes, 28 expected."},
  };

  NamingServiceFixture ns;
  ManagementProcess m;
  ASSERT_NO_FATAL_FAILURE(m.Start(ns));
  Served<Recorder> target(new Recorder);
  QELM::MessageTarget_var tref = QELM::MessageTarget::_narrow(target.ref());
  ASSERT_NE(m->RegisterTarget(tref.in()), 0);

  long sentinel = 1000;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    size_t before = target->Ids().size();
    m->SendMsg(Msg(c.code, c.arg));
    // Messages reach a target in the order sent: once the sentinel is in,
    // a forwarded command would be in too.
    m->SendMsg(Msg(++sentinel));
    ASSERT_TRUE(target->WaitFor(sentinel));
    std::vector<long> ids = target->Ids();
    std::vector<long> got(ids.begin() + static_cast<long>(before), ids.end());
    if (c.accepted)
      EXPECT_EQ(got, (std::vector<long>{c.code, sentinel}));
    else
      EXPECT_EQ(got, (std::vector<long>{sentinel}));
    EXPECT_NE(m.Log().find(c.line), std::string::npos) << m.Log();
  }
}

TEST(ManagementCycles, DriveTheBoundModuleWithTheCycleLengthOfSchedulerDat)
{
  struct Case
  {
    const char* what;
    std::string scheduler;  // "" = no file
    unsigned long long cycle;
    QELM::Management::RunModeEnum mode;
  } cases[] = {
      {"period 120 from scheduler.dat",
       "120 0\n300 3600 300\n600 300\n900 1800 0\n1800 1800\n120 120\n\n300\n300\n120\n\n5\n3600000\n\n", 120,
       QELM::Management::RUN_SEQUENTIAL},
      {"no scheduler.dat", "", 60, QELM::Management::RUN_SEQUENTIAL},
      {"malformed scheduler.dat", "sixty seconds\n", 60, QELM::Management::RUN_SEQUENTIAL},
      {"period 0 refused", "0 0\n300 3600 300\n600 300\n900 1800 0\n1800 1800\n120 120\n", 60,
       QELM::Management::RUN_SEQUENTIAL},
      {"real time, paced fast", "300 0\n300 3600 300\n600 300\n900 1800 0\n1800 1800\n120 120\n", 300,
       QELM::Management::RUN_REAL_TIME},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    NamingServiceFixture ns;
    Served<FakeStore> store(new FakeStore);
    Served<FakeNowsim> nowsim(new FakeNowsim);
    Bind(ns, "Tallyhouse", store.ref());
    Bind(ns, "NOWSIM", nowsim.ref());
    ManagementProcess m;
    ASSERT_NO_FATAL_FAILURE(
        m.Start(ns, {"-start-time", "3600", "-pause-ms", "0", "-pace-ms", "20"}, c.scheduler));
    Served<Recorder> target(new Recorder);
    QELM::MessageTarget_var tref = QELM::MessageTarget::_narrow(target.ref());
    ASSERT_NE(m->RegisterTarget(tref.in()), 0);

    ASSERT_EQ(m->Initialize(), 0);
    EXPECT_TRUE(nowsim->Initialized()) << "Task::Initialize with the Management reference";
    EXPECT_NE(m.Log().find("Module FORESIM is not bound: skipped."), std::string::npos);
    m->Start(c.mode);
    ASSERT_TRUE(nowsim->WaitForCycles(3));
    EXPECT_EQ(m->Stop(), 0);
    ASSERT_TRUE(target->WaitFor(MSG_CYCLIC_STOPPED));

    auto w = nowsim->Windows();
    ASSERT_GE(w.size(), 3u);
    for (size_t i = 0; i < w.size(); ++i) {
      EXPECT_EQ(w[i].first, 3600 + i * c.cycle) << i;
      EXPECT_EQ(w[i].second, 3600 + (i + 1) * c.cycle) << i;
    }
    // The module's messages reach the target between the cycle's start and
    // stop codes, each cycle's start before its end.
    std::vector<long> ids = target->Ids();
    ASSERT_GE(ids.size(), 2u);
    EXPECT_EQ(ids.front(), MSG_CYCLIC_STARTED);
    EXPECT_EQ(ids.back(), MSG_CYCLIC_STOPPED);
    std::vector<long> expected = {MSG_CYCLIC_STARTED};
    for (size_t i = 0; i < w.size(); ++i) {
      expected.push_back(MSG_NOWSIM_STARTED);
      expected.push_back(MSG_NOWSIM_ENDED);
    }
    expected.push_back(MSG_CYCLIC_STOPPED);
    EXPECT_EQ(ids, expected);
  }
}

// Without -start-time the sample day begins at 1:00, inside the two hours
// (0:00 to 2:00) that a fresh console's clock and charts show, so that the
// first results appear there without moving the chart window.
TEST(ManagementCycles, SampleDayBeginsInsideTheConsolesFirstChartWindow)
{
  NamingServiceFixture ns;
  Served<FakeStore> store(new FakeStore);
  Served<FakeNowsim> nowsim(new FakeNowsim);
  Bind(ns, "Tallyhouse", store.ref());
  Bind(ns, "NOWSIM", nowsim.ref());
  ManagementProcess m;
  ASSERT_NO_FATAL_FAILURE(m.Start(ns, {"-pause-ms", "0"}));
  ASSERT_EQ(m->Initialize(), 0);
  m->Start(QELM::Management::RUN_SEQUENTIAL);
  ASSERT_TRUE(nowsim->WaitForCycles(1));
  EXPECT_EQ(m->Stop(), 0);
  const auto w = nowsim->Windows();
  ASSERT_FALSE(w.empty());
  EXPECT_EQ(w.front().first, 3600u);
  EXPECT_LT(w.front().second / 60, 120u);
}

TEST(ManagementCycles, ModuleFailingInItsCycleIsDroppedAndCyclingGoesOn)
{
  NamingServiceFixture ns;
  Served<FakeStore> store(new FakeStore);
  Served<FakeNowsim> nowsim(new FakeNowsim(true));
  Bind(ns, "Tallyhouse", store.ref());
  Bind(ns, "NOWSIM", nowsim.ref());
  ManagementProcess m;
  ASSERT_NO_FATAL_FAILURE(m.Start(ns, {"-pause-ms", "0"}));
  ASSERT_EQ(m->Initialize(), 0);
  QELM::TaskStatus ts = m->GetTaskStatus(0);
  EXPECT_TRUE(ts.active);
  EXPECT_TRUE(ts.initialized);
  m->Start(QELM::Management::RUN_SEQUENTIAL);
  ASSERT_TRUE(m.WaitForLog("Module NOWSIM failed in its cycle"));
  EXPECT_TRUE(m->GetSystemStatus().cyclic_running);
  EXPECT_FALSE(m->GetTaskStatus(0).active);
  QELM::Task_var task = m->GetTaskObject(0);
  EXPECT_TRUE(CORBA::is_nil(task.in()));
  EXPECT_EQ(m->Stop(), 0);
  EXPECT_EQ(nowsim->Windows().size(), 1u) << "a dropped module is not called again";
}

TEST(ManagementShutdown, EndsTheProgramWithStatusZero)
{
  for (bool cycling : {false, true}) {
    SCOPED_TRACE(cycling ? "while cycling" : "idle");
    NamingServiceFixture ns;
    Served<FakeStore> store(new FakeStore);
    Bind(ns, "Tallyhouse", store.ref());
    ManagementProcess m;
    ASSERT_NO_FATAL_FAILURE(m.Start(ns, {"-pause-ms", "10"}));
    Served<Recorder> target(new Recorder);
    QELM::MessageTarget_var tref = QELM::MessageTarget::_narrow(target.ref());
    ASSERT_NE(m->RegisterTarget(tref.in()), 0);
    if (cycling) {
      ASSERT_EQ(m->Initialize(), 0);
      m->Start(QELM::Management::RUN_SEQUENTIAL);
      ASSERT_TRUE(WaitUntil([&] { return m->GetSystemStatus().cyclic_running; }));
    }
    m->Shutdown();
    ASSERT_TRUE(m.proc().Wait(30s));
    EXPECT_EQ(m.proc().ExitCode(), 0) << ReadFile(m.dir().file("output.txt"));
    EXPECT_NE(m.Log().find("Management ended normally."), std::string::npos) << m.Log();
    if (cycling) {
      EXPECT_TRUE(target->WaitFor(MSG_CYCLIC_STOPPED)) << "the stop code is still delivered";
    }
  }
}

TEST(DemoClient, MakesTheConsoleCallsAndFetchesTheRecordsOfEachEndedCode)
{
  NamingServiceFixture ns;
  Served<FakeStore> store(new FakeStore);
  Served<FakeNowsim> nowsim(new FakeNowsim);
  store->SetRecord(QELM::Tallyhouse::GUIRTSTATDATA, {{42}}, {{1}, {2}, {3}, {3600}});
  store->SetRecord(QELM::Tallyhouse::GUIRTLINKDATA, {{3}, {2}},
                   {{1, 2, 3}, {1, 2, 3}, {1, 2, 3}, {1, 2, 3}, {1, 2, 3, 4}});
  Bind(ns, "Tallyhouse", store.ref());
  Bind(ns, "NOWSIM", nowsim.ref());
  ManagementProcess m;
  ASSERT_NO_FATAL_FAILURE(m.Start(ns, {"-pause-ms", "20"}));

  TempDir dir("vlq-demo");
  ChildProcess client;
  ChildProcess::Options opt;
  opt.working_dir = dir.path();
  opt.stdout_file = dir.file("output.txt");
  opt.stderr_file = dir.file("output.txt");
  std::vector<std::string> args = ns.system_orb_args();
  for (const char* a : {"-cycles", "2", "-seconds", "60", "-wait", "NOWSIM"})
    args.push_back(a);
  ASSERT_TRUE(client.Start(VLQ_DEMOCLIENT_EXE, args, opt));
  ASSERT_TRUE(client.Wait(90s));
  const std::string out = ReadFile(dir.file("output.txt"));
  EXPECT_EQ(client.ExitCode(), 0) << out;
  for (const char* line : {
           "clock correction: synchronized (result 0)",
           "RegisterTarget: id 1\n",
           "Initialize: 0\n",
           "GetDataBrokerObject: record store reference",
           "status after Start: active 1, initialized_before 1, initialized 1, cyclic_running 1",
           "  message 2 MSG_CYCLIC_STARTED\n",
           "  message 44 MSG_VMS_ADD\n",
           "  message 42 MSG_INCIDENT_ADD\n",
           "  message 9 MSG_NOWSIM_ENDED\n"
           "    GUIRTSTATDATA: L 1 [1], F 4 [1 1 1 1], time_now 3600 s\n"
           "    GUIRTLINKDATA: L 2 [1 1], F 5 [3 3 3 3 4]\n",
           "UnregisterTarget: 0\n",
       })
    EXPECT_NE(out.find(line), std::string::npos) << line << "\n---\n" << out;

  // The kinds fetched for code 9, in the console's order, once per cycle.
  std::vector<QELM::Tallyhouse::DBKIDEnum> fetched = store->Fetched();
  ASSERT_GE(fetched.size(), 4u);
  for (size_t i = 0; i + 1 < fetched.size(); i += 2) {
    EXPECT_EQ(fetched[i], QELM::Tallyhouse::GUIRTSTATDATA) << i;
    EXPECT_EQ(fetched[i + 1], QELM::Tallyhouse::GUIRTLINKDATA) << i;
  }
  // The commands went out in the console's layouts.
  const std::string log = m.Log();
  EXPECT_NE(log.find("Command message 44 (MSG_VMS_ADD): type 2 (mandatory detour), link 1 -> 2, "
                     "parameters 100 3, minutes 480.0 to 540.0, sub-path 2 3 4."),
            std::string::npos)
      << log;
  EXPECT_NE(log.find("Command message 42 (MSG_INCIDENT_ADD): link 1 -> 2, minutes 480.0 to 540.0, "
                     "severity 0.5."),
            std::string::npos)
      << log;
}
