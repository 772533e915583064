// The project's steps over the scenario and cycle-settings files: the file formats live with the scenario objects and the cycle
// settings; here they are tied to the project's data directory and arrays.
#include <memory>
#include <vector>

#include "CProject.h"
#include "CycleSettings.h"
#include "ScenarioObjects.h"

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
  ReadVMSFile(dir + "/vms.dat", signs);
  AppendAll(signs, target);
}

void CProject::ReadIncidents()
{
  std::vector<std::unique_ptr<CIncident>> incidents;
  ReadIncidentFile(DataPath("incident.dat"), incidents);
  AppendAll(incidents, g_IncidentArray);
}

void CProject::WriteVMS()
{
  WriteVMSTo(g_VMSArray, m_szDataDir);
}

bool CProject::WriteVMSTo(const CTypedObArray<CVMS>& list, const std::string& dir)
{
  return WriteVMSFile(dir + "/vms.dat", Pointers(list));
}

void CProject::WriteIncidents()
{
  WriteIncidentFile(DataPath("incident.dat"), Pointers(g_IncidentArray));
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
