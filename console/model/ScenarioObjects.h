// The operator's traffic-management actions: variable message signs (CVMS),
// incidents (CIncident) and work zones (CWorkZone), with the files vms.dat
// and incident.dat that hold the signs and the incidents.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "DrawTypes.h"

class CDrawLine;

// Most detour nodes a sign holds.
constexpr int kVMSMaxDetourNodes = 100;

// Sign types.
enum VMSType {
  kVMSSpeedAdvisory = 1,
  kVMSMandatoryDetour = 2,
  kVMSCongestionWarning = 3,
  kVMSOptionalDetour = 4
};

class CVMS
{
public:
  int m_nType = 0;                              // VMSType
  int m_nFromNode = 0;                          // number of the link's upstream node
  int m_nToNode = 0;                            // number of the link's downstream node
  int m_nParam1 = 0;                            // type 1: speed threshold; 3: response rate; 2, 4: 100
  int m_nParam2 = 0;                            // type 1: percentage; 3: preference; 2, 4: detour node count
  double m_dStart = 0.0;                        // first minute of the time window
  double m_dEnd = 0.0;                          // last minute of the time window
  int m_nDetourCount = 0;                       // valid entries of m_nDetourNodes
  int m_nDetourNodes[kVMSMaxDetourNodes] = {};  // node numbers of the detour

  CVMS() = default;
  // Copies every field and as many detour nodes as the count says (at most
  // the table).
  CVMS(const CVMS& other);
  CVMS& operator=(const CVMS& other);

  // Shown while start <= minute <= end.
  bool IsShownAt(double minute) const { return m_dStart <= minute && minute <= m_dEnd; }

  // Draws the sign's mark when it is in force at view.dMarkMinute.
  void Draw(const ViewDrawOptions& view, IDrawTarget& dc) const;
};

class CIncident
{
public:
  int m_nFromNode = 0;
  int m_nToNode = 0;
  float m_fStart = 0.0f;     // start minute
  float m_fEnd = 0.0f;       // end minute
  float m_fSeverity = 0.0f;  // a fraction such as 0.3

  bool IsShownAt(float minute) const { return m_fStart <= minute && minute <= m_fEnd; }

  // Draws the object's mark when it is in force at view.dMarkMinute.
  void Draw(const ViewDrawOptions& view, IDrawTarget& dc) const;
};

class CWorkZone
{
public:
  int m_nFromNode = 0;
  int m_nToNode = 0;
  float m_fStart = 0.0f;              // start minute
  float m_fEnd = 0.0f;                // end minute
  float m_fCapacityReduction = 0.0f;  // a fraction
  int m_nSpeedLimit = 0;
  int m_nDischargeRate = 0;

  bool IsShownAt(float minute) const { return m_fStart <= minute && minute <= m_fEnd; }

  // Draws the object's mark when it is in force at view.dMarkMinute.
  void Draw(const ViewDrawOptions& view, IDrawTarget& dc) const;
};

// Where each kind of object puts its mark on its link, and which bitmap.
constexpr double kVMSMarkFraction = 0.3;
constexpr double kIncidentMarkFraction = 0.4;
constexpr double kWorkZoneMarkFraction = 0.6;
// The marks' bitmaps are kBmpVMS, kBmpIncident and kBmpWorkZone, drawn
// with this mask colour.
constexpr ColorRef kScenarioMarkMask = kMaskWhite;

// First link of g_LineArray with these from-node and to-node numbers (the
// first in network.dat order of parallel links); null when there is none.
const CDrawLine* FindFirstLinkByNodes(int fromNode, int toNode);

// Where an object's mark goes at a minute: false when the minute lies
// outside its time window (compared as double for signs, as float for
// incidents and work zones) or its link does not exist.
bool VMSMarkPoint(const CVMS& sign, double minute, WorldPoint& at);
bool IncidentMarkPoint(const CIncident& incident, float minute, WorldPoint& at);
bool WorkZoneMarkPoint(const CWorkZone& zone, float minute, WorldPoint& at);

// Outcome of reading a scenario file.
enum class ScenarioReadStatus {
  kRead,       // every record that the count announced was read
  kNotOpened,  // the file does not open; nothing was read
  kShort,      // the file ends before the count's records; the whole
               // records before the end were taken
  kRefused     // at least one record was refused (see the reader); the
               // others were taken
};

struct ScenarioReadResult
{
  ScenarioReadStatus status = ScenarioReadStatus::kRead;
  int declared = 0;  // the count at the head of the file
  int taken = 0;     // records appended
  // kShort and kRefused: where the first fault lies, the line (1-based)
  // and the record (1-based; 0 for the count).
  int line = 0;
  int record = 0;
};

// vms.dat: a count, then per sign the line
// "%7d%7d%7d%7d%7d   %2.1f  %2.1f \n" (type, from-node, to-node, first and
// second parameter, start, end) and, for a type 2 sign, a line of as many
// "%7d" detour nodes as the second parameter says. Integers are read
// signed, so a negative parameter survives a load and its write-back. A
// type 2 sign whose node count lies outside 0..100 is refused: its nodes are
// read past and the sign is not appended. Signs are appended to `out`.
ScenarioReadResult ReadVMSFile(const std::string& path, std::vector<std::unique_ptr<CVMS>>& out);

// Replaces the file with the given signs. A type 2 sign whose second
// parameter lies outside 0..100 is written with it clamped to that range (as
// many nodes as the clamped value). False when the file cannot be created.
bool WriteVMSFile(const std::string& path, const std::vector<const CVMS*>& signs);

// incident.dat: a count, then per incident "%7d   %7d  %2.1f  %2.1f %2.1f\n"
// (from-node, to-node, start, end, severity). Node numbers are unsigned.
ScenarioReadResult ReadIncidentFile(const std::string& path, std::vector<std::unique_ptr<CIncident>>& out);
bool WriteIncidentFile(const std::string& path, const std::vector<const CIncident*>& incidents);
