// The whole system in a generated run directory: a real naming service,
// the record store, Management and every module, each started from its
// batch file, and a message target standing in for the console. Every
// ended code is answered as the console answers it: by fetching the newest
// records in the console's order and checking their shapes.
#include <gtest/gtest.h>

#include <omniORB4/CORBA.h>
#include <omniORB4/Naming.hh>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "ConsoleReaders.h"
#include "RecordShapes.h"
#include "TestSupport.h"
#include "qelm_command_args.h"
#include "qelm_corba_utils.h"
#include "qelm_msg_codes.h"
#include "qelm_orb_args.h"
#include "qelm_result_kinds.h"

namespace fs = std::filesystem;

namespace {

constexpr long kLinks = 14;         // a 3 x 2 grid
constexpr long kStageMinutes = 20;  // FORESIM stage of the generated scheduler.dat
constexpr double kNowsimPeriod = 30;

// The test's ORB, made as the console makes its own: the system's four ORB
// arguments naming the test's naming service. One per process.
CORBA::ORB_ptr Orb(const std::vector<std::string>& args = {})
{
  static CORBA::ORB_var orb = [&] {
    CORBA::ORB_var o = qelm_orb_init(args);
    CORBA::Object_var obj = o->resolve_initial_references("RootPOA");
    PortableServer::POA_var poa = PortableServer::POA::_narrow(obj.in());
    PortableServer::POAManager_var mgr = poa->the_POAManager();
    mgr->activate();
    return o._retn();
  }();
  return orb.in();
}

struct Fetched
{
  long code;
  QELM::Tallyhouse::DBKIDEnum kind;
  QELM::DBKRecord record;
};

// The console's GUI object, reduced to what the test checks.
class ConsoleTarget_i : public POA_QELM::GUI
{
public:
  void SetStore(QELM::Tallyhouse_ptr store)
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_store = QELM::Tallyhouse::_duplicate(store);
  }

  void SendMsg(const QELM::MSG& m) override
  {
    qelm_upcall([&] { Handle(m.ID); });
  }

  std::vector<long> Codes()
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_codes;
  }
  std::vector<Fetched> Records()
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_fetched;
  }
  int Count(long code)
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    return static_cast<int>(std::count(m_codes.begin(), m_codes.end(), code));
  }
  std::vector<std::string> Problems()
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_problems;
  }
  // The newest fetched record of a kind.
  bool Latest(QELM::Tallyhouse::DBKIDEnum kind, QELM::DBKRecord& out)
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    for (auto it = m_fetched.rbegin(); it != m_fetched.rend(); ++it) {
      if (it->kind == kind) {
        out = it->record;
        return true;
      }
    }
    return false;
  }

private:
  void Handle(long code)
  {
    using T = QELM::Tallyhouse;
    std::vector<T::DBKIDEnum> kinds = ResultKindsOfEndedCode(code);
    QELM::Tallyhouse_var store;
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      store = QELM::Tallyhouse::_duplicate(m_store.in());
      if (m_fetched.size() > 4000)
        kinds.clear();  // enough seen; keep memory bounded
    }
    for (T::DBKIDEnum kind : kinds) {
      try {
        if (CORBA::is_nil(store.in()))
          throw std::runtime_error("no record store");
        if (store->GetRecordCount(kind) < 1) {
          std::lock_guard<std::mutex> lock(m_mutex);
          m_problems.push_back("code " + std::to_string(code) + ": no record of kind " +
                               std::to_string(kind) + " in the store");
          continue;
        }
        QELM::DBKRecord_var r = store->GetLatestRecord(kind);
        std::lock_guard<std::mutex> lock(m_mutex);
        m_fetched.push_back({code, kind, r.in()});
      } catch (const std::exception& e) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_problems.push_back("code " + std::to_string(code) + ": " + e.what());
      } catch (const CORBA::Exception& e) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_problems.push_back("code " + std::to_string(code) + ": " + e._name());
      }
    }
    // A code counts as seen once its records are fetched, so that a test
    // waiting for a code also finds that code's records.
    std::lock_guard<std::mutex> lock(m_mutex);
    m_codes.push_back(code);
  }

  std::mutex m_mutex;
  QELM::Tallyhouse_var m_store;
  std::vector<long> m_codes;
  std::vector<Fetched> m_fetched;
  std::vector<std::string> m_problems;
};

