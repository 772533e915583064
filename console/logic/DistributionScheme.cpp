#include "DistributionScheme.h"

#include <climits>

#include "IniFile.h"
#include "PathText.h"

const std::array<DistributionRowInfo, kDistributionRows>& DistributionRowTable()
{
  static const std::array<DistributionRowInfo, kDistributionRows> rows = {{
      {"nowsim", "NOW-SIM", 0},
      {"foresim", "FORE-SIM", 0},
      {"foresim1", "FORE-SIM1", 0},
      {"ode", "OD Estimation", 0},
      {"odp", "OD Prediction", 0},
      {"farvet", "FARVET", 1},
      {"nearvet", "NEARVET", 1},
      {"management", "Management", 1},
      {"tallyhouse", "Tallyhouse", 1},
  }};
  return rows;
}

const std::array<const char*, kMachineChoices>& MachineChoiceTexts()
{
  static const std::array<const char*, kMachineChoices> texts = {"Server",   "Client 1", "Client 2",
                                                                 "Client 3", "Client 4", "Client 5",
                                                                 "Client 6", "Client 7", "Client 8"};
  return texts;
}

const std::array<DistributionRow, kDistributionRows>& DistributionReadOrder()
{
  static const std::array<DistributionRow, kDistributionRows> order = {
      kRowNowsim,     kRowForesim, kRowFarvet, kRowNearvet,  kRowManagement,
      kRowTallyhouse, kRowOde,     kRowOdp,    kRowForesim1,
  };
  return order;
}

const std::array<DistributionRow, kDistributionRows>& DistributionWriteOrder()
{
  static const std::array<DistributionRow, kDistributionRows> order = {
      kRowNowsim, kRowForesim, kRowForesim1,   kRowOde,        kRowOdp,
      kRowFarvet, kRowNearvet, kRowManagement, kRowTallyhouse,
  };
  return order;
}

const std::array<DistributionRow, kDistributionRows>& MachineSumOrder()
{
  static const std::array<DistributionRow, kDistributionRows> order = {
      kRowForesim,    kRowNowsim, kRowNearvet, kRowFarvet,   kRowManagement,
      kRowTallyhouse, kRowOde,    kRowOdp,     kRowForesim1,
  };
  return order;
}

int MachineSelection(int stored)
{
  return stored >= 0 && stored < kMachineChoices ? stored : -1;
}

DistributionChoice ReadDistribution(const std::string& path)
{
  DistributionChoice c = SingleMachinePreset();
  for (DistributionRow row : DistributionReadOrder()) {
    const int selection =
        MachineSelection(IniReadInt(kDistributionSection, DistributionRowTable()[row].key, -1, path));
    c.machine[row] = selection;
    // Any client machine makes the scheme distributed (a sum of zero may
    // still hide one, next to an unset row).
    if (selection > 0)
      c.distributed = true;
  }
  return c;
}

DistributionChoice SingleMachinePreset()
{
  DistributionChoice c;
  c.machine.fill(0);
  c.distributed = false;
  return c;
}

DistributionChoice DistributedPreset()
{
  DistributionChoice c;
  for (int row = 0; row < kDistributionRows; ++row)
    c.machine[row] = DistributionRowTable()[row].distributed;
  c.distributed = true;
  return c;
}

bool WriteDistribution(const std::string& path, const DistributionChoice& choice)
{
  for (DistributionRow row : DistributionWriteOrder()) {
    const int value = MachineSelection(choice.machine[row]);
    if (!IniWriteString(kDistributionSection, DistributionRowTable()[row].key, std::to_string(value), path))
      return false;
  }
  return true;
}

std::string DistributionWriteMessage(const std::string& path)
{
  return "Cannot write " + FullPathText(path);
}

int ReadMachineSum(const std::string& path)
{
  // Summed wide: nine values near the int limits must not overflow.
  long long sum = 0;
  for (DistributionRow row : MachineSumOrder())
    sum += IniReadInt(kDistributionSection, DistributionRowTable()[row].key, -1, path);
  return sum > INT_MAX ? INT_MAX : sum < INT_MIN ? INT_MIN : static_cast<int>(sum);
}
