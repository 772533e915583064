#include "ViewPainting.h"

#include <cmath>

#include "ConsoleState.h"
#include "DrawingObjects.h"
#include "PainterDrawTarget.h"
#include "PredictedPaths.h"
#include "ViewDecorations.h"
#include "WorkerPool.h"

ViewPaintContext ViewPaintContext::Current(QSize deviceSize, const LogicalMapping& mapping, bool printing)
{
  ViewPaintContext ctx;
  ctx.deviceSize = deviceSize;
  ctx.mapping = mapping;
  ctx.printing = printing;
  ctx.dataLoaded = g_bDataLoaded;
  for (int i = 0; i < 5; ++i)
    ctx.legendRamp[i] = g_ColorRamp[i];
  ctx.estimationClock = g_EstimationClock;
  ctx.predictionClock = g_PredictionClock;
  return ctx;
}

int ViewPaintContext::ClientWidthLogical() const
{
  return static_cast<int>(mapping.DeviceToLogicalX(deviceSize.width()));
}

int ViewPaintContext::ClientHeightLogical() const
{
  return static_cast<int>(mapping.DeviceToLogicalY(deviceSize.height()));
}

int ViewPaintContext::LegendLineY() const
{
  return LegendTop(LegendReferenceHeight(ClientHeightLogical())) + 10;
}

namespace {

QPoint Device(const LogicalMapping& m, ScreenPoint p)
{
  return QPoint(static_cast<int>(std::lround(m.LogicalToDeviceX(p.x))),
                static_cast<int>(std::lround(m.LogicalToDeviceY(p.y))));
}

QRect Device(const LogicalMapping& m, const ScreenRect& r)
{
  return QRect(Device(m, ScreenPoint{r.left, r.top}),
               Device(m, ScreenPoint{r.right, r.bottom}) - QPoint(1, 1));
}

void Text(QPainter& p, const LogicalMapping& m, const TextMark& t)
{
  p.drawText(QRect(Device(m, t.at), QSize(4000, 400)), Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip,
             QString::fromStdString(t.text));
}

}  // namespace

void PaintViewDecorations(QPainter& p, const NetworkViewModel& view, const ViewPaintContext& ctx,
                          const LockedPathLists& paths)
{
  const LogicalMapping& m = ctx.mapping;
  p.save();
  p.setBackgroundMode(Qt::TransparentMode);

  const TitleBand band =
      MakeTitleBand(view.Kind(), ctx.ClientWidthLogical(), ctx.estimationClock, ctx.predictionClock);
  p.fillRect(Device(m, band.band), ToQColor(kTitleBandColor));
  p.setFont(ViewFont(kTitleFontHeight, m, QFont::Normal));
  p.setPen(ToQColor(kTitleTextColor));
  Text(p, m, {band.text, {0, 0}});

  const int t = LegendTop(LegendReferenceHeight(ctx.ClientHeightLogical()));
  p.setFont(ViewFont(kLegendFontHeight, m, QFont::Normal));
  if (auto legend = MakeLegend(view.m_nDisplayMeasure, ctx.legendRamp, t)) {
    p.setPen(ToQColor(kViewTextColor));
    Text(p, m, legend->caption);
    p.setPen(ToQColor(kLegendPenColor));
    for (const BoxMark& box : legend->boxes) {
      const QRect r = Device(m, box.rect);
      p.fillRect(r, ToQColor(box.fill));
      p.setBrush(Qt::NoBrush);
      p.drawRect(r.adjusted(0, 0, -1, -1));
    }
    p.setPen(ToQColor(kViewTextColor));
    for (const TextMark& label : legend->labels)
      Text(p, m, label);
  }

  const bool lists[2] = {view.m_bShowPaths0, view.m_bShowPaths1};
  for (int l = 0; l < 2; ++l) {
    if (!lists[l] || paths.List(l).IsEmpty())
      continue;
    for (const PathLegendEntry& e : MakePathLegend(paths.List(l), view.m_PathColors, t)) {
      p.setPen(DrawingObjects::MakePen(e.pen));
      p.drawLine(Device(m, e.from), Device(m, e.to));
      p.setPen(ToQColor(kViewTextColor));
      Text(p, m, e.value);
    }
  }
  p.restore();
}

void PaintNetworkView(QPainter& p, const NetworkViewModel& view, const ViewPaintContext& ctx)
{
  const QRect bounds(QPoint(0, 0), ctx.deviceSize);
  // Paper stays white when printing, so that the black print pens show.
  p.fillRect(bounds, ctx.printing ? Qt::white : Qt::black);
  p.setBackgroundMode(Qt::TransparentMode);
  LockedPathLists paths = g_PredictedPaths.Lock();
  {
    PainterDrawTarget target(p, view.m_transform, ctx.mapping, ctx.printing, bounds);
    target.SetTextColor(kViewTextColor);
    DrawNetwork(view.DrawOptions(ctx.dataLoaded, ctx.LegendLineY()), paths, target);
  }
  PaintViewDecorations(p, view, ctx, paths);
}

void RenderNetworkView(QImage& image, const NetworkViewModel& view, const ViewPaintContext& ctx,
                       const LockedPathLists& paths, NetworkRenderer& renderer, const RenderOptions& options)
{
  renderer.Record(view.DrawOptions(ctx.dataLoaded, ctx.LegendLineY()), paths, view.m_transform, ctx.mapping,
                  image.size(), options);
  renderer.Play(image, Qt::black);
  QPainter p(&image);
  PaintViewDecorations(p, view, ctx, paths);
}

void RenderNetworkViews(const std::vector<ViewRenderJob>& jobs, const LockedPathLists& paths)
{
  WorkerPool::Get().Run(static_cast<int>(jobs.size()), [&](int i) {
    const ViewRenderJob& job = jobs[static_cast<std::size_t>(i)];
    RenderNetworkView(*job.image, *job.view, job.ctx, paths, *job.renderer);
  });
}
