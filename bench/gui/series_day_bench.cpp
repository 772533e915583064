// The memory of the per-link series over a simulated day: the console's
// message handler (GUI_VQMsgTarget::HandleMsg, every step on the calling
// thread) takes the ended messages of a day of cycles on a network of
// 50,000 links, its records handed out by a record source in the process:
// each minute a NOWSIM end, every five minutes the ends of both FORESIM
// instances (a 20-minute stage from the current minute) and of NEARVET
// (every twentieth link observed) and FARVET. The resident memory the day
// adds, per link and simulated minute, beside the series' own bytes.
//
//   series_day_bench [--links N] [--minutes M]   (default 50000 links, 1440 minutes)
//
// Goal: at most 64 bytes per link per simulated minute, so that a day at
// 200,000 links stays within 20 GB. The run fails (status 1) when nothing
// was written, or when the handler dropped a message or skipped a record.
#include "BenchSupport.h"
#include "CDrawLine.h"
#include "CProject.h"
#include "GUI_VQMsgTarget.h"
#include "GlobalArrays.h"
#include "LinkSeries.h"
#include "ResultStores.h"
#include "qelm_msg_codes.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using K = QELM::Tallyhouse;

constexpr double kGoalBytes = 64.0;
constexpr int kZones = 120;
constexpr int kStageMinutes = 20;

// Resident memory of the process in bytes.
long long Resident()
{
  long long pages = 0, resident = 0;
  if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%lld %lld", &pages, &resident) != 2)
      resident = 0;
    std::fclose(f);
  }
  return resident * sysconf(_SC_PAGESIZE);
}

// Values that stay in one place and are lent to every record handed out,
// as a fetched reply lends its arrays.
RecordArray<float> Lent(std::size_t n, float base)
{
  auto values = std::make_shared<std::vector<float>>(n);
  for (std::size_t k = 0; k < n; ++k)
    (*values)[k] = base + static_cast<float>(k % 97) * 0.25f;
  return RecordArray<float>(values->data(), n, values);
}

RecordArray<std::int32_t> Lent(std::vector<std::int32_t> v)
{
  auto values = std::make_shared<std::vector<std::int32_t>>(std::move(v));
  return RecordArray<std::int32_t>(values->data(), values->size(), values);
}

// The newest record of each kind.
struct DaySource : IRecordSource
{
  std::map<int, PlainRecord> records;
  bool FetchLatest(K::DBKIDEnum kind, PlainRecord& out, std::string& error) override
  {
    auto it = records.find(static_cast<int>(kind));
    if (it == records.end()) {
      error = "no record";
      return false;
    }
    out = it->second;
    return true;
  }
  void Put(int kind, std::vector<RecordArray<std::int32_t>> L, std::vector<RecordArray<float>> F)
  {
    PlainRecord& r = records[kind];
    r.kind = kind;
    r.L = std::move(L);
    r.F = std::move(F);
  }
};

// The handler's window side, keeping the views' minutes and noting its
// lines (a drop or a skip means less work than the figure claims).
struct QuietDisplay : IResultDisplay
{
  int minutes[3] = {0, 0, 0};
  vlq::bench::HandlerLines lines;
  void DebugLog(const std::string& text, bool) override { lines.Note(text); }
  int ViewMinute(int view) const override { return minutes[view]; }
  void SetViewMinute(int view, int minute) override { minutes[view] = minute; }
  void InvalidateViews() override {}
  void InvalidatePredictionView(int) override {}
  void RefreshPreviews() override {}
};

void Handle(GUI_VQMsgTarget& target, long code)
{
  QELM::MSG m;
  m.ID = static_cast<CORBA::Long>(code);
  target.HandleMsg(&m);
}

}  // namespace

