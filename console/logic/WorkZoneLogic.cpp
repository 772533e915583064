#include "WorkZoneLogic.h"
#include "StringPrintf.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "CDrawLine.h"
#include "CommandSender.h"
#include "DialogLists.h"
#include "GlobalArrays.h"
#include "ScenarioObjects.h"
#include "SentList.h"

namespace {

int SendWorkZoneCommand(ICommandSender& sender, int action, const CWorkZone& z)
{
  return sender.SendWorkZone(action, z.m_nFromNode, z.m_nToNode, z.m_fStart, z.m_fEnd, z.m_fCapacityReduction,
                             z.m_nSpeedLimit, z.m_nDischargeRate);
}

SentList<CWorkZone> WorkZones(ICommandSender& sender, IMessageSink& sink)
{
  return {g_WorkZoneArray, SendWorkZoneCommand, sender, sink};
}

}  // namespace

std::vector<std::string> CapacityItems()
{
  std::vector<std::string> items;
  for (int i = 1; i <= 99; ++i)
    items.push_back(StringPrintf("%3.2f", i / 100.0));
  items.push_back("1.00");
  return items;
}

bool ParseIntInRange(const std::string& text, int lo, int hi, int& value, std::string& message)
{
  const char* s = text.c_str();
  char* end = nullptr;
  errno = 0;
  const long v = std::strtol(s, &end, 10);
  bool whole = end != s && errno == 0;
  for (const char* p = end; whole && *p; ++p)
    whole = std::isspace(static_cast<unsigned char>(*p)) != 0;
  if (!whole) {
    message = "Please enter an integer.";
    return false;
  }
  if (v < lo || v > hi) {
    message = StringPrintf("Please enter an integer between %d and %d.", lo, hi);
    return false;
  }
  value = static_cast<int>(v);
  return true;
}

std::unique_ptr<CWorkZone> BuildWorkZone(const WorkZoneControls& c, IMessageSink& sink)
{
  int speed = 0, rate = 0;
  std::string message;
  if (!ParseIntInRange(c.speedLimit, kSpeedLimitMin, kSpeedLimitMax, speed, message) ||
      !ParseIntInRange(c.dischargeRate, kDischargeRateMin, kDischargeRateMax, rate, message)) {
    sink.ShowMessage(message);
    return nullptr;
  }
  TimeWindow w;
  const CDrawLine* link = LinkAndWindow(c.linkRow, c.startItem, c.endItem, w, sink);
  if (!link)
    return nullptr;
  auto zone = std::make_unique<CWorkZone>();
  zone->m_nFromNode = link->m_nFromNode;
  zone->m_nToNode = link->m_nToNode;
  zone->m_fStart = static_cast<float>(w.start);
  zone->m_fEnd = static_cast<float>(w.end);
  zone->m_nSpeedLimit = speed;
  zone->m_nDischargeRate = rate;
  zone->m_fCapacityReduction =
      static_cast<float>(std::clamp(c.capacityItem, 0, kCapacityItems - 1) + 1) / 100.0f;
  return zone;
}

int CapacityItemOf(float rate)
{
  if (!(rate == rate))
    return 0;
  const float item = std::round(std::clamp(rate, -1.0f, 2.0f) * 100.0f) - 1.0f;
  return std::clamp(static_cast<int>(item), 0, kCapacityItems - 1);
}

std::string WorkZoneListLine(const CWorkZone& z)
{
  return StringPrintf("Link No.%s: %4d->%4d, Time:[%2.0f,%2.0f], CapRed:%3.2f, SpdLimit:%2d, DisRate:%4d",
                      LinkNumberText(z.m_nFromNode, z.m_nToNode, 4).c_str(), z.m_nFromNode, z.m_nToNode,
                      static_cast<double>(z.m_fStart), static_cast<double>(z.m_fEnd),
                      static_cast<double>(z.m_fCapacityReduction), z.m_nSpeedLimit, z.m_nDischargeRate);
}

std::vector<std::string> WorkZoneListLines()
{
  std::vector<std::string> lines;
  for (const auto& z : g_WorkZoneArray)
    lines.push_back(WorkZoneListLine(*z));
  return lines;
}

bool WorkZoneControlsOf(int position, WorkZoneControls& c)
{
  const CWorkZone* z = g_WorkZoneArray.GetAt(position);
  if (!z)
    return false;
  c.linkRow = LinkPositionByNodes(z->m_nFromNode, z->m_nToNode);
  c.startItem = StartItemOf(z->m_fStart);
  c.endItem = EndItemOf(z->m_fEnd);
  c.capacityItem = CapacityItemOf(z->m_fCapacityReduction);
  c.speedLimit = std::to_string(z->m_nSpeedLimit);
  c.dischargeRate = std::to_string(z->m_nDischargeRate);
  return true;
}

bool AddWorkZone(const WorkZoneControls& c, ICommandSender& sender, IMessageSink& sink)
{
  return WorkZones(sender, sink).Add(BuildWorkZone(c, sink));
}

bool ChangeWorkZone(int position, const WorkZoneControls& c, ICommandSender& sender, IMessageSink& sink)
{
  return WorkZones(sender, sink).Change(position, [&] { return BuildWorkZone(c, sink); });
}

bool DeleteWorkZone(int position, ICommandSender& sender, IMessageSink& sink)
{
  return WorkZones(sender, sink).Delete(position);
}
