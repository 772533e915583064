// The observation thread: reads once which links carry detectors
// (NEARVET/referencetable.txt of the run directory), then polls
// odestimate/obsData.dat and writes each new observation into the density
// series of the observation source of the detector links, at a slot that
// counts the files taken and wraps at 5000.
#pragma once

#include <array>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "GlobalArrays.h"

enum class ReferenceTableStatus {
  kNotRead,
  kRead,     // every row read
  kMissing,  // the file does not open: the thread ends without polling
  kShort     // the file ends before its rows: the rows before are used
};

enum class ObservationPoll {
  kMissing,    // obsData.dat does not open
  kSameStamp,  // its time stamp is the last one taken
  kPartial,    // no whole stamp, the file changed while it was read, or
               // fewer values than the detector count seen for the first
               // time (a module may still be writing it): not taken, its
               // stamp not remembered
  kTaken,      // values stored, slot advanced
  kTakenShort  // fewer values than the detector count, the same file as at
               // the poll before: the values present stored, slot advanced
};

class CObservationReader
{
public:
  static constexpr int kSlots = 5000;
  static constexpr int kTakenPauseMs = 10000;  // after each file taken
  static constexpr int kRetryPauseMs = 1000;   // after a poll that took nothing

  explicit CObservationReader(CTypedObArray<CDrawLine>& lines = g_LineArray);
  ~CObservationReader();
  CObservationReader(const CObservationReader&) = delete;
  CObservationReader& operator=(const CObservationReader&) = delete;

  // Starts the thread over a run directory ("." for the working directory);
  // a running thread is stopped first. The state starts afresh. Throws
  // std::system_error when the thread cannot be created.
  void Start(const std::string& runDir, int takenPauseMs = kTakenPauseMs, int retryPauseMs = kRetryPauseMs);
  // Wakes the thread from its pause and joins it. No effect when not
  // running.
  void Stop();
  bool IsRunning() const;

  // The thread's two steps; callable without a thread (not while one runs).
  ReferenceTableStatus ReadReferenceTable(const std::string& runDir);
  ObservationPoll PollOnce(const std::string& runDir);

  // State, safe to read while the thread runs.
  std::vector<int> DetectorLinks() const;  // link numbers, 1-based, row order
  int ValuesPerRecord() const;             // M of the reference table
  int Slot() const;
  int FilesTaken() const;
  int Polls() const;
  std::array<int, 3> LastStamp() const;
  ReferenceTableStatus ReferenceStatus() const;
  bool ThreadEnded() const;  // the thread has returned (missing table or stop)

private:
  void Run(std::string runDir, int takenPauseMs, int retryPauseMs);
  // Pauses; true when a stop was asked.
  bool Pause(int ms);
  void Reset();

  CTypedObArray<CDrawLine>& m_lines;
  mutable std::mutex m_mutex;
  std::condition_variable m_wake;
  bool m_bStop = false;
  bool m_bEnded = false;
  std::thread m_thread;

  std::vector<int> m_detectorLinks;
  int m_nValues = 0;
  int m_nSlot = 0;
  int m_nTaken = 0;
  int m_nPolls = 0;
  std::array<int, 3> m_lastStamp = {-1, -1, -1};
  // The text of a file found short at the poll before (none when that poll
  // found no short file): a short file is taken once it reads the same
  // twice in a row.
  std::optional<std::string> m_shortText;
  ReferenceTableStatus m_refStatus = ReferenceTableStatus::kNotRead;
};

// The console's observation thread, started by the project load. It is
// never destroyed, so that the project's destructor may stop it at program
// end whatever the order of the globals' destruction.
extern CObservationReader& g_ObservationReader;
