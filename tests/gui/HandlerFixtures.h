// Fixtures of the handler tests: a recording display, records built in the
// layouts the modules insert, and a network of N links with every result
// store back at its program-start value.
#pragma once

#include <cmath>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "CDrawLine.h"
#include "CProject.h"
#include "GlobalArrays.h"
#include "PredictedPaths.h"
#include "ResultStores.h"
#include "ResultUpdate.h"
#include "qelm_record_layout.h"

namespace handler_test {

// Records every call of the handler on the window side.
struct RecordingDisplay : IResultDisplay
{
  std::vector<std::pair<std::string, bool>> lines;  // text, to the panel
  std::vector<std::string> calls;                   // "views", "pred0", "pred1", "previews"
  int minutes[3] = {0, 0, 0};

  void DebugLog(const std::string& text, bool toPanel) override { lines.emplace_back(text, toPanel); }
  int ViewMinute(int view) const override { return minutes[view]; }
  void SetViewMinute(int view, int minute) override { minutes[view] = minute; }
  void InvalidateViews() override { calls.push_back("views"); }
  void InvalidatePredictionView(int instance) override { calls.push_back(instance == 0 ? "pred0" : "pred1"); }
  void RefreshPreviews() override { calls.push_back("previews"); }

  std::vector<std::string> Texts() const
  {
    std::vector<std::string> out;
    for (const auto& l : lines)
      out.push_back(l.first);
    return out;
  }
  // Lines that report a skipped record or part.
  std::vector<std::string> Skips() const
  {
    std::vector<std::string> out;
    for (const auto& l : lines)
      if (l.first.rfind("Skipped ", 0) == 0)
        out.push_back(l.first);
    return out;
  }
};

inline PlainRecord Record(int kind, std::vector<RecordArray<std::int32_t>> L,
                          std::vector<RecordArray<float>> F)
{
  PlainRecord r;
  r.kind = kind;
  r.L = std::move(L);
  r.F = std::move(F);
  return r;
}

// Value of measure f of link i (at prediction step t) in the test records.
inline float LinkValue(int f, int i, int t = 0)
{
  return static_cast<float>(10 * (f + 1) + i) + 0.5f * static_cast<float>(t);
}

// GUIRTSTATDATA: numcars; AvgDen, AvgSpeed, AvgStop, time_now.
inline PlainRecord RTStat(float timeNow, int numcars = 321)
{
  using S = qelm_layout::RTStat;
  PlainRecord r = Record(kKindRTStat, {}, {});
  r.L.resize(S::kLArrays);
  r.F.resize(S::kFArrays);
  r.L[S::kNumCars] = {numcars};
  r.F[S::kAvgDensity] = {11.5f};
  r.F[S::kAvgSpeed] = {42.25f};
  r.F[S::kAvgStops] = {1.75f};
  r.F[S::kTimeNow] = {timeNow};
  return r;
}

// GUIRTLINKDATA of `links` links and `zones` zones; queue fractions 0.25;
// array f of the link values holds LinkValue(f, i).
inline PlainRecord RTLink(int links, int zones)
{
  using R = qelm_layout::RTLink;
  PlainRecord r = Record(kKindRTLink, {}, {});
  r.L.resize(R::kLArrays);
  r.L[R::kLinks] = {links};
  r.L[R::kZones] = {zones};
  r.F.resize(R::kFArrays);
  for (int f : {R::kDensity, R::kSpeed, R::kQueue, R::kFlow})
    for (int i = 0; i < links; ++i)
      r.F[f].push_back(f == R::kQueue ? 0.25f : LinkValue(f, i));
  for (int k = 0; k < zones * zones; ++k)
    r.F[R::kOD].push_back(static_cast<float>(k));
  return r;
}

// GUIPLINKDATA(_1) of `steps` steps of `links` values; queue fractions 0.5;
// array f holds LinkValue(f, i, t).
inline PlainRecord PredLink(int kind, int steps, int links)
{
  using P = qelm_layout::PredLink;
  PlainRecord r = Record(kind, {}, {});
  r.L.resize(P::kLArrays);
  r.L[P::kSteps] = {steps};
  r.L[P::kLinks] = {links};
  r.F.resize(P::kFArrays);
  for (int f : {P::kSpeed, P::kDensity, P::kQueue, P::kFlow})
    for (int t = 0; t < steps; ++t)
      for (int i = 0; i < links; ++i)
        r.F[f].push_back(f == P::kQueue ? 0.5f : LinkValue(f, i, t));
  return r;
}

// GUIPSTATDATA(_1): numcars; avgden, avgspeed, avgstop, stage start, length.
inline PlainRecord PredStat(int kind, float start, float length, int numcars = 654)
{
  using S = qelm_layout::PredStat;
  PlainRecord r = Record(kind, {}, {});
  r.L.resize(S::kLArrays);
  r.F.resize(S::kFArrays);
  r.L[S::kNumCars] = {numcars};
  r.F[S::kAvgDensity] = {21.5f};
  r.F[S::kAvgSpeed] = {33.0f};
  r.F[S::kAvgStops] = {2.5f};
  r.F[S::kStageStart] = {start};
  r.F[S::kStageLength] = {length};
  return r;
}

// A network of `links` links and every store as at program start.
inline void ResetWorld(int links)
{
  g_LineArray.RemoveAll();
  for (int i = 0; i < links; ++i)
    g_LineArray.Add(new CDrawLine());
  std::memset(g_NetStats, 0, sizeof g_NetStats);
  std::memset(g_FarvetPerMinute, 0, sizeof g_FarvetPerMinute);
  std::memset(g_NearvetPerMinute, 0, sizeof g_NearvetPerMinute);
  ClearModuleFlags();
  g_CurrentMinute = 0;
  g_PredictionOffset = 0;
  g_ChartWindowStart = 0;
  g_ChartWindowEnd = 120;
  g_ChartWindowRolledStage = -1;
  g_EstimationClock = ClockRecord();
  g_PredictionClock = ClockRecord();
  g_Project.SetODSize(0);
  LockedPathLists paths = g_PredictedPaths.Lock();
  paths.List(0).RemoveAll();
  paths.List(1).RemoveAll();
}

inline FetchedMessage Message(long code, std::vector<PlainRecord> records = {})
{
  FetchedMessage m;
  m.code = code;
  m.records = std::move(records);
  return m;
}

inline double Series(int link, int measure, int source, int minute)
{
  return g_LineArray[link]->Series(measure, source, minute);
}

}  // namespace handler_test
