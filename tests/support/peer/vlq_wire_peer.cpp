// vlq_wire_peer: test servants of the QELM interfaces in a process of their
// own, so that calls cross a real connection (calls inside one process are
// made directly, without marshalling).
//
//   vlq_wire_peer serve <dir> [ORB arguments...]
//     Serves a Tallyhouse, a Management, a Descriptive, an ODPredict and a
//     GUI on 127.0.0.1 and writes their references to <dir>/<Name>.ior. Ends
//     (exit 0) after Tallyhouse::Shutdown.
//
//     Tallyhouse: keeps the last record and the insert count of each kind.
//       GetLatestRecord returns the last record of the kind (an empty one
//       when none); GetRecord returns it when its quasi_timestamp equals the
//       one asked for, else raises InvalidQuasiTimestamp; GetTableMaxSize
//       returns the kind's ordinal as the server received it;
//       Update/GetSimulationParameters keep and return the value; FetchLSHH
//       returns numpast copies of the last record; Initialize returns 1 for
//       a non-nil Management reference, 0 for nil.
//     Management: GetSystemStatus {{1234,567},true,false,true,false};
//       GetSystemClock {1700000000,999}; Start keeps the run mode, Stop
//       returns it (-1 before any Start); GetDataBrokerObject returns the
//       Tallyhouse; GetTaskObject the Descriptive; GetTaskStatus(id) returns
//       {last MSG's timestamp, last MSG's ID, true, false} for id -1, else
//       {{0,0}, id, true, false}; RegisterTarget returns 7.
//     Every MessageTarget (Management, Descriptive, GUI) keeps the last MSG
//       it received; Descriptive::GetNetworkState(out s, -1) returns its
//       arg, (out s, n >= 0) n octets of value i % 256.
//     Descriptive::PostInitialize doubles noofarcs and adds 0.5 to
//       stage_length. ODPredict::RunODPredict adds horizon to start_time.
//
//   vlq_wire_peer sendmsg <ior> <id> [ORB arguments...]
//     Calls MessageTarget::SendMsg once with a MSG of that ID and prints
//     "OK", or the exception's repository id and minor code
//     ("IDL:omg.org/CORBA/TRANSIENT:1.0 1363954945"); exit 0 either way,
//     3 when the ORB or the reference could not be set up.
//
//   vlq_wire_peer sendmsg-parallel <ior> <n> [ORB arguments...]
//     Calls MessageTarget::SendMsg from n threads at once (message IDs 0 to
//     n-1); exit 0 when every call returned normally, 1 otherwise.
#include "qelm_orb_args.h"

#include <QELM.hh>

#include <atomic>
#include <cstdio>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

CORBA::ORB_var g_orb;
std::mutex g_mutex;
QELM::MSG g_last_msg;

void keep_msg(const QELM::MSG& m)
{
  std::lock_guard<std::mutex> lock(g_mutex);
  g_last_msg = m;
}

