// Record store throughput and latency over IIOP on loopback, side by side
// with a bare servant of the same interface (it answers GetLatestRecord with
// its one stored record, handed to the ORB without a copy, and drops
// inserts): the ORB's own cost on this machine. Records have the shape of
// GUIRTLINKDATA: L[0] = {links}, L[1] = {zones}, F[0..3] one value per link,
// F[4] zones x zones.
//
//   tallyhouse_bench [seconds-per-run]   (default 1; 5 runs of each side,
//                                         alternating; median, min and max)
//
// The program starts itself as the server process (--server <dir>), which
// hosts both servants, writes its standard output to <dir>/stdout.txt and
// its log to <dir>/tallyhouse.log as the Tallyhouse program does in a run,
// and writes the references to <dir>/store.ior and <dir>/bare.ior; the
// client side runs 1 and 8 threads against each, a connection per thread.
//
// Goals: every row at least 80% of the bare servant's calls per second, and
// the reads of 50,000-link records at least 90%. The program says which rows
// miss, and fails when a row measured nothing.
#include "BenchSupport.h"
#include "BorrowArrays.h"
#include "FileText.h"
#include "QELM_Tallyhouse_i.h"
#include "TallyhouseHeap.h"

#include "VQOStreamLog.h"
#include "qelm_orb_args.h"

#include <QELM.hh>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <memory>
#include <mutex>
#include <signal.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

const int kZones = 120;
const int kRounds = 5;

QELM::DBKRecord MakeLinkRecord(int links, int seq)
{
  QELM::DBKRecord r;
  r.timestamp.sec = 1000000 + seq;
  r.timestamp.msec = 0;
  r.quasi_timestamp = static_cast<float>(seq);
  r.L.length(2);
  r.L[0].length(1);
  r.L[0][0] = links;
  r.L[1].length(1);
  r.L[1][0] = kZones;
  r.F.length(5);
  for (int j = 0; j < 4; ++j) {
    r.F[j].length(static_cast<CORBA::ULong>(links));
    for (int k = 0; k < links; ++k)
      r.F[j][k] = static_cast<float>((k * 7 + j + seq) % 1000) * 0.1f;
  }
  r.F[4].length(kZones * kZones);
  for (int k = 0; k < kZones * kZones; ++k)
    r.F[4][k] = static_cast<float>(k % 97);
  return r;
}

// The bare servant: the least a servant of this interface can do. Its reads
// hand the ORB its stored record's buffers; every record it was given stays
// alive until the program ends, so a reply never outlives its buffers.
class BareTallyhouse : public POA_QELM::Tallyhouse
{
public:
  using DBKIDEnum = QELM::Tallyhouse::DBKIDEnum;

  // Out of line: inlined into the new-expression, GCC misreads the virtual
  // bases' layout (a false -Warray-bounds).
  [[gnu::noinline]] explicit BareTallyhouse(CORBA::ORB_ptr orb);

  CORBA::Long Initialize(QELM::Management_ptr) override { return 0; }
  void UpdateSimulationParameters(const QELM::SimulationParameters&) override {}
  QELM::SimulationParameters GetSimulationParameters() override { return QELM::SimulationParameters(); }
  void Shutdown() override { m_orb->shutdown(false); }
  void Flush() override {}
  CORBA::Long GetTableMaxSize(DBKIDEnum) override { return 60; }
  void SetTableMaxSize(DBKIDEnum, CORBA::Long) override {}
  CORBA::Long GetRecordCount(DBKIDEnum) override { return 1; }
  QELM::HRTime GetLatestInsertTime(DBKIDEnum) override { return QELM::HRTime(); }
  QELM::DBKRecord* GetLatestRecord(DBKIDEnum) override { return Borrowed(); }
  QELM::DBKRecord* GetRecord(DBKIDEnum, CORBA::Float) override { return Borrowed(); }
  void InsertRecord(const QELM::DBKRecord& L, DBKIDEnum lshid) override
  {
    // Under this kind, the record becomes the one answered (set-up only).
    if (lshid == QELM::Tallyhouse::GUIPLINKDATA) {
      auto rec = std::make_shared<const QELM::DBKRecord>(L);
      std::lock_guard<std::mutex> lock(m_mutex);
      m_given.push_back(rec);
      m_record = rec.get();
    }
  }
  QELM::DBKRecord* GetRecordAverage(DBKIDEnum, CORBA::Long) override { return Borrowed(); }
  QELM::LSHHistory* FetchLSHH(DBKIDEnum, CORBA::Long) override { return new QELM::LSHHistory; }

private:
  QELM::DBKRecord* Borrowed()
  {
    const QELM::DBKRecord* stored;
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      stored = m_record;
    }
    QELM::DBKRecord* out = new QELM::DBKRecord;
    out->timestamp = stored->timestamp;
    out->quasi_timestamp = stored->quasi_timestamp;
    BorrowArrays(stored->L, out->L);
    BorrowArrays(stored->F, out->F);
    return out;
  }

  CORBA::ORB_var m_orb;
  std::mutex m_mutex;
  std::vector<std::shared_ptr<const QELM::DBKRecord>> m_given{std::make_shared<const QELM::DBKRecord>()};
  const QELM::DBKRecord* m_record = m_given.front().get();
};

