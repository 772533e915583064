// Which machine runs each of the nine programs of a run, as kept in
// distribution.ini (section "VORLANTISQ"): 0 the server machine (the
// console's own), 1 to 8 client machines 1 to 8, -1 or absent unset. The
// Distribution Scheme dialog shows one combo box per program; these are its
// rows, its two presets and the file's reading and writing.
//
//   DistributionChoice c = ReadDistribution("distribution.ini");
//   c = DistributedPreset();                  // the "Distributed Mode" radio
//   if (!WriteDistribution("distribution.ini", c))
//     ShowMessage(DistributionWriteMessage("distribution.ini"));
//   frame.m_nMachineSum = ReadMachineSum("distribution.ini");
#pragma once

#include <array>
#include <string>

#include "RunPrograms.h"  // kDistributionSection

inline constexpr const char* kDistributionFile = "distribution.ini";

// Rows of the dialog, top to bottom.
enum DistributionRow {
  kRowNowsim,
  kRowForesim,
  kRowForesim1,
  kRowOde,
  kRowOdp,
  kRowFarvet,
  kRowNearvet,
  kRowManagement,
  kRowTallyhouse,
  kDistributionRows
};

struct DistributionRowInfo
{
  const char* key;    // key in distribution.ini
  const char* label;  // the row's caption
  int distributed;    // value set by "Distributed Mode"
};

const std::array<DistributionRowInfo, kDistributionRows>& DistributionRowTable();

// The entries of every combo box; the list position is the stored value.
inline constexpr int kMachineChoices = 9;
const std::array<const char*, kMachineChoices>& MachineChoiceTexts();

// The keys in the order the dialog reads them when it opens, the order OK
// writes them, and the order the main frame sums them.
const std::array<DistributionRow, kDistributionRows>& DistributionReadOrder();
const std::array<DistributionRow, kDistributionRows>& DistributionWriteOrder();
const std::array<DistributionRow, kDistributionRows>& MachineSumOrder();

// The dialog's state: the selected list position of each row (-1 none) and
// which radio button is checked (the combo boxes are enabled in distributed
// mode only).
struct DistributionChoice
{
  std::array<int, kDistributionRows> machine;
  bool distributed = false;
  bool operator==(const DistributionChoice&) const = default;
};

// A stored value as a list position: 0..8, anything else (unset, or a value
// no combo box lists) -1.
int MachineSelection(int stored);

// The dialog's opening state: each row's value from the file (default -1),
// single-machine mode unless some row names a client machine (1 to 8).
DistributionChoice ReadDistribution(const std::string& path);

// "Non-Distributed (Single-Machine) Mode": every row on the server.
DistributionChoice SingleMachinePreset();
// "Distributed Mode": the preset value of each row.
DistributionChoice DistributedPreset();

// Writes every row's selection as "%d" (-1 when none) in the write order.
// False at the first key that cannot be written.
bool WriteDistribution(const std::string& path, const DistributionChoice& choice);
// The message shown when the file cannot be written.
std::string DistributionWriteMessage(const std::string& path);

// Sum of the nine machine numbers (each -1 when absent), as the main frame
// keeps it: 0 means every program runs on the server machine; a missing
// file gives -9.
int ReadMachineSum(const std::string& path);
