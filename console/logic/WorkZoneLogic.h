// The work zone dialog's work apart from its widgets: the capacity items,
// the check of its two integer edits, a work zone built from the controls'
// values, its list line, the controls that show a stored work zone, and Add,
// Change and Delete over g_WorkZoneArray with their command sends.
//
//   WorkZoneControls c;                    // the dialog's opening values
//   c.linkRow = 2;
//   c.speedLimit = "45";
//   AddWorkZone(c, sender, sink);          // appended, sent with code 46
//   ChangeWorkZone(0, c, sender, sink);    // remove (47) of the old, add (46) of the new
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "CProject.h"  // IMessageSink

class CWorkZone;
class ICommandSender;

// Capacity reduction items: "%3.2f" of 0.01 to 0.99, then "1.00".
constexpr int kCapacityItems = 100;
std::vector<std::string> CapacityItems();

// Accepted ranges of the two edits.
constexpr int kSpeedLimitMin = 0, kSpeedLimitMax = 100;
constexpr int kDischargeRateMin = 0, kDischargeRateMax = 4000;

// An integer edit's text checked as the dialog framework does: blanks
// around one optional sign and digits, then the range. False with the
// message to show ("Please enter an integer." or "Please enter an integer
// between lo and hi.").
bool ParseIntInRange(const std::string& text, int lo, int hi, int& value, std::string& message);

// The controls' values. The defaults are the dialog's opening values.
struct WorkZoneControls
{
  int linkRow = 0;
  int startItem = 1;     // minute 1
  int endItem = 9;       // minute 10
  int capacityItem = 2;  // 0.03
  std::string speedLimit = "50";
  std::string dischargeRate = "1300";
  friend bool operator==(const WorkZoneControls&, const WorkZoneControls&) = default;
};

// A work zone from the controls. Null, with the first failed check's
// message, when an edit fails its check or start is not before end; null
// with no message when no link is selected.
std::unique_ptr<CWorkZone> BuildWorkZone(const WorkZoneControls& c, IMessageSink& sink);

// Capacity item that shows a stored rate: the nearest whole percent - 1,
// clamped to the list.
int CapacityItemOf(float rate);

// "Link No.%4d: %4d->%4d, Time:[%2.0f,%2.0f], CapRed:%3.2f, SpdLimit:%2d, DisRate:%4d";
// "?" for a link that the network lacks.
std::string WorkZoneListLine(const CWorkZone& zone);
std::vector<std::string> WorkZoneListLines();

// The controls that show the work zone at a position of g_WorkZoneArray
// (linkRow -1 when the network lacks its link). False outside the array.
bool WorkZoneControlsOf(int position, WorkZoneControls& c);

// The dialog's actions; as the incident dialog's.
bool AddWorkZone(const WorkZoneControls& c, ICommandSender& sender, IMessageSink& sink);
bool ChangeWorkZone(int position, const WorkZoneControls& c, ICommandSender& sender, IMessageSink& sink);
bool DeleteWorkZone(int position, ICommandSender& sender, IMessageSink& sink);
