#include "CyclesInput.h"

#include <algorithm>
#include <cstdio>

#include "CProject.h"
#include "FieldReaders.h"
#include "NumericLocale.h"
#include "TextHelpers.h"

namespace {

// "a", "a + step", ... "last" as whole minutes.
std::vector<std::string> MinuteSteps(int first, int step, int last)
{
  std::vector<std::string> v;
  for (int m = first; m <= last; m += step)
    v.push_back(std::to_string(m));
  return v;
}

// "0.5", "1.0", ... "10.0": half minutes formatted "%2.1f".
std::vector<std::string> HalfMinuteSteps()
{
  CNumericLocaleScope c_locale;
  std::vector<std::string> v;
  for (int halves = 1; halves <= 20; ++halves) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%2.1f", halves * 0.5);
    v.push_back(buf);
  }
  return v;
}

}  // namespace

const std::array<const char*, 6>& CyclesGroupTitles()
{
  static const std::array<const char*, 6> titles = {
      "State Estimation (NOWSIM)",
      "State Prediction (FORESIM)",
      "OD Estimation (ODE)",
      "OD Prediction (ODP)",
      "Long Term Consistency Checking (FARVET)",
      "Short Term Consistency Checking (NEARVET)",
  };
  return titles;
}

const std::array<CyclesFieldInfo, kCyclesFields>& CyclesFieldTable()
{
  using G = CyclesGovernor;
  static const std::array<CyclesFieldInfo, kCyclesFields> table = {{
      {0, "Cycle Length", {"0.5", "1"}, 0, kCycleNowsimPeriod, G::None},
      {0, "Assignment Interval", MinuteSteps(5, 5, 30), 0, kCycleOdDeparture, G::None},
      {1, "Cycle Length", MinuteSteps(5, 5, 60), 0, kCycleForesimRoll, G::None},
      {1, "Prediction Horizon", MinuteSteps(5, 5, 60), 3, kCycleForesimStage, G::None},
      {2, "Cycle Length", MinuteSteps(5, 5, 60), 2, kCycleOdeStateLength, G::RunOD},
      {2, "OD Correction Interval", {"0.5", "1", "2", "3", "4", "5"}, 5, kCycleOdObservation, G::RunOD},
      {3, "Cycle Length", MinuteSteps(5, 5, 60), 1, kCycleOdpPeriod, G::RunOD},
      {3, "Prediction Horizon", MinuteSteps(5, 5, 120), 8, kCycleOdpHorizon, G::RunOD},
      {4, "Cycle Length", MinuteSteps(5, 5, 30), 0, kCycleFarvetPeriod, G::RunFarvet},
      {5, "Cycle Length", HalfMinuteSteps(), 0, kCycleNearvetPeriod, G::RunNearvet},
  }};
  return table;
}

CyclesSelection InitialCyclesSelection()
{
  CyclesSelection s;
  for (int f = 0; f < kCyclesFields; ++f)
    s.entry[f] = CyclesFieldTable()[f].initial;
  return s;
}

bool CyclesFieldEnabled(CyclesField field, const CyclesSelection& s)
{
  switch (CyclesFieldTable()[field].governor) {
  case CyclesGovernor::RunOD: return s.runOD;
  case CyclesGovernor::RunFarvet: return s.runFarvet;
  case CyclesGovernor::RunNearvet: return s.runNearvet;
  case CyclesGovernor::None: break;
  }
  return true;
}

int MinutesTextToSeconds(const std::string& text)
{
  return fields::TruncateToInt(ParseRealC(text.c_str()) * 60.0);
}

std::array<int, kCycleEntries> CyclesInSeconds(const CyclesSelection& s)
{
  std::array<int, kCycleEntries> cycle = {};
  for (int f = 0; f < kCyclesFields; ++f) {
    const CyclesFieldInfo& info = CyclesFieldTable()[f];
    const int i = s.entry[f];
    if (i >= 0 && i < static_cast<int>(info.entries.size()))
      cycle[info.cycle] = MinutesTextToSeconds(info.entries[i]);
  }
  return cycle;
}

std::optional<std::string> CheckCycles(const std::array<int, kCycleEntries>& c)
{
  // Compared wide: the sums of two settings must not overflow.
  const long long odeCycle = c[kCycleOdeStateLength];
  const long long odpHorizon = c[kCycleOdpHorizon];
  const long long odpCycle = c[kCycleOdpPeriod];
  const long long foresimHorizon = c[kCycleForesimStage];
  const long long foresimCycle = c[kCycleForesimRoll];
  if (odpHorizon != 3 * odeCycle)
    return std::string(
        "The OD prediction horizon should be 3 times of OD estimation cycle in the current implementation.");
  if (odpHorizon < odpCycle + foresimHorizon)
    return std::string("The OD prediction horizon should be greater than or equal to OD prediction cycle + "
                       "FORESIM horizon, \nso as to ensure the OD demand prediction is always available for "
                       "FORESIM.");
  if (foresimHorizon < foresimCycle + odeCycle)
    return std::string(
        "The FORESIM prediction horizon should be greater than or equal to FORESIM cycle + ODE "
        "cycle, \nso as to ensure the link proportions from FORESIM are always available for ODE.");
  return std::nullopt;
}

std::optional<std::string> CommitCycles(CProject& project, const CyclesSelection& s)
{
  const std::array<int, kCycleEntries> cycle = CyclesInSeconds(s);
  if (std::optional<std::string> failed = CheckCycles(cycle))
    return failed;
  std::copy(cycle.begin(), cycle.end(), project.m_Cycle);
  project.WriteScheduler();
  project.m_nRunOD = s.runOD ? 1 : 0;
  project.m_nRunNearvet = s.runNearvet ? 1 : 0;
  project.m_nRunFarvet = s.runFarvet ? 1 : 0;
  project.m_nRunForesim1 = s.runForesim1 ? 1 : 0;
  project.WriteModules();
  return std::nullopt;
}
