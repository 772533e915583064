// Plain records of the network data files and their writers. The writers
// produce files that the project load reads back to the same values;
// numbers are written in the "C" locale.
#pragma once

#include <string>
#include <vector>

#include "DrawTypes.h"
#include "FieldReaders.h"  // ParseLinkLineNumbers, the reader of these files' line heads

struct NetworkHeader
{
  int nZones = 0;
  int nNodes = 0;
  int nLinks = 0;
  int nNetworkParam = 10;
  int nSuperZoneFlag = 0;
};

struct NetworkNodeRecord
{
  int nNumber = 0;
  int nZone = 0;
};

struct NetworkLinkRecord
{
  int nFrom = 0;
  int nTo = 0;
  int nLeftBays = 0;
  int nRightBays = 0;
  int nLengthFeet = 0;
  int nLanes = 0;
  double dFlowModel = 0.0;
  double dSpeedAdjust = 0.0;  // read and not stored
  double dSpeedLimit = 0.0;
  double dMaxServiceFlow = 0.0;
  double dSatFlow = 0.0;
  int nLinkType = 0;
  double dGrade = 0.0;
};

struct NetworkFile
{
  NetworkHeader header;  // nNodes and nLinks are written as given
  std::vector<NetworkNodeRecord> nodes;
  std::vector<NetworkLinkRecord> links;
};

struct SuperZoneFile
{
  int nSuperZones = 0;
  std::vector<int> zoneList;    // zone numbers, in file order
  std::vector<int> superZones;  // super-zone of each listed zone
};

struct XYRecord
{
  int nNode = 0;
  double x = 0.0;
  double y = 0.0;
};

struct LinkShapeRecord
{
  int nFrom = 0;
  int nTo = 0;
  std::vector<WorldPoint> points;
};

struct LinkNameRecord
{
  int nFrom = 0;
  int nTo = 0;
  std::string name;  // written cut to 39 characters
};

struct LinkRef
{
  int nFrom = 0;
  int nTo = 0;
};

struct CCTVRecord
{
  int nFrom = 0;
  int nTo = 0;
  std::string address;  // one word; written cut to 59 characters
};

struct ControlRecord
{
  double dFirst = 0.0;  // skipped by the load
  int nControlType = 1;
  double dThird = 0.0;   // skipped
  double dFourth = 0.0;  // skipped
};

struct ControlFile
{
  std::vector<double> header;        // K values after the count K (skipped)
  std::vector<ControlRecord> nodes;  // network.dat node order
};

constexpr std::size_t kCCTVFileAddressMax = 59;

// Each writer replaces the file; false when it cannot be written.
bool WriteNetworkFile(const std::string& path, const NetworkFile& net);
bool WriteSuperZoneFile(const std::string& path, const SuperZoneFile& sz);
bool WriteXYFile(const std::string& path, const std::vector<XYRecord>& xy);
bool WriteLinkXYFile(const std::string& path, const std::vector<LinkShapeRecord>& shapes);
bool WriteLinkNameFile(const std::string& path, const std::vector<LinkNameRecord>& names);
bool WriteDetectorFile(const std::string& path, const std::vector<LinkRef>& links);
bool WriteCCTVFile(const std::string& path, const std::vector<CCTVRecord>& cameras);
bool WriteControlFile(const std::string& path, const ControlFile& control);

// The texts the writers produce (the files' bytes).
std::string NetworkFileText(const NetworkFile& net);
std::string SuperZoneFileText(const SuperZoneFile& sz);
std::string XYFileText(const std::vector<XYRecord>& xy);
std::string LinkXYFileText(const std::vector<LinkShapeRecord>& shapes);
std::string LinkNameFileText(const std::vector<LinkNameRecord>& names);
std::string DetectorFileText(const std::vector<LinkRef>& links);
std::string CCTVFileText(const std::vector<CCTVRecord>& cameras);
std::string ControlFileText(const ControlFile& control);
