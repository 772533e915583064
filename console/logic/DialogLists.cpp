#include "DialogLists.h"
#include "StringPrintf.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>

#include "CDrawLine.h"
#include "GlobalArrays.h"
#include "NumericLocale.h"
#include "ScenarioObjects.h"
#include "TextHelpers.h"

const char kStartBeforeEndMessage[] = " Please ensure that the start time is before the end time!";

std::vector<std::string> ClockItems(int first, int last)
{
  std::vector<std::string> items;
  for (int m = first; m <= last; ++m)
    items.push_back(FormatMinutes(m, true));
  return items;
}

std::vector<std::string> NumberItems(int first, int last)
{
  std::vector<std::string> items;
  for (int m = first; m <= last; ++m)
    items.push_back(std::to_string(m));
  return items;
}

std::string LinkListLine(const CDrawLine& link, LinkLineSpacing spacing)
{
  const char* fmt = spacing == LinkLineSpacing::kOne ? "Link No.%d %4d->%4d" : "Link No.%d  %4d->%4d";
  return StringPrintf(fmt, link.m_nIndex + 1, link.m_nFromNode, link.m_nToNode);
}

std::vector<std::string> LinkListLines(LinkLineSpacing spacing)
{
  std::vector<std::string> lines;
  lines.reserve(static_cast<std::size_t>(g_LineArray.GetSize()));
  for (const auto& link : g_LineArray)
    lines.push_back(LinkListLine(*link, spacing));
  return lines;
}

const CDrawLine* LinkAtRow(int row)
{
  return g_LineArray.GetAt(row);
}

bool TimeWindowFromItems(int startItem, int endItem, TimeWindow& window)
{
  if (startItem < 0 || startItem >= kTimeItems || endItem < 0 || endItem >= kTimeItems)
    return false;
  window.start = startItem;
  window.end = endItem + 1;
  return window.start < window.end;
}

const CDrawLine* LinkAndWindow(int row, int startItem, int endItem, TimeWindow& window, IMessageSink& sink)
{
  const CDrawLine* link = LinkAtRow(row);
  if (!link)
    return nullptr;
  if (!TimeWindowFromItems(startItem, endItem, window)) {
    sink.ShowMessage(kStartBeforeEndMessage);
    return nullptr;
  }
  return link;
}

namespace {

int ClampItem(double item)
{
  if (!(item == item))  // NaN
    return 0;
  return static_cast<int>(std::clamp(std::floor(item), 0.0, static_cast<double>(kTimeItems - 1)));
}

}  // namespace

int StartItemOf(double startMinute)
{
  return ClampItem(startMinute);
}

int EndItemOf(double endMinute)
{
  return ClampItem(std::floor(endMinute) - 1.0);
}

int LinkPositionByNodes(int fromNode, int toNode)
{
  const CDrawLine* link = FindFirstLinkByNodes(fromNode, toNode);
  return link ? link->m_nIndex : -1;
}

std::string LinkNumberText(int fromNode, int toNode, int width)
{
  const int pos = LinkPositionByNodes(fromNode, toNode);
  if (pos < 0)
    return StringPrintf("%*s", width, "?");
  return StringPrintf("%*d", width, pos + 1);
}
