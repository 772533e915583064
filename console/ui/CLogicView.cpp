#include "CLogicView.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include "ConsoleState.h"
#include "ConsoleWindows.h"
#include "ResultStores.h"
#include "ViewCommands.h"
#include "ViewOverlay.h"
#include "ViewSelection.h"

CLogicView* g_pEstimationView = nullptr;
CLogicView* g_pPredictionView0 = nullptr;
CLogicView* g_pPredictionView1 = nullptr;

ViewSet CurrentViews()
{
  ViewSet views;
  if (g_pEstimationView)
    views.estimation = &g_pEstimationView->Model();
  if (g_pPredictionView0)
    views.prediction0 = &g_pPredictionView0->Model();
  if (g_pPredictionView1)
    views.prediction1 = &g_pPredictionView1->Model();
  return views;
}

void InvalidatePredictionViews()
{
  for (CLogicView* v : {g_pPredictionView0, g_pPredictionView1})
    if (v)
      v->Invalidate();
}

void InvalidateNetworkViews()
{
  InvalidatePredictionViews();
  if (g_pEstimationView)
    g_pEstimationView->Invalidate();
}

namespace {

// The view holding the mouse for a tool, if any.
CLogicView* g_pCaptureView = nullptr;

// The role of the next view by the views that exist; a fourth view shows
// the current condition but takes no window pointer.
std::optional<ViewRole> NextRole()
{
  return NextViewRole(g_pEstimationView, g_pPredictionView0, g_pPredictionView1);
}

// The mouse tool of the current tool mode, or null.
CDrawTool* CurrentTool()
{
  return CDrawTool::FindTool(g_nToolMode);
}

// The key flags a tool takes: the left button with a press or a double
// click, the shift and control keys as they are held.
unsigned KeyFlags(Qt::KeyboardModifiers keys, bool leftButton)
{
  unsigned flags = 0;
  if (leftButton)
    flags |= kKeyLButton;
  if (keys & Qt::ShiftModifier)
    flags |= kKeyShift;
  if (keys & Qt::ControlModifier)
    flags |= kKeyControl;
  return flags;
}

ScreenPoint ToolPoint(const QMouseEvent* event)
{
  const QPoint p = event->position().toPoint();
  return {p.x(), p.y()};
}

const char* ViewName(int kind)
{
  switch (kind) {
  case kViewPrediction0: return "State Prediction (0)";
  case kViewPrediction1: return "State Prediction (1)";
  default: return "Current Condition";
  }
}

}  // namespace

CLogicView::CLogicView(QWidget* parent)
    : QAbstractScrollArea(parent), m_model(NextRole().value_or(ViewRole{}))
{
  if (NextRole()) {
    if (m_model.Kind() == kViewCurrentCondition)
      g_pEstimationView = this;
    else if (m_model.Kind() == kViewPrediction0)
      g_pPredictionView0 = this;
    else
      g_pPredictionView1 = this;
  }
  ResetClocks(m_model);
  setObjectName(QString("view%1").arg(m_model.Kind()));
  setAccessibleName(ViewName(m_model.Kind()));
  setFocusPolicy(Qt::ClickFocus);
  setFrameShape(QFrame::NoFrame);
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  viewport()->setAttribute(Qt::WA_NoSystemBackground);
  viewport()->setMouseTracking(true);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  for (QScrollBar* bar : {horizontalScrollBar(), verticalScrollBar()}) {
    bar->setRange(0, 10);
    bar->setValue(0);
  }
  connect(horizontalScrollBar(), &QScrollBar::actionTriggered, this,
          [this](int action) { OnScrollAction(Qt::Horizontal, action); });
  connect(verticalScrollBar(), &QScrollBar::actionTriggered, this,
          [this](int action) { OnScrollAction(Qt::Vertical, action); });
  m_overlay = new CViewOverlay(viewport());
}

