// The console's reaction to the modules' messages, as plain code with no ORB
// and no widgets: the records of one message arrive already fetched (the
// message loop fetches them, see GUI_VQMsgTarget.h) and ApplyMessage checks
// them against the loaded network and writes the result stores, the
// per-link series, the OD table, the clocks and the predicted paths, then
// asks the display for its lines and repaints.
//
//   // message-loop thread:
//   auto msg = std::make_shared<FetchedMessage>();
//   msg->code = 9;
//   msg->records = {statRecord, linkRecord};          // in fetch order
//   post([msg, &display] { ApplyMessage(*msg, display); });
//   // window thread, one call per message: nothing is ever half applied
//   // when a view paints.
//
// Every record is checked before it is used: a part that does not fit the
// network (link arrays of another length, a zone count above 120 or a short
// OD matrix, a stage outside the per-minute stores, link numbers outside
// the network, counts beyond the arrays, a missing value) is skipped with
// one line in debug.log and the control panel; the rest of the message is
// applied.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "GlobalArrays.h"
#include "PredictedPaths.h"

// The record kinds the console fetches: their values in the record store's
// list of kinds.
enum ResultKind : int {
  kKindCCACorrection = 6,
  kKindCCBUpdatedSpeed = 7,
  kKindRTLink = 8,
  kKindRTStat = 9,
  kKindPredLink = 10,
  kKindPredStat = 11,
  kKindPredLink1 = 13,
  kKindPredStat1 = 14,
  kKindSTLink = 15,
};

// The record store's name of a kind ("GUIRTLINKDATA"), or "kind <n>".
std::string ResultKindName(int kind);

// One fetched record: its integer and real arrays.
struct PlainRecord
{
  int kind = -1;
  std::vector<std::vector<std::int32_t>> L;
  std::vector<std::vector<float>> F;
};

// What the message loop gathered for one message.
struct FetchedMessage
{
  long code = 0;
  // The records of the code, in the order they were fetched.
  std::vector<PlainRecord> records;
  // Not empty: the message is dropped (no record store, a fetch failed);
  // ApplyMessage only logs this text.
  std::string dropReason;
  // Codes 15 and 51: the instance's predicted paths as read from its file
  // (null when the file could not be opened), and how the reading went.
  std::unique_ptr<CTypedObArray<CPath>> paths;
  PathFileResult pathResult;
};

// The window side of the handler. Called on the window thread only.
class IResultDisplay
{
public:
  // The three network views.
  enum View { kEstimationView = 0, kPredictionView0 = 1, kPredictionView1 = 2 };

  virtual ~IResultDisplay() = default;
  // A progress line: to debug.log, and to the control panel's message list
  // when toPanel is set.
  virtual void DebugLog(const std::string& text, bool toPanel) = 0;
  // The minute a network view shows.
  virtual int ViewMinute(int view) const = 0;
  virtual void SetViewMinute(int view, int minute) = 0;
  // Repaint without erase of the three network views and the clock view.
  virtual void InvalidateViews() = 0;
  // Repaint without erase of the prediction view of an instance (0 or 1).
  virtual void InvalidatePredictionView(int instance) = 0;
  // The chart windows and the module-status window (the main frame's
  // RefreshPreviews).
  virtual void RefreshPreviews() = 0;
};

// The codes the console reacts to (2 to 5 and the modules' started and
// ended codes); every other code is ignored.
bool IsHandledCode(long code);
// Prediction instance of an ended code: 0 for 15, 1 for 51, else -1.
int PredictionInstanceOfCode(long code);

// Applies one message on the window thread: lines, running flags, start
// marks, result stores and repaints. Takes the predicted paths out of msg.
// Returns 0 for a handled code and 1, changing nothing, for any other.
int ApplyMessage(FetchedMessage& msg, IResultDisplay& display);

// ---- the rules, for the tests --------------------------------------------

// Minute of the day of a NOWSIM time in seconds: time / 60 in single
// precision, truncated, wrapped at 1440. False for a negative, infinite or
// NaN time.
bool MinuteOfTime(float timeNowSeconds, int& minute);

// The prediction offset kept inside the prediction stage window at the
// current minute m (only when m > 10): at most windowEnd - m, then at least
// windowStart - m.
int ClampPredictionOffset(int offset, int m, int windowStart, int windowEnd);

// The hourly roll of the chart window on a first-instance prediction at
// current minute m with stage start s. A stage start that already rolled
// the window (lastRolledStage) rolls it no further: a prediction module that
// reports the same stage twice, as one that cycles with the estimation's
// half minute does, would otherwise move the window two hours an hour.
void RollChartWindow(int m, int s, int& windowStart, int& windowEnd, int& lastRolledStage);
