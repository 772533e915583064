// Predicted paths (CPath) that the prediction views draw with a colour
// legend, the two lists that hold them (PredictedPathLists, reached only
// under their lock), the reader of a FORESIM instance's
// Predictive_PathTravelTime.dat, and vehicles (CVehicle) moving along a node
// trajectory. Drawing is split into plain decisions (colours, pens,
// segments, legend places) and the drawing calls that use them.
//
//   // message loop, the second FORESIM instance ended:
//   {
//     LockedPathLists paths = g_PredictedPaths.Lock();
//     ReadPredictedPaths(paths, 1);
//   }  // unlocked here
//   // window thread, a paint (see DrawNetwork) or a click:
//   LockedPathLists paths = g_PredictedPaths.Lock();
//   for (const auto& p : paths.List(0))
//     if (p->HitTest(pathView, paths, point)) ...
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "DrawTypes.h"
#include "GlobalArrays.h"

// A view that draws predicted paths: what it adds to the drawing options.
struct PathViewOptions
{
  bool bShowPaths0 = false;             // the view shows the first list
  bool bShowPaths1 = false;             // the view shows the second list
  bool bEstimationView = false;         // the view is the current-condition view
  bool bEstimationPathDisplay = false;  // its path display is on
  ColorRef pathColors[5] = {};          // the view's colours of classes 0..4
  int nLegendLineY = 0;                 // PathLegendLineY of the view
};

// The drawing target of a view that can make pens of its own.
class IPathDrawTarget : public IDrawTarget
{
public:
  virtual void SelectCustomPen(const PenSpec& pen) = 0;
};

class LockedPathLists;

class CPath
{
public:
  double m_dTravelTime = 0.0;
  bool m_bHighlighted = false;    // drawn in its full colour
  int m_nDepartureSlot = 0;       // five-minute slot of departure
  std::vector<unsigned> m_Nodes;  // node numbers along the path
  int m_nNodeCount = 0;
  int m_nSegmentStyle = 0;  // kind handed to the segment drawing
  int m_nOrigin = 0;
  int m_nDestination = 0;
  int m_nOwnPen = 0;  // the hit flag: picked in the legend, drawn
                      // with the global highlight pen
  int m_nClass = 0;   // 0-based position in its file

  // Nodes actually held: the node count, at most the nodes stored.
  int NodeCount() const;

  // Draws the path as link segments in its segment style; its node values
  // are taken as node indices.
  void DrawSegments(const ViewDrawOptions& view, IDrawTarget& dc) const;
  // Draws the path for each of the two prediction lists that is not empty
  // and that the view shows. False when a node of the path is not defined
  // (the pairs with it are skipped; the program goes on).
  bool Draw(const ViewDrawOptions& view, const PathViewOptions& paths, const LockedPathLists& lists,
            IPathDrawTarget& dc) const;
  // True when p (client coordinates) lies on the path's legend swatch, on
  // behalf of a list that is not empty and that the view shows.
  bool HitTest(const PathViewOptions& view, const LockedPathLists& lists, ScreenPoint p) const;
};

// ---- decisions -----------------------------------------------------------

// Colour of a path class: classes 0..4 the view's colours, 5 0xFF66FF, 6
// 0xFF00CC, others 0x00CC00; dimmed: g_PathColorsDimmed for 0..4, 0xBB57BB,
// 0xBB0057, 0x006B00.
ColorRef PathClassColor(int pathClass, bool dimmed, const ColorRef viewColors[5]);
extern const ColorRef g_PathColorsDimmed[5];
// Pen of a path: the global highlight pen when its own pen flag is set,
// else solid 2 in the colour.
PenSpec PathPen(const CPath& path, ColorRef color);
bool AnyHighlighted(const CTypedObArray<CPath>& list);

struct PathSegmentRef
{
  int nLink = -1;  // index in g_LineArray
  bool bFirst = false;
  bool bLast = false;
};
// Links between consecutive nodes taken as node indices (first link with
// those end indices); pairs without a link are skipped.
std::vector<PathSegmentRef> PathSegmentsByIndex(const CPath& path);
// The same with node numbers turned into indices through the project's
// node table; *allDefined is false when a node is not defined (its pairs
// are skipped).
std::vector<PathSegmentRef> PathSegmentsByNumber(const CPath& path, bool* allDefined);
// First link of g_LineArray from node index a to node index b, or -1.
int FindLinkByNodeIndices(int fromIndex, int toIndex);

// Legend line of a view: its legend top t = H + 15 - (title height + 10),
// the sample lines at t + 10 (H: the height of the view's window rectangle).
int PathLegendLineY(int windowHeight, int titleHeight);
// Swatch of class k: x from 30 + 70 k to 80 + 70 k, y from line - 10 to
// line + 10 (right and bottom edges outside).
ScreenRect PathSwatch(int pathClass, int legendLineY);
bool PathSwatchHit(int pathClass, int legendLineY, ScreenPoint p);

// ---- the path lists ------------------------------------------------------

class PredictedPathLists;

