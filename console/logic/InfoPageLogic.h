// The choices of the information pages as plain C++: the items of every
// list, which item each list selects first, the link list and its line to
// link mapping, and the Min Y / Max Y items that the performance and
// consistency pages remember per measure. The pages of console/ui fill
// their lists from here and hand the selected positions to the charts
// (ChartGeometry.h turns positions into ranges).
//
//   MinMaxSelections sel = PerformanceSelections();
//   sel.SetMeasure(kPerfTravelTime);  // selects 0 and 50
//   sel.MaxChanged(7);                // remembered for travel time
//   PerformanceItems(kPerfTravelTime).maxItems[sel.MaxItem()] == "80"
#pragma once

#include <string>
#include <vector>

#include "ChartGeometry.h"
#include "GlobalArrays.h"

// ---- Begin and End lists of the four chart pages ----------------------------

// Begin item i shows the clock text of i x 10 minutes, End item i that of
// (i + 1) x 10 minutes; 144 items each.
std::vector<std::string> BeginTimeItems();
std::vector<std::string> EndTimeItems();
// Items selected when a page is first shown: the chart time window's start
// and end, kept within the lists (a window end of 0 selects the first End
// item, not the item before it).
int BeginItemForWindowStart(int windowStart);
int EndItemForWindowEnd(int windowEnd);

// ---- OD table page -----------------------------------------------------------

// "1" to "<zones>" for the zone count kept within 0..120.
std::vector<std::string> ODZoneItems(int zones);
// Origin: item 1 below 16 zones, else item 15; destination item 0; both
// kept within the list, -1 when the list is empty.
int ODOriginFirstItem(int zones);
int ODDestinationFirstItem(int zones);
// "1", "5", then 10 x i for i = 1 to 5000.
std::vector<std::string> ODMaxYItems();
constexpr int kODMaxYFirstItem = 50;  // 490

// ---- link page ----------------------------------------------------------------

struct LinkMeasureChoice
{
  int chartMeasure;                    // kLinkDensity, kLinkSpeed or kLinkQueue
  std::vector<std::string> maxYItems;  // the Max Y list for the measure
  int selectedItem;
  const char* unitText;  // text under the lists
};
// The choice that a measure radio makes (measure 1 density, 2 speed,
// 3 queue; any other value is taken as density).
LinkMeasureChoice LinkMeasureChoiceFor(int measure);

// Line of a link: "No.<position + 1>: <from>-><to>" and three blanks, or
// two blanks and "x" for a link with observations.
std::string LinkListLine(const CDrawLine& link);

// The link list and which link each line stands for.
struct LinkListModel
{
  std::vector<std::string> lines;
  std::vector<int> linkOfLine;  // link position of each line
  // Link position of a line, -1 outside the list.
  int LinkOfLine(int line) const;
  // Line of a link position, -1 when the list does not show it.
  int LineOfLink(int link) const;
};
// Every link in array order, or only the links with observations.
LinkListModel BuildLinkList(const CTypedObArray<CDrawLine>& links, bool observedOnly);

// ---- network performance page -----------------------------------------------------

struct MinMaxItems
{
  std::vector<std::string> minItems;
  std::vector<std::string> maxItems;
};
// Vehicles: 1000 items, Min 1000 x i, Max 1000 x (i + 1); the speeds and
// the travel time: 10 items, Min 10 x i, Max 10 x (i + 1).
MinMaxItems PerformanceItems(int measure);
// Text under the lists for a measure.
const char* PerformanceUnitText(int measure);

// ---- consistency checking page -------------------------------------------------------

// Long term: 20 items, Min -1000 x (i + 1), Max 1000 x (i + 1); short term:
// 15 items, Min 20 x i, Max 20 x (i + 1).
MinMaxItems ConsistencyItems(int measure);
// Description under the radios.
const char* ConsistencyText(int measure);

// ---- Min Y / Max Y items remembered per measure ------------------------------

// The Min Y and Max Y items of a page with measure radios, remembered per
// measure. A measure may borrow another's items: it starts from them and
// remembers nothing of its own.
class MinMaxSelections
{
public:
  struct Remembered
  {
    int minItem;
    int maxItem;
    int borrowFrom = -1;  // the measure whose items it shows; -1 its own
  };
  explicit MinMaxSelections(std::vector<Remembered> measures);

  // Selects the measure's remembered items (a measure outside the list is
  // taken as the nearest).
  void SetMeasure(int measure);
  void MinChanged(int item);
  void MaxChanged(int item);
  int Measure() const { return m_measure; }
  int MinItem() const { return m_min; }
  int MaxItem() const { return m_max; }

private:
  std::vector<Remembered> m_measures;
  int m_measure = 0;
  int m_min = 0;
  int m_max = 0;
};

// Vehicles 0 / 7, freeway speed 0 / 7, travel time 0 / 4; the surface
// speed borrows the freeway speed's items. Measure 0 selected.
MinMaxSelections PerformanceSelections();
// Long term 9 / 9, short term 0 / 4. Measure 0 selected.
MinMaxSelections ConsistencySelections();
