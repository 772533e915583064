// The document's work without its widgets: the Load Data sequence, the
// searches that find the network object under a point, and the path-name
// helpers. Searches walk the global arrays in array order; of equal
// distances the earlier object wins.
//
//   LoadDataSteps steps;
//   steps.load = [] { return g_Project.LoadProjectAndWriteBack(); };
//   steps.showDensity = [&] { ... SetEstimationDisplayMode(views, 1, marks); ... };
//   steps.repaint = [&] { ... };
//   RunLoadData(steps);                       // sets g_bDataLoaded
//   CDrawNode* node = FindNearestNode({x, y});
#pragma once

#include <functional>
#include <string>

#include "DrawTypes.h"
#include "PredictedPaths.h"

class CDrawNode;
class CDrawLine;
class CDrawCCTV;

// The steps of Load Data, in their order. The load itself writes
// estimate/incident.dat and then estimate/vms.dat back only when it read the
// whole project (CProject::LoadProjectAndWriteBack), so a load that stopped
// early never replaces the operator's files with empty lists.
struct LoadDataSteps
{
  std::function<bool()> load;         // the project load and its write-back
  std::function<void()> showDensity;  // display mode 1 in every view, "Zones" checked
  std::function<void()> repaint;      // prediction view 0, prediction view 1, estimation view, clock view
};
// Runs the steps, then sets g_bDataLoaded, whether the load read the whole
// project or stopped early. After an early stop m_bProjectLoaded stays
// false, so Load Data stays offered and the bring-up is not; the next Load
// Data starts again from empty arrays. Returns the load's result.
bool RunLoadData(const LoadDataSteps& steps);

// Nearest node strictly within 1200 x g_LinkShapeRatio of p (and below
// 5000), or null.
CDrawNode* FindNearestNode(const WorldPoint& p);
// Nearest link (CDrawLine::DistanceTo) strictly closer than 25, or null.
CDrawLine* FindNearestLink(const WorldPoint& p);
// Nearest camera icon strictly closer than 5, or null; a camera without a
// place for its icon is skipped.
CDrawCCTV* FindNearestDetector(const WorldPoint& p);
// Index of the last zone of g_ZoneArray that holds p; 0 when none does,
// the same as the first zone's (the OD pick then takes the first zone).
int FindZoneAt(IntPoint p);
// The first path of the first predicted list whose legend swatch lies under
// p (client logical coordinates); every path's hit flag is cleared first.
// Null when none.
CPath* FindPathAt(const PathViewOptions& view, LockedPathLists& paths, ScreenPoint p);
// Index of the first link from node index a to node index b, or -1.
int FindLinkByNodes(int fromIndex, int toIndex);

// Text up to and including the last path separator ("\" or "/"), "" when
// there is none; and the text after it (the whole text when there is none).
std::string GetDirectoryPart(const std::string& path);
std::string GetFileNamePart(const std::string& path);
