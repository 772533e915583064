#include "IncidentLogic.h"
#include "StringPrintf.h"

#include <algorithm>
#include <cmath>

#include "CDrawLine.h"
#include "CommandSender.h"
#include "DialogLists.h"
#include "GlobalArrays.h"
#include "ScenarioObjects.h"
#include "SentList.h"
#include "TextHelpers.h"

int SendIncidentCommand(ICommandSender& sender, int action, const CIncident& i)
{
  return sender.SendIncident(action, i.m_nFromNode, i.m_nToNode, i.m_fStart, i.m_fEnd, i.m_fSeverity);
}

namespace {

SentList<CIncident> Incidents(ICommandSender& sender, IMessageSink& sink)
{
  return {g_IncidentArray, SendIncidentCommand, sender, sink};
}

// Clock text of the whole minute of a stored time.
std::string ClockOf(float minute)
{
  return FormatMinutes(static_cast<int>(std::clamp(std::floor(minute), -1.0e6f, 1.0e6f)), true);
}

}  // namespace

std::vector<std::string> SeverityItems()
{
  std::vector<std::string> items;
  for (int i = 1; i <= 9; ++i)
    items.push_back(StringPrintf("0.%d", i));
  items.push_back("1.0");
  return items;
}

std::unique_ptr<CIncident> BuildIncident(const IncidentControls& c, IMessageSink& sink)
{
  TimeWindow w;
  const CDrawLine* link = LinkAndWindow(c.linkRow, c.startItem, c.endItem, w, sink);
  if (!link)
    return nullptr;
  auto incident = std::make_unique<CIncident>();
  incident->m_nFromNode = link->m_nFromNode;
  incident->m_nToNode = link->m_nToNode;
  incident->m_fStart = static_cast<float>(w.start);
  incident->m_fEnd = static_cast<float>(w.end);
  incident->m_fSeverity = static_cast<float>(std::clamp(c.severityItem, 0, kSeverityItems - 1) + 1) / 10.0f;
  return incident;
}

int SeverityItemOf(float severity)
{
  if (!(severity == severity))
    return 0;
  const float item = std::round(std::clamp(severity, -1.0f, 2.0f) * 10.0f) - 1.0f;
  return std::clamp(static_cast<int>(item), 0, kSeverityItems - 1);
}

std::string IncidentListLine(const CIncident& i)
{
  return StringPrintf("Link No.%s: %4d->%4d, Time:[%s,%s], Severity:%2.1f",
                      LinkNumberText(i.m_nFromNode, i.m_nToNode, 4).c_str(), i.m_nFromNode, i.m_nToNode,
                      ClockOf(i.m_fStart).c_str(), ClockOf(i.m_fEnd).c_str(),
                      static_cast<double>(i.m_fSeverity));
}

std::vector<std::string> IncidentListLines()
{
  std::vector<std::string> lines;
  for (const auto& i : g_IncidentArray)
    lines.push_back(IncidentListLine(*i));
  return lines;
}

bool IncidentControlsOf(int position, IncidentControls& c)
{
  const CIncident* i = g_IncidentArray.GetAt(position);
  if (!i)
    return false;
  c.linkRow = LinkPositionByNodes(i->m_nFromNode, i->m_nToNode);
  c.startItem = StartItemOf(i->m_fStart);
  c.endItem = EndItemOf(i->m_fEnd);
  c.severityItem = SeverityItemOf(i->m_fSeverity);
  return true;
}

bool AddIncident(const IncidentControls& c, ICommandSender& sender, IMessageSink& sink)
{
  return Incidents(sender, sink).Add(BuildIncident(c, sink));
}

bool ChangeIncident(int position, const IncidentControls& c, ICommandSender& sender, IMessageSink& sink)
{
  return Incidents(sender, sink).Change(position, [&] { return BuildIncident(c, sink); });
}

bool DeleteIncident(int position, ICommandSender& sender, IMessageSink& sink)
{
  return Incidents(sender, sink).Delete(position);
}
