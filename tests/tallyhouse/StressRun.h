// Parallel inserts and reads against one record store, through a reference
// (in-process or over IIOP). Each thread writes its own record kind with
// increasing sequence numbers and reads every writer's kind, checking that
// records are whole, newest first, consecutive (none lost) and bounded.
#pragma once

#include "RecordPattern.h"

#include <QELM.hh>

#include <atomic>
#include <chrono>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace tallyhouse_test {

struct StressResult
{
  std::vector<std::string> errors;
  long inserts = 0;
  long reads = 0;
};

// Keeps the first 20 failures reported by any thread.
inline void AddError(StressResult& result, std::mutex& result_mutex, const std::string& what)
{
  std::lock_guard<std::mutex> lock(result_mutex);
  if (result.errors.size() < 20)
    result.errors.push_back(what);
}

// Runs worker(t) for t = 0 .. threads - 1, each on its own thread, and
// waits for them all.
template <class Worker>
void RunThreads(int threads, Worker& worker)
{
  std::vector<std::thread> pool;
  for (int t = 0; t < threads; ++t)
    pool.emplace_back(worker, t);
  for (auto& th_ : pool)
    th_.join();
}

// Kinds 0 to 7 mix both size classes: 0 (trim 30, max 80), 1-4, 6, 7 (trim 1,
// max 1) and 5 (trim 30, max 60).
inline StressResult RunStress(QELM::Tallyhouse_ptr th, int threads, double seconds, int arrays = 3,
                              int length = 2000)
{
  StressResult result;
  std::mutex result_mutex;
  auto fail = [&](const std::string& what) { AddError(result, result_mutex, what); };
  auto kind = [](int t) { return static_cast<QELM::Tallyhouse::DBKIDEnum>(t); };
  auto min_size = [](int t) { return (t == 0 || t == 5) ? 31 : 2; };
  auto max_size = [](int t) { return t == 0 ? 80 : (t == 5 ? 60 : 1); };

  std::vector<std::atomic<int>> last_seq(static_cast<std::size_t>(threads));
  std::atomic<int> ready{0};
  std::atomic<long> inserts{0}, reads{0};
  const auto stop_at = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);

  auto worker = [&](int t) {
    std::mt19937 rng(static_cast<unsigned>(t) * 7u + 1u);
    int seq = 0;
    try {
      // Enough records first that every later read of min_size succeeds.
      for (; seq < 31; ++seq)
        th->InsertRecord(MakePatternRecord(t, seq, arrays, length), kind(t));
      last_seq[static_cast<std::size_t>(t)] = seq - 1;
      ++ready;
      while (ready.load() < threads)
        std::this_thread::yield();

      long iter = 0;
      while (std::chrono::steady_clock::now() < stop_at) {
        th->InsertRecord(MakePatternRecord(t, seq, arrays, length), kind(t));
        last_seq[static_cast<std::size_t>(t)] = seq;
        ++seq;
        ++inserts;

        const int r = static_cast<int>(rng() % static_cast<unsigned>(threads));
        int w = -1, s = -1;

        QELM::DBKRecord_var latest = th->GetLatestRecord(kind(r));
        std::string bad = CheckPatternRecord(latest.in(), w, s);
        if (!bad.empty() || w != r)
          fail("GetLatestRecord(" + std::to_string(r) + "): " + (bad.empty() ? "wrong writer" : bad));

        const int n = min_size(r);
        QELM::LSHHistory_var hist = th->FetchLSHH(kind(r), n);
        if (hist->length() != static_cast<CORBA::ULong>(n))
          fail("FetchLSHH length " + std::to_string(hist->length()));
        int prev = -1;
        for (CORBA::ULong i = 0; i < hist->length(); ++i) {
          bad = CheckPatternRecord(hist[i], w, s);
          if (!bad.empty() || w != r) {
            fail("FetchLSHH(" + std::to_string(r) + ")[" + std::to_string(i) +
                 "]: " + (bad.empty() ? "wrong writer" : bad));
            break;
          }
          if (i > 0 && s != prev - 1) {
            fail("FetchLSHH(" + std::to_string(r) + "): sequence " + std::to_string(prev) + " followed by " +
                 std::to_string(s));
            break;
          }
          prev = s;
        }

        const CORBA::Long count = th->GetRecordCount(kind(r));
        if (count < min_size(r) || count > max_size(r) + 1)
          fail("GetRecordCount(" + std::to_string(r) + ") = " + std::to_string(count));

        QELM::DBKRecord_var avg = th->GetRecordAverage(kind(r), 2);
        if (avg->F.length() != static_cast<CORBA::ULong>(arrays))
          fail("GetRecordAverage shape");

        if (t == 0 && ++iter % 50 == 0)
          th->Flush();
        reads += 4;
      }
    } catch (const CORBA::Exception& e) {
      fail(std::string("thread ") + std::to_string(t) + ": CORBA exception " + e._name());
    }
  };

  RunThreads(threads, worker);

  // Every writer's last insert is its kind's newest record.
  try {
    for (int t = 0; t < threads; ++t) {
      QELM::DBKRecord_var latest = th->GetLatestRecord(kind(t));
      int w = -1, s = -1;
      std::string bad = CheckPatternRecord(latest.in(), w, s);
      if (!bad.empty() || w != t || s != last_seq[static_cast<std::size_t>(t)].load())
        fail("after the run, kind " + std::to_string(t) + " does not end with its last insert");
    }
  } catch (const CORBA::Exception& e) {
    fail(std::string("final check: ") + e._name());
  }
  result.inserts = inserts;
  result.reads = reads;
  return result;
}

