// The incident dialog's work apart from its widgets: the severity items, an
// incident built from the controls' values, its list line, the controls
// that show a stored incident, and Add, Change and Delete over
// g_IncidentArray with their command sends.
//
//   IncidentControls c;                 // the dialog's opening selection
//   c.linkRow = 3;
//   AddIncident(c, sender, sink);       // appended, sent with code 42
//   ChangeIncident(0, c, sender, sink); // remove (43) of the old, add (42) of the new
//   for (const std::string& line : IncidentListLines()) ...
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "CProject.h"  // IMessageSink

class CIncident;
class ICommandSender;

// The severity items: "0.1" to "0.9", then "1.0".
constexpr int kSeverityItems = 10;
std::vector<std::string> SeverityItems();

// The controls' selections: a link-list row and the items of the three
// drop-down lists. The defaults are the dialog's opening selection.
struct IncidentControls
{
  int linkRow = 0;
  int startItem = 1;     // minute 1
  int endItem = 9;       // minute 10
  int severityItem = 2;  // "0.3"
  friend bool operator==(const IncidentControls&, const IncidentControls&) = default;
};

// An incident from the controls. Null with no selected link (nothing shown)
// or with start not before end (the start/end message shown).
std::unique_ptr<CIncident> BuildIncident(const IncidentControls& c, IMessageSink& sink);

// Severity item that shows a stored severity: the nearest tenth, clamped to
// the list.
int SeverityItemOf(float severity);

// "Link No.%4d: %4d->%4d, Time:[%s,%s], Severity:%2.1f"; "?" for a link
// that the network lacks.
std::string IncidentListLine(const CIncident& incident);
std::vector<std::string> IncidentListLines();

// The controls that show the incident at a position of g_IncidentArray;
// linkRow is -1 when the network lacks its link (the link list keeps its
// selection). False for a position outside the array.
bool IncidentControlsOf(int position, IncidentControls& c);

// The dialog's actions. Each failed send shows the controller's last error;
// the array keeps the change whatever the sends return. False when nothing
// was changed (no link, a time error, no such position).
bool AddIncident(const IncidentControls& c, ICommandSender& sender, IMessageSink& sink);
bool ChangeIncident(int position, const IncidentControls& c, ICommandSender& sender, IMessageSink& sink);
bool DeleteIncident(int position, ICommandSender& sender, IMessageSink& sink);

// Sends an incident with the add (1) or remove (0) code; the sender's result.
int SendIncidentCommand(ICommandSender& sender, int action, const CIncident& incident);
