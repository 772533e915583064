// QELM_GUI_i: the console's CORBA servant (interface GUI, a MessageTarget)
// through which Management delivers the modules' messages, the holder of
// the console's ORB and of its server thread, and, through its virtual base
// VQSystemController, the console's only client of Management.
//
//   QELM_GUI_i gui;                                // one for the program, made by main
//   gui.Target().SetDisplay(&display, poster);     // where results go
//   gui.InitORB(qelm_system_orb_arguments(host));  // the system's ORB arguments
//   gui.StartServer();                             // ORB in 3 threads + message loop
//   gui.Connect(); gui.Subscribe(); gui.Initialize(); gui.Start(mode);
//   ...
//   gui.StopIfRunning();                           // at the end: joins the server thread
//
// The server thread activates the root POA, starts the message loop and runs
// the ORB in a pool of 3 threads until Stop shuts the ORB down; it then
// destroys the ORB and ends. Stop joins it, so no thread of the servant is
// left running after Stop, StopIfRunning or the destructor. The server
// thread is the only thread the servant starts.
#pragma once

#include <QELM.hh>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "GUI_VQMsgTarget.h"
#include "VQSystemController.h"

class QELM_GUI_i : public POA_QELM::GUI, public virtual VQSystemController
{
public:
  // Threads of the ORB pool, the server thread included.
  static constexpr int kOrbThreads = 3;
  // How long StartServer waits for the server thread's set-up.
  static constexpr std::chrono::seconds kServerStartTimeout{10};

  QELM_GUI_i();
  // Stops the server if it runs; withdraws the object from a POA that
  // outlives it.
  ~QELM_GUI_i() override;

  // Initialises the ORB with the system's arguments (translated for
  // omniORB) and the ORB id "QELM_ORB". 0, or -1 (with the reason in the
  // log) when the ORB refuses them or the server runs.
  int InitORB(const std::vector<std::string>& args);
  int InitORB(int argc, char** argv);

  // Starts the server thread and waits (bounded) until it runs the ORB: 0,
  // or -1 when it is already running, no ORB was initialised or its set-up
  // failed.
  int StartServer();
  // The server thread's body: -1 at once when the server runs already,
  // else 0 after the ORB has shut down and been destroyed.
  int Run();

  // Registers this object with Management as its message target.
  int Subscribe();
  int Unsubscribe();
  // Withdraws the target, stops the message loop, drops the controller's
  // references, stops the clock correction, shuts the ORB down and joins
  // the server thread. -1 when the server does not run.
  int Stop();
  int StopIfRunning();

  bool IsRunning() const { return m_bRunning; }
  GUI_VQMsgTarget& Target() { return m_target; }
  CORBA::Long SubscriptionId() const { return m_nSubscriptionId; }

  // MessageTarget: queues the message for the loop thread and returns.
  void SendMsg(const QELM::MSG& m) override;

private:
  void JoinServer();

  GUI_VQMsgTarget m_target;
  std::atomic<CORBA::Long> m_nSubscriptionId{0};
  std::atomic<bool> m_bRunning{false};
  // Activated in the root POA by Subscribe, until the ORB is destroyed.
  std::atomic<bool> m_activated{false};

  std::mutex m_serverMutex;  // guards the three below
  std::condition_variable m_serverCv;
  std::thread m_server;
  enum class ServerSetup { kNone, kRunning, kFailed } m_setup = ServerSetup::kNone;
};
