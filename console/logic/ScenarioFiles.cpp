#include "ScenarioFiles.h"
#include "StringPrintf.h"

#include <fstream>
#include <memory>
#include <system_error>

#include "DialogLists.h"
#include "GlobalArrays.h"
#include "ScenarioObjects.h"

namespace fs = std::filesystem;

const char kNoInstanceMessage[] = " Please specify the FORESIM name ! ";
const char kTooFewColumnsMessage[] = "The table Scen_Man has fewer than nine columns.";

bool IsPlainFileName(const std::string& name)
{
  return !name.empty() && name != "." && name != ".." && name.find_first_of("/\\") == std::string::npos;
}

ScenarioPlanStatus PlanScenario(const std::vector<std::string>& cells, ScenarioPlan& plan,
                                std::string& message)
{
  if (cells.size() < static_cast<std::size_t>(kScenarioCells)) {
    message = kTooFewColumnsMessage;
    return ScenarioPlanStatus::kRefused;
  }
  fs::path instanceDir;
  if (cells[8] == "FORESIM0")
    instanceDir = "predict";
  else if (cells[8] == "FORESIM1")
    instanceDir = "predict1";
  else {
    message = kNoInstanceMessage;
    return ScenarioPlanStatus::kNoInstance;
  }
  if (!IsPlainFileName(cells[0])) {
    message = StringPrintf("The scenario name \"%s\" cannot be used as a folder name.", cells[0].c_str());
    return ScenarioPlanStatus::kRefused;
  }
  static const char* const kinds[4] = {"vms.dat", "incident.dat", "workzone.dat", "pricing.dat"};
  ScenarioPlan p;
  p.folder = instanceDir / cells[0];
  for (int k = 1; k <= 4; ++k) {
    const std::string& name = cells[static_cast<std::size_t>(k)];
    if (name.empty() || name == "N/A")
      continue;
    if (!IsPlainFileName(name)) {
      message = StringPrintf("The file name \"%s\" cannot be used.", name.c_str());
      return ScenarioPlanStatus::kRefused;
    }
    p.copies.push_back({instanceDir / kinds[k - 1], p.folder / (name + ".dat")});
  }
  plan = std::move(p);
  return ScenarioPlanStatus::kReady;
}

bool CarryOutScenarioPlan(const ScenarioPlan& plan, const fs::path& runDir, IMessageSink& sink)
{
  std::error_code ec;
  fs::create_directories(runDir / plan.folder, ec);
  if (ec) {
    sink.ShowMessage(StringPrintf("Cannot create the folder %s: %s", plan.folder.generic_string().c_str(),
                                  ec.message().c_str()));
    return false;
  }
  std::string failures;
  for (const FileCopy& c : plan.copies) {
    fs::copy_file(runDir / c.from, runDir / c.to, fs::copy_options::overwrite_existing, ec);
    if (ec) {
      if (!failures.empty())
        failures += "\n";
      failures += StringPrintf("Cannot copy %s to %s: %s", c.from.generic_string().c_str(),
                               c.to.generic_string().c_str(), ec.message().c_str());
    }
  }
  if (failures.empty())
    return true;
  sink.ShowMessage(failures);
  return false;
}

const std::vector<std::string>& StrategyFileNames()
{
  static const std::vector<std::string> names = {"incident.dat", "control.dat", "vms.dat", "workzone.dat",
                                                 "TrafficFlowModel.dat"};
  return names;
}

std::string StrategyQuestion(const std::vector<std::string>& selected, int instanceItem)
{
  std::string question = "Are you selecting ";
  for (const std::string& name : selected)
    question += name + " ";
  return question + StringPrintf("in FORESIM%d", instanceItem + 1);
}

namespace {

// The estimation's signs become copies of the second prediction instance's.
void TakeOverSecondInstanceSigns()
{
  g_VMSArray.RemoveAll();
  for (const auto& v : g_VMSArrayPredict1)
    g_VMSArray.Add(std::make_unique<CVMS>(*v));
}

}  // namespace

StrategyResult SelectStrategy(const std::vector<std::string>& selected, int instanceItem,
                              const fs::path& runDir, IOperatorPrompts& prompts)
{
  if (!prompts.AskYesNo(StrategyQuestion(selected, instanceItem)))
    return StrategyResult::kDeclined;
  // The list offers the second prediction instance only.
  const fs::path source = "predict1";
  const fs::path destination = "estimate";
  for (const std::string& name : selected) {
    if (!IsPlainFileName(name))
      continue;
    const fs::path from = source / name;
    const fs::path to = destination / ("new_" + name);
    if (!std::ifstream(runDir / from).is_open()) {
      prompts.ShowMessage(StringPrintf("Source file %s cannot be found. Please check your selection.",
                                       from.generic_string().c_str()));
      return StrategyResult::kStopped;
    }
    std::error_code ec;
    fs::copy_file(runDir / from, runDir / to, fs::copy_options::overwrite_existing, ec);
    if (ec) {
      prompts.ShowMessage("Copy failed.");
      continue;
    }
    prompts.ShowInfo(StringPrintf("Copy %s to %s successfully", from.generic_string().c_str(),
                                  to.generic_string().c_str()));
    if (name == "vms.dat")
      TakeOverSecondInstanceSigns();
  }
  return StrategyResult::kDone;
}
