// The Cycles Data Input dialog's lists and checks: ten drop-down lists of
// minutes, each feeding one cycle setting of the project in seconds, four
// run flags, three consistency checks, then scheduler.dat and modules.dat.
//
//   CyclesSelection s = InitialCyclesSelection();   // opening and Reset
//   s.entry[kFieldNowsimCycle] = 1;                 // the operator picks "1"
//   if (auto msg = CommitCycles(g_Project, s))      // OK
//     ShowMessage(*msg);                            // dialog stays open
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "CycleSettings.h"

class CProject;

// The ten lists, in the dialog's order.
enum CyclesField {
  kFieldNowsimCycle,     // Cycle Length (NOWSIM)
  kFieldAssignment,      // Assignment Interval
  kFieldForesimCycle,    // Cycle Length (FORESIM)
  kFieldForesimHorizon,  // Prediction Horizon (FORESIM)
  kFieldOdeCycle,        // Cycle Length (ODE)
  kFieldOdCorrection,    // OD Correction Interval
  kFieldOdpCycle,        // Cycle Length (ODP)
  kFieldOdpHorizon,      // Prediction Horizon (ODP)
  kFieldFarvetCycle,     // Cycle Length (FARVET)
  kFieldNearvetCycle,    // Cycle Length (NEARVET)
  kCyclesFields
};

// The check box that governs a list (it is enabled while that box is checked).
enum class CyclesGovernor { None, RunOD, RunFarvet, RunNearvet };

struct CyclesFieldInfo
{
  int group;                         // index into CyclesGroupTitles()
  const char* caption;               // the list's label
  std::vector<std::string> entries;  // minutes, as shown
  int initial;                       // index of the initial entry
  CycleEntry cycle;                  // the project's m_Cycle entry it sets
  CyclesGovernor governor;
};

const std::array<CyclesFieldInfo, kCyclesFields>& CyclesFieldTable();
// Titles of the six group boxes, top to bottom.
const std::array<const char*, 6>& CyclesGroupTitles();
// The note beside the NEARVET cycle.
inline constexpr const char* kNearvetCycleNote =
    "Note: This cycle length should be eqal to the observation time interval in file farvet_rtdata";

// The dialog's selections (an index into each list, -1 none) and check boxes.
struct CyclesSelection
{
  std::array<int, kCyclesFields> entry;
  bool runOD = true;        // "ODEst & Pred"
  bool runFarvet = true;    // "FARVET"
  bool runNearvet = true;   // "NEARVET"
  bool runForesim1 = true;  // "FORESIM1"
};

// Every list at its initial entry, every box checked (the dialog's opening
// state; Reset sets the lists only).
CyclesSelection InitialCyclesSelection();

// Whether a list is enabled for the check boxes of a selection.
bool CyclesFieldEnabled(CyclesField field, const CyclesSelection& s);

// A list entry's minutes as whole seconds (minutes x 60, truncated); 0 for a
// text that is not a number.
int MinutesTextToSeconds(const std::string& text);

// The ten settings in seconds, by m_Cycle entry, for the selected entries
// (0 where nothing is selected).
std::array<int, kCycleEntries> CyclesInSeconds(const CyclesSelection& s);

// The three checks in order on settings in seconds; the message of the
// first that fails, or nullopt.
std::optional<std::string> CheckCycles(const std::array<int, kCycleEntries>& cycle);

// OK: the settings and checks above; when all pass, the settings and the
// four run flags go into the project and scheduler.dat and modules.dat are
// written. A failed check returns its message and changes nothing.
std::optional<std::string> CommitCycles(CProject& project, const CyclesSelection& s);
