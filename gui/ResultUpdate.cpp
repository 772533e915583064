#include "ResultUpdate.h"
#include "StringPrintf.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "CDrawLine.h"
#include "CProject.h"
#include "LinkSeries.h"
#include "ResultStores.h"
#include "TextHelpers.h"
#include "qelm_msg_codes.h"
#include "qelm_record_layout.h"

namespace {

using qelm_layout::Consistency;
using qelm_layout::PredLink;
using qelm_layout::PredStat;
using qelm_layout::RTLink;
using qelm_layout::RTStat;
using qelm_layout::STLink;

// ---- reading a record's values --------------------------------------------

const PlainRecord* Find(const FetchedMessage& msg, int kind)
{
  for (const PlainRecord& r : msg.records)
    if (r.kind == kind)
      return &r;
  return nullptr;
}

// The first value of array i.
template <class T>
bool First(const std::vector<RecordArray<T>>& arrays, std::size_t i, T& value)
{
  if (i >= arrays.size() || arrays[i].empty())
    return false;
  value = arrays[i][0];
  return true;
}

// A real truncated to an int; false when it is not finite or beyond int.
bool Truncate(float v, int& out)
{
  const double d = v;
  if (!std::isfinite(d) || d <= -2147483649.0 || d >= 2147483648.0)
    return false;
  out = static_cast<int>(d);
  return true;
}

int LinkCount()
{
  return g_LineArray.GetSize();
}

// The arrays F[0..count-1] hold exactly `size` values each.
bool ArraysOfSize(const std::vector<RecordArray<float>>& F, std::size_t count, std::uint64_t size)
{
  if (F.size() < count)
    return false;
  for (std::size_t f = 0; f < count; ++f)
    if (F[f].size() != size)
      return false;
  return true;
}

// ---- the handler's lines -----------------------------------------------------

void Shown(IResultDisplay& d, const std::string& text)
{
  d.DebugLog(text, true);
}

void FileLine(IResultDisplay& d, const std::string& text)
{
  d.DebugLog(text, false);
}

// A record, or a part of one, that does not fit: one shown line.
void Skipped(IResultDisplay& d, const std::string& text)
{
  d.DebugLog("Skipped " + text, true);
}

// The values of a record that are not finite (NaN or infinite) are no
// values: nothing is written for them, and one line tells how many there
// were.
void NotFinite(IResultDisplay& d, const std::string& record, int count)
{
  if (count == 1)
    Skipped(d, record + ": 1 value that is not finite, taken as no value");
  else if (count > 1)
    Skipped(d, StringPrintf("%s: %d values that are not finite, taken as no value", record.c_str(), count));
}

// Stores a statistics value unless it is no value.
void SetStat(double& field, float value, int& notFinite)
{
  if (std::isfinite(value))
    field = value;
  else
    ++notFinite;
}

// A statistics record at [source][m]: numcars and those of the three
// values that are finite.
void SetNetStats(int source, int m, std::int32_t numcars, float avgStop, float avgDen, float avgSpeed,
                 IResultDisplay& d, const char* record)
{
  NetStatRecord& stats = g_NetStats[source][m];
  int notFinite = 0;
  stats.numcars = numcars;
  SetStat(stats.AvgStop, avgStop, notFinite);
  SetStat(stats.AvgDen, avgDen, notFinite);
  SetStat(stats.AvgSpeed, avgSpeed, notFinite);
  NotFinite(d, record, notFinite);
}

void MarkStarted(int module)
{
  g_ModuleRunning[module] = true;
  const int minute = g_CurrentMinute.load();
  if (IsStoreMinute(minute))
    g_ModuleStartMarks[module][minute] = true;
}

// ---- NOWSIM ended ------------------------------------------------------------

// Why the per-link part of a GUIRTLINKDATA record does not fit, or "".
// checked: the link count its arrays were found to fit.
std::string RTLinkProblem(const PlainRecord& r, int& checked)
{
  std::int32_t links = 0;
  if (!First(r.L, RTLink::kLinks, links))
    return "GUIRTLINKDATA link values: the record has no link count";
  if (links != LinkCount())
    return StringPrintf("GUIRTLINKDATA link values: %d links in the record, %d in the network", links,
                        LinkCount());
  if (!ArraysOfSize(r.F, RTLink::kFlow + 1, static_cast<std::uint64_t>(links)))
    return StringPrintf("GUIRTLINKDATA link values: F[0] to F[3] do not hold %d values each", links);
  checked = links;
  return "";
}

// Why the OD part of a GUIRTLINKDATA record does not fit, or "".
std::string ODProblem(const PlainRecord& r, int& zones)
{
  std::int32_t z = 0;
  if (!First(r.L, RTLink::kZones, z))
    return "GUIRTLINKDATA OD matrix: the record has no zone count";
  if (z < 0 || z > kMaxZones)
    return StringPrintf("GUIRTLINKDATA OD matrix: zone count %d outside 0 to %d", z, kMaxZones);
  const std::size_t cells = static_cast<std::size_t>(z) * static_cast<std::size_t>(z);
  if (r.F.size() <= RTLink::kOD || r.F[RTLink::kOD].size() < cells)
    return StringPrintf("GUIRTLINKDATA OD matrix: F[4] holds fewer than %d x %d values", z, z);
  zones = z;
  return "";
}

// What a NOWSIM end's records give, checked.
struct EstimationChecks
{
  bool statOk = false;  // numcars and the four values are there
  std::int32_t numcars = 0;
  float avgDen = 0, avgSpeed = 0, avgStop = 0, timeNow = 0;
  bool minuteOk = false;  // time_now is a time
  int m = 0;
  const PlainRecord* links = nullptr;
  std::string linkProblem;  // "" when the link values fit
  int checkedLinks = 0;     // the link count the arrays fit
  std::string odProblem;    // "" when the OD matrix fits
  int zones = 0;
  int linkNotFinite = 0;  // link values that were not finite
};

EstimationChecks CheckEstimation(const FetchedMessage& msg)
{
  EstimationChecks c;
  const PlainRecord* stat = Find(msg, kKindRTStat);
  c.statOk = stat && First(stat->L, RTStat::kNumCars, c.numcars) &&
             First(stat->F, RTStat::kAvgDensity, c.avgDen) && First(stat->F, RTStat::kAvgSpeed, c.avgSpeed) &&
             First(stat->F, RTStat::kAvgStops, c.avgStop) && First(stat->F, RTStat::kTimeNow, c.timeNow);
  c.minuteOk = c.statOk && MinuteOfTime(c.timeNow, c.m);
  c.links = Find(msg, kKindRTLink);
  c.linkProblem = c.links ? RTLinkProblem(*c.links, c.checkedLinks) : "GUIRTLINKDATA: no record";
  if (c.links)
    c.odProblem = ODProblem(*c.links, c.zones);
  return c;
}

// Off the window thread: the link values at the record's minute.
void WriteEstimationLinks(EstimationChecks& c)
{
  if (!c.minuteOk || !c.linkProblem.empty())
    return;
  const std::vector<RecordArray<float>>& F = c.links->F;
  // The arrays hold the checked count: a network changed since is written
  // only as far as both go.
  const int n = std::min(c.checkedLinks, LinkCount());
  for (int i = 0; i < n; ++i)
    if (CDrawLine* link = g_LineArray.GetAt(i)) {
      const float* const values[kSeriesMeasures] = {
          F[RTLink::kDensity].data() + i, F[RTLink::kSpeed].data() + i, F[RTLink::kQueue].data() + i,
          F[RTLink::kFlow].data() + i};
      c.linkNotFinite += link->m_dSeries.SetRecordRun(kSourceEstimate, c.m, values, 0, 1, false);
    }
}

// On the window thread, after the link values: the rest of the update.
void ApplyEstimation(const EstimationChecks& c, IResultDisplay& d)
{
  Shown(d, "NOWSIM simulation ended.");
  FileLine(d, "Updating display from NOWSIM.");
  if (!c.statOk) {
    Skipped(d, "GUIRTSTATDATA: the record lacks numcars or one of its four values; NOWSIM results not shown");
    return;
  }
  if (!c.minuteOk) {
    Skipped(d, StringPrintf("GUIRTSTATDATA: time_now %g is not a time; NOWSIM results not shown", c.timeNow));
    return;
  }
  const int m = c.m;
  g_CurrentMinute = m;
  d.SetViewMinute(IResultDisplay::kEstimationView, m);

  if (!c.linkProblem.empty())
    Skipped(d, c.linkProblem);
  int linksNotFinite = c.linkNotFinite;
  if (c.links) {
    if (c.odProblem.empty()) {
      const int zones = c.zones;
      g_Project.SetODSize(zones);
      const int slot = m / 5;
      const RecordArray<float>& od = c.links->F[RTLink::kOD];
      for (int i = 0; i < zones; ++i)
        for (int j = 0; j < zones; ++j) {
          const float v = od[static_cast<std::size_t>(j) * zones + i];
          if (std::isfinite(v))
            g_Project.SetODEntry(slot, i, j, v);
          else
            ++linksNotFinite;
        }
    } else {
      Skipped(d, c.odProblem);
    }
  }
  NotFinite(d, "GUIRTLINKDATA", linksNotFinite);

  g_EstimationClock.nMinute = m;
  g_EstimationClock.nSecond = 0;
  g_EstimationClock.dMinute = m;
  g_PredictionClock.nSecond = 0;
  if (m > 10)
    g_PredictionOffset = ClampPredictionOffset(g_PredictionOffset.load(), m, g_PredictionClock.nWindowStart,
                                               g_PredictionClock.nWindowEnd);
  const int predicted = m + g_PredictionOffset.load();
  g_PredictionClock.dMinute = predicted;
  d.SetViewMinute(IResultDisplay::kPredictionView0, predicted);
  d.SetViewMinute(IResultDisplay::kPredictionView1, predicted);

  SetNetStats(kSourceEstimate, m, c.numcars, c.avgStop, c.avgDen, c.avgSpeed, d, "GUIRTSTATDATA");

  Shown(d, StringPrintf("NOWSIM Time: %d", m));
  g_ModuleRunning[kModuleNowsim] = false;
  d.InvalidateViews();
  d.RefreshPreviews();
  FileLine(d, "Finished updating display from NOWSIM");
}

// ---- FORESIM ended -------------------------------------------------------------

// Why the steps of a GUIPLINKDATA record do not fit, or "". blocks and
// links: the record's step count and the values per step its arrays were
// found to fit.
std::string PredLinkProblem(const PlainRecord& r, const char* name, int& blocks, int& links)
{
  std::int32_t b = 0, size = 0;
  if (!First(r.L, PredLink::kSteps, b) || !First(r.L, PredLink::kLinks, size))
    return StringPrintf("%s: the record lacks its step count or its values per step", name);
  if (b < 0 || size != LinkCount())
    return StringPrintf("%s: %d steps of %d values, %d links in the network", name, b, size, LinkCount());
  if (!ArraysOfSize(r.F, PredLink::kFArrays,
                    static_cast<std::uint64_t>(b) * static_cast<std::uint64_t>(size)))
    return StringPrintf("%s: F[0] to F[3] do not hold %d x %d values each", name, b, size);
  blocks = b;
  links = size;
  return "";
}

// A FORESIM end: what its first step decided. The clocks and the chart
// window move only in the last step, after the link values are written.
struct PredictionPlan
{
  int instance = 0;
  int m = 0;             // the current minute
  bool stageOk = false;  // the stage fits the stores
  bool write = false;    // the stage's steps go into the series
  const PlainRecord* links = nullptr;
  int checkedLinks = 0;  // values per step, as checked
  int S = 0, L = 0;      // stage start and length
  int notFinite = 0;     // link values that were not finite
};

// The record names of a prediction instance.
struct PredictionNames
{
  const char* link;
  const char* stat;
};

PredictionNames NamesOf(int instance)
{
  return instance == 0 ? PredictionNames{"GUIPLINKDATA", "GUIPSTATDATA"}
                       : PredictionNames{"GUIPLINKDATA_1", "GUIPSTATDATA_1"};
}

// The instance's paths: the list is emptied, then takes what the file gave.
void TakePredictedPaths(FetchedMessage& msg, int instance, IResultDisplay& d)
{
  {
    LockedPathLists lists = g_PredictedPaths.Lock();
    CTypedObArray<CPath>& list = lists.List(instance);
    list.RemoveAll();
    if (msg.paths)
      while (CPath* p = msg.paths->Detach(0))
        list.Add(p);
  }
  if (msg.paths) {
    if (msg.pathResult.status != PathFileStatus::kRead)
      Shown(d, kPathFileErrorText);
    d.InvalidatePredictionView(instance);
  }
}

// The values of a GUIPSTATDATA record.
struct PredictionStats
{
  bool ok = false;  // numcars and the five values are there
  std::int32_t numcars = 0;
  float avgDen = 0, avgSpeed = 0, avgStop = 0, stageStart = 0, stageLength = 0;
};

PredictionStats ReadPredictionStats(const PlainRecord* stat, const char* name, IResultDisplay& d)
{
  PredictionStats s;
  s.ok = stat && First(stat->L, PredStat::kNumCars, s.numcars) &&
         First(stat->F, PredStat::kAvgDensity, s.avgDen) && First(stat->F, PredStat::kAvgSpeed, s.avgSpeed) &&
         First(stat->F, PredStat::kAvgStops, s.avgStop) &&
         First(stat->F, PredStat::kStageStart, s.stageStart) &&
         First(stat->F, PredStat::kStageLength, s.stageLength);
  if (!s.ok)
    Skipped(d, StringPrintf("%s: the record lacks numcars or one of its five values", name));
  return s;
}

// The stage at the current minute m: its minutes S .. S + L - 1 and the
// copy at S + L must lie in the per-minute stores (a start of a day or
// more is the current minute). False, with a line, when it does not fit.
bool PredictionStage(const PredictionStats& s, int m, const char* name, IResultDisplay& d, int& S, int& L)
{
  if (!s.ok)
    return false;
  bool fits = Truncate(s.stageStart, S) && Truncate(s.stageLength, L);
  if (fits && S >= 1440)
    S = m;
  if (!fits || S < 0 || S >= kSeriesMinutes || L < 0 || L > kSeriesMinutes - S) {
    Skipped(d, StringPrintf("%s: stage start %g and length %g do not fit the stores", name, s.stageStart,
                            s.stageLength));
    return false;
  }
  return true;
}

// The hourly roll of the chart window by a first-instance stage.
void RollChartWindowByStage(int m, int S)
{
  int start = g_ChartWindowStart.load(), end = g_ChartWindowEnd.load();
  int rolled = g_ChartWindowRolledStage.load();
  RollChartWindow(m, S, start, end, rolled);
  g_ChartWindowStart = start;
  g_ChartWindowEnd = end;
  g_ChartWindowRolledStage = rolled;
}

// Why the steps of the link record cannot go into the series, or "".
std::string PredictionLinkProblem(const PlainRecord* links, const char* name, bool stageOk, int L,
                                  int& checkedLinks)
{
  if (!links)
    return std::string(name) + ": no record";
  int blocks = 0;
  std::string problem = PredLinkProblem(*links, name, blocks, checkedLinks);
  if (problem.empty() && stageOk && L > blocks)
    problem = StringPrintf("%s: stage of %d minutes, %d steps in the record", name, L, blocks);
  return problem;
}

// On the window thread: the lines, the paths, the running flag and the
// statistics; decides the stage and where its steps go.
void BeginPrediction(FetchedMessage& msg, PredictionPlan& plan, IResultDisplay& d)
{
  const int instance = plan.instance;
  const bool first = instance == 0;
  const PredictionNames names = NamesOf(instance);
  Shown(d, first ? "FORESIM simulation ended." : "FORESIM_1 simulation ended.");
  FileLine(d, first ? "Updating display from FORESIM." : "Updating display from FORESIM_1.");
  TakePredictedPaths(msg, instance, d);

  const PlainRecord* links = Find(msg, first ? kKindPredLink : kKindPredLink1);
  const PredictionStats stats =
      ReadPredictionStats(Find(msg, first ? kKindPredStat : kKindPredStat1), names.stat, d);

  g_ModuleRunning[first ? kModuleForesim : kModuleForesim1] = false;
  const int m = d.ViewMinute(IResultDisplay::kEstimationView);
  g_CurrentMinute = m;
  if (m >= 5 && m == d.ViewMinute(IResultDisplay::kPredictionView0))
    g_PredictionOffset = 10;

  int S = 0, L = 0;
  const bool stageOk = PredictionStage(stats, m, names.stat, d, S, L);
  if (stats.ok && IsStoreMinute(m))
    SetNetStats(first ? kSourcePredict0 : kSourcePredict1, m, stats.numcars, stats.avgStop, stats.avgDen,
                stats.avgSpeed, d, names.stat);

  const std::string linkProblem = PredictionLinkProblem(links, names.link, stageOk, L, plan.checkedLinks);
  if (!linkProblem.empty())
    Skipped(d, linkProblem);
  plan.m = m;
  plan.stageOk = stageOk;
  plan.write = linkProblem.empty() && stageOk && L > 0;
  plan.links = links;
  plan.S = S;
  plan.L = L;
}

// Off the window thread: per link, the stage's steps of the four measures
// and the copy of the last one at S + L (a copy past the stores is not
// written).
void WritePredictionLinks(PredictionPlan& plan)
{
  if (!plan.write)
    return;
  const int source = plan.instance == 0 ? kSourcePredict0 : kSourcePredict1;
  // A step holds the checked count of values; a network changed since is
  // written only as far as both go.
  const std::size_t size = static_cast<std::size_t>(plan.checkedLinks);
  const int n = std::min(plan.checkedLinks, LinkCount());
  // The record's arrays in the series' measure order (density, speed,
  // queue, flow): speed, density, queue, flow.
  const std::vector<RecordArray<float>>& F = plan.links->F;
  const float* const arrays[kSeriesMeasures] = {F[PredLink::kDensity].data(), F[PredLink::kSpeed].data(),
                                                F[PredLink::kQueue].data(), F[PredLink::kFlow].data()};
  for (int i = 0; i < n; ++i)
    if (CDrawLine* link = g_LineArray.GetAt(i)) {
      const float* const values[kSeriesMeasures] = {arrays[0] + i, arrays[1] + i, arrays[2] + i,
                                                    arrays[3] + i};
      plan.notFinite += link->m_dSeries.SetRecordRun(source, plan.S, values, size, plan.L, true);
    }
}

// On the window thread, after the link values: the clock's stage window
// and minute, the chart window, then the repaints. Between the steps the
// window thread paints: the stage moves only over values already written.
void FinishPrediction(const PredictionPlan& plan, IResultDisplay& d)
{
  NotFinite(d, NamesOf(plan.instance).link, plan.notFinite);
  if (plan.stageOk) {
    g_PredictionClock.nWindowStart = plan.S;
    g_PredictionClock.nWindowEnd = plan.S + plan.L;
  }
  g_PredictionClock.nMinute = d.ViewMinute(IResultDisplay::kPredictionView0);
  if (plan.instance == 0 && plan.stageOk)
    RollChartWindowByStage(plan.m, plan.S);
  d.InvalidateViews();
  d.RefreshPreviews();
  FileLine(d, plan.instance == 0 ? "Finished updating display from FORESIM."
                                 : "Finished updating display from FORESIM1.");
}

// ---- FARVET and NEARVET ended -------------------------------------------------

// The consistency value of a CCA_CORRECTION or CCB_UPDATED_SPEED record
// (F[1][0]) into a per-minute store at the current minute.
void ApplyConsistencyValue(const FetchedMessage& msg, IResultDisplay& d, int kind, double* perMinute)
{
  const PlainRecord* r = Find(msg, kind);
  float value = 0;
  if (!r || !First(r->F, Consistency::kValue, value)) {
    Skipped(d, ResultKindName(kind) + ": the record has no F[1] value");
    return;
  }
  if (!std::isfinite(value)) {
    NotFinite(d, ResultKindName(kind), 1);
    return;
  }
  const int minute = g_CurrentMinute.load();
  if (IsStoreMinute(minute))
    perMinute[minute] = value;
}

void ApplyFarvet(const FetchedMessage& msg, IResultDisplay& d)
{
  Shown(d, "FARVET ended.");
  FileLine(d, "Updating display from FARVET.");
  g_ModuleRunning[kModuleFarvet] = false;
  ApplyConsistencyValue(msg, d, kKindCCACorrection, g_FarvetPerMinute);
  d.RefreshPreviews();
  FileLine(d, "Finished updating display from FARVET.");
}

// A NEARVET end: the observed links its record names, checked.
struct ObservedPlan
{
  const PlainRecord* record = nullptr;
  std::size_t count = 0;  // entries to write
  int minute = 0;
  int outside = 0;    // link numbers outside the network
  int notFinite = 0;  // values that were not finite
};

// On the window thread: the lines, the running flag, the consistency value
// and the checks of the observed links.
void BeginNearvet(const FetchedMessage& msg, ObservedPlan& plan, IResultDisplay& d)
{
  Shown(d, "NEARVET ended.");
  FileLine(d, "Updating display from NEARVET.");
  g_ModuleRunning[kModuleNearvet] = false;
  ApplyConsistencyValue(msg, d, kKindCCBUpdatedSpeed, g_NearvetPerMinute);

  const PlainRecord* r = Find(msg, kKindSTLink);
  std::int32_t n = 0;
  if (!r || !First(r->L, STLink::kObserved, n)) {
    Skipped(d, "GUISTLINKDATA: the record has no count of observed links");
    return;
  }
  const std::size_t count = n < 0 ? 0 : static_cast<std::size_t>(n);
  if (n < 0 || r->L.size() < STLink::kLArrays || r->L[STLink::kLinkNumbers].size() < count ||
      r->F.size() < STLink::kFArrays || r->F[STLink::kFlow].size() < count ||
      r->F[STLink::kDensity].size() < count || r->F[STLink::kSpeed].size() < count) {
    Skipped(d, StringPrintf("GUISTLINKDATA: %d observed links, more than its arrays hold", n));
    return;
  }
  plan.minute = g_CurrentMinute.load();
  if (!IsStoreMinute(plan.minute))
    return;
  plan.record = r;
  plan.count = count;
}

// Off the window thread: density, speed and flow of each observed link at
// the current minute (the queue of the observation source is not written).
void WriteObservedLinks(ObservedPlan& plan)
{
  const PlainRecord* r = plan.record;
  if (!r)
    return;
  const int links = LinkCount();
  for (std::size_t j = 0; j < plan.count; ++j) {
    const std::int32_t id = r->L[STLink::kLinkNumbers][j];
    CDrawLine* link = id >= 1 && id <= links ? g_LineArray.GetAt(id - 1) : nullptr;
    if (!link) {
      ++plan.outside;
      continue;
    }
    const float* const values[kSeriesMeasures] = {r->F[STLink::kDensity].data() + j,
                                                  r->F[STLink::kSpeed].data() + j, nullptr,
                                                  r->F[STLink::kFlow].data() + j};
    plan.notFinite += link->m_dSeries.SetRecordRun(kSourceObserved, plan.minute, values, 0, 1, false);
  }
}

// On the window thread, after the link values.
void FinishNearvet(const ObservedPlan& plan, IResultDisplay& d)
{
  if (plan.outside > 0)
    Skipped(d, StringPrintf("GUISTLINKDATA: %d observed link numbers outside 1 to %d", plan.outside,
                            LinkCount()));
  NotFinite(d, "GUISTLINKDATA", plan.notFinite);
  d.RefreshPreviews();
  FileLine(d, "Finished updating display from NEARVET.");
}

// The codes whose reaction is one step on the window thread.
void ApplyOnWindow(const FetchedMessage& msg, IResultDisplay& d)
{
  switch (msg.code) {
  case MSG_CYCLIC_STARTED: Shown(d, "Cyclic executive started."); break;
  case MSG_CYCLIC_STOPPED:
  case MSG_CYCLIC_HALTED: Shown(d, "Cyclic executive stoped."); break;
  case MSG_CYCLIC_FAILED: Shown(d, "Cyclic executive stoped. System failure."); break;
  case MSG_NOWSIM_STARTED:
    Shown(d, "NOWSIM simulation started.");
    MarkStarted(kModuleNowsim);
    break;
  case MSG_FORESIM_STARTED:
    MarkStarted(kModuleForesim);
    d.RefreshPreviews();
    Shown(d, "FORESIM simulation started.");
    break;
  case MSG_FORESIM1_STARTED:
    MarkStarted(kModuleForesim1);
    d.RefreshPreviews();
    Shown(d, "FORESIM1 simulation started.");
    break;
  case MSG_FARVET_STARTED:
    MarkStarted(kModuleFarvet);
    d.RefreshPreviews();
    Shown(d, "FARVET started.");
    break;
  case MSG_FARVET_ENDED: ApplyFarvet(msg, d); break;
  case MSG_NEARVET_STARTED:
    MarkStarted(kModuleNearvet);
    d.RefreshPreviews();
    Shown(d, "NEARVET started.");
    break;
  default: {
    // ODE, ODEC and ODP: a flag, a mark, a line.
    struct Step
    {
      long code;
      int module;
      bool started;
      const char* text;
    };
    static const Step steps[] = {
        {MSG_ODE_STARTED, kModuleODE, true, "ODE started."},
        {MSG_ODE_ENDED, kModuleODE, false, "ODE ended."},
        {MSG_ODEC_STARTED, kModuleODEC, true, "ODEC started."},
        {MSG_ODEC_ENDED, kModuleODEC, false, "ODEC ended."},
        {MSG_ODP_STARTED, kModuleODP, true, "ODP started."},
        {MSG_ODP_ENDED, kModuleODP, false, "ODP ended."},
    };
    for (const Step& s : steps) {
      if (s.code != msg.code)
        continue;
      if (s.started)
        MarkStarted(s.module);
      else
        g_ModuleRunning[s.module] = false;
      d.RefreshPreviews();
      Shown(d, s.text);
    }
    break;
  }
  }
}

ApplyStep OnWindow(std::function<void(IResultDisplay&)> f)
{
  ApplyStep s;
  s.onWindow = std::move(f);
  return s;
}

ApplyStep OffWindow(std::function<void()> f)
{
  ApplyStep s;
  s.offWindow = std::move(f);
  return s;
}

}  // namespace

