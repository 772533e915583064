// The project's start and stop of the observation thread.
#include <cstdio>
#include <system_error>

#include "CProject.h"
#include "ObservationReader.h"

void CProject::StartRealTimeReader()
{
  ShowStatus("  Reading real time data");
  try {
    g_ObservationReader.Start(".");
  } catch (const std::system_error& e) {
    // The load goes on without observations.
    std::fprintf(stderr, "Observation thread not started: %s\n", e.what());
  }
}

void CProject::StopRealTimeReader()
{
  g_ObservationReader.Stop();
}
