#include "CClockView.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "ConsoleWindows.h"
#include "DrawingObjects.h"

CClockView* g_pClockView = nullptr;

namespace {

constexpr ColorRef kClockGreen = 0x00FF00;
constexpr ColorRef kClockPink = 0xFF33CC;

// The small font's height, and the smallest the hour labels shrink to;
// the pixels left free between two labels.
constexpr int kSmallFontPixels = 12;
constexpr int kSmallestLabelPixels = 7;
constexpr int kLabelGap = 2;

// The small font, narrowed: the condensed face of the view's family.
QFont SmallFont(int pixels)
{
  QFont font;
  font.setPixelSize(pixels);
  font.setStretch(QFont::Condensed);
  return font;
}

int MinuteOf(const NetworkViewModel* view)
{
  return view ? view->m_nMinute : 0;
}

void DrawCentred(QPainter& p, const QImage& icon, QPoint centre)
{
  p.drawImage(centre - QPoint(icon.width() / 2, icon.height() / 2), icon);
}

}  // namespace

CClockView::CClockView(QWidget* parent) : QWidget(parent)
{
  g_pClockView = this;
  setObjectName("clockView");
  setAccessibleName("Clock");
  setFocusPolicy(Qt::ClickFocus);
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

CClockView::~CClockView()
{
  if (g_pClockView == this)
    g_pClockView = nullptr;
}

int CClockView::EstimationMarkerX() const
{
  return MinuteToX(MinuteOf(CurrentViews().estimation), CurrentChartWindow(), m_axis);
}

int CClockView::PredictionMarkerX() const
{
  return MinuteToX(MinuteOf(CurrentViews().prediction0), CurrentChartWindow(), m_axis);
}

int CClockView::LabelPixels(const ClockAxis& axis, const ChartWindow& chart,
                            const std::vector<ClockTick>& ticks) const
{
  // The fit measures every label at every size, and the clock paints on
  // every mouse move of a drag: fitted again only when what it measures
  // (the axis' place, the window, the application's font) has changed.
  const QFont base;
  const LabelFit key{axis.left, axis.top, axis.width, axis.height, chart.start, chart.end, base, 0};
  if (m_labelFit && m_labelFit->SameInputs(key))
    return m_labelFit->pixels;
  // The fit asks for one size at a time, every label at it: one metrics per size.
  std::optional<QFontMetrics> metrics;
  int metricsSize = 0;
  const int pixels = FitClockLabelSize(
      ticks, kSmallFontPixels, kSmallestLabelPixels, kLabelGap, [&](const std::string& label, int size) {
        if (!metrics || metricsSize != size) {
          metrics.emplace(SmallFont(size));
          metricsSize = size;
        }
        return metrics->boundingRect(QString::fromStdString(label)).right() + 1;
      });
  m_labelFit = key;
  m_labelFit->pixels = pixels;
  return pixels;
}

QFont CClockView::LabelFont() const
{
  ClockAxis axis = m_axis;
  axis.Centre(width());
  const ChartWindow chart = CurrentChartWindow();
  return SmallFont(LabelPixels(axis, chart, ClockTicks(chart, axis)));
}

std::vector<CClockView::HourLabel> CClockView::HourLabels() const
{
  ClockAxis axis = m_axis;
  axis.Centre(width());
  const ChartWindow chart = CurrentChartWindow();
  const std::vector<ClockTick> ticks = ClockTicks(chart, axis);
  const QFontMetrics metrics(SmallFont(LabelPixels(axis, chart, ticks)));
  std::vector<HourLabel> labels;
  for (const ClockTick& t : ticks) {
    if (!t.major)
      continue;
    const QString text = QString::fromStdString(t.label);
    // Drawn from its top left corner: the baseline lies an ascent below.
    labels.push_back(
        {text, metrics.boundingRect(text).translated(t.labelX, axis.Y0() + 6 + metrics.ascent())});
  }
  return labels;
}

void CClockView::paintEvent(QPaintEvent*)
{
  QPainter p(this);
  p.fillRect(rect(), Qt::black);
  p.setBackgroundMode(Qt::TransparentMode);
  const DrawingObjects& d = DrawingObjects::Get();
  const QColor green = ToQColor(kClockGreen), pink = ToQColor(kClockPink);
  m_axis.Centre(width());
  const int y0 = m_axis.Y0();
  const ChartWindow chart = CurrentChartWindow();

  const StageBar bar = StageBarSpan(CurrentPredictionStage(), chart, m_axis);
  p.drawImage(265, y0 - 21, d.Icon(kBmpClockPicture));
  // Filled and outlined in pink: the pixels from xs to xe - 1.
  p.fillRect(QRect(QPoint(std::min(bar.xs, bar.xe), y0 - 10), QPoint(std::max(bar.xs, bar.xe) - 1, y0 + 9)),
             pink);

  p.setPen(green);
  p.drawLine(m_axis.left, y0, AxisEndX(chart, m_axis), y0);
  // The labels of every fifth minute, in the small font narrowed and, where
  // that is not enough, made smaller until each ends before the next.
  const std::vector<ClockTick> ticks = ClockTicks(chart, m_axis);
  p.setFont(SmallFont(LabelPixels(m_axis, chart, ticks)));
  for (const ClockTick& t : ticks) {
    const int half = t.major ? 5 : 3;
    p.drawLine(t.x, y0 - half, t.x, y0 + half);
    if (t.major)
      p.drawText(QRect(t.labelX, y0 + 6, 100, 20), Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip,
                 QString::fromStdString(t.label));
  }
  p.setFont(SmallFont(kSmallFontPixels));
  const int textX = MinuteToX(chart.start, chart, m_axis) - 40;
  p.drawText(QRect(textX, y0 - 15, 100, 20), Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, "RT");
  p.drawText(QRect(textX, y0 + 10, 100, 20), Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, "Pred");

  DrawCentred(p, d.Icon(kBmpEstimationMarker), QPoint(EstimationMarkerX(), y0 - 9));
  DrawCentred(p, d.Icon(m_machine.m_bGrabPred ? kBmpPredictionMarkerGrabbed : kBmpPredictionMarker),
              QPoint(PredictionMarkerX(), y0 + 9));
}

void CClockView::mousePressEvent(QMouseEvent* event)
{
  if (event->button() != Qt::LeftButton)
    return;
  m_axis.Centre(width());
  const QPoint p = event->position().toPoint();
  m_machine.LeftButtonDown({p.x(), p.y()}, m_axis, EstimationMarkerX(), PredictionMarkerX());
  update();
}

void CClockView::mouseMoveEvent(QMouseEvent* event)
{
  const std::optional<int> t = m_machine.MouseMove(static_cast<int>(event->position().x()),
                                                   CurrentChartWindow(), m_axis, CurrentPredictionStage());
  if (t) {
    ApplyPredictionDrag(*t, CurrentViews());
    InvalidatePredictionViews();
  }
  // While the marker is picked up the previews refresh on every move, also
  // when the mouse has left the prediction stage.
  if (m_machine.m_bGrabPred)
    RefreshChartWindows();
  update();
}

void CClockView::mouseReleaseEvent(QMouseEvent*)
{
  update();
}

void CClockView::keyPressEvent(QKeyEvent* event)
{
  int step = 0;
  if (event->key() == Qt::Key_Left)
    step = -1;
  else if (event->key() == Qt::Key_Right)
    step = 1;
  if (step == 0) {
    QWidget::keyPressEvent(event);
    return;
  }
  const std::optional<int> v = m_machine.ArrowKey(step, MinuteOf(CurrentViews().prediction0),
                                                  CurrentChartWindow(), CurrentPredictionStage());
  if (v) {
    ApplyPredictionStep(*v, step, CurrentViews());
    InvalidatePredictionViews();
  }
  AfterPredictionMove();
}

void CClockView::AfterPredictionMove()
{
  RefreshChartWindows();
  ShowSelectedLinkProperties();
  update();
}
