// The network view: one of three panes showing the network coloured by the
// results of its source (current condition, prediction 0, prediction 1,
// taken by creation order). It keeps its state in a NetworkViewModel, paints
// into a cached image that it blits once per paint, and hands its mouse
// presses to the mouse tool of the current tool mode (DrawTool.h).
//
//   auto* view = new CLogicView(parent);   // roles by creation order
//   view->Model().m_nDisplayMeasure = 1;
//   view->Invalidate();                    // drawn again at the next paint
#pragma once

#include <QAbstractScrollArea>
#include <QImage>

#include "DrawTool.h"
#include "NetworkViewModel.h"
#include "ViewPainting.h"

class CDrawCCTV;
class CDrawLine;
class CDrawNode;
class CViewOverlay;

class CLogicView : public QAbstractScrollArea, public IToolView
{
  Q_OBJECT
public:
  explicit CLogicView(QWidget* parent = nullptr);
  ~CLogicView() override;

  NetworkViewModel& Model() override { return m_model; }
  const NetworkViewModel& Model() const override { return m_model; }
  int Kind() const { return m_model.Kind(); }

  // The picture is drawn again at the next paint.
  void Invalidate() override;
  // The view's logical mapping (the screen's pixels per inch).
  LogicalMapping Mapping() const override;
  // The client area in logical units.
  int ClientWidthLogical() const override;
  int ClientHeightLogical() const override;
  // The mouse tools' capture: the view that holds the mouse until release.
  void SetCapture() override;
  void ReleaseCapture() override;
  bool HasCapture() const override;
  // The zoom box's rectangle or the OD pick's arrow over the picture (drawn
  // by an overlay: the picture is not drawn again).
  void SetRubberBand(const RubberBand& band) override;
  const RubberBand& CurrentRubberBand() const;
  // Device pixel of the client area to a world point.
  WorldPoint DeviceToWorld(QPointF device) const;
  // Paints the view as it stands into a painter of any device (printing).
  void PaintTo(QPainter& painter, QSize deviceSize, const LogicalMapping& mapping, bool printing) const;

  // View commands of the view itself.
  void PushView() { m_model.PushView(); }
  void PopView();
  // The selection, for the tools, the dialogs and the information sheet:
  // the marks show in every view, so all three are drawn again.
  void SelectNode(CDrawNode* node);
  void SelectLink(CDrawLine* link);
  void SelectCCTV(CDrawCCTV* camera);
  void ClearSelection();
  void DeselectNode(CDrawNode* node);
  void DeselectLink(CDrawLine* link);
  // Specify Origin and Specify Destination (the latter tells the operator
  // of a pair without a destination).
  void OnSpecifyOrigin();
  void OnSpecifyDestination();
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
  bool viewportEvent(QEvent* event) override;
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
  CViewOverlay* m_overlay = nullptr;
  QImage m_cache;
  bool m_bDirty = true;
  NetworkRenderer m_renderer;
};
