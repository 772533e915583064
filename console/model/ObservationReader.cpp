#include "ObservationReader.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <sys/stat.h>

#include "CDrawLine.h"
#include "FieldReaders.h"
#include "FileHandle.h"
#include "LinkSeries.h"

CObservationReader& g_ObservationReader = *new CObservationReader();

namespace {

std::optional<int> NextTruncated(fields::CharSource in)
{
  std::optional<double> v = fields::NextReal(in);
  if (!v)
    return std::nullopt;
  return fields::TruncateToInt(*v);
}

bool FileSize(const std::string& path, long long& size)
{
  struct stat st;
  if (::stat(path.c_str(), &st) != 0)
    return false;
  size = static_cast<long long>(st.st_size);
  return true;
}

// Stops the console's thread before the global arrays are destroyed at
// program end (registered after they were built, so it runs before).
void StopAtExit()
{
  g_ObservationReader.Stop();
}

}  // namespace

CObservationReader::CObservationReader(CTypedObArray<CDrawLine>& lines) : m_lines(lines) {}

CObservationReader::~CObservationReader()
{
  Stop();
}

void CObservationReader::Reset()
{
  std::lock_guard<std::mutex> lock(m_mutex);
  m_bStop = false;
  m_bEnded = false;
  m_detectorLinks.clear();
  m_nValues = 0;
  m_nSlot = 0;
  m_nTaken = 0;
  m_nPolls = 0;
  m_lastStamp = {-1, -1, -1};
  m_shortText.reset();
  m_refStatus = ReferenceTableStatus::kNotRead;
}

void CObservationReader::Start(const std::string& runDir, int takenPauseMs, int retryPauseMs)
{
  Stop();
  Reset();
  if (this == &g_ObservationReader) {
    static bool registered = false;
    if (!registered) {
      registered = true;
      std::atexit(StopAtExit);
    }
  }
  m_thread = std::thread(&CObservationReader::Run, this, runDir, takenPauseMs, retryPauseMs);
}

void CObservationReader::Stop()
{
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bStop = true;
  }
  m_wake.notify_all();
  if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id())
    m_thread.join();
}

bool CObservationReader::IsRunning() const
{
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_thread.joinable() && !m_bEnded;
}

bool CObservationReader::Pause(int ms)
{
  std::unique_lock<std::mutex> lock(m_mutex);
  return m_wake.wait_for(lock, std::chrono::milliseconds(ms < 0 ? 0 : ms), [this] { return m_bStop; });
}

void CObservationReader::Run(std::string runDir, int takenPauseMs, int retryPauseMs)
{
  // Nothing thrown may leave the thread (it would end the console).
  try {
    if (ReadReferenceTable(runDir) != ReferenceTableStatus::kMissing) {
      for (;;) {
        {
          std::lock_guard<std::mutex> lock(m_mutex);
          if (m_bStop)
            break;
        }
        const ObservationPoll p = PollOnce(runDir);
        const bool taken = p == ObservationPoll::kTaken || p == ObservationPoll::kTakenShort;
        if (Pause(taken ? takenPauseMs : retryPauseMs))
          break;
      }
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "Observation thread ended: %s\n", e.what());
  } catch (...) {
    std::fprintf(stderr, "Observation thread ended on an unknown error.\n");
  }
  std::lock_guard<std::mutex> lock(m_mutex);
  m_bEnded = true;
}

ReferenceTableStatus CObservationReader::ReadReferenceTable(const std::string& runDir)
{
  ReferenceTableStatus status = ReferenceTableStatus::kRead;
  std::vector<int> links;
  int values = 0;
  UniqueFile f = OpenFile(runDir + "/NEARVET/referencetable.txt", "r");
  if (!f) {
    status = ReferenceTableStatus::kMissing;
  } else {
    std::optional<int> rows = NextTruncated(f.get());
    std::optional<int> m = rows ? NextTruncated(f.get()) : std::nullopt;
    if (!m) {
      status = ReferenceTableStatus::kShort;
    } else {
      values = *m < 0 ? 0 : *m;
      for (int i = 0; i < *rows; ++i) {
        int row[6];
        bool whole = true;
        for (int& v : row) {
          std::optional<int> x = NextTruncated(f.get());
          if (!x) {
            whole = false;
            break;
          }
          v = *x;
        }
        if (!whole) {
          status = ReferenceTableStatus::kShort;
          break;
        }
        if (row[3] > 0) {
          links.push_back(row[0]);
          // Row i describes link i; a row beyond the links marks none.
          if (CDrawLine* link = m_lines.GetAt(i)) {
            link->m_bObserved = true;
            link->SetSeries(kMeasureDensity, kSourceObserved, 0, 0.0);
          }
        }
      }
    }
  }
  std::lock_guard<std::mutex> lock(m_mutex);
  m_detectorLinks = std::move(links);
  m_nValues = values;
  m_refStatus = status;
  return status;
}

