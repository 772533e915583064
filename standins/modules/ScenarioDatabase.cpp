#include "ScenarioDatabase.h"

#include <sqlite3.h>

#include <filesystem>
#include <memory>
#include <system_error>

namespace vlq::mod {

namespace {

struct DbCloser
{
  void operator()(sqlite3* db) const { sqlite3_close(db); }
};

// The table and its sample rows: each files the signs of one prediction
// instance.
const char kSql[] =
    "create table Scen_Man ("
    " ScenarioName text, VMSFile text, IncidentFile text, WorkZoneFile text, PricingFile text,"
    " Description text, Author text, Created text, Instance text);"
    "insert into Scen_Man values ('Scenario0', 'vms_scenario0', 'N/A', 'N/A', 'N/A',"
    " 'Signs of the first prediction instance', 'vlq_make_rundir', '', 'FORESIM0');"
    "insert into Scen_Man values ('Scenario1', 'vms_scenario1', 'N/A', 'N/A', 'N/A',"
    " 'Signs of the second prediction instance', 'vlq_make_rundir', '', 'FORESIM1');";

}  // namespace

bool WriteScenarioDatabase(const std::string& path, std::string& error)
{
  std::error_code ec;
  std::filesystem::remove(path, ec);
  if (ec) {
    error = "cannot replace " + path + ": " + ec.message();
    return false;
  }
  sqlite3* raw = nullptr;
  const int rc = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  std::unique_ptr<sqlite3, DbCloser> db(raw);
  if (rc != SQLITE_OK) {
    error = "cannot create " + path + ": " + (raw ? sqlite3_errmsg(raw) : sqlite3_errstr(rc));
    return false;
  }
  char* message = nullptr;
  if (sqlite3_exec(db.get(), kSql, nullptr, nullptr, &message) != SQLITE_OK) {
    error = "cannot write " + path + ": " + (message ? message : "unknown error");
    sqlite3_free(message);
    return false;
  }
  return true;
}

}  // namespace vlq::mod
