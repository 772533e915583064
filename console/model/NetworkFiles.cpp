#include "NetworkFiles.h"

#include <cstdio>

#include "FileText.h"
#include "TextHelpers.h"

namespace {

std::string Int(int v)
{
  return std::to_string(v);
}

}  // namespace

std::string NetworkFileText(const NetworkFile& net)
{
  const NetworkHeader& h = net.header;
  std::string s = Int(h.nZones) + " " + Int(h.nNodes) + " " + Int(h.nLinks) + " " + Int(h.nNetworkParam) +
                  " " + Int(h.nSuperZoneFlag) + "\n";
  for (const auto& n : net.nodes)
    s += Int(n.nNumber) + " " + Int(n.nZone) + "\n";
  for (const auto& l : net.links) {
    s += Int(l.nFrom) + " " + Int(l.nTo) + " " + Int(l.nLeftBays) + " " + Int(l.nRightBays) + " " +
         Int(l.nLengthFeet) + " " + Int(l.nLanes) + " " + FormatRealC(l.dFlowModel) + " " +
         FormatRealC(l.dSpeedAdjust) + " " + FormatRealC(l.dSpeedLimit) + " " +
         FormatRealC(l.dMaxServiceFlow) + " " + FormatRealC(l.dSatFlow) + " " + Int(l.nLinkType) + " " +
         FormatRealC(l.dGrade) + "\n";
  }
  return s;
}

std::string SuperZoneFileText(const SuperZoneFile& sz)
{
  std::string s = Int(sz.nSuperZones) + "\n";
  for (std::size_t i = 0; i < sz.zoneList.size(); ++i)
    s += Int(sz.zoneList[i]) + (i + 1 == sz.zoneList.size() ? "\n" : " ");
  for (std::size_t i = 0; i < sz.superZones.size(); ++i)
    s += Int(sz.superZones[i]) + (i + 1 == sz.superZones.size() ? "\n" : " ");
  return s;
}

std::string XYFileText(const std::vector<XYRecord>& xy)
{
  std::string s;
  for (const auto& r : xy)
    s += Int(r.nNode) + " " + FormatRealC(r.x) + " " + FormatRealC(r.y) + "\n";
  return s;
}

std::string LinkXYFileText(const std::vector<LinkShapeRecord>& shapes)
{
  std::string s;
  for (const auto& r : shapes) {
    s += Int(r.nFrom) + " " + Int(r.nTo) + " " + Int(static_cast<int>(r.points.size())) + "\n";
    for (const auto& p : r.points)
      s += FormatRealC(p.x) + " " + FormatRealC(p.y) + "\n";
  }
  return s;
}

namespace {

std::string LinkColumns(int from, int to)
{
  char buf[32];
  std::snprintf(buf, sizeof buf, "%5d%5d", from, to);
  return buf;
}

}  // namespace

std::string LinkNameFileText(const std::vector<LinkNameRecord>& names)
{
  std::string s;
  for (const auto& r : names)
    s += LinkColumns(r.nFrom, r.nTo) + r.name.substr(0, 39) + "\n";
  return s;
}

std::string DetectorFileText(const std::vector<LinkRef>& links)
{
  std::string s;
  for (const auto& r : links)
    s += LinkColumns(r.nFrom, r.nTo) + "\n";
  return s;
}

std::string CCTVFileText(const std::vector<CCTVRecord>& cameras)
{
  std::string s;
  for (const auto& r : cameras)
    s += LinkColumns(r.nFrom, r.nTo) + " " + r.address.substr(0, kCCTVFileAddressMax) + "\n";
  return s;
}

std::string ControlFileText(const ControlFile& control)
{
  std::string s = Int(static_cast<int>(control.header.size())) + "\n";
  for (std::size_t i = 0; i < control.header.size(); ++i)
    s += FormatRealC(control.header[i]) + (i + 1 == control.header.size() ? "\n" : " ");
  for (const auto& r : control.nodes)
    s += FormatRealC(r.dFirst) + " " + Int(r.nControlType) + " " + FormatRealC(r.dThird) + " " +
         FormatRealC(r.dFourth) + "\n";
  return s;
}

bool WriteNetworkFile(const std::string& path, const NetworkFile& net)
{
  return WriteFileText(path, NetworkFileText(net));
}
bool WriteSuperZoneFile(const std::string& path, const SuperZoneFile& sz)
{
  return WriteFileText(path, SuperZoneFileText(sz));
}
bool WriteXYFile(const std::string& path, const std::vector<XYRecord>& xy)
{
  return WriteFileText(path, XYFileText(xy));
}
bool WriteLinkXYFile(const std::string& path, const std::vector<LinkShapeRecord>& shapes)
{
  return WriteFileText(path, LinkXYFileText(shapes));
}
bool WriteLinkNameFile(const std::string& path, const std::vector<LinkNameRecord>& names)
{
  return WriteFileText(path, LinkNameFileText(names));
}
bool WriteDetectorFile(const std::string& path, const std::vector<LinkRef>& links)
{
  return WriteFileText(path, DetectorFileText(links));
}
bool WriteCCTVFile(const std::string& path, const std::vector<CCTVRecord>& cameras)
{
  return WriteFileText(path, CCTVFileText(cameras));
}
bool WriteControlFile(const std::string& path, const ControlFile& control)
{
  return WriteFileText(path, ControlFileText(control));
}