std::string ResultKindName(int kind)
{
  switch (kind) {
  case kKindCCACorrection: return "CCA_CORRECTION";
  case kKindCCBUpdatedSpeed: return "CCB_UPDATED_SPEED";
  case kKindRTLink: return "GUIRTLINKDATA";
  case kKindRTStat: return "GUIRTSTATDATA";
  case kKindPredLink: return "GUIPLINKDATA";
  case kKindPredStat: return "GUIPSTATDATA";
  case kKindPredLink1: return "GUIPLINKDATA_1";
  case kKindPredStat1: return "GUIPSTATDATA_1";
  case kKindSTLink: return "GUISTLINKDATA";
  default: return "kind " + std::to_string(kind);
  }
}

bool IsHandledCode(long code)
{
  switch (code) {
  case MSG_CYCLIC_STARTED:
  case MSG_CYCLIC_STOPPED:
  case MSG_CYCLIC_HALTED:
  case MSG_CYCLIC_FAILED:
  case MSG_NOWSIM_STARTED:
  case MSG_NOWSIM_ENDED:
  case MSG_FORESIM_STARTED:
  case MSG_FORESIM_ENDED:
  case MSG_ODE_STARTED:
  case MSG_ODE_ENDED:
  case MSG_ODEC_STARTED:
  case MSG_ODEC_ENDED:
  case MSG_ODP_STARTED:
  case MSG_ODP_ENDED:
  case MSG_FARVET_STARTED:
  case MSG_FARVET_ENDED:
  case MSG_NEARVET_STARTED:
  case MSG_NEARVET_ENDED:
  case MSG_FORESIM1_STARTED:
  case MSG_FORESIM1_ENDED: return true;
  default: return false;
  }
}

