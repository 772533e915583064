// The control panel without its widgets: the display modes of the three
// network views and their check marks, the layer toggles, and the rows of
// the property list.
//
//   PanelMarks marks;
//   SetEstimationDisplayMode(views, 2, marks);   // speed: g_ColorRamp reversed
//   SetPredictionDisplayMode(views, 5, marks);   // travel time: paths shown
//   std::vector<PropertyRow> rows = LinkPropertyRows(*link, est.Source(), est.m_nMinute);
//   panel.AddMessage(StartedProgramLine("nowsim.bat", "NOWSIM", pid));
#pragma once

#include <string>
#include <vector>

#include "CDrawObj.h"
#include "NetworkViewModel.h"

class CDrawLine;

// Which of the panel's buttons are checked: the current-condition radios
// (0 none, 1 density, 2 speed, 3 queue), the prediction radios (0 none, 1
// density, 2 speed, 3 queue, 5 travel time) and the three check boxes.
struct PanelMarks
{
  int currentMode = 0;
  int predictionMode = 0;
  bool zonesBox = false;
  bool busRoutesBox = false;
  bool signalsBox = false;
  friend bool operator==(const PanelMarks&, const PanelMarks&) = default;
};

// The estimation view's measure (vehicle and UE flags cleared); density
// puts the default ramp into g_ColorRamp in order, speed reversed.
void SetEstimationDisplayMode(const ViewSet& views, int mode, PanelMarks& marks);
// Both prediction views' measure (vehicle, UE and both path flags cleared);
// density gives their path colours the default ramp in order, speed
// reversed; travel time shows the first path list in prediction view 0 and
// the second in prediction view 1. g_ColorRamp is not touched.
void SetPredictionDisplayMode(const ViewSet& views, int mode, PanelMarks& marks);

// "Zones" and "Bus Routes" flip the layer in prediction view 0 and the
// estimation view (prediction view 1 keeps its own); the box shows
// prediction view 0's new state. "Signals" flips the flag in all three views
// and the box shows the estimation view's.
void ToggleZones(const ViewSet& views, PanelMarks& marks);
void ToggleBusRoutes(const ViewSet& views, PanelMarks& marks);
void ToggleSignals(const ViewSet& views, PanelMarks& marks);

// Zones, bus routes and signals off in prediction view 0 and the estimation
// view, boxes cleared; for the estimation view (kind 0) also its measure 0,
// its vehicle layer off and its radios cleared.
void ResetDisplayOptions(const ViewSet& views, int viewKind, PanelMarks& marks);

// The ten rows of a link: identity and attributes, then density, speed and
// queue (a percentage of the length) at the estimation view's source and
// minute, "--" while that minute is 0. Values that are not numbers or lie
// beyond any sensible size are shown as they format, never cut.
std::vector<PropertyRow> LinkPropertyRows(const CDrawLine& link, int source, int minute);
inline constexpr int kLinkPropertyRows = 10;
// The names of those rows, in order.
extern const char* const kLinkPropertyNames[kLinkPropertyRows];

// The message list's line for a program the launcher started: "Started
// <file> (<title>), process <pid>." The launcher writes it, and the panel
// is made wide enough for the widest one of a run.
std::string StartedProgramLine(const std::string& file, const std::string& title, int pid);