// The lists of both prediction instances, seen under their lock: the holder
// may read and change both. Every call that works on the lists takes one of
// these, so none of them locks by itself. Movable, not copyable; the lock
// goes with the object.
class LockedPathLists
{
public:
  // The list of a prediction instance: 1 the second (g_PredPaths1 of the
  // views), any other value the first (g_PredPaths0).
  CTypedObArray<CPath>& List(int instance);
  const CTypedObArray<CPath>& List(int instance) const;

  LockedPathLists(LockedPathLists&& other) noexcept;
  LockedPathLists& operator=(LockedPathLists&&) = delete;
  LockedPathLists(const LockedPathLists&) = delete;
  ~LockedPathLists();

private:
  friend class PredictedPathLists;
  explicit LockedPathLists(PredictedPathLists& owner);
  PredictedPathLists* m_owner;
  std::unique_lock<std::mutex> m_lock;
};

// The two predicted-path lists and the mutex that guards them: the message
// loop refills a list while the window thread draws and hit-tests both. The
// lists are reached only through Lock, so no caller has to know which calls
// lock by themselves.
class PredictedPathLists
{
public:
  PredictedPathLists() = default;
  PredictedPathLists(const PredictedPathLists&) = delete;
  PredictedPathLists& operator=(const PredictedPathLists&) = delete;

  // Waits for the lists and hands them out locked until the returned object
  // goes. Asking again on a thread that holds them would wait for ever: it
  // throws std::logic_error instead.
  LockedPathLists Lock();

private:
  friend class LockedPathLists;
  std::mutex m_mutex;
  std::atomic<std::thread::id> m_holder{};  // the thread holding the lock
  CTypedObArray<CPath> m_lists[2];
};

// The console's predicted paths, one object for the whole run.
extern PredictedPathLists g_PredictedPaths;

// Run-directory file of a prediction instance (0 or 1).
std::string PredictedPathFile(int instance);

enum class PathFileStatus {
  kRead,       // every entry the file announced was read
  kNotOpened,  // no file: the list stays empty
  kShort,      // the file ends before the entries it announced
  kBadEntry,   // an entry with an unexpected index, or beyond the bounds below
};
struct PathFileResult
{
  PathFileStatus status = PathFileStatus::kRead;
  int declared = 0;        // N of the file
  int taken = 0;           // paths appended
  int badIndexPasses = 0;  // entries whose index was not the expected one (0 or 1)
};
// The shown line of a file whose reading went wrong.
constexpr const char* kPathFileErrorText = "Error in reading Predictive_PathTravelTime.dat";

// Bounds of a predicted-path file: paths taken from one file, and nodes of
// one path.
constexpr int kMaxPredictedPaths = 10000;
constexpr int kMaxPredictedPathNodes = 100000;

// Empties `list` and reads a predicted-path file into it: an integer that
// is skipped, N, then N entries of index, travel time, node count and the
// nodes. An entry with the expected index (1, 2, ...) becomes a highlighted
// path of class index - 1. Reading stops, keeping the paths read so far, at
// the end of the file (a cut entry is not appended: kShort), at the first
// entry whose index is not the expected one or whose node count exceeds
// kMaxPredictedPathNodes (kBadEntry), and after kMaxPredictedPaths entries
// (kBadEntry when N announced more).
PathFileResult ReadPredictedPathFile(const std::string& path, CTypedObArray<CPath>& list);
// Reads the file of an instance (0 or 1) into that instance's list.
PathFileResult ReadPredictedPaths(LockedPathLists& lists, int instance);

// Copies into the first list the paths of g_AllPaths of the OD pair whose
// departure slot is minute / 5, numbering their classes from 0 and clearing
// their highlight. Nothing unless both ends are chosen (not -1) and differ.
// Copies, so that each list owns its own paths.
void CollectODPairPaths(LockedPathLists& lists, int origin, int destination, int currentMinute);

// ---- vehicles ------------------------------------------------------------

struct CVehicleNode
{
  int m_nNode = 0;
  double m_dTravelTime = 0.0;  // on the link that starts here
  double m_dArrival = 0.0;     // minutes
  double m_dSlack = 0.0;
};

class CVehicle
{
public:
  int m_nLate = 0;
  int m_nPathFlag = 0;  // follow flag: drawn whatever the vehicle layer
  int m_nSource = 0;    // result source of the view that shows it
  std::vector<CVehicleNode> m_Trajectory;

  int PointCount() const { return static_cast<int>(m_Trajectory.size()); }

  // Position at minute t: the step i with arrival(i) < t <= arrival(i + 1)
  // and the link from node i to node i + 1; sets the late flag. False when
  // no step holds t or the link does not exist.
  bool PositionAtMinute(double t, WorldPoint& at);
  // Draws the vehicle at the view's clock minute (dClockMinute); sets the
  // late flag.
  void PositionAt(const ViewDrawOptions& view, IDrawTarget& dc);
  void Draw(const ViewDrawOptions& view, IDrawTarget& dc, const WorldPoint& at, double angle) const;
  void DrawPath(const ViewDrawOptions& view, IDrawTarget& dc) const;
};

// Fill brush of a vehicle: path flag yellow, late rose, on time green.
DrawBrush VehicleBrush(const CVehicle& v);