int PredictionInstanceOfCode(long code)
{
  if (code == MSG_FORESIM_ENDED)
    return 0;
  if (code == MSG_FORESIM1_ENDED)
    return 1;
  return -1;
}

bool MinuteOfTime(float timeNowSeconds, int& minute)
{
  if (!std::isfinite(timeNowSeconds) || timeNowSeconds < 0.0f)
    return false;
  const float minutes = timeNowSeconds / 60.0f;
  // Truncated first, then wrapped; fmod keeps a time beyond int exact.
  minute = static_cast<int>(std::fmod(std::floor(static_cast<double>(minutes)), 1440.0));
  return true;
}

int ClampPredictionOffset(int offset, int m, int windowStart, int windowEnd)
{
  if (offset > windowEnd - m)
    offset = windowEnd - m;
  if (offset < windowStart - m)
    offset = windowStart - m;
  return offset;
}

void RollChartWindow(int m, int s, int& windowStart, int& windowEnd, int& lastRolledStage)
{
  if (m < 10 || (s - 10) % 60 != 0 || s == lastRolledStage)
    return;
  lastRolledStage = s;
  if (m > 10) {
    if (windowStart == 1320 && windowEnd == 1440) {
      windowStart = 1380;
      windowEnd = 60;
    } else {
      windowStart += 60;
      windowEnd += 60;
    }
  }
  if (m == 10 && windowStart == 1380 && windowEnd == 60) {
    windowStart = 0;
    windowEnd = 120;
  }
}

