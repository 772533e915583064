// What every module program shares: its command line, its network and
// cycle settings, its link to Management and the record store, its command
// target, the Task operations and the program's life from start to
// Shutdown.
//
// Command line of every module:
//   <MODULE> [ORB options] [--seed S]           (NOWSIM, NEARVET, FARVET, ODE, ODP)
//   FORESIM [0|1] [ORB options] [--seed S]      (1: the second prediction instance)
// The program runs in its own folder of the run directory, as its batch
// file starts it (ModuleFolder), and reaches every file relative to it: it
// reads ../estimate/network.dat (network.dat for NOWSIM, which runs in
// estimate) and ../scheduler.dat, and logs to <name>.log in its folder.
#pragma once

#include <QELM.hh>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "ModCommands.h"
#include "ModFormats.h"
#include "ModNetwork.h"
#include "ModTraffic.h"
#include "VQNamedRef.h"
#include "qelm_corba_utils.h"

namespace vlq::mod {

// The folder of the run directory that a module runs in, as RunPrograms()
// gives it: estimate for NOWSIM, predict and predict1 for the two FORESIM
// instances, NEARVET, farvet, odestimate for ODE, odpredict for ODP.
std::string ModuleFolder(const std::string& base_name, int instance);

// The path, seen from the run directory's folder `folder`, of the run
// directory's file `path`: "estimate/network.dat" is "network.dat" seen
// from estimate and "../estimate/network.dat" from any other folder.
std::string FromFolder(const std::string& folder, const std::string& path);

class ModuleContext
{
public:
  // folder: the module's folder of the run directory, its working directory.
  ModuleContext(std::string name, uint64_t seed, int instance, std::string folder);
  ModuleContext(const ModuleContext&) = delete;
  ModuleContext& operator=(const ModuleContext&) = delete;

  // Reads estimate/network.dat (required) and scheduler.dat (optional) of
  // the run directory.
  bool Load(std::string& error);

  // The run directory's file `path` ("odestimate/obsData.dat") as the
  // module reaches it from its folder.
  std::string RunFile(const std::string& path) const { return FromFolder(m_folder, path); }

  const std::string& Name() const { return m_name; }
  int Instance() const { return m_instance; }
  uint64_t Seed() const { return m_seed; }
  const ModNetwork& Net() const { return m_net; }
  const TrafficModel& Model() const { return m_model; }
  const SchedulerValues& Schedule() const { return m_schedule; }
  bool HaveSchedule() const { return m_have_schedule; }

  // The module's command target, registered with Management at Initialize.
  void SetCommandTarget(QELM::MessageTarget_ptr target);
  // The program's ORB, through which a lost record store is looked up again.
  void SetORB(CORBA::ORB_ptr orb);

  // Task operations.
  CORBA::Long Initialize(QELM::Management_ptr man);
  void Stop();
  void RequestShutdown();
  // Blocks the main thread until Shutdown.
  void WaitForShutdown();
  // Withdraws the command target from Management (best effort).
  void Withdraw();

  // An incoming message: commands change the events, others are ignored.
  void HandleMsg(const QELM::MSG& m);
  EventSet Events() const { return m_commands.Snapshot(); }

  // Reports a started or ended code through Management.
  void Send(long code);
  // Inserts one record; failures are logged. Once the record store cannot
  // be reached (TRANSIENT, COMM_FAILURE, OBJECT_NOT_EXIST) it counts as lost
  // and is looked up again by name before each use until one succeeds: the
  // loss and the return are logged once, the records not inserted
  // meanwhile counted in the return's line.
  bool Insert(const QELM::DBKRecord& r, QELM::Tallyhouse::DBKIDEnum id, const char* kind);
  // The cycle's time for modules whose call carries none: time_now of the
  // newest GUIRTSTATDATA; else the last one known; else the clock's
  // second of the day.
  double CycleTime();

  // Held by each cycle operation so that cycles of one module never overlap.
  std::mutex& CycleMutex() { return m_cycle_mutex; }

private:
  QELM::Management_ptr ManagementRef();
  // After a call on store (from m_store.Get()): it failed with e, or it was
  // answered. Each logs the loss or the return that it makes.
  void StoreFailed(QELM::Tallyhouse_ptr store, const CORBA::SystemException& e, const char* what);
  void StoreAnswered(QELM::Tallyhouse_ptr store);
  // Counts a record not inserted while the store is lost; false when it is
  // not lost.
  bool CountIfLost();

  std::string m_name;
  uint64_t m_seed;
  int m_instance;
  std::string m_folder;
  ModNetwork m_net;
  TrafficModel m_model;
  SchedulerValues m_schedule;
  bool m_have_schedule = false;
  CommandState m_commands;

  // The record store from Management, and the ORB it is looked up with once
  // lost.
  VQNamedRef<QELM::Tallyhouse> m_store{"Tallyhouse"};
  std::atomic<long> m_lost_inserts{0};  // inserts not made while the store was lost

  std::mutex m_ref_mutex;  // Management, the command target and its id
  QELM::Management_var m_man;
  QELM::MessageTarget_var m_target;
  CORBA::Long m_target_id = 0;
  double m_last_time = -1;

  std::mutex m_cycle_mutex;

  std::mutex m_shutdown_mutex;
  std::condition_variable m_shutdown_cv;
  bool m_shutdown = false;
};

// The module's message target for the operator's commands.
class CommandTarget_i : public POA_QELM::MessageTarget
{
public:
  explicit CommandTarget_i(ModuleContext& ctx);
  void SendMsg(const QELM::MSG& m) override;

private:
  ModuleContext& m_ctx;
};

// The Task operations of a module servant whose skeleton is Skel.
template <class Skel>
class ModuleServant : public virtual Skel
{
public:
  explicit ModuleServant(ModuleContext& ctx) : m_ctx(ctx) {}

  CORBA::Long Initialize(QELM::Management_ptr man_ref) override
  {
    return qelm_upcall([&] { return m_ctx.Initialize(man_ref); });
  }
  void Stop() override
  {
    qelm_upcall([&] { m_ctx.Stop(); });
  }
  void Shutdown() override
  {
    qelm_upcall([&] { m_ctx.RequestShutdown(); });
  }

protected:
  ModuleContext& m_ctx;
};

// Runs a module program in its folder of the run directory (the working
// directory): ORB start-up, options, log "<name>.log" (name is base_name,
// or base_name + "1" for instance 1), network, the servant made by `make`
// bound as {"QELM", <name>}, then waits for Shutdown. Returns the
// program's exit status (0 after Shutdown).
int RunModule(int argc, char** argv, const char* base_name, bool takes_instance,
              const std::function<PortableServer::Servant(ModuleContext&)>& make);

}  // namespace vlq::mod
