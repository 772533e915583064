// What the operator dialogs share: the items of their time and link lists,
// the time window taken from two list items, the link found from two node
// numbers, and the report of a failed command send. Plain functions over the
// model's global arrays; the widgets only show what they return.
//
//   std::vector<std::string> starts = ClockItems(0, 1439);   // "0:00" ... "23:59"
//   std::vector<std::string> links = LinkListLines(LinkLineSpacing::kOne);
//   TimeWindow w;
//   if (!TimeWindowFromItems(startItem, endItem, w))
//     sink.ShowMessage(kStartBeforeEndMessage);
//   std::string no = LinkNumberText(from, to, 4);             // "   3", or "   ?"
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "CProject.h"  // IMessageSink

class CDrawLine;

constexpr int kMinutesPerDay = 1440;
// Items of a start list (minutes 0 to 1439) and of an end list (1 to 1440).
constexpr int kTimeItems = kMinutesPerDay;

// The check message of the incident, work zone and link property dialogs
// (the VMS dialog words it without "that").
extern const char kStartBeforeEndMessage[];

// Clock texts (FormatMinutes with its leading-zero option) of the minutes
// first..last, and the same minutes as "%d".
std::vector<std::string> ClockItems(int first, int last);
std::vector<std::string> NumberItems(int first, int last);

// One line per link of g_LineArray, in array order: "Link No.%d %4d->%4d"
// (kOne) or "Link No.%d  %4d->%4d" (kTwo, the VMS dialogs') with the
// position + 1 and the from-node and to-node numbers.
enum class LinkLineSpacing { kOne, kTwo };
std::string LinkListLine(const CDrawLine& link, LinkLineSpacing spacing);
std::vector<std::string> LinkListLines(LinkLineSpacing spacing);

// The link at a row of a link list (its position in g_LineArray); null for
// no selection (-1) or a row past the array.
const CDrawLine* LinkAtRow(int row);

// A time window in whole minutes: start = start item (0..1439), end = end
// item + 1 (1..1440).
struct TimeWindow
{
  int start = 0;
  int end = 0;
};
// False when start is not before end, or an item lies outside its list.
bool TimeWindowFromItems(int startItem, int endItem, TimeWindow& window);
// The link at a row and the window of two items, for the dialogs whose only
// check is the time window: null with no link (nothing shown) or with start
// not before end (kStartBeforeEndMessage shown).
const CDrawLine* LinkAndWindow(int row, int startItem, int endItem, TimeWindow& window, IMessageSink& sink);
// The items that show a stored window, clamped to the lists: start item =
// the whole start minute, end item = the whole end minute - 1.
int StartItemOf(double startMinute);
int EndItemOf(double endMinute);

// Position in g_LineArray of the first link from -> to (node numbers, in
// network.dat order), or -1 when no such link exists (also for a node that
// no table knows).
int LinkPositionByNodes(int fromNode, int toNode);
// Position + 1 of that link as "%*d" of the width, or "?" right-aligned in
// the width when there is no such link.
std::string LinkNumberText(int fromNode, int toNode, int width);