BareTallyhouse::BareTallyhouse(CORBA::ORB_ptr orb) : m_orb(CORBA::ORB::_duplicate(orb)) {}

bool WriteText(const std::string& path, const std::string& text)
{
  const std::string tmp = path + ".tmp";
  std::ofstream out(tmp);
  out << text;
  out.close();
  return out.good() && std::rename(tmp.c_str(), path.c_str()) == 0;
}

int RunServer(const std::string& dir, const char* argv0)
{
  if (chdir(dir.c_str()) != 0)
    return 1;
  // The store's console output and log go to files, as in a run.
  int out = open("stdout.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (out >= 0) {
    dup2(out, 1);
    close(out);
  }
  VQOStreamLog::Open("tallyhouse.log", "w");
  // The heap settings of the Tallyhouse program (they serve both servants).
  TallyhouseTuneHeap();

  int argc = 1;
  char* argv[] = {const_cast<char*>(argv0), nullptr};
  CORBA::ORB_var orb = qelm_orb_init(argc, argv, QELM_ORB_ID, 0, "giop:tcp:127.0.0.1:");
  CORBA::Object_var obj = orb->resolve_initial_references("RootPOA");
  PortableServer::POA_var poa = PortableServer::POA::_narrow(obj.in());
  PortableServer::POAManager_var mgr = poa->the_POAManager();
  mgr->activate();

  PortableServer::ServantBase_var store = new QELM_Tallyhouse_i(orb.in());
  PortableServer::ServantBase_var bare = new BareTallyhouse(orb.in());
  PortableServer::ObjectId_var store_id = poa->activate_object(store.in());
  PortableServer::ObjectId_var bare_id = poa->activate_object(bare.in());
  CORBA::Object_var store_ref = poa->id_to_reference(store_id.in());
  CORBA::Object_var bare_ref = poa->id_to_reference(bare_id.in());
  CORBA::String_var store_ior = orb->object_to_string(store_ref.in());
  CORBA::String_var bare_ior = orb->object_to_string(bare_ref.in());
  WriteText("bare.ior", bare_ior.in());
  WriteText("store.ior", store_ior.in());

  orb->run();
  orb->destroy();
  return 0;
}

struct RunResult
{
  double calls_per_s = 0;
  double p50_us = 0;
  long errors = 0;
};

enum class Op { Latest, Insert };

