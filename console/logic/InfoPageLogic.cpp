#include "InfoPageLogic.h"

#include <algorithm>
#include <cstdio>

#include "CDrawLine.h"
#include "CProject.h"
#include "TextHelpers.h"

namespace {

std::string IntItem(int v)
{
  char buf[16];
  std::snprintf(buf, sizeof buf, "%d", v);
  return buf;
}

// Item i of a list of n items kept within the list; -1 for an empty list.
int WithinList(int item, int n)
{
  return n <= 0 ? -1 : std::clamp(item, 0, n - 1);
}

}  // namespace

// ---- Begin and End lists ------------------------------------------------------

std::vector<std::string> BeginTimeItems()
{
  std::vector<std::string> items;
  for (int i = 0; i < kTimeListItems; ++i)
    items.push_back(FormatMinutes(i * kTimeListMinutes, false));
  return items;
}

std::vector<std::string> EndTimeItems()
{
  std::vector<std::string> items;
  for (int i = 0; i < kTimeListItems; ++i)
    items.push_back(FormatMinutes((i + 1) * kTimeListMinutes, false));
  return items;
}

int BeginItemForWindowStart(int windowStart)
{
  return WithinList(windowStart / kTimeListMinutes, kTimeListItems);
}

int EndItemForWindowEnd(int windowEnd)
{
  return WithinList(windowEnd / kTimeListMinutes - 1, kTimeListItems);
}

// ---- OD table page ------------------------------------------------------------

std::vector<std::string> ODZoneItems(int zones)
{
  std::vector<std::string> items;
  for (int z = 1; z <= std::clamp(zones, 0, kMaxZones); ++z)
    items.push_back(IntItem(z));
  return items;
}

int ODOriginFirstItem(int zones)
{
  zones = std::clamp(zones, 0, kMaxZones);
  return WithinList(zones < 16 ? 1 : 15, zones);
}

int ODDestinationFirstItem(int zones)
{
  return WithinList(0, std::clamp(zones, 0, kMaxZones));
}

std::vector<std::string> ODMaxYItems()
{
  std::vector<std::string> items{"1", "5"};
  for (int i = 1; i <= 5000; ++i)
    items.push_back(IntItem(10 * i));
  return items;
}

// ---- link page ------------------------------------------------------------------

LinkMeasureChoice LinkMeasureChoiceFor(int measure)
{
  LinkMeasureChoice c;
  switch (measure) {
  case kLinkSpeed:
    c.chartMeasure = kLinkSpeed;
    c.selectedItem = 0;
    c.unitText = "Y-axis unit: Mile/hour";
    break;
  case kLinkQueue:
    c.chartMeasure = kLinkQueue;
    c.selectedItem = 0;
    c.unitText = "Y-axis unit: Percentage of link length with a queue.";
    break;
  default:
    c.chartMeasure = kLinkDensity;
    c.selectedItem = 2;
    c.unitText = "Y-axis unit: Vehicle/mile/lane.";
    break;
  }
  for (int v : LinkMaxYValues(c.chartMeasure))
    c.maxYItems.push_back(IntItem(v));
  return c;
}

std::string LinkListLine(const CDrawLine& link)
{
  char buf[96];
  std::snprintf(buf, sizeof buf, link.m_bObserved ? "No.%d: %d->%d  x" : "No.%d: %d->%d   ",
                link.m_nIndex + 1, link.m_nFromNode, link.m_nToNode);
  return buf;
}

int LinkListModel::LinkOfLine(int line) const
{
  if (line < 0 || line >= static_cast<int>(linkOfLine.size()))
    return -1;
  return linkOfLine[static_cast<std::size_t>(line)];
}

int LinkListModel::LineOfLink(int link) const
{
  auto it = std::find(linkOfLine.begin(), linkOfLine.end(), link);
  return it == linkOfLine.end() ? -1 : static_cast<int>(it - linkOfLine.begin());
}

LinkListModel BuildLinkList(const CTypedObArray<CDrawLine>& links, bool observedOnly)
{
  LinkListModel model;
  for (int i = 0; i < links.GetSize(); ++i) {
    const CDrawLine* link = links.GetAt(i);
    if (!link || (observedOnly && !link->m_bObserved))
      continue;
    model.lines.push_back(LinkListLine(*link));
    model.linkOfLine.push_back(i);
  }
  return model;
}

// ---- network performance page -------------------------------------------------------

MinMaxItems PerformanceItems(int measure)
{
  MinMaxItems items;
  int count = measure == kPerfVehicles ? 1000 : 10;
  int unit = measure == kPerfVehicles ? 1000 : 10;
  for (int i = 0; i < count; ++i) {
    items.minItems.push_back(IntItem(unit * i));
    items.maxItems.push_back(IntItem(unit * (i + 1)));
  }
  return items;
}

const char* PerformanceUnitText(int measure)
{
  switch (measure) {
  case kPerfFreewaySpeed: return "Y-axis unit: Mile/Hour";
  case kPerfTravelTime: return "Y-axis unit: Min";
  case kPerfSurfaceSpeed: return "Y-axis unit: Mile/Hour";
  default: return "Y-axis unit: Number of vehicles in the network.";
  }
}

// ---- consistency checking page ----------------------------------------------------------

MinMaxItems ConsistencyItems(int measure)
{
  MinMaxItems items;
  if (measure == kCstShortTerm) {
    for (int i = 0; i < 15; ++i) {
      items.minItems.push_back(IntItem(20 * i));
      items.maxItems.push_back(IntItem(20 * (i + 1)));
    }
  } else {
    for (int i = 0; i < 20; ++i) {
      items.minItems.push_back(IntItem(-1000 * (i + 1)));
      items.maxItems.push_back(IntItem(1000 * (i + 1)));
    }
  }
  return items;
}

const char* ConsistencyText(int measure)
{
  return measure == kCstShortTerm ? "NEARVET: root mean square error of link density."
                                  : "FARVET: difference of total # of vehicles on the entire network.";
}

// ---- Min Y / Max Y items remembered per measure ----------------------------------

MinMaxSelections::MinMaxSelections(std::vector<Remembered> measures) : m_measures(std::move(measures))
{
  SetMeasure(0);
}

void MinMaxSelections::SetMeasure(int measure)
{
  m_measure = std::clamp(measure, 0, static_cast<int>(m_measures.size()) - 1);
  const Remembered& own = m_measures[static_cast<std::size_t>(m_measure)];
  const Remembered& shown = own.borrowFrom >= 0 ? m_measures[static_cast<std::size_t>(own.borrowFrom)] : own;
  m_min = shown.minItem;
  m_max = shown.maxItem;
}

void MinMaxSelections::MinChanged(int item)
{
  m_min = item;
  Remembered& own = m_measures[static_cast<std::size_t>(m_measure)];
  if (own.borrowFrom < 0)
    own.minItem = item;
}

void MinMaxSelections::MaxChanged(int item)
{
  m_max = item;
  Remembered& own = m_measures[static_cast<std::size_t>(m_measure)];
  if (own.borrowFrom < 0)
    own.maxItem = item;
}

MinMaxSelections PerformanceSelections()
{
  return MinMaxSelections({{0, 7}, {0, 7}, {0, 4}, {0, 0, kPerfFreewaySpeed}});
}

MinMaxSelections ConsistencySelections()
{
  return MinMaxSelections({{9, 9}, {0, 4}});
}
