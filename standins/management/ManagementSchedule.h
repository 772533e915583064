// The cycle settings Management takes from scheduler.dat in its working
// directory: the NOWSIM period is the length of one cycle in simulated
// seconds, the ODP horizon is handed to ODP.
#pragma once

#include <string>

struct ManagementSchedule
{
  int cycle_seconds = 60;
  int odp_horizon_seconds = 1800;
  bool from_file = false;
};

// Reads the file; on a missing or malformed file the defaults stay and
// `problem` says why.
ManagementSchedule ReadManagementSchedule(const char* file_name, std::string& problem);
