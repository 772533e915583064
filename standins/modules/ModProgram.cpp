#include "ModProgram.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>

#include "FileText.h"
#include "HRTime.h"
#include "ModRecords.h"
#include "RunPrograms.h"
#include "VQOStreamLog.h"
#include "qelm_orb_args.h"

namespace vlq::mod {

namespace {

// Withdrawing the target at the end must not hold the program for long
// when Management is gone.
constexpr CORBA::ULong kWithdrawTimeoutMs = 3000;

bool ParseSeed(const char* s, uint64_t& out)
{
  if (!s || !*s)
    return false;
  char* end = nullptr;
  errno = 0;
  const unsigned long long v = std::strtoull(s, &end, 10);
  if (errno != 0 || *end != 0 || s[0] == '-')
    return false;
  out = v;
  return true;
}

double SecondOfDayNow()
{
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  return tm.tm_hour * 3600.0 + tm.tm_min * 60.0 + tm.tm_sec;
}

}  // namespace

std::string ModuleFolder(const std::string& base_name, int instance)
{
  const RunProgram* p = FindRunProgram(base_name, instance == 1 ? "1" : nullptr);
  return p ? p->folder : "";
}

std::string FromFolder(const std::string& folder, const std::string& path)
{
  return std::filesystem::path(path).lexically_relative(folder).string();
}

ModuleContext::ModuleContext(std::string name, uint64_t seed, int instance, std::string folder)
    : m_name(std::move(name)), m_seed(seed), m_instance(instance), m_folder(std::move(folder))
{}

bool ModuleContext::Load(std::string& error)
{
  if (!ReadNetworkFile(RunFile("estimate/network.dat"), m_net, error)) {
    if (!m_folder.empty())
      error += " (" + m_name + " runs in the folder " + m_folder + " of the run directory)";
    return false;
  }
  m_model = TrafficModel(&m_net, m_seed);
  std::string text;
  m_have_schedule = ReadFileText(RunFile("scheduler.dat"), text) && ParseScheduler(text, m_schedule);
  VQOStreamLog::Line("%s: %zu nodes, %zu links, %d OD zones (network.dat); scheduler.dat %s; seed %llu.\n",
                     m_name.c_str(), m_net.node_numbers.size(), m_net.links.size(), m_net.ODZones(),
                     m_have_schedule ? "read" : "not used", static_cast<unsigned long long>(m_seed));
  return true;
}

void ModuleContext::SetCommandTarget(QELM::MessageTarget_ptr target)
{
  std::lock_guard<std::mutex> lock(m_ref_mutex);
  m_target = QELM::MessageTarget::_duplicate(target);
}

QELM::Management_ptr ModuleContext::ManagementRef()
{
  std::lock_guard<std::mutex> lock(m_ref_mutex);
  return QELM::Management::_duplicate(m_man.in());
}

void ModuleContext::SetORB(CORBA::ORB_ptr orb)
{
  m_store.SetORB(orb);
}

void ModuleContext::StoreFailed(QELM::Tallyhouse_ptr store, const CORBA::SystemException& e, const char* what)
{
  const bool lost_now = m_store.Failed(store, e);
  if (lost_now)
    m_lost_inserts = 0;
  VQOStreamLog::Line("%s: %s: %s.\n", m_name.c_str(), what, e._name());
  if (lost_now)
    VQOStreamLog::Line("%s: the record store is lost: it is looked up again before each insert.\n",
                       m_name.c_str());
}

void ModuleContext::StoreAnswered(QELM::Tallyhouse_ptr store)
{
  if (!m_store.Answered(store))
    return;
  VQOStreamLog::Line("%s: the record store answers again (%ld records were not inserted meanwhile).\n",
                     m_name.c_str(), m_lost_inserts.load());
}

CORBA::Long ModuleContext::Initialize(QELM::Management_ptr man)
{
  if (CORBA::is_nil(man)) {
    VQOStreamLog::Line("%s: Initialize refused: no Management reference.\n", m_name.c_str());
    return 1;
  }
  QELM::Management_var mgr = QELM::Management::_duplicate(man);
  QELM::Tallyhouse_var store;
  try {
    store = mgr->GetDataBrokerObject();
  } catch (const CORBA::Exception& e) {
    VQOStreamLog::Line("%s: Initialize failed: GetDataBrokerObject raised %s.\n", m_name.c_str(), e._name());
    return 1;
  }
  if (CORBA::is_nil(store.in())) {
    VQOStreamLog::Line("%s: Initialize failed: Management holds no record store.\n", m_name.c_str());
    return 1;
  }

  QELM::Management_var old_man;
  QELM::MessageTarget_var target;
  CORBA::Long old_id = 0;
  {
    std::lock_guard<std::mutex> lock(m_ref_mutex);
    old_man = QELM::Management::_duplicate(m_man.in());
    old_id = m_target_id;
    target = QELM::MessageTarget::_duplicate(m_target.in());
  }
  if (old_id != 0 && !CORBA::is_nil(old_man.in())) {
    try {
      old_man->UnregisterTarget(old_id);
    } catch (const CORBA::Exception&) {
      // The earlier Management may be gone; its subscription with it.
    }
  }
  CORBA::Long id = 0;
  if (!CORBA::is_nil(target.in())) {
    try {
      id = mgr->RegisterTarget(target.in());
    } catch (const CORBA::Exception& e) {
      VQOStreamLog::Line("%s: RegisterTarget raised %s.\n", m_name.c_str(), e._name());
    }
  }
  {
    std::lock_guard<std::mutex> lock(m_ref_mutex);
    m_man = QELM::Management::_duplicate(mgr.in());
    m_target_id = id;
  }
  // Management's reference is the store's now: a loss of the one before
  // ends, and its count with it.
  m_store.Set(store.in());
  m_lost_inserts = 0;
  if (id == 0) {
    VQOStreamLog::Line("%s: Initialize failed: the command target was not registered.\n", m_name.c_str());
    return 2;
  }
  VQOStreamLog::Line("%s: initialized; command target %ld registered.\n", m_name.c_str(),
                     static_cast<long>(id));
  return 0;
}

void ModuleContext::Stop()
{
  VQOStreamLog::Line("%s: Stop.\n", m_name.c_str());
}

void ModuleContext::RequestShutdown()
{
  VQOStreamLog::Line("%s: Shutdown.\n", m_name.c_str());
  std::lock_guard<std::mutex> lock(m_shutdown_mutex);
  m_shutdown = true;
  m_shutdown_cv.notify_all();
}

void ModuleContext::WaitForShutdown()
{
  std::unique_lock<std::mutex> lock(m_shutdown_mutex);
  m_shutdown_cv.wait(lock, [this] { return m_shutdown; });
}

void ModuleContext::Withdraw()
{
  QELM::Management_var man;
  CORBA::Long id = 0;
  {
    std::lock_guard<std::mutex> lock(m_ref_mutex);
    man = QELM::Management::_duplicate(m_man.in());
    id = m_target_id;
    m_target_id = 0;
  }
  if (id == 0 || CORBA::is_nil(man.in()))
    return;
  try {
    omniORB::setClientCallTimeout(man.in(), kWithdrawTimeoutMs);
    man->UnregisterTarget(id);
  } catch (const CORBA::Exception&) {
    // Management already gone.
  }
}

void ModuleContext::HandleMsg(const QELM::MSG& m)
{
  std::string text;
  if (m_commands.Apply(m, &m_net, text) != CommandState::NOT_A_COMMAND)
    VQOStreamLog::Line("%s: %s\n", m_name.c_str(), text.c_str());
}

void ModuleContext::Send(long code)
{
  QELM::Management_var man = ManagementRef();
  if (CORBA::is_nil(man.in())) {
    VQOStreamLog::Line("%s: message %ld not sent: not initialized.\n", m_name.c_str(), code);
    return;
  }
  QELM::MSG m;
  m.ID = static_cast<CORBA::Long>(code);
  m.timestamp = HRTimeNow();
  m.arg.length(0);
  try {
    man->SendMsg(m);
  } catch (const CORBA::Exception& e) {
    VQOStreamLog::Line("%s: message %ld not sent: %s.\n", m_name.c_str(), code, e._name());
  }
}

bool ModuleContext::CountIfLost()
{
  if (!m_store.Lost())
    return false;
  ++m_lost_inserts;
  return true;
}

bool ModuleContext::Insert(const QELM::DBKRecord& r, QELM::Tallyhouse::DBKIDEnum id, const char* kind)
{
  QELM::Tallyhouse_var store = m_store.Get();
  if (CORBA::is_nil(store.in())) {
    if (!CountIfLost())
      VQOStreamLog::Line("%s: %s not inserted: no record store.\n", m_name.c_str(), kind);
    return false;
  }
  try {
    store->InsertRecord(r, id);
    StoreAnswered(store.in());
    return true;
  } catch (const CORBA::SystemException& e) {
    // While the store is lost the failures are only counted.
    if (!CountIfLost())
      StoreFailed(store.in(), e, (std::string(kind) + " not inserted").c_str());
  } catch (const CORBA::Exception& e) {
    VQOStreamLog::Line("%s: %s not inserted: %s.\n", m_name.c_str(), kind, e._name());
  }
  return false;
}

double ModuleContext::CycleTime()
{
  QELM::Tallyhouse_var store = m_store.Get();
  if (!CORBA::is_nil(store.in())) {
    try {
      const CORBA::Long count = store->GetRecordCount(QELM::Tallyhouse::GUIRTSTATDATA);
      StoreAnswered(store.in());
      if (count > 0) {
        QELM::DBKRecord_var r = store->GetLatestRecord(QELM::Tallyhouse::GUIRTSTATDATA);
        double t = 0;
        if (RTStatTime(r.in(), t)) {
          m_last_time = t;
          return t;
        }
      }
    } catch (const CORBA::SystemException& e) {
      if (!m_store.Lost())
        StoreFailed(store.in(), e, "the newest GUIRTSTATDATA could not be read");
    } catch (const CORBA::Exception& e) {
      VQOStreamLog::Line("%s: the newest GUIRTSTATDATA could not be read: %s.\n", m_name.c_str(), e._name());
    }
  }
  if (m_last_time >= 0)
    return m_last_time;
  return SecondOfDayNow();
}

int RunModule(int argc, char** argv, const char* base_name, bool takes_instance,
              const std::function<PortableServer::Servant(ModuleContext&)>& make)
{
  CORBA::ORB_var orb;
  try {
    orb = qelm_orb_init(argc, argv);
  } catch (const CORBA::Exception& e) {
    std::fprintf(stderr, "%s: ORB initialisation failed (%s)\n", base_name, e._name());
    return 2;
  }

  uint64_t seed = 1;
  int instance = 0;
  bool instance_given = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if ((a == "--seed" || a == "-seed") && i + 1 < argc && ParseSeed(argv[i + 1], seed)) {
      ++i;
    } else if (takes_instance && !instance_given && (a == "0" || a == "1")) {
      instance = a == "1" ? 1 : 0;
      instance_given = true;
    } else {
      std::fprintf(stderr, "%s: bad argument \"%s\"\nusage: %s%s [ORB options] [--seed S]\n", base_name,
                   a.c_str(), base_name, takes_instance ? " [0|1]" : "");
      orb->destroy();
      return 2;
    }
  }