RunResult Measure(QELM::Tallyhouse_ptr th, Op op, int threads, int links, double seconds)
{
  const QELM::Tallyhouse::DBKIDEnum id = QELM::Tallyhouse::GUIRTLINKDATA;
  std::vector<std::vector<double>> lat(static_cast<std::size_t>(threads));
  std::atomic<long> errors{0};
  std::atomic<int> ready{0};
  std::atomic<bool> go{false};
  const QELM::DBKRecord record = MakeLinkRecord(links, 1);

  auto worker = [&](int t) {
    std::vector<double>& mine = lat[static_cast<std::size_t>(t)];
    mine.reserve(100000);
    ++ready;
    while (!go.load())
      std::this_thread::yield();
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    for (;;) {
      const auto t0 = std::chrono::steady_clock::now();
      if (t0 >= end)
        break;
      try {
        if (op == Op::Latest) {
          QELM::DBKRecord_var r = th->GetLatestRecord(id);
        } else {
          th->InsertRecord(record, id);
        }
      } catch (const CORBA::Exception&) {
        ++errors;
      }
      const auto t1 = std::chrono::steady_clock::now();
      mine.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
    }
  };

  std::vector<std::thread> pool;
  for (int t = 0; t < threads; ++t)
    pool.emplace_back(worker, t);
  while (ready.load() < threads)
    std::this_thread::yield();
  const auto start = std::chrono::steady_clock::now();
  go = true;
  for (auto& p : pool)
    p.join();
  const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

  std::vector<double> all;
  for (auto& v : lat)
    all.insert(all.end(), v.begin(), v.end());
  RunResult r;
  r.errors = errors;
  if (all.empty())
    return r;
  r.calls_per_s = static_cast<double>(all.size()) / wall;
  std::nth_element(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(all.size() / 2), all.end());
  r.p50_us = all[all.size() / 2];
  return r;
}

struct Summary
{
  double median_calls = 0, min_calls = 0, max_calls = 0;
  double median_us = 0;  // median over the runs of each run's median call time
  long errors = 0;
};