ObservationPoll CObservationReader::PollOnce(const std::string& runDir)
{
  const std::string path = runDir + "/odestimate/obsData.dat";
  std::vector<int> links;
  int values;
  std::array<int, 3> last;
  int slot;
  std::optional<std::string> shortBefore;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_nPolls;
    links = m_detectorLinks;
    values = m_nValues;
    last = m_lastStamp;
    slot = m_nSlot;
    shortBefore = std::move(m_shortText);
    m_shortText.reset();
  }

  // The file is rewritten from outside: it is read whole, and refused when
  // its size changed meanwhile.
  long long before = 0, after = 0;
  std::ifstream in(path, std::ios::binary);
  if (!in || !FileSize(path, before))
    return ObservationPoll::kMissing;
  std::string text;
  try {
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  } catch (const std::exception&) {
    // A file that cannot be read (a directory in its place, a read error)
    // is polled again, as a missing one.
    return ObservationPoll::kMissing;
  }
  in.close();
  if (!FileSize(path, after) || before != after || static_cast<long long>(text.size()) != after)
    return ObservationPoll::kPartial;

  // An empty text gives no stamp: partial.
  fields::TextCursor cursor(text);
  std::array<int, 3> stamp;
  for (int& s : stamp) {
    std::optional<int> x = NextTruncated(cursor);
    if (!x)
      return ObservationPoll::kPartial;
    s = *x;
  }
  if (stamp == last)
    return ObservationPoll::kSameStamp;
  std::vector<double> obs;
  obs.reserve(static_cast<size_t>(values) < text.size() ? static_cast<size_t>(values) : text.size());
  for (int j = 0; j < values; ++j) {
    std::optional<double> v = fields::NextReal(cursor);
    if (!v)
      break;
    obs.push_back(*v);
  }

  // A short file may be one that a module is still writing: it is taken
  // only when the next poll finds it unchanged.
  const bool isShort = obs.size() < static_cast<size_t>(values);
  if (isShort && shortBefore != text) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_shortText = std::move(text);
    return ObservationPoll::kPartial;
  }

  // Values beyond the detector list, and detector link numbers outside the
  // links, are read past.
  for (size_t j = 0; j < obs.size() && j < links.size(); ++j) {
    if (obs[j] <= 0.0 || links[j] < 1 || links[j] > m_lines.GetSize())
      continue;
    if (CDrawLine* link = m_lines.GetAt(links[j] - 1))
      link->SetSeries(kMeasureDensity, kSourceObserved, slot, obs[j]);
  }
  std::lock_guard<std::mutex> lock(m_mutex);
  m_lastStamp = stamp;
  m_nSlot = slot + 1 >= kSlots ? 0 : slot + 1;
  ++m_nTaken;
  return isShort ? ObservationPoll::kTakenShort : ObservationPoll::kTaken;
}

std::vector<int> CObservationReader::DetectorLinks() const
{
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_detectorLinks;
}

int CObservationReader::ValuesPerRecord() const
{
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_nValues;
}

int CObservationReader::Slot() const
{
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_nSlot;
}

int CObservationReader::FilesTaken() const
{
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_nTaken;
}

int CObservationReader::Polls() const
{
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_nPolls;
}

std::array<int, 3> CObservationReader::LastStamp() const
{
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_lastStamp;
}

ReferenceTableStatus CObservationReader::ReferenceStatus() const
{
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_refStatus;
}

bool CObservationReader::ThreadEnded() const
{
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_bEnded;
}