class PeerTallyhouse : public POA_QELM::Tallyhouse
{
public:
  CORBA::Long Initialize(QELM::Management_ptr man_ref) override { return CORBA::is_nil(man_ref) ? 0 : 1; }
  void UpdateSimulationParameters(const QELM::SimulationParameters& p) override
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    m_params = p;
  }
  QELM::SimulationParameters GetSimulationParameters() override
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    return m_params;
  }
  void Shutdown() override { g_orb->shutdown(false); }
  void Flush() override {}
  CORBA::Long GetTableMaxSize(QELM::Tallyhouse::DBKIDEnum lshid) override
  {
    return static_cast<CORBA::Long>(lshid);
  }
  void SetTableMaxSize(QELM::Tallyhouse::DBKIDEnum, CORBA::Long) override {}
  CORBA::Long GetRecordCount(QELM::Tallyhouse::DBKIDEnum lshid) override
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    return m_count[lshid];
  }
  QELM::HRTime GetLatestInsertTime(QELM::Tallyhouse::DBKIDEnum lshid) override
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    return m_last[lshid].timestamp;
  }
  QELM::DBKRecord* GetLatestRecord(QELM::Tallyhouse::DBKIDEnum lshid) override
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    return new QELM::DBKRecord(m_last[lshid]);
  }
  QELM::DBKRecord* GetRecord(QELM::Tallyhouse::DBKIDEnum lshid, CORBA::Float qts) override
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    auto it = m_last.find(lshid);
    if (it == m_last.end() || it->second.quasi_timestamp != qts)
      throw QELM::Tallyhouse::InvalidQuasiTimestamp();
    return new QELM::DBKRecord(it->second);
  }
  void InsertRecord(const QELM::DBKRecord& r, QELM::Tallyhouse::DBKIDEnum lshid) override
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    m_last[lshid] = r;
    ++m_count[lshid];
  }
  QELM::DBKRecord* GetRecordAverage(QELM::Tallyhouse::DBKIDEnum lshid, CORBA::Long) override
  {
    return GetLatestRecord(lshid);
  }
  QELM::LSHHistory* FetchLSHH(QELM::Tallyhouse::DBKIDEnum lshid, CORBA::Long numpast) override
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    QELM::LSHHistory_var h = new QELM::LSHHistory;
    const CORBA::ULong n = numpast > 0 ? static_cast<CORBA::ULong>(numpast) : 0;
    h->length(n);
    for (CORBA::ULong i = 0; i < n; ++i)
      h[i] = m_last[lshid];
    return h._retn();
  }

private:
  QELM::SimulationParameters m_params{};
  std::map<int, QELM::DBKRecord> m_last;
  std::map<int, CORBA::Long> m_count;
};

class PeerManagement : public POA_QELM::Management
{
public:
  QELM::Tallyhouse_var tallyhouse;
  QELM::Task_var task;

  void SendMsg(const QELM::MSG& m) override { keep_msg(m); }
  CORBA::Long RegisterTarget(QELM::MessageTarget_ptr) override { return 7; }
  CORBA::Long UnregisterTarget(CORBA::Long) override { return 0; }
  CORBA::Long Initialize() override { return 0; }
  void Start(QELM::Management::RunModeEnum mode) override { m_mode = static_cast<int>(mode); }
  CORBA::Long Stop() override { return m_mode.load(); }
  void Shutdown() override {}
  QELM::SystemStatus GetSystemStatus() override
  {
    QELM::SystemStatus s;
    s.timestamp.sec = 1234;
    s.timestamp.msec = 567;
    s.active = true;
    s.initialized_before = false;
    s.initialized = true;
    s.cyclic_running = false;
    return s;
  }
  QELM::HRTime GetSystemClock() override
  {
    QELM::HRTime t;
    t.sec = 1700000000;
    t.msec = 999;
    return t;
  }
  QELM::Tallyhouse_ptr GetDataBrokerObject() override
  {
    return QELM::Tallyhouse::_duplicate(tallyhouse.in());
  }
  QELM::Task_ptr GetTaskObject(CORBA::Long) override { return QELM::Task::_duplicate(task.in()); }
  QELM::TaskStatus GetTaskStatus(CORBA::Long id) override
  {
    QELM::TaskStatus s;
    s.timestamp.sec = 0;
    s.timestamp.msec = 0;
    s.ID = id;
    s.active = true;
    s.initialized = false;
    if (id == -1) {
      std::lock_guard<std::mutex> lock(g_mutex);
      s.timestamp = g_last_msg.timestamp;
      s.ID = g_last_msg.ID;
    }
    return s;
  }

private:
  std::atomic<int> m_mode{-1};
};

