// One network view painted whole into a QPainter: the background, the
// network's layers (DrawNetwork of the model), the title band, the legend
// and the predicted-path legend. The view widget paints into its cached
// image through here, and printing onto paper.
//
//   ViewPaintContext ctx = ViewPaintContext::ForScreen(image.size(), mapping);
//   QPainter p(&image);
//   PaintNetworkView(p, view, ctx);
#pragma once

#include <QPainter>
#include <QSize>
#include <vector>

#include "NetworkRenderer.h"
#include "NetworkViewModel.h"
#include "ResultStores.h"
#include "ViewTransform.h"

struct ViewPaintContext
{
  QSize deviceSize;  // the client area in device pixels
  LogicalMapping mapping;
  bool printing = false;
  bool dataLoaded = false;
  ColorRef legendRamp[5] = {};
  ClockRecord estimationClock;  // shown in the current-condition view's title
  ClockRecord predictionClock;  // shown in the prediction views' titles

  // The stores' current values (data-loaded flag, legend ramp, clocks).
  static ViewPaintContext Current(QSize deviceSize, const LogicalMapping& mapping, bool printing = false);
  int ClientWidthLogical() const;
  int ClientHeightLogical() const;
  // The predicted-path legend's line (logical units).
  int LegendLineY() const;
};

// Black background (white paper when printing), network, title, legends,
// every stroke drawn through the painter (printing, and the reference of
// the fast way).
void PaintNetworkView(QPainter& painter, const NetworkViewModel& view, const ViewPaintContext& ctx);
// The same into a view's image the fast way: the network recorded and
// played in stripes (NetworkRenderer.h), then the decorations. Touches no
// widget: callable on any thread, the path lists locked by the caller.
void RenderNetworkView(QImage& image, const NetworkViewModel& view, const ViewPaintContext& ctx,
                       const LockedPathLists& paths, NetworkRenderer& renderer,
                       const RenderOptions& options = {});

// One view to render the fast way.
struct ViewRenderJob
{
  QImage* image;
  const NetworkViewModel* view;
  ViewPaintContext ctx;
  NetworkRenderer* renderer;
};
// Renders several views at once, each on a thread of its own (the first on
// the calling one): a new minute changes all three views together.
void RenderNetworkViews(const std::vector<ViewRenderJob>& jobs, const LockedPathLists& paths);
// Title band, density/speed legend and path legend over what is drawn.
void PaintViewDecorations(QPainter& painter, const NetworkViewModel& view, const ViewPaintContext& ctx,
                          const LockedPathLists& paths);