std::vector<ApplyStep> ApplySteps(std::shared_ptr<FetchedMessage> msg)
{
  if (!msg || !IsHandledCode(msg->code))
    return {};
  if (!msg->dropReason.empty())
    return {OnWindow([msg](IResultDisplay& d) { Shown(d, msg->dropReason); })};
  switch (msg->code) {
  case MSG_NOWSIM_ENDED: {
    auto checks = std::make_shared<EstimationChecks>();
    return {OffWindow([msg, checks] {
              *checks = CheckEstimation(*msg);
              WriteEstimationLinks(*checks);
            }),
            OnWindow([msg, checks](IResultDisplay& d) { ApplyEstimation(*checks, d); })};
  }
  case MSG_FORESIM_ENDED:
  case MSG_FORESIM1_ENDED: {
    auto plan = std::make_shared<PredictionPlan>();
    plan->instance = PredictionInstanceOfCode(msg->code);
    return {OnWindow([msg, plan](IResultDisplay& d) { BeginPrediction(*msg, *plan, d); }),
            OffWindow([msg, plan] { WritePredictionLinks(*plan); }),
            OnWindow([msg, plan](IResultDisplay& d) { FinishPrediction(*plan, d); })};
  }
  case MSG_NEARVET_ENDED: {
    auto plan = std::make_shared<ObservedPlan>();
    return {OnWindow([msg, plan](IResultDisplay& d) { BeginNearvet(*msg, *plan, d); }),
            OffWindow([msg, plan] { WriteObservedLinks(*plan); }),
            OnWindow([msg, plan](IResultDisplay& d) { FinishNearvet(*plan, d); })};
  }
  default: return {OnWindow([msg](IResultDisplay& d) { ApplyOnWindow(*msg, d); })};
  }
}

int ApplyMessage(FetchedMessage& msg, IResultDisplay& d)
{
  if (!IsHandledCode(msg.code))
    return 1;
  // The caller keeps the message: a pointer that owns nothing.
  const std::shared_ptr<FetchedMessage> borrowed(std::shared_ptr<FetchedMessage>(), &msg);
  for (ApplyStep& step : ApplySteps(borrowed)) {
    if (step.onWindow)
      step.onWindow(d);
    else
      step.offWindow();
  }
  return 0;
}
