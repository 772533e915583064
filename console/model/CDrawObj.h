// Network nodes, OD zones and CCTV cameras.
#pragma once

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "DrawTypes.h"

// Control type names, "No Control" for any value outside 1..6.
const char* ControlTypeName(int controlType);

using PropertyRow = std::pair<std::string, std::string>;

class CDrawNode
{
public:
  CDrawNode() = default;
  virtual ~CDrawNode() = default;
  CDrawNode(const CDrawNode&) = delete;
  CDrawNode& operator=(const CDrawNode&) = delete;

  int m_nNodeNumber = 0;
  int m_nODKey = 0;  // set by nothing in the load
  int m_nZone = 0;
  int m_nSuperZone = 0;
  int m_nIndex = 0;  // position in g_NodeArray
  WorldPoint m_ptPos;
  bool m_bOrigin = false;
  bool m_bDestination = false;
  int m_nHighlight = 0;    // non-zero: larger highlighted square
  int m_nSelectMark = 0;   // 1 when selected
  int m_nControlType = 1;  // 1..6, see ControlTypeName

  void Draw(const ViewDrawOptions& view, IDrawTarget& dc) const;
  // The node's rows of the control panel: "Node ID", "Control Type",
  // "Zone No.".
  std::vector<PropertyRow> FillPropertyList() const;
  // True when q is closer to m_ptPos than 30 x g_LinkShapeRatio x the
  // view's x scale, taken as at least 2.5.
  bool HitTest(double viewScaleX, const WorldPoint& q) const;
};

// Half-size of a node circle in screen units: 30 x shape ratio x x-scale,
// clamped to 1.0 .. 3.0.
double NodeCircleRadius(double linkShapeRatio, double viewScaleX);
// Box of the node circle around the screen centre c: corners truncated; a
// second coordinate equal to the first is raised by 1.
ScreenRect NodeCircleBox(const ScreenPointD& c, double r);

constexpr int kZoneMaxPoints = 100;

class CODZone
{
public:
  // m_nIndex is taken as the size of g_ZoneArray at construction.
  CODZone();
  virtual ~CODZone() = default;
  CODZone(const CODZone&) = delete;
  CODZone& operator=(const CODZone&) = delete;

  int m_nIndex = 0;
  IntPoint m_ptCentroid;   // label place: the integer mean of the vertices
  int m_bCentroidSet = 0;  // 1 once a vertex is added
  int m_nPoints = 0;
  std::array<IntPoint, kZoneMaxPoints> m_Points{};

  // Appends a vertex and sets the centroid to the integer mean of the
  // vertices held; false (nothing stored) when 100 are held. The zone tool
  // adds every vertex before the zone joins g_ZoneArray, so the centroid is
  // fixed before the zone is first drawn.
  bool AddPoint(IntPoint p);
  virtual void Draw(const ViewDrawOptions& view, IDrawTarget& dc) const;
  // Inside the polygon with alternate (even-odd) filling.
  bool HitTest(const WorldPoint& q) const;
};

constexpr std::size_t kCCTVAddressMax = 63;  // characters of m_szAddress

class CDrawCCTV : public CDrawNode
{
public:
  CDrawCCTV() = default;

  int m_nLinkFromNode = 0;
  int m_nLinkToNode = 0;
  std::string m_szAddress;  // at most 63 characters
  WorldPoint m_ptIcon;      // where its icon stands: set by PlaceCameraIcons
  // The icon has a place. A camera read from CCTV.dat has none until
  // PlaceCameraIcons finds a marked link for it; without one it is neither
  // drawn nor found.
  bool m_bIconPlaced = true;
  int m_nShown = 1;

  void Draw(const ViewDrawOptions& view, IDrawTarget& dc) const;
};

// Puts the cameras' icons where their links draw them: for every link of
// g_LineArray with a camera mark, in array order, the first camera of
// g_CCTVArray that watches it (same from-node and to-node numbers) gets the
// link's point at kLinkIconFraction; of parallel links the last one wins.
// Cameras that no marked link reaches keep their place (and, read from
// CCTV.dat, stay unplaced). The load calls it once the shapes and the
// cameras are read.
void PlaceCameraIcons();