double Median(std::vector<double> v)
{
  if (v.empty())
    return 0;
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

Summary Summarise(const std::vector<RunResult>& runs)
{
  Summary s;
  std::vector<double> calls, us;
  for (const RunResult& r : runs) {
    calls.push_back(r.calls_per_s);
    us.push_back(r.p50_us);
    s.errors += r.errors;
  }
  if (calls.empty())
    return s;
  s.median_calls = Median(calls);
  s.min_calls = *std::min_element(calls.begin(), calls.end());
  s.max_calls = *std::max_element(calls.begin(), calls.end());
  s.median_us = Median(us);
  return s;
}

// "median [min-max]"
std::string Range(const Summary& s)
{
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.0f [%.0f-%.0f]", s.median_calls, s.min_calls, s.max_calls);
  return buf;
}

// The text of a file, "" when it cannot be read.
std::string ReadText(const std::string& path)
{
  std::string text;
  return ReadFileText(path, text) ? text : std::string();
}

int RunClient(const char* self, double seconds)
{
  vlq::bench::ScratchDir scratch;
  std::string error;
  if (!scratch.Make("tallyhouse-bench-", error)) {
    std::fprintf(stderr, "tallyhouse_bench: %s\n", error.c_str());
    return 1;
  }
  const std::string dir = scratch.Path();

  pid_t pid = fork();
  if (pid < 0) {
    std::perror("fork");
    return 1;
  }
  if (pid == 0) {
    execl("/proc/self/exe", self, "--server", dir.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }

  std::string store_ior, bare_ior;
  for (int i = 0; i < 2000 && store_ior.empty(); ++i) {
    store_ior = ReadText(dir + "/store.ior");
    if (store_ior.empty())
      usleep(10000);
  }
  bare_ior = ReadText(dir + "/bare.ior");
  if (store_ior.empty() || bare_ior.empty()) {
    std::fprintf(stderr, "server did not start\n");
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return 1;
  }

  // Every client thread gets a connection of its own.
  std::vector<std::string> args = {"-ORBmaxGIOPConnectionPerServer", "16"};
  CORBA::ORB_var orb = qelm_orb_init(args, QELM_ORB_ID, 0);
  CORBA::Object_var so = orb->string_to_object(store_ior.c_str());
  CORBA::Object_var bo = orb->string_to_object(bare_ior.c_str());
  QELM::Tallyhouse_var store = QELM::Tallyhouse::_narrow(so.in());
  QELM::Tallyhouse_var bare = QELM::Tallyhouse::_narrow(bo.in());

  std::printf("Record store vs bare servant, GUIRTLINKDATA-shaped records (%d zones), %d runs of %.1f s each "
              "side, alternating\n",
              kZones, kRounds, seconds);
  std::printf("Machine: %u hardware threads, load average %s\n", std::thread::hardware_concurrency(),
              vlq::bench::LoadAverage(3).c_str());
  std::printf("calls/s as median [min-max] of the runs; us = median call time; ratio = store median / bare "
              "median\n");
  std::printf("%6s %3s %-15s %25s %25s %7s %7s %6s  %s\n", "links", "cl", "operation", "store/s", "bare/s",
              "st us", "bare us", "ratio", "verdict (of bare)");

  const int sizes[] = {1000, 10000, 50000};
  const int thread_counts[] = {1, 8};
  int rows = 0, missed = 0, empty = 0;
  for (int links : sizes) {
    const QELM::DBKRecord rec = MakeLinkRecord(links, 0);
    // Fill the store's history and set the bare servant's record.
    for (int i = 0; i < 61; ++i)
      store->InsertRecord(rec, QELM::Tallyhouse::GUIRTLINKDATA);
    bare->InsertRecord(rec, QELM::Tallyhouse::GUIPLINKDATA);
    for (Op op : {Op::Latest, Op::Insert}) {
      for (int threads : thread_counts) {
        // Warm-up of both, then alternating runs of the same work.
        Measure(store.in(), op, threads, links, 0.2);
        Measure(bare.in(), op, threads, links, 0.2);
        std::vector<RunResult> sr, br;
        for (int round = 0; round < kRounds; ++round) {
          sr.push_back(Measure(store.in(), op, threads, links, seconds));
          br.push_back(Measure(bare.in(), op, threads, links, seconds));
        }
        const Summary st = Summarise(sr), ba = Summarise(br);
        const vlq::bench::Goal goal{(links == 50000 && op == Op::Latest) ? 90.0 : 80.0, "%",
                                    vlq::bench::Goal::kAtLeast};
        const bool measured = st.min_calls > 0 && ba.min_calls > 0 && st.errors == 0 && ba.errors == 0;
        const double percent = ba.median_calls > 0 ? 100.0 * st.median_calls / ba.median_calls : 0.0;
        const std::string verdict = !measured ? "NOTHING MEASURED" : vlq::bench::Verdict(goal, percent);
        ++rows;
        if (!measured)
          ++empty;
        else if (!vlq::bench::Met(goal, percent))
          ++missed;
        std::printf("%6d %3d %-15s %25s %25s %7.1f %7.1f %5.1f%%  %s%s\n", links, threads,
                    op == Op::Latest ? "GetLatestRecord" : "InsertRecord", Range(st).c_str(),
                    Range(ba).c_str(), st.median_us, ba.median_us, percent, verdict.c_str(),
                    (st.errors || ba.errors) ? "  (calls failed)" : "");
        std::fflush(stdout);
      }
    }
  }
  std::printf("Load average at the end: %s\n", vlq::bench::LoadAverage(3).c_str());
  if (empty > 0)
    std::printf("FAILED: %d of %d rows measured nothing (no calls, or calls failed)\n", empty, rows);
  else if (missed > 0)
    std::printf("Goals MISSED in %d of %d rows (>= 80%% of bare, >= 90%% for 50,000-link reads)\n", missed,
                rows);
  else
    std::printf("All %d rows within their goals (>= 80%% of bare, >= 90%% for 50,000-link reads)\n", rows);

  store->Shutdown();
  int status = 0;
  waitpid(pid, &status, 0);
  orb->destroy();
  if (!(WIFEXITED(status) && WEXITSTATUS(status) == 0)) {
    std::fprintf(stderr, "the server did not end normally\n");
    return 1;
  }
  return empty > 0 ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv)
{
  if (argc >= 3 && std::strcmp(argv[1], "--server") == 0)
    return RunServer(argv[2], argv[0]);
  double seconds = 1.0;
  if (argc > 2 || (argc == 2 && !vlq::bench::ParseNumber(argv[1], 0.001, 3600, seconds))) {
    std::fprintf(stderr, "usage: tallyhouse_bench [seconds-per-run]   (0.001 to 3600, default 1)\n");
    return 2;
  }
  return RunClient(argv[0], seconds);
}