const std::vector<long>& ModuleCycleOrder()
{
  static const std::vector<long> order = {
      MSG_NOWSIM_STARTED,   MSG_NOWSIM_ENDED,   MSG_FORESIM_STARTED, MSG_FORESIM_ENDED,
      MSG_FORESIM1_STARTED, MSG_FORESIM1_ENDED, MSG_ODE_STARTED,     MSG_ODE_ENDED,
      MSG_ODEC_STARTED,     MSG_ODEC_ENDED,     MSG_ODP_STARTED,     MSG_ODP_ENDED,
      MSG_NEARVET_STARTED,  MSG_NEARVET_ENDED,  MSG_FARVET_STARTED,  MSG_FARVET_ENDED};
  return order;
}

bool IsModuleCode(long c)
{
  const std::vector<long>& o = ModuleCycleOrder();
  return std::find(o.begin(), o.end(), c) != o.end();
}

class ModulesEndToEnd : public ::testing::Test
{
protected:
  void SetUp() override
  {
    if (const std::string missing = MissingSystemProgram(VLQ_BUILD_ROOT); !missing.empty())
      GTEST_SKIP() << missing << " is not built";
    run = dir.file("run");
    ChildProcess gen;
    ChildProcess::Options o;
    o.stdout_file = dir.file("gen.out");
    o.stderr_file = dir.file("gen.out");
    ASSERT_TRUE(gen.Start(
        VLQ_MAKE_RUNDIR, {run, "--rows", "3", "--cols", "2", "--seed", "11", "--bindir", VLQ_BUILD_ROOT}, o));
    ASSERT_TRUE(gen.Wait(std::chrono::seconds(60)));
    ASSERT_EQ(gen.ExitCode(), 0) << ReadFile(dir.file("gen.out"));
  }

  void TearDown() override
  {
    if (!CORBA::is_nil(management.in()) && target_id != 0) {
      try {
        management->UnregisterTarget(target_id);
      } catch (const CORBA::Exception&) {
      }
    }
    if (target) {
      try {
        PortableServer::POA_var poa = target->_default_POA();
        PortableServer::ObjectId_var oid = poa->servant_to_id(target.get());
        poa->deactivate_object(oid.in());
      } catch (const CORBA::Exception&) {
      }
    }
    // Whatever is still running is stopped through its own PID.
    for (auto& [key, p] : procs)
      p->Terminate(std::chrono::seconds(5));
  }

  void StartBat(const std::string& key)
  {
    auto p = std::make_unique<ChildProcess>();
    ChildProcess::Options o;
    o.working_dir = run;
    o.env = {"QELM_NAME_SERVICE_HOST=" + ns.host_port()};
    o.stdout_file = run + "/" + key + ".out";
    o.stderr_file = run + "/" + key + ".out";
    ASSERT_TRUE(p->Start("/bin/sh", {key + ".bat"}, o)) << key;
    procs[key] = std::move(p);
  }

  CORBA::Object_ptr Bound(const char* name, int timeout_s)
  {
    return qelm_get_object(Orb(ns.system_orb_args()), name, timeout_s);
  }

  std::string Logs();

  NamingServiceFixture ns;
  TempDir dir{"vlq-e2e"};
  std::string run;
  std::map<std::string, std::unique_ptr<ChildProcess>> procs;
  QELM::Management_var management;
  CORBA::Long target_id = 0;
  std::unique_ptr<ConsoleTarget_i, void (*)(ConsoleTarget_i*)> target{
      nullptr, [](ConsoleTarget_i* t) { t->_remove_ref(); }};
};

const char* const kModuleNames[] = {"NOWSIM", "FORESIM", "FORESIM1", "NEARVET", "FARVET", "ODE", "ODP"};
const char* const kModuleKeys[] = {"nowsim", "foresim", "foresim1", "nearvet", "farvet", "ode", "odp"};
// Each module runs in its folder of the run directory and logs there.
const char* const kModuleLogs[] = {"estimate/NOWSIM.log", "predict/FORESIM.log", "predict1/FORESIM1.log",
                                   "NEARVET/NEARVET.log", "farvet/FARVET.log",   "odestimate/ODE.log",
                                   "odpredict/ODP.log"};

std::string ModulesEndToEnd::Logs()
{
  std::vector<std::string> logs = {"management.log", "tallyhouse.log"};
  logs.insert(logs.end(), std::begin(kModuleLogs), std::end(kModuleLogs));
  std::string out;
  for (const std::string& f : logs)
    out += "---- " + f + "\n" + ReadFile(run + "/" + f).substr(0, 4000);
  return out;
}

