// The chart windows of the information pages and the module status window.
// Each builds its chart's input from its page's controls and the stores
// (SetupScale) and paints the geometry of ChartGeometry.h (DrawChart).
// The page that hosts a chart creates and owns it.
#pragma once

#include "ChartWnd.h"

class CPageODTable;
class CPageTDLink;
class CPageNetworkPerformance;
class CPageConsistencyChecking;

// One link's density, speed or queue from the estimation, the observation
// and the two prediction instances; always drawn.
class CInfoPreviewWndLink : public CChartWnd
{
  Q_OBJECT
public:
  CInfoPreviewWndLink(CPageTDLink* page, std::shared_ptr<const InfoSheetHooks> hooks);
  // 1 density, 2 speed, 3 queue.
  void SetMeasure(int measure) { m_nMeasure = measure; }
  int Measure() const { return m_nMeasure; }
  LinkChartInput SetupScale(const ScreenRect& client) const;

protected:
  void DrawChart(QPainter& painter, const ScreenRect& client) override;

private:
  CPageTDLink* m_pPage;
  int m_nMeasure = kLinkDensity;
};

// A network statistic of the estimation.
class CInfoPreviewWndPerformance : public CChartWnd
{
  Q_OBJECT
public:
  CInfoPreviewWndPerformance(CPageNetworkPerformance* page, std::shared_ptr<const InfoSheetHooks> hooks);
  PerformanceChartInput SetupScale(const ScreenRect& client) const;

protected:
  void DrawChart(QPainter& painter, const ScreenRect& client) override;

private:
  CPageNetworkPerformance* m_pPage;
};

// The OD demand of one origin-destination pair per five-minute slot.
class CInfoPreviewWndOD : public CChartWnd
{
  Q_OBJECT
public:
  CInfoPreviewWndOD(CPageODTable* page, std::shared_ptr<const InfoSheetHooks> hooks);
  ODChartInput SetupScale(const ScreenRect& client) const;

protected:
  void DrawChart(QPainter& painter, const ScreenRect& client) override;

private:
  CPageODTable* m_pPage;
};

// The long-term or short-term consistency-checking values.
class CInfoPreviewWndCstCheck : public CChartWnd
{
  Q_OBJECT
public:
  CInfoPreviewWndCstCheck(CPageConsistencyChecking* page, std::shared_ptr<const InfoSheetHooks> hooks);
  ConsistencyChartInput SetupScale(const ScreenRect& client) const;

protected:
  void DrawChart(QPainter& painter, const ScreenRect& client) override;

private:
  CPageConsistencyChecking* m_pPage;
};

// Minute by minute, when each of seven modules started a cycle.
class CStatusPreviewWnd : public CChartWnd
{
  Q_OBJECT
public:
  CStatusPreviewWnd(QWidget* page, std::shared_ptr<const InfoSheetHooks> hooks);
  StatusChartInput SetupScale(const ScreenRect& client) const;

protected:
  void DrawChart(QPainter& painter, const ScreenRect& client) override;
};
