// The scenario manager's and the strategy selection's work apart from their
// widgets: the copy plan of a scenario table row with the checks of its
// names, the copies it makes, and the strategy files copied from the second
// prediction instance into the estimation. Paths are relative to the run
// directory, which the caller names.
//
//   ScenarioPlan plan;
//   std::string message;
//   switch (PlanScenario(rowCells, plan, message)) {
//   case ScenarioPlanStatus::kReady: CarryOutScenarioPlan(plan, runDir, sink); break;
//   default: sink.ShowMessage(message);
//   }
//
//   SelectStrategy({"control.dat", "vms.dat"}, 0, runDir, prompts);
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "OperatorPrompts.h"

// ---- scenario manager ------------------------------------------------------------

// Cells of a row that the plan reads: 0 the scenario name, 1 to 4 the file
// names (without ".dat") of vms.dat, incident.dat, workzone.dat and
// pricing.dat, 8 the prediction instance ("FORESIM0" or "FORESIM1").
constexpr int kScenarioCells = 9;

struct FileCopy
{
  std::filesystem::path from;
  std::filesystem::path to;
  friend bool operator==(const FileCopy&, const FileCopy&) = default;
};

// The folder to create and the copies to make, relative to the run
// directory.
struct ScenarioPlan
{
  std::filesystem::path folder;
  std::vector<FileCopy> copies;
};

enum class ScenarioPlanStatus {
  kReady,
  kNoInstance,  // cell 8 names no instance: the dialog closes after the message
  kRefused      // too few cells or a name that cannot be used: the dialog stays open
};

extern const char kNoInstanceMessage[];
extern const char kTooFewColumnsMessage[];

// True for a name that stays inside its folder: not empty, not "." or
// "..", no "/" or "\".
bool IsPlainFileName(const std::string& name);

// The plan of a row: for each of cells 1 to 4 that is neither empty nor
// "N/A", the instance directory's file of that kind copied to
// <instance directory>/<cell 0>/<cell k>.dat. Anything but kReady comes with
// the message to show.
ScenarioPlanStatus PlanScenario(const std::vector<std::string>& cells, ScenarioPlan& plan,
                                std::string& message);

// Creates the folder (an existing one is fine) and makes every copy,
// overwriting; each failure is shown (one message for all). True when all
// succeeded.
bool CarryOutScenarioPlan(const ScenarioPlan& plan, const std::filesystem::path& runDir, IMessageSink& sink);

// ---- strategy selection ------------------------------------------------------

// The five file names of the file list, in order.
const std::vector<std::string>& StrategyFileNames();

// "Are you selecting " + each name and a blank + "in FORESIM" + the instance
// item + 1.
std::string StrategyQuestion(const std::vector<std::string>& selected, int instanceItem);

enum class StrategyResult {
  kDeclined,  // the question answered No
  kDone,      // every name tried (failed copies shown)
  kStopped    // a source file is missing: the dialog stays open
};

// Asks the question (also when nothing is selected: the file list is never
// empty, so the dialog always asks), then copies each selected name from predict1/ to
// estimate/new_<name>, in the given order, showing the outcome of each. A
// copied vms.dat also replaces the estimation VMS list with copies of the
// second prediction instance's list.
StrategyResult SelectStrategy(const std::vector<std::string>& selected, int instanceItem,
                              const std::filesystem::path& runDir, IOperatorPrompts& prompts);