TEST_F(ModulesEndToEnd, CyclesRecordsFilesAndOperatorEvents)
{
  // ------------------------------------------------------------ bring-up, as the console does it
  StartBat("tallyhouse");
  StartBat("management");
  for (const char* key : kModuleKeys)
    StartBat(key);
  for (const char* name :
       {"Tallyhouse", "Management", "NOWSIM", "FORESIM", "FORESIM1", "NEARVET", "FARVET", "ODE", "ODP"}) {
    try {
      CORBA::Object_var obj = Bound(name, 60);
    } catch (...) {
      FAIL() << name << " never bound in the naming service\n" << Logs();
    }
  }
  {
    management = qelm_get_object<QELM::Management>(Orb(), "Management", 10);
    ASSERT_FALSE(CORBA::is_nil(management.in()));
    // Initialize waits for the record store's clock correction.
    omniORB::setClientCallTimeout(management.in(), 120000);
  }

  target.reset(new ConsoleTarget_i);
  {
    PortableServer::POA_var poa = target->_default_POA();
    PortableServer::ObjectId_var oid = poa->activate_object(target.get());
    CORBA::Object_var obj = poa->id_to_reference(oid.in());
    QELM::GUI_var ref = QELM::GUI::_narrow(obj.in());
    target_id = management->RegisterTarget(ref.in());
    ASSERT_NE(target_id, 0);
  }
  ASSERT_EQ(management->Initialize(), 0) << Logs();
  QELM::Tallyhouse_var store = management->GetDataBrokerObject();
  ASSERT_FALSE(CORBA::is_nil(store.in()));
  target->SetStore(store.in());
  for (const char* log : kModuleLogs)
    EXPECT_NE(ReadFile(run + "/" + log).find("initialized; command target"), std::string::npos) << log;

  management->Start(QELM::Management::RUN_SEQUENTIAL);
  ASSERT_TRUE(
      WaitUntil([&] { return management->GetSystemStatus().cyclic_running; }, std::chrono::seconds(30)));
  ASSERT_TRUE(WaitUntil([&] { return target->Count(MSG_FARVET_ENDED) >= 2; }, std::chrono::seconds(120)))
      << Logs();

  // ------------------------------------------------------------ one full cycle, in order
  {
    std::vector<long> codes;
    for (long c : target->Codes())
      if (IsModuleCode(c))
        codes.push_back(c);
    ASSERT_FALSE(codes.empty());
    EXPECT_EQ(codes.front(), MSG_NOWSIM_STARTED);
    const std::vector<long> first(codes.begin(), codes.begin() + std::min<std::size_t>(codes.size(), 16));
    EXPECT_EQ(first, ModuleCycleOrder());
    // Every started code is followed by its own ended code.
    for (std::size_t i = 0; i + 1 < codes.size(); i += 2)
      EXPECT_EQ(codes[i + 1], codes[i] + 1) << "at " << i;
  }
  for (const std::string& p : target->Problems())
    ADD_FAILURE() << p;

  // ------------------------------------------------------------ record shapes after each ended code
  const std::vector<double> ref = console::Numbers(ReadFile(run + "/NEARVET/referencetable.txt"));
  ASSERT_EQ(ref.size(), 2u + 6u * kLinks);
  const long detectors = static_cast<long>(ref[1]);
  std::vector<double> times;
  int seen[20] = {};
  for (const Fetched& f : target->Records()) {
    using T = QELM::Tallyhouse;
    ++seen[f.kind];
    switch (f.kind) {
    case T::GUIRTSTATDATA: {
      double t = -1;
      EXPECT_TRUE(shapes::RTStat(f.record, &t));
      times.push_back(t);
      break;
    }
    case T::GUIRTLINKDATA: {
      long zones = -1;
      EXPECT_TRUE(shapes::RTLink(f.record, kLinks, &zones));
      EXPECT_EQ(zones, 6);
      break;
    }
    case T::GUIPLINKDATA:
    case T::GUIPLINKDATA_1: {
      long blocks = -1;
      EXPECT_TRUE(shapes::PredLink(f.record, kLinks, &blocks));
      EXPECT_EQ(blocks, kStageMinutes);
      break;
    }
    case T::GUIPSTATDATA:
    case T::GUIPSTATDATA_1: {
      long start = -1, length = -1;
      EXPECT_TRUE(shapes::PredStat(f.record, &start, &length));
      EXPECT_EQ(length, kStageMinutes);
      break;
    }
    case T::CCA_CORRECTION:
    case T::CCB_UPDATED_SPEED: EXPECT_TRUE(shapes::CCValue(f.record)); break;
    case T::GUISTLINKDATA: {
      long n = -1;
      EXPECT_TRUE(shapes::STLink(f.record, kLinks, &n));
      EXPECT_EQ(n, detectors);
      break;
    }
    default: ADD_FAILURE() << "unexpected kind " << f.kind;
    }
  }
  for (QELM::Tallyhouse::DBKIDEnum k :
       {QELM::Tallyhouse::GUIRTSTATDATA, QELM::Tallyhouse::GUIRTLINKDATA, QELM::Tallyhouse::GUIPLINKDATA,
        QELM::Tallyhouse::GUIPSTATDATA, QELM::Tallyhouse::GUIPLINKDATA_1, QELM::Tallyhouse::GUIPSTATDATA_1,
        QELM::Tallyhouse::CCA_CORRECTION, QELM::Tallyhouse::CCB_UPDATED_SPEED,
        QELM::Tallyhouse::GUISTLINKDATA})
    EXPECT_GE(seen[k], 2) << "kind " << k;
  // time_now is in seconds: it moves by whole NOWSIM periods (30 s) per cycle.
  ASSERT_GE(times.size(), 2u);
  for (std::size_t i = 1; i < times.size(); ++i) {
    const double d = times[i] - times[i - 1];
    EXPECT_GE(d, 0.0);
    EXPECT_EQ(std::fmod(d, kNowsimPeriod), 0.0) << times[i - 1] << " -> " << times[i];
  }
  EXPECT_GT(times.back(), times.front());

  // ------------------------------------------------------------ files the console reads
  std::set<int> nodes;
  {
    const std::vector<double> net = console::Numbers(ReadFile(run + "/estimate/network.dat"));
    for (int i = 0; i < static_cast<int>(net[1]); ++i)
      nodes.insert(static_cast<int>(net[5 + 2 * i]));
  }
  for (const char* sub : {"predict", "predict1"}) {
    std::vector<console::Path> paths;
    const std::string text = ReadFile(run + "/" + sub + "/Predictive_PathTravelTime.dat");
    ASSERT_TRUE(console::PredictedPaths(text, paths)) << sub << ":\n" << text;
    EXPECT_GE(paths.size(), 1u);
    for (const console::Path& p : paths)
      for (int n : p.nodes)
        EXPECT_TRUE(nodes.count(n)) << sub << " node " << n;
  }
  {
    const std::vector<double> obs = console::Numbers(ReadFile(run + "/odestimate/obsData.dat"));
    ASSERT_EQ(obs.size(), 3u + static_cast<std::size_t>(detectors));
    EXPECT_LT(obs[0], 24);
    EXPECT_LT(obs[1], 60);
    EXPECT_LT(obs[2], 60);
    for (std::size_t j = 3; j < obs.size(); ++j)
      EXPECT_GT(obs[j], 0.0);
  }

  // ------------------------------------------------------------ operator events
  // An incident on link 1 (1->2) and a work zone on link 3 (1->3), all day.
  QELM::DBKRecord before;
  ASSERT_TRUE(target->Latest(QELM::Tallyhouse::GUIRTLINKDATA, before));
  {
    IncidentMsgArg a;
    a.from_node = 1;
    a.to_node = 2;
    a.start = 0;
    a.end = 1440;
    a.severity = 0.9f;
    management->SendMsg(MakeCommandMsg(MSG_INCIDENT_ADD, PackCommandArg(a)));
  }
  {
    WorkZoneMsgArg a;
    a.from_node = 1;
    a.to_node = 3;
    a.start = 0;
    a.end = 1440;
    a.capacity_reduction = 0.8f;
    a.speed_limit = 15;
    a.discharge_rate = 600;
    management->SendMsg(MakeCommandMsg(MSG_WORKZONE_ADD, PackCommandArg(a)));
  }
  ASSERT_TRUE(WaitUntil(
      [&] {
        return ReadFile(run + "/estimate/NOWSIM.log").find("Work zone added on 1->3") != std::string::npos &&
               ReadFile(run + "/predict/FORESIM.log").find("Incident added on 1->2") != std::string::npos;
      },
      std::chrono::seconds(30)))
      << Logs();
  const int ended = target->Count(MSG_FORESIM_ENDED);
  ASSERT_TRUE(
      WaitUntil([&] { return target->Count(MSG_FORESIM_ENDED) >= ended + 2; }, std::chrono::seconds(60)));

  QELM::DBKRecord after, predicted;
  ASSERT_TRUE(target->Latest(QELM::Tallyhouse::GUIRTLINKDATA, after));
  ASSERT_TRUE(target->Latest(QELM::Tallyhouse::GUIPLINKDATA, predicted));
  ASSERT_TRUE(shapes::RTLink(after, kLinks));
  ASSERT_TRUE(shapes::PredLink(predicted, kLinks));
  for (CORBA::ULong k : {0u, 2u}) {
    // queue fraction F[2], speed F[1] of the estimate
    EXPECT_GT(after.F[2][k], before.F[2][k] + 0.3f) << "link " << k + 1;
    EXPECT_LT(after.F[1][k], before.F[1][k] * 0.6f) << "link " << k + 1;
    // the prediction's first step: queue F[2]
    EXPECT_GT(predicted.F[2][k], 0.3f) << "link " << k + 1;
  }
  EXPECT_LE(after.F[1][2], 15.0f) << "the work zone's speed limit";
  // A link without events keeps its free-flow character.
  EXPECT_LT(after.F[2][6], 0.3f);

  // ------------------------------------------------------------ close-down through the Task interface
  target->SetStore(QELM::Tallyhouse::_nil());
  management->Stop();
  for (std::size_t i = 0; i < std::size(kModuleNames); ++i) {
    CORBA::Object_var obj = Bound(kModuleNames[i], 5);
    QELM::Task_var task = QELM::Task::_narrow(obj.in());
    ASSERT_FALSE(CORBA::is_nil(task.in()));
    task->Shutdown();
  }
  for (const char* key : kModuleKeys) {
    ChildProcess& p = *procs[key];
    ASSERT_TRUE(p.Wait(std::chrono::seconds(30))) << key;
    EXPECT_EQ(p.ExitCode(), 0) << key;
  }
  for (const char* log : kModuleLogs)
    EXPECT_NE(ReadFile(run + "/" + log).find("ended normally"), std::string::npos) << log;
  std::printf("%zu messages, %zu records fetched, time_now %.0f to %.0f s\n", target->Codes().size(),
              target->Records().size(), times.front(), times.back());
}

