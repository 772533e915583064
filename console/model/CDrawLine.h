// One directed network link: its shape, attributes and per-link result
// series, its distance and hit test, and its drawing.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "DrawTypes.h"
#include "LinkSeries.h"

// Link type names, "None Type" for any value outside 1..7.
const char* LinkTypeName(int linkType);

constexpr std::size_t kLinkNameMax = 39;  // characters of m_szName

class CDrawLine
{
public:
  // m_nIndex is taken as the size of g_LineArray at construction, so links
  // must be appended in construction order.
  CDrawLine();
  virtual ~CDrawLine() = default;
  CDrawLine(const CDrawLine&) = delete;
  CDrawLine& operator=(const CDrawLine&) = delete;
  // A network holds links by the hundred thousand: their memory comes from
  // one arena of large blocks (SlotArena.h), not one allocation each.
  static void* operator new(std::size_t bytes);
  static void operator delete(void* p, std::size_t bytes) noexcept;

  std::string m_szName;      // from LinkName.dat, at most 39 characters
  bool m_bObserved = false;  // detector link of the observation table
  int m_nFromNode = 0;
  int m_nToNode = 0;
  int m_nLanes = 0;
  double m_dSatRate = 0.0;    // maximum service flow (shown as saturation rate)
  double m_dValue4 = 0.0;     // speed limit, miles per hour
  bool m_bRamp = false;       // link types 3 and 4
  bool m_bValue1Set = false;  // left-turn bays >= 1
  float m_fValue1 = 0.0f;     // left-turn bays
  float m_fValue2 = 0.0f;     // right-turn bays
  float m_fValue3 = 0.0f;     // traffic flow model
  float m_fValue5 = 0.0f;     // saturation flow
  float m_fValue6 = 0.0f;     // grade in percent
  int m_nIndex = 0;           // position in g_LineArray; shown + 1
  int m_nFromIndex = 0;       // end nodes' positions in g_NodeArray
  int m_nToIndex = 0;
  LinkSeries m_dSeries;               // [measure][source][minute], read through Series()
  std::vector<WorldPoint> m_pPoints;  // polyline, upstream to downstream
  std::vector<double> m_pFractions;   // cumulative length fraction per vertex
  double m_dOffset = 1.0;
  double m_dHitMargin = 2.0;
  bool m_bHasDetector = false;
  double m_dLength = 0.0;  // feet
  int m_nSelectMark = 0;   // 0 normal, 1 highlighted, 2 selected
  int m_nLinkType = 0;
  bool m_bHasCCTV = false;
  // Time window of a link-modification record (g_LinkModArray), in minutes.
  double m_dModStart = 0.0;
  double m_dModEnd = 0.0;

  // Number of shape vertices (the size of m_pPoints).
  int PointCount() const { return static_cast<int>(m_pPoints.size()); }

  // Sets the shape and its length fractions (0 at the first vertex, 1 at
  // the last). A shape of zero length gets 0 everywhere but 1 at the last.
  void SetShape(std::vector<WorldPoint> points);
  // Length of the polyline in world units.
  double ShapeLength() const;

  double Series(int measure, int source, int minute) const { return m_dSeries.Get(measure, source, minute); }
  bool SetSeries(int measure, int source, int minute, double value)
  {
    return m_dSeries.Set(measure, source, minute, value);
  }

  void Draw(const ViewDrawOptions& view, IDrawTarget& dc) const;
  // Draws the link as a piece of a highlighted path; kind selects shift,
  // pen and marks (0 dotted yellow, 1 green, 2 yellow-green, 3 and others
  // the current pen).
  void DrawPathSegment(const ViewDrawOptions& view, IDrawTarget& dc, int kind, bool isFirst,
                       bool isLast) const;
  // Distance used by the link search; 5000.0 outside every segment's box
  // (and for a link without a segment).
  double DistanceTo(const WorldPoint& q) const;
  bool HitTest(const WorldPoint& q) const { return DistanceTo(q) < 5.0; }
  // Point at a fraction of the length (see the drawing); (0, 0) when no
  // segment contains the fraction.
  WorldPoint PointAtFraction(double f) const;

private:
  void DrawPlain(const ViewDrawOptions& view, IDrawTarget& dc) const;
  void DrawIcons(const ViewDrawOptions& view, IDrawTarget& dc) const;
};

// ---- Drawing decisions, as plain functions ------------------------------

constexpr double kDistanceFar = 5000.0;

// Fraction of a link's length at which its detector and camera icons stand.
constexpr double kLinkIconFraction = 0.45;

// Pen of step 1 of the link drawing.
DrawPen ChooseLinkPen(int selectMark, bool showBusRoutes, bool printing);

enum class LinkDrawMode { Plain, Coloured, Queue };
LinkDrawMode ChooseLinkDrawMode(int selectMark, int displayMeasure);

// Colour level of a density or speed value: value / 15 truncated, at most
// 4; -1 for a negative level (no ramp pen).
int ColourLevel(double value);
// Ramp pen of a level: density in ramp order, speed reversed. False for a
// level below 0 (the pen of step 1 stays).
bool RampPenFor(int displayMeasure, int level, DrawPen& pen);

// The pen a link's strokes end with in a view: the pen of step 1, or in the
// coloured mode the ramp pen of its value (the queue piece's pen aside).
// CDrawLine::Draw selects the pen of step 1 and then, when it differs,
// this one; a view that keeps a link's strokes between paints recolours
// them with it.
DrawPen LinkStrokePen(const CDrawLine& link, const ViewDrawOptions& view, bool printing);

// Segment p1 -> p2 moved sideways by d.
void ShiftSegment(WorldPoint& p1, WorldPoint& p2, double d);
// The two strokes of an arrowhead of size s at p2 of segment p1 -> p2:
// each from p2 to the returned point.
void ArrowHeadPoints(const WorldPoint& p1, const WorldPoint& p2, double s, WorldPoint& left,
                     WorldPoint& right);

// Queue start fraction: 1 - queue% / 100, at least 0; 1 (no queue) for a
// queue that is not a number.
double QueueStartFraction(double queuePercent);

struct WorldSegment
{
  WorldPoint from;
  WorldPoint to;
};
// Pieces of the polyline from the fraction f0 to its end (nothing when f0
// is 1 or more or not a number).
std::vector<WorldSegment> QueuePieces(const std::vector<WorldPoint>& points,
                                      const std::vector<double>& fractions, double f0);
// Sideways shift of a path piece of a kind.
double PathSegmentShift(int kind);
