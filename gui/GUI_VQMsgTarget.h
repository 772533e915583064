// GUI_VQMsgTarget: the console's message target. The GUI servant posts every
// message Management delivers into its queue; its loop thread fetches the
// records that the message's code needs from the record store, reads the
// predicted paths of a finished prediction, and applies the message in the
// steps of ApplySteps (ResultUpdate.h): the steps that write the per-link
// values run on the loop thread itself, the others on the window thread
// through queued calls, each awaited before the next step. Neither the
// fetch nor the per-link values ever hold the window thread, and the
// messages are applied one after the other, in arrival order.
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
// again is preceded by kTextStoreBack. A record arrives without a copy: its
// arrays are read where the reply's unmarshalling left them.
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

// A record's integer and real arrays, borrowed from the record, which it
// takes over (a reply's DBKRecord_var gives it up with _retn()): the
// record lives as long as any of the plain record's arrays.
PlainRecord ToPlainRecord(QELM::DBKRecord* owned, int kind);

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
  // with a log line. A null poster runs every step on the loop thread.
  void SetDisplay(IResultDisplay* display, GuiPoster post);

  // Fetches on this (the loop) thread and applies the message, its window
  // steps posted and awaited. Returns 1 for a code the console ignores,
  // else 0. A stop of the loop ends the wait for a window step, and the
  // rest of the message is dropped.
  int HandleMsg(QELM::MSG* pmsg) override;

  // The loop thread runs (StartThread until StopLoop).
  bool LoopRunning() const { return m_is_running; }

private:
  // Posts f and waits until it has run; false when the loop is asked to
  // stop first.
  bool RunOnWindow(const GuiPoster& post, std::function<void()> f);

  IRecordSource& m_source;
  std::mutex m_mutex;  // guards the two below
  IResultDisplay* m_display = nullptr;
  GuiPoster m_post;
};
