// The rubber band of a network view: a transparent child of the view's
// viewport that draws the zoom box's rectangle or the OD pick's arrow over
// the view's cached picture. A change repaints only the pixels the old and
// the new band cover, and the picture under them is blitted from the
// cache, never drawn again.
//
//   auto* overlay = new CViewOverlay(view->viewport());
//   overlay->SetBand({RubberBand::Kind::FocusRect, {10, 10}, {80, 60}});
//   overlay->SetBand({});   // removed
#pragma once

#include <QRegion>
#include <QWidget>

#include "DrawTool.h"

class CViewOverlay : public QWidget
{
  Q_OBJECT
public:
  explicit CViewOverlay(QWidget* viewport);

  void SetBand(const RubberBand& band);
  const RubberBand& Band() const { return m_band; }
  // The pixels a band covers, with a margin for the pen.
  static QRegion BandRegion(const RubberBand& band);

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  RubberBand m_band;
};
