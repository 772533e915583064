// The console's reaction to the modules' messages, as plain code with no ORB
// and no widgets: the records of one message arrive already fetched (the
// message loop fetches them, see GUI_VQMsgTarget.h) and the message is
// applied in steps: ApplySteps checks the records against the loaded
// network and writes the result stores, the per-link series, the OD table,
// the clocks and the predicted paths, and asks the display for its lines
// and repaints. The steps that write the per-link values, the long part,
// need nothing of the windows and run on the thread that fetched the
// records; the others run on the window thread, in order:
//
//   // message-loop thread:
//   auto msg = std::make_shared<FetchedMessage>();
//   msg->code = 9;
//   msg->records = {statRecord, linkRecord};          // in fetch order
//   for (ApplyStep& step : ApplySteps(msg))
//     if (step.onWindow)
//       runOnWindowAndWait([&] { step.onWindow(display); });
//     else
//       step.offWindow();
//
//   ApplyMessage(*msg, display);   // or every step on the calling thread
//
// A view's minute moves only after the values of its new minute are
// written, and so do the clocks, the prediction stage and the chart window:
// the window thread paints between the steps, and never shows a minute or
// a stage that is half filled.
//
// Every record is checked before it is used: a part that does not fit the
// network (link arrays of another length, a zone count above 120 or a short
// OD matrix, a stage outside the per-minute stores, link numbers outside
// the network, counts beyond the arrays, a missing value) is skipped with
// one line in debug.log and the control panel; the rest of the message is
// applied.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
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

// The values of one array of a record: either values of its own, or values
// that stay in the reply they arrived in (borrowed, the reply kept alive
// with them), so that a fetched record reaches the series without a copy.
// Editing (the tests build records so) makes the values its own first.
template <class T>
class RecordArray
{
public:
  RecordArray() = default;
  RecordArray(std::vector<T> values) : m_own(std::make_shared<std::vector<T>>(std::move(values))) {}
  RecordArray(std::initializer_list<T> values) : m_own(std::make_shared<std::vector<T>>(values)) {}
  // count values at data, which keep holds.
  RecordArray(const T* data, std::size_t count, std::shared_ptr<const void> keep)
      : m_lent(std::move(keep), count ? data : nullptr), m_lentSize(data ? count : 0)
  {}

  // A moved-from array is empty: both pointers are null then.
  std::size_t size() const { return m_own ? m_own->size() : m_lent.use_count() ? m_lentSize : 0; }
  bool empty() const { return size() == 0; }
  const T* data() const { return m_own ? m_own->data() : m_lent.get(); }
  const T& operator[](std::size_t i) const { return data()[i]; }
  const T* begin() const { return data(); }
  const T* end() const { return data() + size(); }
  // The values are borrowed from a reply.
  bool Borrowed() const { return m_lent.use_count() != 0; }

  T& operator[](std::size_t i) { return Own()[i]; }
  void push_back(T v) { Own().push_back(v); }
  void pop_back() { Own().pop_back(); }
  void clear() { Own().clear(); }
  void resize(std::size_t n) { Own().resize(n); }

  friend bool operator==(const RecordArray& a, const RecordArray& b)
  {
    if (a.size() != b.size())
      return false;
    for (std::size_t i = 0; i < a.size(); ++i)
      if (!(a[i] == b[i]))
        return false;
    return true;
  }

private:
  // Values borrowed, or shared with a copy, are copied before an edit.
  std::vector<T>& Own()
  {
    if (!m_own || m_own.use_count() > 1) {
      m_own = std::make_shared<std::vector<T>>(begin(), end());
      m_lent.reset();
      m_lentSize = 0;
    }
    return *m_own;
  }

  // Values of its own, shared by copies until one of them edits.
  std::shared_ptr<std::vector<T>> m_own;
  // Or values borrowed: the first one, with the reply kept alive.
  std::shared_ptr<const T> m_lent;
  std::size_t m_lentSize = 0;
};

// One fetched record: its integer and real arrays.
struct PlainRecord
{
  int kind = -1;
  std::vector<RecordArray<std::int32_t>> L;
  std::vector<RecordArray<float>> F;
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

// One step of a message's application: on the window thread (onWindow) or
// on the thread that fetched the records (offWindow, which touches no
// window and no display); exactly one of the two is set.
struct ApplyStep
{
  std::function<void(IResultDisplay&)> onWindow;
  std::function<void()> offWindow;
};

// The steps of one message in the order they must run, each after the one
// before has ended (none for a code the console ignores): lines, running
// flags, start marks, result stores, per-link series and repaints. They
// take the predicted paths out of msg.
std::vector<ApplyStep> ApplySteps(std::shared_ptr<FetchedMessage> msg);

// Applies one message with every step on the calling thread (the window
// thread). Returns 0 for a handled code and 1, changing nothing, for any
// other.
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
