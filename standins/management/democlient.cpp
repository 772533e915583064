// vlq_democlient: makes the calls the operator console makes against a
// running system, and prints what arrives.
//
// Usage: vlq_democlient [ORB options] [-cycles N] [-seconds S] [-real-time]
//                       [-wait NAME]... [-no-commands]
// It resolves Management, corrects its clock against it, subscribes a
// message target of its own, initialises and starts the system, sends one
// VMS and one incident, prints every message (fetching on each ended code
// the records the console fetches and printing their shapes), and after N
// cycles or S seconds withdraws its target and ends.
#include "HRTime.h"
#include "ManagementCommands.h"
#include "VQMsgTarget.h"
#include "VQORBThreadPool.h"
#include "VQOStreamLog.h"
#include "VQTimeCentral.h"
#include "qelm_command_args.h"
#include "qelm_corba_utils.h"
#include "qelm_msg_codes.h"
#include "qelm_orb_args.h"
#include "qelm_result_kinds.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

std::mutex g_mutex;
std::condition_variable g_wake;
int g_nowsim_started = 0;
int g_nowsim_ended = 0;
int g_messages = 0;
QELM::Tallyhouse_var g_tallyhouse;

void Out(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
void Out(const char* fmt, ...)
{
  static std::mutex out_mutex;
  std::lock_guard<std::mutex> lock(out_mutex);
  va_list ap;
  va_start(ap, fmt);
  std::vfprintf(stdout, fmt, ap);
  va_end(ap);
  std::fflush(stdout);
}

const char* KindName(QELM::Tallyhouse::DBKIDEnum id)
{
  static const char* names[] = {"NOWSIM_FLOW_PROP", "NOWSIM_CCA_LINKPROP", "FORESIM_PREDICTED_STATS",
                                "FORESIM_LINKPROP", "ODE_PREDICTED_COEFF", "ODP_PREDICTED_OD",
                                "CCA_CORRECTION",   "CCB_UPDATED_SPEED",   "GUIRTLINKDATA",
                                "GUIRTSTATDATA",    "GUIPLINKDATA",        "GUIPSTATDATA",
                                "FORESIM_RP_GPS",   "GUIPLINKDATA_1",      "GUIPSTATDATA_1",
                                "GUISTLINKDATA",    "GUISTSTATDATA"};
  unsigned i = static_cast<unsigned>(id);
  return i < sizeof names / sizeof names[0] ? names[i] : "?";
}

template <class SeqArray>
std::string Shape(const char* letter, const SeqArray& a)
{
  std::string s = std::string(letter) + " " + std::to_string(a.length()) + " [";
  for (CORBA::ULong i = 0; i < a.length(); ++i) {
    if (i == 8) {
      s += " ...";
      break;
    }
    if (i)
      s += " ";
    s += std::to_string(a[i].length());
  }
  return s + "]";
}

void Fetch(QELM::Tallyhouse_ptr th, QELM::Tallyhouse::DBKIDEnum id)
{
  try {
    QELM::DBKRecord_var r = th->GetLatestRecord(id);
    std::string extra;
    if (id == QELM::Tallyhouse::GUIRTSTATDATA && r->F.length() >= 4 && r->F[3].length() >= 1)
      extra = ", time_now " + std::to_string(static_cast<long>(r->F[3][0])) + " s";
    Out("    %s: %s, %s%s\n", KindName(id), Shape("L", r->L).c_str(), Shape("F", r->F).c_str(),
        extra.c_str());
  } catch (const CORBA::Exception& e) {
    Out("    %s: GetLatestRecord failed (%s)\n", KindName(id), e._name());
  }
}

class DemoTarget : public VQMsgTarget<QELM::MSG>
{
public:
  int HandleMsg(QELM::MSG* m) override
  {
    const long code = m->ID;
    Out("  message %ld %s\n", code, MessageCodeName(code));
    QELM::Tallyhouse_var th;
    {
      std::lock_guard<std::mutex> lock(g_mutex);
      ++g_messages;
      if (code == MSG_NOWSIM_STARTED)
        ++g_nowsim_started;
      if (code == MSG_NOWSIM_ENDED)
        ++g_nowsim_ended;
      th = QELM::Tallyhouse::_duplicate(g_tallyhouse.in());
    }
    g_wake.notify_all();
    const std::vector<QELM::Tallyhouse::DBKIDEnum> kinds = ResultKindsOfEndedCode(code);
    if (!kinds.empty() && CORBA::is_nil(th.in())) {
      Out("    (no record store reference yet)\n");
      return 0;
    }
    for (auto k : kinds)
      Fetch(th.in(), k);
    return 0;
  }
};

class DemoGUI_i : public virtual POA_QELM::GUI
{
public:
  // Out of line: GCC's bounds check misreads the inlined construction of
  // the generated virtual bases.
  explicit DemoGUI_i(DemoTarget& t) __attribute__((noinline));
  void SendMsg(const QELM::MSG& m) override
  {
    try {
      m_target.Post(m);
    } catch (...) {
      throw CORBA::NO_RESOURCES();
    }
  }

private:
  DemoTarget& m_target;
};

DemoGUI_i::DemoGUI_i(DemoTarget& t) : m_target(t) {}

QELM::SystemStatus Status(QELM::Management_ptr m)
{
  QELM::SystemStatus s{};
  s.active = s.initialized = s.initialized_before = s.cyclic_running = false;
  try {
    if (!qelm_object_non_existent(m))
      s = m->GetSystemStatus();
  } catch (...) {
  }
  return s;
}

void PrintStatus(const char* when, const QELM::SystemStatus& s)
{
  Out("status %s: active %d, initialized_before %d, initialized %d, cyclic_running %d\n", when,
      s.active ? 1 : 0, s.initialized_before ? 1 : 0, s.initialized ? 1 : 0, s.cyclic_running ? 1 : 0);
}

// A mandatory detour on link 1 -> 2 through 2, 3, 4, minutes 480 to 540.
QELM::MSG DemoVMS()
{
  VMSMsgArg a;
  a.type = 2;
  a.from_node = 1;
  a.to_node = 2;
  a.params[0] = 100;
  a.params[1] = 3;
  a.start = 480;
  a.end = 540;
  a.path[0] = 2;
  a.path[1] = 3;
  a.path[2] = 4;
  return MakeCommandMsg(MSG_VMS_ADD, PackCommandArg(a));
}

// An incident on link 1 -> 2, minutes 480 to 540, severity 0.5.
QELM::MSG DemoIncident()
{
  IncidentMsgArg a;
  a.from_node = 1;
  a.to_node = 2;
  a.start = 480;
  a.end = 540;
  a.severity = 0.5f;
  return MakeCommandMsg(MSG_INCIDENT_ADD, PackCommandArg(a));
}

bool WaitForNames(CORBA::ORB_ptr orb, const std::vector<std::string>& names, int seconds)
{
  for (const auto& n : names) {
    try {
      CORBA::Object_var o = qelm_get_object(orb, n.c_str(), seconds);
      Out("%s is bound.\n", n.c_str());
    } catch (...) {
      Out("%s is not bound after %d s.\n", n.c_str(), seconds);
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv)
{
  CORBA::ORB_var orb;
  try {
    orb = qelm_orb_init(argc, argv, QELM_ORB_ID);
  } catch (const CORBA::Exception& e) {
    std::fprintf(stderr, "vlq_democlient: ORB initialisation failed (%s)\n", e._name());
    return 2;
  }
  int cycles = 3, seconds = 120;
  bool real_time = false, commands = true;
  std::vector<std::string> wait_names;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    const char* v = i + 1 < argc ? argv[i + 1] : nullptr;
    if (a == "-cycles" && v) {
      cycles = std::atoi(v);
      ++i;
    } else if (a == "-seconds" && v) {
      seconds = std::atoi(v);
      ++i;
    } else if (a == "-wait" && v) {
      wait_names.push_back(v);
      ++i;
    } else if (a == "-real-time") {
      real_time = true;
    } else if (a == "-no-commands") {
      commands = false;
    } else {
      std::fprintf(stderr, "usage: vlq_democlient [ORB options] [-cycles N] [-seconds S] [-real-time]\n"
                           "                      [-wait NAME]... [-no-commands]\n");
      orb->destroy();
      return 2;
    }
  }
  if (cycles < 1)
    cycles = 1;
  if (seconds < 1)
    seconds = 1;

  int rc = 0;
  DemoTarget target;
  target.StartThread();
  VQORBThreadPool pool;
  std::thread server;
  CORBA::Long target_id = 0;
  QELM::Management_var mgmt;
  try {
    CORBA::Object_var obj = orb->resolve_initial_references("RootPOA");
    PortableServer::POA_var poa = PortableServer::POA::_narrow(obj.in());
    PortableServer::POAManager_var pm = poa->the_POAManager();
    pm->activate();
    DemoGUI_i* gui = new DemoGUI_i(target);
    PortableServer::ObjectId_var oid = poa->activate_object(gui);
    gui->_remove_ref();
    CORBA::Object_var gui_obj = poa->id_to_reference(oid.in());
    QELM::GUI_var gui_ref = QELM::GUI::_narrow(gui_obj.in());
    pool.SetORB(orb.in());
    pool.SetThreadCount(3);
    server = std::thread([&pool] { pool.Run(); });

    Out("Resolving Management (10 s)...\n");
    mgmt = qelm_get_object<QELM::Management>(orb.in(), "Management", 10);
    Out("Connecting to the time synchronization server...\n");
    int sync = VQTimeCentral::Connect(mgmt.in());
    Out("clock correction: %s (result %d)\n", sync == 0 ? "synchronized" : "not synchronized", sync);
    PrintStatus("after connect", Status(mgmt.in()));

    target_id = mgmt->RegisterTarget(gui_ref.in());
    Out("RegisterTarget: id %ld%s\n", static_cast<long>(target_id), target_id == 0 ? " (failed)" : "");
    if (target_id == 0)
      rc = 1;

    if (!wait_names.empty() && !WaitForNames(orb.in(), wait_names, 30))
      rc = 1;

    QELM::SystemStatus s = Status(mgmt.in());
    PrintStatus("before Initialize", s);
    if (!s.active) {
      Out("Management is not active.\n");
      rc = 1;
    } else if (s.initialized || s.initialized_before) {
      Out("Already initialized: Initialize skipped.\n");
    } else {
      CORBA::Long r = mgmt->Initialize();
      Out("Initialize: %ld%s\n", static_cast<long>(r), r == 0 ? "" : " (failed)");
      if (r != 0)
        rc = 1;
    }
    QELM::Tallyhouse_var th = mgmt->GetDataBrokerObject();
    Out("GetDataBrokerObject: %s\n", CORBA::is_nil(th.in()) ? "nil" : "record store reference");
    {
      std::lock_guard<std::mutex> lock(g_mutex);
      g_tallyhouse = QELM::Tallyhouse::_duplicate(th.in());
    }

    s = Status(mgmt.in());
    PrintStatus("before Start", s);
    if (rc == 0 && s.active && s.initialized && !s.cyclic_running) {
      mgmt->Start(real_time ? QELM::Management::RUN_REAL_TIME : QELM::Management::RUN_SEQUENTIAL);
      Out("Start(%s) sent; waiting for the cycles to run...\n",
          real_time ? "RUN_REAL_TIME" : "RUN_SEQUENTIAL");
      auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(30);
      for (;;) {
        s = Status(mgmt.in());
        if (s.cyclic_running || !s.active || std::chrono::steady_clock::now() > limit)
          break;
        SleepMs(static_cast<uint32_t>(std::rand() % 250));
      }
      PrintStatus("after Start", s);
      if (!s.cyclic_running)
        rc = 1;
    } else if (s.cyclic_running) {
      Out("Already running: Start skipped.\n");
    }

    if (rc == 0 && commands) {
      mgmt->SendMsg(DemoVMS());
      Out("Sent MSG_VMS_ADD (428 bytes).\n");
      mgmt->SendMsg(DemoIncident());
      Out("Sent MSG_INCIDENT_ADD (20 bytes).\n");
    }

    if (rc == 0) {
      Out("Receiving for %d cycles (at most %d s)...\n", cycles, seconds);
      std::unique_lock<std::mutex> lock(g_mutex);
      bool done =
          g_wake.wait_for(lock, std::chrono::seconds(seconds), [&] { return g_nowsim_started > cycles; });
      Out("%d messages, %d NOWSIM cycles ended%s.\n", g_messages, g_nowsim_ended,
          done ? "" : " (time limit reached)");
      if (g_messages == 0)
        rc = 1;
    }
  } catch (const CORBA::Exception& e) {
    Out("CORBA exception: %s\n", e._name());
    rc = 1;
  } catch (int) {
    Out("Management is not bound in the naming service.\n");
    rc = 1;
  }

  if (target_id != 0) {
    try {
      CORBA::Long r = mgmt->UnregisterTarget(target_id);
      Out("UnregisterTarget: %ld\n", static_cast<long>(r));
      if (r != 0)
        rc = 1;
    } catch (const CORBA::Exception& e) {
      Out("UnregisterTarget failed (%s)\n", e._name());
      rc = 1;
    }
  }
  VQTimeCentral::Connect(QELM::Management::_nil());
  target.StopLoop();
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_tallyhouse = QELM::Tallyhouse::_nil();
  }
  mgmt = QELM::Management::_nil();
  if (server.joinable()) {
    // Let the pool finish starting its threads before it is shut down.
    for (int i = 0; i < 1000 && pool.GetRunningThreads() < pool.GetThreadCount(); ++i)
      SleepMs(10);
    orb->shutdown(true);
    server.join();
  }
  orb->destroy();
  Out("demo client ended (%d).\n", rc);
  return rc;
}