  const std::string name = std::string(base_name) + (instance == 1 ? "1" : "");
  VQOStreamLog::Open((name + ".log").c_str(), "w");
  int status = 0;
  {
    ModuleContext ctx(name, seed, instance, ModuleFolder(base_name, instance));
    ctx.SetORB(orb.in());
    std::string error;
    if (!ctx.Load(error)) {
      VQOStreamLog::Line("%s: %s\n", name.c_str(), error.c_str());
      orb->destroy();
      VQOStreamLog::Close();
      return 1;
    }
    try {
      PortableServer::POA_var poa = qelm_resolve_init<PortableServer::POA>(orb.in(), "RootPOA");
      PortableServer::POAManager_var manager = poa->the_POAManager();
      manager->activate();

      PortableServer::ServantBase_var servant = make(ctx);
      PortableServer::ServantBase_var target = new CommandTarget_i(ctx);
      PortableServer::ObjectId_var oid = poa->activate_object(servant.in());
      PortableServer::ObjectId_var toid = poa->activate_object(target.in());
      CORBA::Object_var ref = poa->id_to_reference(oid.in());
      CORBA::Object_var tobj = poa->id_to_reference(toid.in());
      QELM::MessageTarget_var tref = QELM::MessageTarget::_narrow(tobj.in());
      ctx.SetCommandTarget(tref.in());
      qelm_register_object(orb.in(), ref.in(), name.c_str());
      VQOStreamLog::Line("%s: ready.\n", name.c_str());

      ctx.WaitForShutdown();
      ctx.Withdraw();
      orb->shutdown(true);
      orb->destroy();
      VQOStreamLog::Line("%s: ended normally.\n", name.c_str());
    } catch (const CORBA::Exception& e) {
      VQOStreamLog::Line("%s: failed: %s\n", name.c_str(), e._name());
      status = 1;
    } catch (int) {
      VQOStreamLog::Line("%s: failed: the naming service or the POA is not available.\n", name.c_str());
      status = 1;
    }
    if (status != 0) {
      try {
        orb->destroy();
      } catch (...) {
      }
    }
  }
  VQOStreamLog::Close();
  return status;
}

}  // namespace vlq::mod
