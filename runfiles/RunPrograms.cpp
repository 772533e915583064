#include "RunPrograms.h"

const std::array<RunProgram, kRunProgramCount>& RunPrograms()
{
  static const std::array<RunProgram, kRunProgramCount> programs = {{
      {"foresim", "FORE-SIM", "FORESIM", nullptr, true, 0},
      {"foresim1", "FORE-SIM1", "FORESIM", "1", true, 0},
      {"nowsim", "NOW-SIM", "NOWSIM", nullptr, true, 0},
      {"nearvet", "NEARVET", "NEARVET", nullptr, true, 1},
      {"farvet", "FARVET", "FARVET", nullptr, true, 1},
      {"management", "Management", "Management", nullptr, false, 1},
      {"tallyhouse", "Tallyhouse", "Tallyhouse", nullptr, false, 1},
      {"ode", "OD Estimation", "ODE", nullptr, true, 0},
      {"odp", "OD Prediction", "ODP", nullptr, true, 0},
  }};
  return programs;
}

std::string DistributionIniText(const DistributionValues& machines)
{
  std::string out = std::string("[") + kDistributionSection + "]\n";
  for (int i = 0; i < kRunProgramCount; ++i)
    out += std::string(RunPrograms()[i].key) + "=" + std::to_string(machines[i]) + "\n";
  return out;
}
