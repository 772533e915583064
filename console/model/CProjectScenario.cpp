// The project's steps over the scenario and cycle-settings files: the file formats live with the scenario objects and the cycle
// settings; here they are tied to the project's data directory and arrays.
#include <cctype>
#include <filesystem>
#include <memory>
#include <set>
#include <system_error>
#include <vector>

#include "CProject.h"
#include "CycleSettings.h"
#include "FileText.h"
#include "ScenarioObjects.h"
#include "StringPrintf.h"

namespace {

// Scenario files that could not be read whole and whose original could not
// be kept beside them: they are not written back, so that nothing is lost.
std::set<std::string> g_filesNotToReplace;

// A file name beside path that holds nothing yet: path.bad, else path.bad.2,
// path.bad.3, ...
std::string FreeBadName(const std::string& path)
{
  std::error_code ec;
  std::string name = path + ".bad";
  for (int n = 2; std::filesystem::exists(name, ec) && n < 10000; ++n)
    name = path + ".bad." + std::to_string(n);
  return name;
}

bool HoldsText(const std::string& path)
{
  std::string text;
  if (!ReadFileText(path, text))
    return false;
  for (unsigned char c : text)
    if (!std::isspace(c))
      return true;
  return false;
}

}  // namespace

// A scenario file that could not be read whole (a malformed or cut record, a
// refused sign) would lose what it holds when Load Data writes the list
// back: the operator is told which file and where, and the original is kept
// beside it. The list goes on with the records read before the fault.
void CProject::KeepUnreadScenarioFile(const std::string& path, const ScenarioReadResult& res,
                                      const char* records)
{
  g_filesNotToReplace.erase(path);
  if (res.status != ScenarioReadStatus::kShort && res.status != ScenarioReadStatus::kRefused)
    return;
  if (!HoldsText(path))
    return;  // an empty file: nothing to keep
  const std::string where =
      res.record == 0 ? StringPrintf("line %d (the count)", res.line)
                      : StringPrintf("line %d (record %d of %d)", res.line, res.record, res.declared);
  const std::string bad = FreeBadName(path);
  std::error_code ec;
  std::filesystem::copy_file(path, bad, ec);
  if (ec) {
    g_filesNotToReplace.insert(path);
    ShowMessage(
        StringPrintf("%s could not be read at %s, and it could not be kept as %s (%s): it is left as it "
                     "is, and %d %s read before the fault are loaded.",
                     path.c_str(), where.c_str(), bad.c_str(), ec.message().c_str(), res.taken, records));
    return;
  }
  ShowMessage(
      StringPrintf("%s could not be read at %s. The file is kept as %s; %d %s read before the fault are "
                   "loaded.",
                   path.c_str(), where.c_str(), bad.c_str(), res.taken, records));
}

namespace {

template <class T>
void AppendAll(std::vector<std::unique_ptr<T>>& from, CTypedObArray<T>& to)
{
  for (auto& p : from)
    to.Add(std::move(p));
}

template <class T>
std::vector<const T*> Pointers(const CTypedObArray<T>& array)
{
  std::vector<const T*> v;
  v.reserve(static_cast<std::size_t>(array.GetSize()));
  for (const auto& p : array)
    v.push_back(p.get());
  return v;
}

}  // namespace

void CProject::ReadVMS()
{
  ReadVMSInto(g_VMSArray, m_szDataDir);
}

void CProject::ReadVMSInto(CTypedObArray<CVMS>& target, const std::string& dir)
{
  std::vector<std::unique_ptr<CVMS>> signs;
  const std::string path = dir + "/vms.dat";
  const ScenarioReadResult res = ReadVMSFile(path, signs);
  AppendAll(signs, target);
  KeepUnreadScenarioFile(path, res, "signs");
}

void CProject::ReadIncidents()
{
  std::vector<std::unique_ptr<CIncident>> incidents;
  const std::string path = DataPath("incident.dat");
  const ScenarioReadResult res = ReadIncidentFile(path, incidents);
  AppendAll(incidents, g_IncidentArray);
  KeepUnreadScenarioFile(path, res, "incidents");
}

void CProject::WriteVMS()
{
  WriteVMSTo(g_VMSArray, m_szDataDir);
}

bool CProject::WriteVMSTo(const CTypedObArray<CVMS>& list, const std::string& dir)
{
  const std::string path = dir + "/vms.dat";
  if (g_filesNotToReplace.count(path))
    return false;
  return WriteVMSFile(path, Pointers(list));
}

void CProject::WriteIncidents()
{
  const std::string path = DataPath("incident.dat");
  if (g_filesNotToReplace.count(path))
    return;
  WriteIncidentFile(path, Pointers(g_IncidentArray));
}

void CProject::ReadScheduler()
{
  const std::string path = "scheduler.dat";
  if (ReadSchedulerFile(path, &m_nCCObsInterval) == SchedulerReadResult::kNotOpened)
    ShowMessage(SchedulerOpenMessage(path));
}

void CProject::WriteScheduler()
{
  WriteSchedulerFile("scheduler.dat", m_Cycle);
}

void CProject::WriteModules()
{
  WriteModulesFile("modules.dat", m_nRunForesim1, m_nRunNearvet, m_nRunFarvet, m_nRunOD);
}

void CProject::WriteOutputOption()
{
  WriteOutputOptionFile(DataPath("output_option.dat"), m_OutputOption[0], m_OutputOption[1]);
}
