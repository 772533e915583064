#include "QELM_GUI_i.h"

#include "VQORBThreadPool.h"
#include "VQOStreamLog.h"
#include "VQTimeCentral.h"
#include "qelm_corba_utils.h"
#include "qelm_orb_args.h"

QELM_GUI_i::QELM_GUI_i() : m_target(*this) {}

QELM_GUI_i::~QELM_GUI_i()
{
  StopIfRunning();
  JoinServer();
  if (m_activated) {
    try {
      PortableServer::POA_var poa = _default_POA();
      PortableServer::ObjectId_var id = poa->servant_to_id(this);
      poa->deactivate_object(id.in());
    } catch (...) {
    }
  }
}

int QELM_GUI_i::InitORB(const std::vector<std::string>& args)
{
  if (m_bRunning)
    return -1;
  try {
    CORBA::ORB_var orb = qelm_orb_init(args, QELM_ORB_ID);
    SetORB(orb.in());
    return 0;
  } catch (const CORBA::Exception& e) {
    VQOStreamLog::Line("The ORB refused its arguments (%s).\n", e._name());
  } catch (...) {
    VQOStreamLog::Line("The ORB refused its arguments.\n");
  }
  return -1;
}

int QELM_GUI_i::InitORB(int argc, char** argv)
{
  std::vector<std::string> args;
  for (int i = 0; i < argc; ++i)
    args.emplace_back(argv && argv[i] ? argv[i] : "");
  return InitORB(args);
}

int QELM_GUI_i::StartServer()
{
  if (m_bRunning)
    return -1;
  JoinServer();  // a server thread that ended after a failed set-up
  CORBA::ORB_var orb = DuplicateORB();
  std::unique_lock<std::mutex> lock(m_serverMutex);
  if (m_bRunning || CORBA::is_nil(orb.in()))
    return -1;
  m_setup = ServerSetup::kNone;
  m_server = std::thread([this] { Run(); });
  if (!m_serverCv.wait_for(lock, kServerStartTimeout, [this] { return m_setup != ServerSetup::kNone; }))
    return -1;
  return m_setup == ServerSetup::kRunning ? 0 : -1;
}

int QELM_GUI_i::Run()
{
  if (m_bRunning)
    return -1;
  const auto report = [this](ServerSetup s) {
    std::lock_guard<std::mutex> lock(m_serverMutex);
    m_setup = s;
    m_serverCv.notify_all();
  };
  VQOStreamLog::Line("VORLANTIS-Q GUI client server starting...\n");
  CORBA::ORB_var orb = DuplicateORB();
  try {
    if (CORBA::is_nil(orb.in()))
      throw -1;
    PortableServer::POA_var poa = qelm_resolve_init<PortableServer::POA>(orb.in(), "RootPOA");
    PortableServer::POAManager_var manager = poa->the_POAManager();
    manager->activate();
  } catch (...) {
    VQOStreamLog::Line("VORLANTIS-Q GUI client server could not activate its POA.\n");
    report(ServerSetup::kFailed);
    return -1;
  }
  m_target.StartThread();
  {
    VQORBThreadPool pool(orb.in(), kOrbThreads);
    m_bRunning = true;
    report(ServerSetup::kRunning);
    pool.Run();
  }
  try {
    orb->destroy();
  } catch (...) {
  }
  VQOStreamLog::Line("VORLANTIS-Q GUI client exiting...\n");
  return 0;
}

int QELM_GUI_i::Subscribe()
{
  CORBA::Long id = m_nSubscriptionId;
  int code;
  try {
    QELM::GUI_var self = _this();
    m_activated = true;
    code = VQSystemController::Subscribe(self.in(), id);
  } catch (...) {
    return Fail(9);
  }
  m_nSubscriptionId = id;
  return code;
}

int QELM_GUI_i::Unsubscribe()
{
  return VQSystemController::Unsubscribe(m_nSubscriptionId);
}

int QELM_GUI_i::Stop()
{
  if (!m_bRunning)
    return -1;
  Unsubscribe();
  if (m_target.LoopRunning())
    m_target.StopLoop();
  Disconnect(true);
  // The clock correction's worker calls Management: it ends before the ORB.
  VQTimeCentral::Connect(QELM::Management::_nil());
  CORBA::ORB_var orb = DuplicateORB();
  try {
    orb->shutdown(false);
  } catch (...) {
  }
  m_bRunning = false;
  JoinServer();
  // The ORB and its POAs are gone, and the object with them.
  m_activated = false;
  SetORB(CORBA::ORB::_nil());
  return 0;
}

int QELM_GUI_i::StopIfRunning()
{
  if (m_bRunning)
    Stop();
  return 0;
}

void QELM_GUI_i::SendMsg(const QELM::MSG& m)
{
  qelm_upcall([&] { m_target.Post(m); });
}

void QELM_GUI_i::JoinServer()
{
  std::thread server;
  {
    std::lock_guard<std::mutex> lock(m_serverMutex);
    server = std::move(m_server);
    m_setup = ServerSetup::kNone;
  }
  if (server.joinable()) {
    if (server.get_id() == std::this_thread::get_id())
      server.detach();
    else
      server.join();
  }
}
