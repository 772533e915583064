#include "RunPrograms.h"

const std::array<RunProgram, kRunProgramCount>& RunPrograms()
{
  static const std::array<RunProgram, kRunProgramCount> programs = {{
      {"foresim", "FORE-SIM", "FORESIM", nullptr, "predict", true, 0},
      {"foresim1", "FORE-SIM1", "FORESIM", "1", "predict1", true, 0},
      {"nowsim", "NOW-SIM", "NOWSIM", nullptr, "estimate", true, 0},
      {"nearvet", "NEARVET", "NEARVET", nullptr, "NEARVET", true, 1},
      {"farvet", "FARVET", "FARVET", nullptr, "farvet", true, 1},
      {"management", "Management", "Management", nullptr, "", false, 1},
      {"tallyhouse", "Tallyhouse", "Tallyhouse", nullptr, "", false, 1},
      {"ode", "OD Estimation", "ODE", nullptr, "odestimate", true, 0},
      {"odp", "OD Prediction", "ODP", nullptr, "odpredict", true, 0},
  }};
  return programs;
}

const RunProgram* FindRunProgram(const std::string& image, const char* instance)
{
  const std::string wanted = instance ? instance : "";
  for (const RunProgram& p : RunPrograms())
    if (image == p.image && wanted == (p.instance ? p.instance : ""))
      return &p;
  return nullptr;
}

std::string DistributionIniText(const DistributionValues& machines)
{
  std::string out = std::string("[") + kDistributionSection + "]\n";
  for (int i = 0; i < kRunProgramCount; ++i)
    out += std::string(RunPrograms()[i].key) + "=" + std::to_string(machines[i]) + "\n";
  return out;
}