// Several writers per record kind: thread t writes kind kKinds[t % 4] with
// its own increasing sequence numbers, while every thread reads all four
// kinds. A history holds the newest inserts of its kind in one order, so in
// a list read newest first each writer's records are whole, belong to the
// kind and count down one by one; none is lost between them.
inline StressResult RunSharedStress(QELM::Tallyhouse_ptr th, int threads, double seconds, int arrays = 2,
                                    int length = 500)
{
  static const int kKinds[4] = {0, 5, 6, 8};  // trim/max 30/80, 30/60, 1/1, 30/60
  StressResult result;
  std::mutex result_mutex;
  auto fail = [&](const std::string& what) { AddError(result, result_mutex, what); };
  auto kind = [](int slot) { return static_cast<QELM::Tallyhouse::DBKIDEnum>(kKinds[slot]); };
  auto min_size = [](int slot) { return kKinds[slot] == 6 ? 2 : 31; };
  auto max_held = [](int slot) { return kKinds[slot] == 0 ? 80 : (kKinds[slot] == 6 ? 2 : 60); };

  std::vector<std::atomic<int>> last_seq(static_cast<std::size_t>(threads));
  std::atomic<int> ready{0};
  std::atomic<long> inserts{0}, reads{0};
  const auto stop_at = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);

  // Checks a newest-first list of records of kind slot.
  auto check_list = [&](const QELM::LSHHistory& hist, int slot, const std::string& what,
                        std::vector<int>* first_seen) {
    std::vector<int> prev(static_cast<std::size_t>(threads), -1);
    for (CORBA::ULong i = 0; i < hist.length(); ++i) {
      int w = -1, s = -1;
      const std::string bad = CheckPatternRecord(hist[i], w, s);
      if (!bad.empty() || w < 0 || w >= threads || w % 4 != slot) {
        fail(what + "[" + std::to_string(i) + "]: " + (bad.empty() ? "record of another kind" : bad));
        return;
      }
      int& p = prev[static_cast<std::size_t>(w)];
      if (p >= 0 && s != p - 1) {
        fail(what + ": writer " + std::to_string(w) + " sequence " + std::to_string(p) + " followed by " +
             std::to_string(s));
        return;
      }
      if (p < 0 && first_seen)
        (*first_seen)[static_cast<std::size_t>(w)] = s;
      p = s;
    }
  };

  auto worker = [&](int t) {
    std::mt19937 rng(static_cast<unsigned>(t) * 13u + 5u);
    const int own = t % 4;
    int seq = 0;
    try {
      for (; seq < 31; ++seq)
        th->InsertRecord(MakePatternRecord(t, seq, arrays, length), kind(own));
      last_seq[static_cast<std::size_t>(t)] = seq - 1;
      ++ready;
      while (ready.load() < threads)
        std::this_thread::yield();

      long iter = 0;
      while (std::chrono::steady_clock::now() < stop_at) {
        th->InsertRecord(MakePatternRecord(t, seq, arrays, length), kind(own));
        last_seq[static_cast<std::size_t>(t)] = seq;
        ++seq;
        ++inserts;

        const int r = static_cast<int>(rng() % 4u);
        QELM::DBKRecord_var latest = th->GetLatestRecord(kind(r));
        int w = -1, s = -1;
        const std::string bad = CheckPatternRecord(latest.in(), w, s);
        if (!bad.empty() || w % 4 != r)
          fail("GetLatestRecord(" + std::to_string(kKinds[r]) + "): " + (bad.empty() ? "another kind" : bad));

        QELM::LSHHistory_var hist = th->FetchLSHH(kind(r), min_size(r));
        if (hist->length() != static_cast<CORBA::ULong>(min_size(r)))
          fail("FetchLSHH length " + std::to_string(hist->length()));
        check_list(hist.in(), r, "FetchLSHH(" + std::to_string(kKinds[r]) + ")", nullptr);

        const CORBA::Long count = th->GetRecordCount(kind(r));
        if (count < min_size(r) || count > max_held(r))
          fail("GetRecordCount(" + std::to_string(kKinds[r]) + ") = " + std::to_string(count));

        QELM::DBKRecord_var avg = th->GetRecordAverage(kind(r), 2);
        if (avg->F.length() != static_cast<CORBA::ULong>(arrays))
          fail("GetRecordAverage shape");

        if (t == 1 && ++iter % 40 == 0)
          th->Flush();
        reads += 4;
      }
    } catch (const CORBA::Exception& e) {
      fail(std::string("thread ") + std::to_string(t) + ": CORBA exception " + e._name());
    }
  };

  RunThreads(threads, worker);

  // Afterwards: the newest record of a writer still held is its last insert.
  try {
    for (int slot = 0; slot < 4; ++slot) {
      const CORBA::Long count = th->GetRecordCount(kind(slot));
      QELM::LSHHistory_var hist = th->FetchLSHH(kind(slot), count);
      std::vector<int> first(static_cast<std::size_t>(threads), -1);
      check_list(hist.in(), slot, "final FetchLSHH(" + std::to_string(kKinds[slot]) + ")", &first);
      for (int w = slot; w < threads; w += 4)
        if (first[static_cast<std::size_t>(w)] >= 0 &&
            first[static_cast<std::size_t>(w)] != last_seq[static_cast<std::size_t>(w)].load())
          fail("kind " + std::to_string(kKinds[slot]) + ": writer " + std::to_string(w) +
               "'s newest record is not its last insert");
    }
  } catch (const CORBA::Exception& e) {
    fail(std::string("final check: ") + e._name());
  }
  result.inserts = inserts;
  result.reads = reads;
  return result;
}

}  // namespace tallyhouse_test
