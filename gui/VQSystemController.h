// VQSystemController: the console's client of the Management service and
// the holder of the record store's reference. It brings the system through
// its life (connect, initialise, start; stop and shut down for the test
// dialog), registers the console's message target, sends the operator's
// commands and fetches results for the message handler.
//
//   controller.Connect();                     // 0, or a code below
//   if (controller.Initialize() != 0)
//     ShowMessage(controller.GetLastError());
//
// Every operation but SendMsg first reads the system status from
// Management and refuses with a code when the system is in the wrong state:
//   0 success              5 not initialised
//   1 not active           6 already initialised
//   2 already active       7 initialised before
//   3 not running          8 (un)subscribing failed
//   4 running              9 a remote call failed, or the clock did not
//                            synchronise, or there is no Management
// and keeps the text of the last failure, which a success does not clear.
//
// Every remote call to Management is bounded in time (kCallTimeoutMs, set on
// its reference at Connect; longer for Initialize), and so is Start's wait
// for the cycles. A call that Management received but did not answer in time
// ends in code 9 with a text saying that Management may still carry it out
// (kTextNoAnswer, kTextCommandNoAnswer); a refusal, a dead peer or any other
// failure keeps its own text. The Management reference and the error text
// are guarded by one mutex, the ORB and the record store's reference by
// their own (VQNamedRef), each held only to read or set them, never during a
// remote call: the message loop fetches records while the window side calls
// other operations.
//
// Fetches: after a fetch fails because the record store cannot be reached
// (TRANSIENT, COMM_FAILURE, OBJECT_NOT_EXIST), the store counts as lost and
// is looked up again by name ({"QELM", "Tallyhouse"}) before each fetch until
// one succeeds, so that a store restarted from its batch file serves the next
// cycle. RecordStoreLost() tells the message handler, which reports the loss
// and the return once.
#pragma once

#include <QELM.hh>

#include <chrono>
#include <mutex>
#include <string>

#include "CommandSender.h"
#include "GUI_VQMsgTarget.h"
#include "VQNamedRef.h"

class VQSystemController : public ICommandSender, public IRecordSource
{
public:
  // Bound of every call to Management but Initialize.
  static constexpr unsigned long kCallTimeoutMs = 5000;
  // Bound of Management::Initialize, which waits for the record store and
  // the modules.
  static constexpr unsigned long kInitializeTimeoutMs = 180000;
  // The last error of a call that Management did not answer in time: an
  // operator's command, and any other request.
  static constexpr const char* kTextCommandNoAnswer =
      "Management did not answer in time: the command may still be applied.";
  static constexpr const char* kTextNoAnswer =
      "Management did not answer in time: it may still carry out the request.";
  // Bound of Start's wait for the cycles to run.
  static constexpr std::chrono::milliseconds kStartTimeout{120000};

  VQSystemController();
  // Releases the record store, Management and the ORB, in this order.
  virtual ~VQSystemController();

  VQSystemController(const VQSystemController&) = delete;
  VQSystemController& operator=(const VQSystemController&) = delete;

  std::string GetLastError() const override;

  // The status from Management; the four flags false (time stamp left as
  // it was) when there is no Management, it is gone or the call fails.
  void GetSystemStatus(QELM::SystemStatus& status);

  int Connect();
  int Disconnect(bool force);
  int Initialize();
  int Start(QELM::Management::RunModeEnum mode);
  int Subscribe(QELM::MessageTarget_ptr target, CORBA::Long& id);
  int Unsubscribe(CORBA::Long id);
  int Stop();
  int Shutdown(bool force);
  int SendMsg(const QELM::MSG& m);

  int SendIncident(int action, int fromNode, int toNode, float start, float end, float severity) override;
  int SendVMS(int action, int type, int fromNode, int toNode, const int* params, float start, float end,
              const int* subPath) override;
  int SendWorkZone(int action, int fromNode, int toNode, float start, float end, float capacityReduction,
                   int speedLimit, int dischargeRate) override;

  // The newest record of a kind from the record store (the message loop).
  bool FetchLatest(QELM::Tallyhouse::DBKIDEnum kind, PlainRecord& out, std::string& error) override;
  // A fetch failed for want of the record store, and none has succeeded
  // since.
  bool RecordStoreLost() const override;

  // Whether a Management reference is held (Connect succeeded or its clock
  // synchronisation failed) and a record-store reference (Initialize).
  bool HasManagement() const;
  bool HasRecordStore() const;

  // Bound of Start's wait (tests shorten it).
  void SetStartTimeout(std::chrono::milliseconds timeout);

protected:
  // The ORB the servant initialised (duplicated); nil to forget it.
  void SetORB(CORBA::ORB_ptr orb);
  CORBA::ORB_ptr DuplicateORB() const;
  // The record store to fetch from (duplicated), as Initialize sets it.
  void SetRecordStore(QELM::Tallyhouse_ptr store);
  // Keeps the text and returns the code: the code's own text, or the one
  // given.
  int Fail(int code);
  int Fail(int code, const char* text);

private:
  enum Check { kActive, kNotActive, kRunning, kNotRunning, kInitialized, kNotInitialized, kNeverInitialized };
  // Reads the status (into read, when given) and runs the checks in order:
  // the code of the first that fails (its text kept), or 0.
  int CheckStatus(std::initializer_list<Check> checks, QELM::SystemStatus* read = nullptr);
  // Reads the status as GetSystemStatus does; false when Management did not
  // answer in time.
  bool ReadStatus(QELM::SystemStatus& status);
  // call(Management) and its code; 9 when there is no Management reference
  // or the call raises (noAnswer the text when it was not answered in time).
  template <class F>
  int OnManagement(F&& call, const char* noAnswer = kTextNoAnswer);
  QELM::Management_ptr DuplicateManagement() const;

  mutable std::mutex m_mutex;  // guards the three below
  std::string m_error;
  QELM::Management_var m_management;
  std::chrono::milliseconds m_startTimeout = kStartTimeout;
  // The record store and the ORB, which Connect also finds Management with.
  VQNamedRef<QELM::Tallyhouse> m_store{"Tallyhouse"};
};