class PeerDescriptive : public POA_QELM::Descriptive
{
public:
  CORBA::Long Initialize(QELM::Management_ptr) override { return 0; }
  void Stop() override {}
  void Shutdown() override {}
  void SendMsg(const QELM::MSG& m) override { keep_msg(m); }
  void PostInitialize(QELM::SimulationParameters& p) override
  {
    p.noofarcs *= 2;
    p.stage_length += 0.5f;
  }
  void Simulate(CORBA::ULongLong, CORBA::ULongLong, CORBA::Long) override {}
  void UpdateCCA() override {}
  void UpdateCCB() override {}
  void SaveNetworkState(CORBA::Long) override {}
  void GetNetworkState(QELM::OctetSeq_out state, CORBA::Long n) override
  {
    QELM::OctetSeq_var s = new QELM::OctetSeq;
    if (n < 0) {
      std::lock_guard<std::mutex> lock(g_mutex);
      s.inout() = g_last_msg.arg;
    } else {
      s->length(static_cast<CORBA::ULong>(n));
      for (CORBA::Long i = 0; i < n; ++i)
        s[static_cast<CORBA::ULong>(i)] = static_cast<CORBA::Octet>(i % 256);
    }
    state = s._retn();
  }
};

class PeerODPredict : public POA_QELM::ODPredict
{
public:
  CORBA::Long Initialize(QELM::Management_ptr) override { return 0; }
  void Stop() override {}
  void Shutdown() override {}
  void RunODPredict(CORBA::Float& start_time, CORBA::Float horizon) override { start_time += horizon; }
};

class PeerGUI : public POA_QELM::GUI
{
public:
  void SendMsg(const QELM::MSG& m) override { keep_msg(m); }
};

// The program name and argv[first] onwards, null-terminated, for the ORB.
std::vector<char*> orb_args(int argc, char** argv, int first)
{
  std::vector<char*> out{argv[0]};
  for (int i = first; i < argc; ++i)
    out.push_back(argv[i]);
  out.push_back(nullptr);
  return out;
}

bool write_ior(const std::string& dir, const char* name, CORBA::Object_ptr obj)
{
  CORBA::String_var s = g_orb->object_to_string(obj);
  const std::string tmp = dir + "/" + name + ".ior.tmp";
  const std::string path = dir + "/" + name + ".ior";
  FILE* f = std::fopen(tmp.c_str(), "w");
  if (!f)
    return false;
  std::fputs(s.in(), f);
  if (std::fclose(f) != 0)
    return false;
  return std::rename(tmp.c_str(), path.c_str()) == 0;
}

int serve(int argc, char** argv)
{
  const std::string dir = argv[2];
  std::vector<char*> orb_argv = orb_args(argc, argv, 3);
  int n = static_cast<int>(orb_argv.size()) - 1;
  g_orb = qelm_orb_init(n, orb_argv.data(), QELM_ORB_ID, QELM_CALL_TIMEOUT_MS, "giop:tcp:127.0.0.1:");
  CORBA::Object_var obj = g_orb->resolve_initial_references("RootPOA");
  PortableServer::POA_var poa = PortableServer::POA::_narrow(obj);
  PortableServer::POAManager_var mgr = poa->the_POAManager();
  mgr->activate();

  PeerTallyhouse* th = new PeerTallyhouse;
  PeerManagement* man = new PeerManagement;
  PeerDescriptive* des = new PeerDescriptive;
  PeerODPredict* odp = new PeerODPredict;
  PeerGUI* gui = new PeerGUI;
  PortableServer::ObjectId_var id;
  id = poa->activate_object(th);
  id = poa->activate_object(man);
  id = poa->activate_object(des);
  id = poa->activate_object(odp);
  id = poa->activate_object(gui);
  QELM::Tallyhouse_var th_ref = th->_this();
  QELM::Descriptive_var des_ref = des->_this();
  man->tallyhouse = QELM::Tallyhouse::_duplicate(th_ref);
  man->task = QELM::Task::_duplicate(des_ref);
  QELM::Management_var man_ref = man->_this();
  QELM::ODPredict_var odp_ref = odp->_this();
  QELM::GUI_var gui_ref = gui->_this();

  // The Tallyhouse goes last: a test that sees its file sees all of them.
  if (!write_ior(dir, "Management", man_ref) || !write_ior(dir, "Descriptive", des_ref) ||
      !write_ior(dir, "ODPredict", odp_ref) || !write_ior(dir, "GUI", gui_ref) ||
      !write_ior(dir, "Tallyhouse", th_ref)) {
    std::fprintf(stderr, "vlq_wire_peer: cannot write the IOR files in %s\n", dir.c_str());
    return 2;
  }
  g_orb->run();
  th->_remove_ref();
  man->_remove_ref();
  des->_remove_ref();
  odp->_remove_ref();
  gui->_remove_ref();
  g_orb->destroy();
  return 0;
}