int main(int argc, char** argv)
{
  int links = 50000, minutes = 1440;
  for (int i = 1; i < argc; i += 2) {
    const std::string arg = argv[i];
    long long n = 0;
    if (arg == "--links" && i + 1 < argc && vlq::bench::ParseInteger(argv[i + 1], 1, 10000000, n)) {
      links = static_cast<int>(n);
    } else if (arg == "--minutes" && i + 1 < argc && vlq::bench::ParseInteger(argv[i + 1], 1, 1440, n)) {
      minutes = static_cast<int>(n);
    } else {
      std::fprintf(stderr, "usage: series_day_bench [--links N] [--minutes 1..1440]\n");
      return 2;
    }
  }
  const std::size_t n = static_cast<std::size_t>(links);
  for (int i = 0; i < links; ++i)
    g_LineArray.Add(new CDrawLine());
  ResetAllLinkSeries();

  DaySource source;
  source.Put(kKindRTLink, {Lent({links}), Lent({kZones})},
             {Lent(n, 20), Lent(n, 40), Lent(n, 0.1f), Lent(n, 900), Lent(kZones * kZones, 1)});
  const std::size_t steps = n * kStageMinutes;
  for (int kind : {kKindPredLink, kKindPredLink1})
    source.Put(kind, {Lent({kStageMinutes}), Lent({links})},
               {Lent(steps, 35), Lent(steps, 25), Lent(steps, 0.2f), Lent(steps, 800)});
  std::vector<std::int32_t> observed;
  for (int i = 1; i <= links; i += 20)
    observed.push_back(i);
  const std::size_t obs = observed.size();
  source.Put(kKindSTLink, {Lent({links}), Lent({static_cast<std::int32_t>(obs)}), Lent(observed)},
             {Lent(obs, 700), Lent(obs, 30), Lent(obs, 45)});
  source.Put(kKindCCBUpdatedSpeed, {Lent({links})}, {Lent(n, 50), Lent(1, 0.5f)});
  source.Put(kKindCCACorrection, {Lent({links})}, {Lent(n, 1), Lent(1, 0.25f)});

  QuietDisplay display;
  GUI_VQMsgTarget target(source);
  target.SetDisplay(&display, nullptr);

  const long long before = Resident();
  const std::size_t seriesBefore = LinkSeriesAllocatedBytes();
  for (int m = 0; m < minutes; ++m) {
    source.Put(kKindRTStat, {Lent({1234})}, {Lent(1, 20), Lent(1, 40), Lent(1, 1), Lent(1, m * 60.0f)});
    Handle(target, MSG_NOWSIM_ENDED);
    if (m % 5 == 0) {
      for (int kind : {kKindPredStat, kKindPredStat1})
        source.Put(kind, {Lent({1234})},
                   {Lent(1, 20), Lent(1, 40), Lent(1, 1), Lent(1, static_cast<float>(m)),
                    Lent(1, static_cast<float>(kStageMinutes))});
      Handle(target, MSG_FORESIM_ENDED);
      Handle(target, MSG_FORESIM1_ENDED);
      Handle(target, MSG_NEARVET_ENDED);
      Handle(target, MSG_FARVET_ENDED);
    }
  }
  const long long after = Resident();
  const double grown = static_cast<double>(after - before);
  const double series = static_cast<double>(LinkSeriesAllocatedBytes() - seriesBefore);
  const double perLinkMinute = grown / (static_cast<double>(links) * minutes);
  const double seriesPerLinkMinute = series / (static_cast<double>(links) * minutes);

  std::printf("The message handler over %d simulated minutes at %d links (NOWSIM each minute; FORESIM,\n"
              "FORESIM1, NEARVET and FARVET every five minutes; 20-minute stages)\n",
              minutes, links);
  std::printf("  resident memory: %.1f MiB before, %.1f MiB after, %.1f MiB added\n", before / 1048576.0,
              after / 1048576.0, grown / 1048576.0);
  std::printf("  series allocated: %.1f MiB\n", series / 1048576.0);
  const vlq::bench::Goal goal{kGoalBytes, "bytes"};
  std::printf("  per link and simulated minute: %.1f bytes resident, %.1f bytes of series   %s\n",
              perLinkMinute, seriesPerLinkMinute, vlq::bench::Verdict(goal, perLinkMinute).c_str());
  std::printf("  a day at 200,000 links: %.1f GB\n", perLinkMinute * 200000.0 * 1440 / 1e9);
  g_LineArray.RemoveAll();
  if (display.lines.losses > 0) {
    std::fprintf(stderr, "series_day_bench: FAILED: %d message(s) dropped or record(s) skipped: %s\n",
                 display.lines.losses, display.lines.firstLoss.c_str());
    return 1;
  }
  if (series <= 0) {
    std::fprintf(stderr, "series_day_bench: the handler wrote no series values; nothing measured\n");
    return 1;
  }
  return 0;
}
