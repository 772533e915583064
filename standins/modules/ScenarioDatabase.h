// The sample scenario table of a run directory: ScenarioManager.db, a
// SQLite file with table Scen_Man (nine text columns: scenario name, the
// file names of vms.dat, incident.dat, workzone.dat and pricing.dat without
// ".dat", "N/A" for a file not filed, a description, an author, a date, and
// the prediction instance "FORESIM0" or "FORESIM1"), one row per prediction
// instance. The console's scenario manager reads it. Written through the
// SQLite C library, so the generator needs no Qt.
#pragma once

#include <string>

namespace vlq::mod {

constexpr const char* kScenarioDatabaseFile = "ScenarioManager.db";

// Replaces the file with the sample table; false with a reason on failure.
bool WriteScenarioDatabase(const std::string& path, std::string& error);

}  // namespace vlq::mod
