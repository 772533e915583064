#include "ManagementSchedule.h"

#include <cstdio>

ManagementSchedule ReadManagementSchedule(const char* file_name, std::string& problem)
{
  ManagementSchedule s;
  problem.clear();
  std::FILE* f = std::fopen(file_name, "r");
  if (!f) {
    problem = std::string("cannot open ") + file_name;
    return s;
  }
  // Lines: NOWSIM period start; FORESIM roll stage start; ODE state start;
  // ODP period horizon start; FARVET period start; NEARVET period start.
  int v[14];
  int n = 0;
  for (; n < 14; ++n)
    if (std::fscanf(f, "%d", &v[n]) != 1)
      break;
  std::fclose(f);
  if (n < 14) {
    problem = std::string("malformed ") + file_name;
    return s;
  }
  const int period = v[0];
  const int horizon = v[8];
  if (period <= 0 || period > 86400) {
    problem = std::string("NOWSIM period out of range in ") + file_name;
    return s;
  }
  s.cycle_seconds = period;
  if (horizon > 0 && horizon <= 86400)
    s.odp_horizon_seconds = horizon;
  s.from_file = true;
  return s;
}
