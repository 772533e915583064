// Fixtures of the tests that talk CORBA: a real naming service and the
// test's ORB on loopback, and a Management servant of the test's own whose
// status, results and failures the test sets and whose calls it records.
#pragma once

#include <QELM.hh>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "HRTime.h"
#include "TestSupport.h"
#include "qelm_corba_utils.h"
#include "qelm_orb_args.h"

namespace corba_test {

// Releases a servant the test made with new (the POA keeps its own count).
struct ServantRelease
{
  void operator()(PortableServer::ServantBase* s) const { s->_remove_ref(); }
};
template <class T>
using ServantPtr = std::unique_ptr<T, ServantRelease>;

// A naming service and the process's ORB (loopback only) with its root POA
// active. The ORB is destroyed with the fixture unless the test destroyed it.
class OrbWithNames
{
public:
  OrbWithNames()
  {
    std::vector<std::string> args = names.system_orb_args();
    orb = qelm_orb_init(args, QELM_ORB_ID, 10000, "giop:tcp:127.0.0.1:");
    CORBA::Object_var obj = orb->resolve_initial_references("RootPOA");
    poa = PortableServer::POA::_narrow(obj.in());
    PortableServer::POAManager_var manager = poa->the_POAManager();
    manager->activate();
  }
  ~OrbWithNames() { Destroy(); }

  // Activates the servant and binds its reference as {"QELM", name}.
  CORBA::Object_ptr Publish(PortableServer::Servant servant, const char* name)
  {
    PortableServer::ObjectId_var id = poa->activate_object(servant);
    CORBA::Object_var obj = poa->id_to_reference(id.in());
    CORBA::Object_var ns = orb->resolve_initial_references("NameService");
    CosNaming::NamingContext_var root = CosNaming::NamingContext::_narrow(ns.in());
    CosNaming::Name context;
    context.length(1);
    context[0].id = CORBA::string_dup("QELM");
    try {
      CosNaming::NamingContext_var c = root->bind_new_context(context);
    } catch (const CosNaming::NamingContext::AlreadyBound&) {
    }
    root->rebind(qelm_object_name(name), obj.in());
    return obj._retn();
  }

  void Destroy()
  {
    if (destroyed)
      return;
    destroyed = true;
    try {
      orb->destroy();
    } catch (const CORBA::Exception&) {
      // Already destroyed by the code under test.
    }
  }

  NamingServiceFixture names;
  CORBA::ORB_var orb;
  PortableServer::POA_var poa;
  bool destroyed = false;
};

// A Management service of the test's own.
class FakeManagement : public POA_QELM::Management
{
public:
  struct Flags
  {
    bool active, initializedBefore, initialized, running;
  };

  void SetFlags(Flags f)
  {
    std::lock_guard<std::mutex> lock(mutex);
    status.active = f.active;
    status.initialized_before = f.initializedBefore;
    status.initialized = f.initialized;
    status.cyclic_running = f.running;
    started = false;
  }

  // MessageTarget
  void SendMsg(const QELM::MSG& m) override
  {
    std::lock_guard<std::mutex> lock(mutex);
    calls.push_back("SendMsg");
    sent.push_back(m);
  }
  // MessagePublisher
  CORBA::Long RegisterTarget(QELM::MessageTarget_ptr trg) override
  {
    std::lock_guard<std::mutex> lock(mutex);
    calls.push_back("RegisterTarget");
    target = QELM::MessageTarget::_duplicate(trg);
    return registerResult;
  }
  CORBA::Long UnregisterTarget(CORBA::Long id) override
  {
    std::lock_guard<std::mutex> lock(mutex);
    calls.push_back("UnregisterTarget " + std::to_string(id));
    return unregisterResult;
  }
  // Management
  CORBA::Long Initialize() override
  {
    std::lock_guard<std::mutex> lock(mutex);
    calls.push_back("Initialize");
    if (initializeResult == 0)
      status.initialized = status.initialized_before = true;
    return initializeResult;
  }
  void Start(QELM::Management::RunModeEnum mode) override
  {
    std::lock_guard<std::mutex> lock(mutex);
    calls.push_back(mode == QELM::Management::RUN_REAL_TIME ? "Start real-time" : "Start sequential");
    startedReads = 0;
    started = true;
  }
  CORBA::Long Stop() override
  {
    std::lock_guard<std::mutex> lock(mutex);
    calls.push_back("Stop");
    started = false;
    status.cyclic_running = false;
    return 0;
  }
  void Shutdown() override
  {
    std::lock_guard<std::mutex> lock(mutex);
    calls.push_back("Shutdown");
  }
  QELM::SystemStatus GetSystemStatus() override
  {
    std::lock_guard<std::mutex> lock(mutex);
    ++statusReads;
    if (started) {
      ++startedReads;
      if (runningAfterReads >= 0 && startedReads > runningAfterReads)
        status.cyclic_running = true;
      if (inactiveAfterReads >= 0 && startedReads > inactiveAfterReads)
        status.active = false;
    }
    return status;
  }
  QELM::HRTime GetSystemClock() override
  {
    if (clockFails)
      throw CORBA::NO_RESOURCES();
    return HRTimeNow();
  }
  QELM::Tallyhouse_ptr GetDataBrokerObject() override
  {
    std::lock_guard<std::mutex> lock(mutex);
    calls.push_back("GetDataBrokerObject");
    return QELM::Tallyhouse::_duplicate(store.in());
  }
  QELM::Task_ptr GetTaskObject(CORBA::Long) override { return QELM::Task::_nil(); }
  QELM::TaskStatus GetTaskStatus(CORBA::Long) override { return QELM::TaskStatus(); }

  std::vector<std::string> Calls()
  {
    std::lock_guard<std::mutex> lock(mutex);
    return calls;
  }
  std::vector<QELM::MSG> Sent()
  {
    std::lock_guard<std::mutex> lock(mutex);
    return sent;
  }

  std::mutex mutex;
  QELM::SystemStatus status{};
  CORBA::Long initializeResult = 0;
  CORBA::Long registerResult = 7;
  CORBA::Long unregisterResult = 0;
  std::atomic<bool> clockFails{false};
  // After Start: cyclic running after this many status reads (-1 never),
  // no longer active after this many (-1 never).
  int runningAfterReads = 0;
  int inactiveAfterReads = -1;
  bool started = false;
  int startedReads = 0;
  int statusReads = 0;
  QELM::Tallyhouse_var store;
  QELM::MessageTarget_var target;
  std::vector<std::string> calls;
  std::vector<QELM::MSG> sent;
};

}  // namespace corba_test
