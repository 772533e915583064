// The project's steps over the scenario and cycle-settings files: the file formats live with the scenario objects and the cycle
// settings; here they are tied to the project's data directory and arrays.
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <memory>
#include <system_error>
#include <vector>

#include "CProject.h"
#include "CycleSettings.h"
#include "FileText.h"
#include "ScenarioObjects.h"
#include "StringPrintf.h"

namespace {

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

// One spelling of a path for the read and the write ("./predict/vms.dat"
// and "predict/vms.dat" are one file).
std::string PathKey(const std::string& path)
{
  return std::filesystem::path(path).lexically_normal().string();
}

}  // namespace

// Nothing is lost when a file is only read: the copy waits for the write
// that would replace what could not be read. An empty file holds nothing
// to keep and is not noted.
void CProject::NoteUnreadScenarioFile(const std::string& path, const ScenarioReadResult& res,
                                      const char* records)
{
  const std::string key = PathKey(path);
  std::erase_if(m_unreadScenarioFiles, [&](const UnreadScenarioFile& u) { return u.path == key; });
  if (res.status != ScenarioReadStatus::kShort && res.status != ScenarioReadStatus::kRefused)
    return;
  if (!HoldsText(path))
    return;
  UnreadScenarioFile note;
  note.path = key;
  note.where = res.record == 0
                   ? StringPrintf("line %d (the count)", res.line)
                   : StringPrintf("line %d (record %d of %d)", res.line, res.record, res.declared);
  note.taken = res.taken;
  note.records = records;
  m_unreadScenarioFiles.push_back(std::move(note));
}

void CProject::TellUnreadScenarioFiles()
{
  for (UnreadScenarioFile& u : m_unreadScenarioFiles) {
    if (u.told)
      continue;
    u.told = true;
    const char* path = u.path.c_str();
    if (!u.keptAs.empty())
      ShowMessage(
          StringPrintf("%s could not be read at %s. The file is kept as %s; %d %s read before the fault "
                       "are loaded.",
                       path, u.where.c_str(), u.keptAs.c_str(), u.taken, u.records));
    else if (!u.keepFailure.empty())
      ShowMessage(
          StringPrintf("%s could not be read at %s, and it could not be kept as %s: it is left as it is, "
                       "and %d %s read before the fault are loaded.",
                       path, u.where.c_str(), u.keepFailure.c_str(), u.taken, u.records));
    else
      ShowMessage(StringPrintf("%s could not be read at %s; %d %s read before the fault are loaded. The file "
                               "is kept beside it before it is written over.",
                               path, u.where.c_str(), u.taken, u.records));
  }
}

bool CProject::KeepBeforeWriting(const std::string& path)
{
  const std::string key = PathKey(path);
  auto u = std::find_if(m_unreadScenarioFiles.begin(), m_unreadScenarioFiles.end(),
                        [&](const UnreadScenarioFile& n) { return n.path == key; });
  if (u == m_unreadScenarioFiles.end() || !u->keptAs.empty())
    return true;
  const std::string bad = FreeBadName(path);
  std::error_code ec;
  std::filesystem::copy_file(path, bad, ec);
  if (ec) {
    u->keepFailure = bad + " (" + ec.message() + ")";
    if (u->told)
      ShowMessage(
          StringPrintf("%s could not be read whole at the load, and it could not be kept as %s: it is "
                       "not written.",
                       u->path.c_str(), u->keepFailure.c_str()));
    return false;
  }
  u->keptAs = bad;
  u->keepFailure.clear();
  if (u->told)
    ShowMessage(StringPrintf("%s could not be read whole at the load: the file is kept as %s before it is "
                             "written.",
                             u->path.c_str(), bad.c_str()));
  return true;
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
  ReadVMSList(target, dir);
  TellUnreadScenarioFiles();
}

void CProject::ReadIncidents()
{
  ReadIncidentList();
  TellUnreadScenarioFiles();
}

void CProject::ReadVMSList(CTypedObArray<CVMS>& target, const std::string& dir)
{
  std::vector<std::unique_ptr<CVMS>> signs;
  const std::string path = dir + "/vms.dat";
  const ScenarioReadResult res = ReadVMSFile(path, signs);
  AppendAll(signs, target);
  NoteUnreadScenarioFile(path, res, "signs");
}

void CProject::ReadIncidentList()
{
  std::vector<std::unique_ptr<CIncident>> incidents;
  const std::string path = DataPath("incident.dat");
  const ScenarioReadResult res = ReadIncidentFile(path, incidents);
  AppendAll(incidents, g_IncidentArray);
  NoteUnreadScenarioFile(path, res, "incidents");
}

void CProject::WriteVMS()
{
  WriteVMSTo(g_VMSArray, m_szDataDir);
}

bool CProject::WriteVMSTo(const CTypedObArray<CVMS>& list, const std::string& dir)
{
  const std::string path = dir + "/vms.dat";
  return KeepBeforeWriting(path) && WriteVMSFile(path, Pointers(list));
}

void CProject::WriteIncidents()
{
  const std::string path = DataPath("incident.dat");
  if (KeepBeforeWriting(path))
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
