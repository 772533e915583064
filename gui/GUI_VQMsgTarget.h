// GUI_VQMsgTarget: the console's message target. The GUI servant posts every
// message Management delivers into its queue; its loop thread fetches the
// records that the message's code needs from the record store, reads the
// predicted paths of a finished prediction, and hands the result to the
// window thread in ONE posted call, which applies it (ApplyMessage,
// ResultUpdate.h). The fetch never runs on the window thread, and the
// window thread never sees a message half applied.
//
//   GUI_VQMsgTarget& target = servant.Target();
//   target.SetDisplay(&display, [](std::function<void()> f) { PostToGui(std::move(f)); });
//
// Codes the console ignores are dropped on the loop thread without a post.
// A message that needs records while no record store is known (before
// Initialize, or after it failed), or whose fetch fails, is posted as a
// dropped message: one line, nothing else changes. While the source reports
// the record store lost, only the first dropped message says so in the
// control panel (kTextStoreLost after its line); the later ones go to
// debug.log alone, and the first message fetched after the store answers
// again is preceded by kTextStoreBack.
#pragma once

#include <QELM.hh>

#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "ResultUpdate.h"
#include "VQMsgTarget.h"

// Where the loop thread gets its records: the newest record of a kind.
class IRecordSource
{
public:
  virtual ~IRecordSource() = default;
  // False, with the reason in error, when there is no record store or the
  // remote call failed.
  virtual bool FetchLatest(QELM::Tallyhouse::DBKIDEnum kind, PlainRecord& out, std::string& error) = 0;
  // A fetch failed for want of the record store and none has succeeded
  // since.
  virtual bool RecordStoreLost() const { return false; }
};

// The control panel's lines when the record store is lost and when it
// answers again.
inline constexpr const char* kTextStoreLost = " Results are dropped until the record store answers again.";
inline constexpr const char* kTextStoreBack = "The record store answers again: results are applied.";

// A record's integer and real arrays as plain vectors.
PlainRecord ToPlainRecord(const QELM::DBKRecord& r, int kind);

// Runs a call on the window thread (queued); the handler posts one per
// message.
using GuiPoster = std::function<void(std::function<void()>)>;

// The fetch stage of one message, on the loop thread: the predicted paths
// (codes 15 and 51) and then the code's records in their order. Null for a
// code the console ignores.
std::shared_ptr<FetchedMessage> FetchForMessage(long code, IRecordSource& source);

class GUI_VQMsgTarget : public VQMsgTarget<QELM::MSG>
{
public:
  explicit GUI_VQMsgTarget(IRecordSource& source);
  ~GUI_VQMsgTarget() override;

  // Where applied messages go and how they reach the window thread. Until
  // it is called (or with a null display) handled messages are dropped
  // with a log line. A null poster runs the call on the loop thread.
  void SetDisplay(IResultDisplay* display, GuiPoster post);

  // Fetches on this (the loop) thread and posts the apply. Returns 1 for a
  // code the console ignores, else 0.
  int HandleMsg(QELM::MSG* pmsg) override;

  // The loop thread runs (StartThread until StopLoop).
  bool LoopRunning() const { return m_is_running; }

private:
  IRecordSource& m_source;
  std::mutex m_mutex;  // guards the two below
  IResultDisplay* m_display = nullptr;
  GuiPoster m_post;
};