// ---------------------------------------------------------------- start-up failures

TEST(ModulePrograms, RefuseBadStarts)
{
  TempDir dir("vlq-modprog");
  const std::string run = dir.file("run");
  const std::string empty = dir.file("empty");
  const std::string nearvet = run + "/NEARVET";
  fs::create_directories(empty);
  {
    ChildProcess gen;
    ASSERT_TRUE(gen.Start(VLQ_MAKE_RUNDIR, {run, "--rows", "2", "--cols", "2"}));
    ASSERT_TRUE(gen.Wait(std::chrono::seconds(60)));
    ASSERT_EQ(gen.ExitCode(), 0);
  }
  const std::string dead_ns =
      "NameService=corbaloc::127.0.0.1:" + std::to_string(FreeLoopbackPort()) + "/NameService";
  const std::string modules = std::string(VLQ_BUILD_ROOT) + "/standins/modules/";
  struct Case
  {
    const char* label;
    const char* program;
    std::vector<std::string> args;
    const std::string* cwd;
    int status;
    const char* log;       // log file expected, or null
    const char* log_text;  // text expected in it
  };
  const Case cases[] = {
      {"unknown option", "NOWSIM", {"--bogus"}, &run, 2, nullptr, nullptr},
      {"seed not a number", "FARVET", {"--seed", "x"}, &run, 2, nullptr, nullptr},
      {"instance of a module without one", "NOWSIM", {"1"}, &run, 2, nullptr, nullptr},
      {"prediction instance 2", "FORESIM", {"2"}, &run, 2, nullptr, nullptr},
      {"no network.dat", "ODE", {}, &empty, 1, "ODE.log", "cannot open ../estimate/network.dat"},
      {"second instance without network.dat", "FORESIM", {"1"}, &empty, 1, "FORESIM1.log", "cannot open"},
      // The run directory is not a module's folder.
      {"started in the run directory",
       "ODP",
       {},
       &run,
       1,
       "ODP.log",
       "(ODP runs in the folder odpredict of the run directory)"},
      {"no naming service", "NEARVET", {"-ORBInitRef", dead_ns}, &nearvet, 1, "NEARVET.log", "failed"},
  };
  for (const Case& c : cases) {
    ChildProcess p;
    ChildProcess::Options o;
    o.working_dir = *c.cwd;
    o.stdout_file = dir.file("out.txt");
    o.stderr_file = dir.file("out.txt");
    ASSERT_TRUE(p.Start(modules + c.program, c.args, o)) << c.label;
    ASSERT_TRUE(p.Wait(std::chrono::seconds(60))) << c.label;
    EXPECT_EQ(p.ExitCode(), c.status) << c.label << ": " << ReadFile(dir.file("out.txt"));
    if (c.log) {
      EXPECT_NE(ReadFile(*c.cwd + "/" + c.log).find(c.log_text), std::string::npos) << c.label;
    }
  }
}

}  // namespace