CLogicView::~CLogicView()
{
  for (CLogicView** p : {&g_pEstimationView, &g_pPredictionView0, &g_pPredictionView1})
    if (*p == this)
      *p = nullptr;
  if (g_pCaptureView == this)
    g_pCaptureView = nullptr;
}

void CLogicView::Invalidate()
{
  m_bDirty = true;
  viewport()->update();
}

LogicalMapping CLogicView::Mapping() const
{
  return {static_cast<double>(logicalDpiX()), static_cast<double>(logicalDpiY())};
}

WorldPoint CLogicView::DeviceToWorld(QPointF device) const
{
  return ::DeviceToWorld(*this, ScreenPoint{static_cast<int>(device.x()), static_cast<int>(device.y())});
}

int CLogicView::ClientWidthLogical() const
{
  return static_cast<int>(Mapping().DeviceToLogicalX(viewport()->width()));
}

int CLogicView::ClientHeightLogical() const
{
  return static_cast<int>(Mapping().DeviceToLogicalY(viewport()->height()));
}

void CLogicView::SetCapture()
{
  g_pCaptureView = this;
}

void CLogicView::ReleaseCapture()
{
  g_pCaptureView = nullptr;
}

bool CLogicView::HasCapture() const
{
  return g_pCaptureView == this;
}

void CLogicView::SetRubberBand(const RubberBand& band)
{
  m_overlay->SetBand(band);
}

const RubberBand& CLogicView::CurrentRubberBand() const
{
  return m_overlay->Band();
}

void CLogicView::PaintTo(QPainter& painter, QSize deviceSize, const LogicalMapping& mapping,
                         bool printing) const
{
  PaintNetworkView(painter, m_model, ViewPaintContext::Current(deviceSize, mapping, printing));
}

bool CLogicView::NeedsRender() const
{
  return m_bDirty || m_cache.size() != viewport()->size();
}

void CLogicView::RenderIfNeeded()
{
  RenderOutOfDateViews();
  if (!NeedsRender())
    return;
  // A view that is not one of the three (it takes no role) draws alone.
  if (m_cache.size() != viewport()->size())
    m_cache = QImage(viewport()->size(), QImage::Format_RGB32);
  LockedPathLists paths = g_PredictedPaths.Lock();
  if (!m_cache.isNull())
    RenderNetworkView(m_cache, m_model, ViewPaintContext::Current(m_cache.size(), Mapping()), paths,
                      m_renderer);
  m_bDirty = false;
}

void CLogicView::RenderOutOfDateViews()
{
  // The prediction views' titles show prediction view 0's minute.
  if (g_pPredictionView0)
    g_PredictionClock.nMinute = g_pPredictionView0->Model().m_nMinute;
  // Widgets are read here, on the GUI thread; the workers only draw into
  // the views' images.
  std::vector<ViewRenderJob> jobs;
  for (CLogicView* v : {g_pEstimationView, g_pPredictionView0, g_pPredictionView1}) {
    if (!v || !v->NeedsRender())
      continue;
    const QSize size = v->viewport()->size();
    if (v->m_cache.size() != size)
      v->m_cache = QImage(size, QImage::Format_RGB32);
    v->m_bDirty = false;
    if (!size.isEmpty())
      jobs.push_back(
          {&v->m_cache, &v->m_model, ViewPaintContext::Current(size, v->Mapping()), &v->m_renderer});
  }
  if (jobs.empty())
    return;
  LockedPathLists paths = g_PredictedPaths.Lock();
  RenderNetworkViews(jobs, paths);
}

bool CLogicView::viewportEvent(QEvent* event)
{
  if (event->type() == QEvent::Resize)
    m_overlay->setGeometry(viewport()->rect());
  // The paint fills the whole area: nothing is erased before it.
  return QAbstractScrollArea::viewportEvent(event);
}

void CLogicView::paintEvent(QPaintEvent*)
{
  UpdateFrameTitle();
  RenderIfNeeded();
  QPainter painter(viewport());
  painter.drawImage(0, 0, m_cache);
}

