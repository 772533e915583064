// The project's readers and writers of the scenario files (vms.dat and
// incident.dat of the data directory) and of the cycle settings files of
// the working directory.
#include <filesystem>
#include <memory>
#include <vector>

#include "CProject.h"
#include "CycleSettings.h"
#include "ScenarioObjects.h"

namespace {

template <class T>
void AppendAll(std::vector<std::unique_ptr<T>>& read, CTypedObArray<T>& target)
{
  for (auto& p : read)
    target.Add(std::move(p));
}

template <class T>
std::vector<const T*> View(const CTypedObArray<T>& array)
{
  std::vector<const T*> v;
  for (const auto& p : array)
    if (p)
      v.push_back(p.get());
  return v;
}

// Full path of a file of the working directory, for messages.
std::string RunDirPath(const char* name)
{
  std::error_code ec;
  std::filesystem::path cwd = std::filesystem::current_path(ec);
  return ec ? std::string(name) : (cwd / name).string();
}

}  // namespace

void CProject::ReadVMS()
{
  ReadVMSInto(g_VMSArray);
}

void CProject::ReadVMSInto(CTypedObArray<CVMS>& target)
{
  std::vector<std::unique_ptr<CVMS>> read;
  ReadVMSFile(DataPath("vms.dat"), read);
  AppendAll(read, target);
}

void CProject::ReadIncidents()
{
  std::vector<std::unique_ptr<CIncident>> read;
  ReadIncidentFile(DataPath("incident.dat"), read);
  AppendAll(read, g_IncidentArray);
}

void CProject::WriteVMS()
{
  WriteVMSFile(DataPath("vms.dat"), View(g_VMSArray));
}

void CProject::WriteIncidents()
{
  WriteIncidentFile(DataPath("incident.dat"), View(g_IncidentArray));
}

void CProject::ReadScheduler()
{
  if (ReadSchedulerFile("scheduler.dat", &m_nCCObsInterval) == SchedulerReadResult::kNotOpened)
    ShowMessage(SchedulerOpenMessage(RunDirPath("scheduler.dat")));
}

void CProject::WriteScheduler()
{
  if (!WriteSchedulerFile("scheduler.dat", m_Cycle))
    ShowMessage("Cannot open " + RunDirPath("scheduler.dat"));
}

void CProject::WriteModules()
{
  if (!WriteModulesFile("modules.dat", m_nRunForesim1, m_nRunNearvet, m_nRunFarvet, m_nRunOD))
    ShowMessage("Cannot open " + RunDirPath("modules.dat"));
}

void CProject::WriteOutputOption()
{
  WriteOutputOptionFile(DataPath("output_option.dat"), m_OutputOption[0], m_OutputOption[1]);
}
