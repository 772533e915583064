#include "CycleFiles.h"

#include "StringPrintf.h"

namespace {

// Frame length and simulation horizon, in seconds.
constexpr int kFrameLength = 5;
constexpr int kSimulationHorizon = 3600000;

}  // namespace

std::string SchedulerFileText(std::span<const int, kCycleEntries> c)
{
  const int roll = c[kCycleForesimRoll];
  const int nearvet = c[kCycleNearvetPeriod];
  const int farvet = c[kCycleFarvetPeriod];
  std::string out;
  StringAppendF(out, "%d %d\n", c[kCycleNowsimPeriod], 0);
  StringAppendF(out, "%d %d %d\n", roll, c[kCycleForesimStage], roll);
  StringAppendF(out, "%d %d\n", c[kCycleOdeStateLength], roll);
  StringAppendF(out, "%d %d %d\n", c[kCycleOdpPeriod], c[kCycleOdpHorizon], 0);
  StringAppendF(out, "%d %d\n", farvet, farvet);
  StringAppendF(out, "%d %d\n", nearvet, nearvet);
  out += "\n";
  StringAppendF(out, "%d\n", c[kCycleOdDeparture]);
  StringAppendF(out, "%d\n", c[kCycleOdObservation]);
  StringAppendF(out, "%d\n", nearvet);
  out += "\n";
  StringAppendF(out, "%d\n", kFrameLength);
  StringAppendF(out, "%d\n\n", kSimulationHorizon);
  out += "\n(File Contents:)\n(NOWSIM) \tperiod start_time\n(FORESIM)\troll_period stage_length start_time\n";
  out += "(ODE)\t\tstate_length start_time\n(ODP)\t\tperiod horizon start_time\n(FARVET)\tperiod start_time\n"
         "(NEARVET)\tperiod start_time\n\n";
  out += "(The next three parameters:)\nOD Departure (assignment) interval\nOD Observation interval\n"
         "CC Observation interval\n\n";
  out += "(The last two elements are:)\nframe_length\nsimulation_horizon\n(i.e. for how long to simulate)\n\n"
         "(all are in units of seconds)\n";
  return out;
}

std::string ModulesFileText(int runForesim1, int runNearvet, int runFarvet, int runOD)
{
  std::string out;
  StringAppendF(out, "%d\n%d\n%d\n%d\n%d\n%d\n", 1, 1, runForesim1, runNearvet, runFarvet, runOD);
  out += "\n";
  out += "line 1: state estimation; 1=run; 0=not run\n";
  out += "line 2: state prediction\n";
  out += "line 3: state prediction_1\n";
  out += "line 4: short-term consistency checking/updating\n";
  out += "line 5: long-term consistency checking/updating\n";
  out += "line 6: OD estimation & prediction";
  return out;
}