void CLogicView::UpdateFrameTitle()
{
  if (QWidget* frame = window(); frame && frame->windowTitle() != QString::fromStdString(g_AppTitle))
    frame->setWindowTitle(QString::fromStdString(g_AppTitle));
}

void CLogicView::mousePressEvent(QMouseEvent* event)
{
  emit activated(this);
  if (event->button() == Qt::LeftButton) {
    if (CDrawTool* tool = CurrentTool())
      tool->OnLButtonDown(*this, KeyFlags(event->modifiers(), true), ToolPoint(event));
    Invalidate();
  } else if (event->button() == Qt::RightButton) {
    Invalidate();
  }
}

void CLogicView::mouseDoubleClickEvent(QMouseEvent* event)
{
  if (event->button() != Qt::LeftButton)
    return;
  if (CDrawTool* tool = CurrentTool())
    tool->OnLButtonDblClk(*this, KeyFlags(event->modifiers(), true), ToolPoint(event));
  Invalidate();
}

void CLogicView::mouseReleaseEvent(QMouseEvent* event)
{
  if (event->button() == Qt::LeftButton) {
    if (CDrawTool* tool = CurrentTool())
      tool->OnLButtonUp(*this, KeyFlags(event->modifiers(), false), ToolPoint(event));
    Invalidate();
  } else if (event->button() == Qt::RightButton) {
    PopView();
  }
  UpdateFrameCommands();
}

void CLogicView::mouseMoveEvent(QMouseEvent* event)
{
  if (CDrawTool* tool = CurrentTool())
    tool->OnMouseMove(*this, KeyFlags(event->modifiers(), false), ToolPoint(event));
}

void CLogicView::focusInEvent(QFocusEvent* event)
{
  QAbstractScrollArea::focusInEvent(event);
  emit activated(this);
}

void CLogicView::scrollContentsBy(int, int)
{
  // The scroll bars only count lines; OnScrollAction moves the network.
}

void CLogicView::OnScrollAction(Qt::Orientation orientation, int action)
{
  ScrollLine line;
  if (action == QAbstractSlider::SliderSingleStepSub)
    line = orientation == Qt::Horizontal ? ScrollLine::Left : ScrollLine::Up;
  else if (action == QAbstractSlider::SliderSingleStepAdd)
    line = orientation == Qt::Horizontal ? ScrollLine::Right : ScrollLine::Down;
  else
    return;
  ScrollByLine(m_model.m_transform, line, m_model.m_nHScrollPos, m_model.m_nVScrollPos);
  Invalidate();
}

void CLogicView::PopView()
{
  if (m_model.PopView())
    Invalidate();
}

void CLogicView::SelectNode(CDrawNode* node)
{
  if (::SelectNode(node))
    InvalidateNetworkViews();
}

void CLogicView::SelectLink(CDrawLine* link)
{
  if (::SelectLink(link))
    InvalidateNetworkViews();
}

void CLogicView::SelectCCTV(CDrawCCTV* camera)
{
  if (::SelectCCTV(camera))
    InvalidateNetworkViews();
}

void CLogicView::ClearSelection()
{
  ::ClearSelection();
}

void CLogicView::DeselectNode(CDrawNode* node)
{
  if (::DeselectNode(node))
    InvalidateNetworkViews();
}

void CLogicView::DeselectLink(CDrawLine* link)
{
  if (::DeselectLink(link))
    InvalidateNetworkViews();
}

void CLogicView::OnSpecifyOrigin()
{
  ResetPanelDisplayOptions(Kind());
  {
    LockedPathLists paths = g_PredictedPaths.Lock();
    ::SpecifyOrigin(paths);
  }
  InvalidateNetworkViews();
}

void CLogicView::OnSpecifyDestination()
{
  bool valid = false;
  {
    LockedPathLists paths = g_PredictedPaths.Lock();
    valid = ::SpecifyDestination(paths, g_CurrentMinute);
  }
  if (!valid)
    ShowFrameMessage(kInvalidODPairText);
  InvalidateNetworkViews();
}
