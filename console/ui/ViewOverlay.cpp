#include "ViewOverlay.h"

#include <QPainter>

namespace {

// Pixels around a stroke that its pen may touch.
constexpr int kMargin = 2;

QPoint Q(ScreenPoint p)
{
  return QPoint(p.x, p.y);
}

QRect Around(ScreenPoint a, ScreenPoint b)
{
  return QRect(Q(a), Q(b)).normalized().adjusted(-kMargin, -kMargin, kMargin, kMargin);
}

}  // namespace

CViewOverlay::CViewOverlay(QWidget* viewport) : QWidget(viewport)
{
  setObjectName("rubberBand");
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setFocusPolicy(Qt::NoFocus);
  setGeometry(viewport->rect());
}

QRegion CViewOverlay::BandRegion(const RubberBand& band)
{
  QRegion region;
  switch (band.kind) {
  case RubberBand::Kind::FocusRect: {
    // The four edges only: the inside of the box keeps its pixels.
    const ScreenRect r = FocusRect(band.from, band.to);
    region += Around({r.left, r.top}, {r.right, r.top});
    region += Around({r.left, r.bottom}, {r.right, r.bottom});
    region += Around({r.left, r.top}, {r.left, r.bottom});
    region += Around({r.right, r.top}, {r.right, r.bottom});
    break;
  }
  case RubberBand::Kind::Arrow:
    for (const Stroke& s : ArrowStrokes(band.from, band.to))
      region += Around(s.a, s.b);
    break;
  case RubberBand::Kind::None: break;
  }
  return region;
}

void CViewOverlay::SetBand(const RubberBand& band)
{
  if (band == m_band)
    return;
  const QRegion dirty = BandRegion(m_band) + BandRegion(band);
  m_band = band;
  if (parentWidget() && geometry() != parentWidget()->rect())
    setGeometry(parentWidget()->rect());
  update(dirty);
}

void CViewOverlay::paintEvent(QPaintEvent*)
{
  if (m_band.kind == RubberBand::Kind::None)
    return;
  QPainter p(this);
  if (m_band.kind == RubberBand::Kind::FocusRect) {
    const ScreenRect r = FocusRect(m_band.from, m_band.to);
    p.setPen(QPen(Qt::white, 1, Qt::DotLine));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRect(QPoint(r.left, r.top), QPoint(r.right, r.bottom)));
  } else {
    p.setPen(QPen(Qt::white, 1));
    for (const Stroke& s : ArrowStrokes(m_band.from, m_band.to))
      p.drawLine(Q(s.a), Q(s.b));
  }
}
