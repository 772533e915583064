// Management_i: the Management service stand-in. It hands out the record
// store, drives the bound modules in cycles, keeps the system status and
// delivers every message it receives to every registered target.
#pragma once

#include "ManagementSchedule.h"
#include "TargetRegistry.h"

#include <QELM.hh>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class Management_i : public virtual POA_QELM::Management
{
public:
  struct Options
  {
    long long clock_offset_ms = 0;       // added to the local clock by GetSystemClock
    int pace_ms = -1;                    // real-time pace per cycle; -1: from the cycle length
    int pause_ms = 100;                  // pause between sequential cycles
    double start_time = 3600;            // simulated start, seconds of the day (01:00)
    unsigned target_timeout_ms = 10000;  // bound of one delivery to a target
    int store_wait_s = 3;                // how long Initialize looks for the record store
    int module_wait_s = 0;               // how long Initialize looks for each module
  };

  Management_i(CORBA::ORB_ptr orb, const Options& options, const ManagementSchedule& schedule);
  ~Management_i() override;

  // The object's own reference, handed to the record store and the modules.
  void SetSelf(QELM::Management_ptr self);
  void SetActive(bool active);
  // Tells whether every ORB thread of the program has entered the ORB's
  // loop; Shutdown waits for it (bounded), so that a Shutdown that comes
  // right after the start does not end the pool's start-up half-way.
  void SetReadyCheck(std::function<bool()> ready);
  // After the ORB loop: stops the cycles and the deliveries.
  void Finish();

  // MessageTarget
  void SendMsg(const QELM::MSG& m) override;
  // MessagePublisher
  CORBA::Long RegisterTarget(QELM::MessageTarget_ptr trg) override;
  CORBA::Long UnregisterTarget(CORBA::Long target_id) override;
  // Management
  CORBA::Long Initialize() override;
  void Start(QELM::Management::RunModeEnum run_mode) override;
  CORBA::Long Stop() override;
  void Shutdown() override;
  QELM::SystemStatus GetSystemStatus() override;
  QELM::HRTime GetSystemClock() override;
  QELM::Tallyhouse_ptr GetDataBrokerObject() override;
  // Task ids: 0 NOWSIM, 1 FORESIM, 2 FORESIM1, 3 ODE, 4 ODP, 5 NEARVET,
  // 6 FARVET. An unknown id, or a module not bound, gives a nil reference
  // and a status with both flags false.
  QELM::Task_ptr GetTaskObject(CORBA::Long objID) override;
  QELM::TaskStatus GetTaskStatus(CORBA::Long objID) override;

  enum { MODULE_COUNT = 7 };

private:
  enum Kind { K_DESCRIPTIVE, K_PREDICTIVE, K_ODESTIMATE, K_ODPREDICT, K_SHORTTERM, K_LONGTERM };
  struct Module
  {
    const char* name;           // bound under {"QELM", name}
    Kind kind;                  // how a cycle drives it
    const char* repository_id;  // the interface of its kind
    QELM::Task_var task;        // nil when not bound or dropped
    bool initialized = false;
  };

  // The steps of Initialize: forget the references of an earlier one
  // (false while the cycles run), resolve and initialize the record store,
  // then resolve and initialize one module (false when it is skipped).
  bool ForgetEarlierInitialize();
  bool InitializeRecordStore();
  bool InitializeModule(Module& mod);

  void PostOwn(long code);
  void CycleLoop(bool real_time);
  void RunCycle(double start, double end);
  CORBA::Long StopCycles();

  CORBA::ORB_var m_orb;
  Options m_opt;
  ManagementSchedule m_schedule;
  QELM::Management_var m_self;
  std::function<bool()> m_ready;
  TargetRegistry m_targets;

  std::mutex m_state_mutex;  // status flags, references
  bool m_active = false;
  bool m_initialized = false;
  bool m_initialized_before = false;
  bool m_cyclic_running = false;
  QELM::Tallyhouse_var m_tallyhouse;
  Module m_modules[MODULE_COUNT];

  std::mutex m_control_mutex;  // Initialize, Start, Stop, Shutdown one at a time
  std::thread m_cycle_thread;
  std::mutex m_cycle_mutex;
  std::condition_variable m_cycle_wake;
  bool m_stop_cycles = false;
  double m_sim_time;
};
