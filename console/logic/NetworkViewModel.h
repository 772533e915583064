// What one network view is, without its widget: its role (kind and source,
// taken by creation order), its display options, the minute it shows, its
// transform with history and scroll counters, and the drawing options of a
// paint built from all of these.
//
//   std::optional<ViewRole> role = NextViewRole(est != nullptr, pred0 != nullptr, pred1 != nullptr);
//   NetworkViewModel view(*role);
//   NetworkViewOptions opt = view.DrawOptions(g_bDataLoaded, legendLineY);
//   LockedPathLists paths = g_PredictedPaths.Lock();
//   DrawNetwork(opt, paths, target);
#pragma once

#include <optional>

#include "ConsoleState.h"
#include "NetworkDrawing.h"
#include "ViewTransform.h"

struct ViewRole
{
  int kind = kViewCurrentCondition;  // NetworkViewKind
  int source = 0;                    // result source shown: 0, 1 or 3
  friend bool operator==(const ViewRole&, const ViewRole&) = default;
};

// Role of a view created while the given views exist: the first view is the
// current-condition view (source 0), the second prediction view 0 (source
// 1), the third prediction view 1 (source 3); a fourth takes none.
std::optional<ViewRole> NextViewRole(bool estimationExists, bool prediction0Exists, bool prediction1Exists);

class NetworkViewModel
{
public:
  explicit NetworkViewModel(ViewRole role);

  ViewRole m_role;
  // Display options: the control panel and the view commands set them.
  bool m_bShowCCTV = false;
  bool m_bShowDetectors = false;
  bool m_bShowBusRoutes = false;
  bool m_bShowZones = true;
  bool m_bShowSignals = false;
  bool m_bShowUEPaths = false;
  bool m_bShowVehicles = false;
  bool m_bShowPaths0 = false;
  bool m_bShowPaths1 = false;
  int m_nDisplayMeasure = 0;  // 0 none, 1 density, 2 speed, 3 queue, 5 travel time
  // Colours of predicted-path classes 0..4: the default ramp until the
  // control panel sets them.
  ColorRef m_PathColors[5];
  int m_nSelectKind = kSelectNode;
  int m_nMinute = 0;  // minute of the results shown

  ViewTransform m_transform;
  ViewHistory m_history;  // holds the start state at index 0
  int m_nHScrollPos = 0;
  int m_nVScrollPos = 0;

  int Kind() const { return m_role.kind; }
  int Source() const { return m_role.source; }

  // The current state into the history at the next index.
  void PushView();
  // The current state into the history at the present index, in place of
  // what was stored there: a change that was not stored (a scroll, the
  // same view for prediction) is what the next Previous view comes back to.
  void StoreView();
  // Back to the previous stored state; false (nothing changed) at the start
  // of the history.
  bool PopView();
  // Offsets (0, 30), angle 0, scales 1, centre kept; the history starts
  // again from this state.
  void ResetView();
  // Sets the horizontal offset of a freshly loaded network, as the view's
  // start state.
  void SetLoadedOffsetX(double offsetX);

  // Everything one paint reads: the options above, the data-loaded flag, the
  // path legend's line, and the store inputs (clock minutes, shape ratio).
  NetworkViewOptions DrawOptions(bool dataLoaded, int legendLineY) const;
};

// A view's minute and the clocks' hour, minute, second and the prediction
// stage back to 0 (each view does it when it is made).
void ResetClocks(NetworkViewModel& view);

// The three views, by role; any may be missing while the frame is built.
struct ViewSet
{
  NetworkViewModel* estimation = nullptr;
  NetworkViewModel* prediction0 = nullptr;
  NetworkViewModel* prediction1 = nullptr;
};