int sendmsg_parallel(int argc, char** argv)
{
  const std::string ior = argv[2];
  const int count = std::atoi(argv[3]);
  std::vector<char*> orb_argv = orb_args(argc, argv, 4);
  int n = static_cast<int>(orb_argv.size()) - 1;
  g_orb = qelm_orb_init(n, orb_argv.data());
  CORBA::Object_var obj = g_orb->string_to_object(ior.c_str());
  QELM::MessageTarget_var target = QELM::MessageTarget::_narrow(obj);
  if (CORBA::is_nil(target))
    return 1;
  std::atomic<int> ok{0};
  std::vector<std::thread> threads;
  for (int i = 0; i < count; ++i) {
    threads.emplace_back([&, i] {
      try {
        QELM::MSG m;
        m.ID = i;
        m.timestamp.sec = i;
        m.timestamp.msec = 0;
        target->SendMsg(m);
        ++ok;
      } catch (const CORBA::Exception& e) {
        std::fprintf(stderr, "vlq_wire_peer: SendMsg %d: %s\n", i, e._name());
      }
    });
  }
  for (auto& t : threads)
    t.join();
  target = QELM::MessageTarget::_nil();
  obj = CORBA::Object::_nil();
  g_orb->destroy();
  return ok == count ? 0 : 1;
}

int sendmsg_once(int argc, char** argv)
{
  const std::string ior = argv[2];
  const int msg_id = std::atoi(argv[3]);
  std::vector<char*> orb_argv = orb_args(argc, argv, 4);
  int n = static_cast<int>(orb_argv.size()) - 1;
  g_orb = qelm_orb_init(n, orb_argv.data());
  {
    CORBA::Object_var obj = g_orb->string_to_object(ior.c_str());
    QELM::MessageTarget_var target = QELM::MessageTarget::_narrow(obj);
    if (CORBA::is_nil(target))
      return 3;
    QELM::MSG m;
    m.ID = msg_id;
    m.timestamp.sec = 0;
    m.timestamp.msec = 0;
    try {
      target->SendMsg(m);
      std::printf("OK\n");
    } catch (const CORBA::SystemException& e) {
      std::printf("%s %lu\n", e._rep_id(), static_cast<unsigned long>(e.minor()));
    } catch (const CORBA::Exception& e) {
      std::printf("%s\n", e._rep_id());
    }
    std::fflush(stdout);
  }
  g_orb->destroy();
  return 0;
}

}  // namespace

int main(int argc, char** argv)
{
  try {
    if (argc >= 3 && std::string(argv[1]) == "serve")
      return serve(argc, argv);
    if (argc >= 4 && std::string(argv[1]) == "sendmsg")
      return sendmsg_once(argc, argv);
    if (argc >= 4 && std::string(argv[1]) == "sendmsg-parallel")
      return sendmsg_parallel(argc, argv);
  } catch (const CORBA::Exception& e) {
    std::fprintf(stderr, "vlq_wire_peer: %s\n", e._name());
    return 3;
  }
  std::fprintf(stderr, "usage: vlq_wire_peer serve <dir> [ORB args] | "
                       "sendmsg <ior> <id> [ORB args] | sendmsg-parallel <ior> <n> [ORB args]\n");
  return 64;
}
