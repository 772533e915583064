// Base of the information charts: a plain child widget that fills its
// client area black, sets white text on a transparent background and the
// chart font, and paints what its DrawChart builds.
//
// The charts read the result stores, the per-link series and the OD table
// without a lock: the message handler applies every record to them on the
// GUI thread (one queued call per message), so a paint always sees whole
// records.
#pragma once

#include <QWidget>
#include <memory>

#include "ChartGeometry.h"
#include "InfoSheetHooks.h"

class QPainter;

// Paints a chart picture in its order: lines and curves with their pens,
// bars filled and outlined, texts at their top-left corners.
void PaintChartPicture(QPainter& painter, const ChartPicture& picture);

class CChartWnd : public QWidget
{
  Q_OBJECT
public:
  CChartWnd(std::shared_ptr<const InfoSheetHooks> hooks, QWidget* parent);

protected:
  // Builds the chart for the client rectangle (from the page's controls
  // and the stores) and paints it.
  virtual void DrawChart(QPainter& painter, const ScreenRect& client) = 0;
  void paintEvent(QPaintEvent* event) override;

  std::shared_ptr<const InfoSheetHooks> m_hooks;
};
