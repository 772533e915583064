#include "LinkModLogic.h"
#include "StringPrintf.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>

#include "CDrawLine.h"
#include "DialogLists.h"
#include "GlobalArrays.h"
#include "NumericLocale.h"
#include "TextHelpers.h"

const char kLinkModInUseMessage[] = " Please ensure that the selected link is not within current time range";

namespace {

// Whole part of an attribute, kept within the int range.
int Whole(double v)
{
  if (!(v == v))
    return 0;
  return static_cast<int>(
      std::clamp(std::trunc(v), static_cast<double>(INT_MIN), static_cast<double>(INT_MAX)));
}

std::string ClockOf(double minute)
{
  return FormatMinutes(Whole(minute), true);
}

}  // namespace

std::vector<std::string> LinkTypeItems()
{
  return {"Freeway", "Freeway w/Detector", "On Ramp",    "Off Ramp", "Arterial", "HOT", "Highway",
          "HOV",     "Freeway HOT",        "Freeway HOV"};
}

LinkModValues LinkModValuesOf(const CDrawLine& link, int speedAdjust)
{
  LinkModValues v;
  v.linkTypeIndex = link.m_nLinkType - 1;
  v.lanes = link.m_nLanes;
  v.length = Whole(link.m_dLength);
  v.rightBays = Whole(link.m_fValue2);
  v.leftBays = Whole(link.m_fValue1);
  v.satFlow = Whole(link.m_fValue5);
  v.serviceFlow = Whole(link.m_dSatRate);
  v.speedLimit = Whole(link.m_dValue4);
  v.flowModel = Whole(link.m_fValue3);
  v.grade = Whole(link.m_fValue6);
  v.speedAdjust = speedAdjust;
  return v;
}

std::unique_ptr<CDrawLine> BuildLinkMod(const LinkModControls& c, IMessageSink& sink)
{
  TimeWindow w;
  const CDrawLine* link = LinkAndWindow(c.linkRow, c.startItem, c.endItem, w, sink);
  if (!link)
    return nullptr;
  const LinkModValues& v = c.values;
  auto r = std::make_unique<CDrawLine>();
  r->m_nFromNode = link->m_nFromNode;
  r->m_nToNode = link->m_nToNode;
  r->m_nFromIndex = link->m_nFromIndex;
  r->m_nToIndex = link->m_nToIndex;
  r->m_nIndex = link->m_nIndex;
  r->m_dModStart = w.start;
  r->m_dModEnd = w.end;
  r->m_dLength = v.length;
  r->m_nLinkType = v.linkTypeIndex + 1;
  r->m_bRamp = r->m_nLinkType == 3 || r->m_nLinkType == 4;
  r->m_nLanes = v.lanes;
  r->m_fValue2 = static_cast<float>(v.rightBays);
  r->m_fValue1 = static_cast<float>(v.leftBays);
  r->m_bValue1Set = v.leftBays >= 1;
  r->m_fValue5 = static_cast<float>(v.satFlow);
  r->m_dSatRate = v.serviceFlow;
  r->m_dValue4 = v.speedLimit;
  r->m_fValue3 = static_cast<float>(v.flowModel);
  r->m_fValue6 = static_cast<float>(v.grade);
  return r;
}

std::string LinkModListLine(const CDrawLine& r)
{
  return StringPrintf("Link No.%4d: %4d->%4d, Time:[%s,%s]", r.m_nIndex + 1, r.m_nFromNode, r.m_nToNode,
                      ClockOf(r.m_dModStart).c_str(), ClockOf(r.m_dModEnd).c_str());
}

std::vector<std::string> LinkModListLines()
{
  std::vector<std::string> lines;
  for (const auto& r : g_LinkModArray)
    lines.push_back(LinkModListLine(*r));
  return lines;
}

int LinkModLinkRow(int position)
{
  const CDrawLine* r = g_LinkModArray.GetAt(position);
  return r && LinkAtRow(r->m_nIndex) ? r->m_nIndex : -1;
}

bool AddLinkMod(const LinkModControls& c, IMessageSink& sink)
{
  std::unique_ptr<CDrawLine> r = BuildLinkMod(c, sink);
  if (!r)
    return false;
  g_LinkModArray.Add(std::move(r));
  return true;
}

bool ChangeLinkMod(int position, const LinkModControls& c, IMessageSink& sink)
{
  if (!g_LinkModArray.GetAt(position))
    return false;
  std::unique_ptr<CDrawLine> r = BuildLinkMod(c, sink);
  if (!r)
    return false;
  g_LinkModArray.RemoveAt(position);
  g_LinkModArray.InsertAt(position, r.release());
  return true;
}

bool DeleteLinkMod(int position, int currentMinute, IMessageSink& sink)
{
  const CDrawLine* r = g_LinkModArray.GetAt(position);
  if (!r)
    return false;
  if (r->m_dModStart <= currentMinute && currentMinute <= r->m_dModEnd) {
    sink.ShowMessage(kLinkModInUseMessage);
    return false;
  }
  g_LinkModArray.RemoveAt(position);
  return true;
}

bool WriteNewNetworkFile(const std::filesystem::path& path)
{
  std::FILE* f = std::fopen(path.c_str(), "w");
  if (!f)
    return false;
  CNumericLocaleScope c_locale;
  std::fprintf(f, "%d\n", g_LinkModArray.GetSize());
  for (const auto& r : g_LinkModArray)
    std::fprintf(f, "%7d   %7d  %7.1f  %7.1f   %7.0f  %3d %3.0f %7.0f %7.0f\n", r->m_nFromNode, r->m_nToNode,
                 r->m_dModStart, r->m_dModEnd, r->m_dLength, r->m_nLanes, static_cast<double>(r->m_fValue3),
                 static_cast<double>(r->m_fValue5), r->m_dSatRate);
  const bool ok = !std::ferror(f);
  return std::fclose(f) == 0 && ok;
}

bool WriteNewNetworkFileIn(const std::filesystem::path& runDir, IMessageSink& sink)
{
  if (WriteNewNetworkFile(runDir / "estimate" / "new_network.dat"))
    return true;
  sink.ShowMessage(" The file is in use");
  return false;
}
