// The network view: one of three panes showing the network coloured by the
// results of its source (current condition, prediction 0, prediction 1,
// taken by creation order). It keeps its state in a NetworkViewModel, paints
// into a cached image that it blits once per paint, and hands its mouse
// presses to the current mouse tool (ViewTools.h).
//
//   auto* view = new CLogicView(parent);   // roles by creation order
//   view->Model().m_nDisplayMeasure = 1;
//   view->Invalidate();                    // drawn again at the next paint
#pragma once

#include <QAbstractScrollArea>
#include <QImage>

#include "NetworkViewModel.h"
#include "ViewPainting.h"

class CLogicView : public QAbstractScrollArea
{
  Q_OBJECT
public:
  explicit CLogicView(QWidget* parent = nullptr);
  ~CLogicView() override;

  NetworkViewModel& Model() { return m_model; }
  const NetworkViewModel& Model() const { return m_model; }
  int Kind() const { return m_model.Kind(); }

  // The picture is drawn again at the next paint.
  void Invalidate();
  // The view's logical mapping (the screen's pixels per inch).
  LogicalMapping Mapping() const;
  // Device pixel of the client area to a world point.
  WorldPoint DeviceToWorld(QPointF device) const;
  // Paints the view as it stands into a painter of any device (printing).
  void PaintTo(QPainter& painter, QSize deviceSize, const LogicalMapping& mapping, bool printing) const;

  // View commands of the view itself.
  void PushView() { m_model.PushView(); }
  void PopView();
  void ZoomStep(double factor);
  void ResetView();
  // The image the last paint blitted (tests and the benchmark).
  const QImage& CachedImage() const { return m_cache; }
  const NetworkRenderer& Renderer() const { return m_renderer; }
  // Draws the cached image again now, if it is out of date.
  void RenderIfNeeded();
  // Draws every network view whose image is out of date, the views in
  // parallel (a new minute changes all three at once).
  static void RenderOutOfDateViews();

signals:
  // The view became the active view (clicked or focused).
  void activated(CLogicView* view);

protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;

private:
  void OnScrollAction(Qt::Orientation orientation, int action);
  void UpdateFrameTitle();

  bool NeedsRender() const;

  NetworkViewModel m_model;
  QImage m_cache;
  bool m_bDirty = true;
  NetworkRenderer m_renderer;
};
