// The network performance page "Overall Network Performance": vehicles in
// the network, freeway speed, surface-street speed or travel time of the
// estimation, with their Min Y / Max Y items remembered per measure.
#pragma once

#include "MinMaxPage.h"

class CInfoPreviewWndPerformance;
class QLabel;

class CPageNetworkPerformance : public CMinMaxPage
{
  Q_OBJECT
public:
  static constexpr int kChartTop = 155;

  CPageNetworkPerformance(std::shared_ptr<const InfoSheetHooks> hooks, QWidget* parent = nullptr);

  CInfoPreviewWndPerformance* PerformanceChart() const { return m_pPerfChart; }
  QLabel* UnitText() const { return m_pUnit; }

protected:
  MinMaxItems ItemsFor(int measure) const override { return PerformanceItems(measure); }
  void ShowMeasureText(int measure) override;

private:
  QLabel* m_pUnit;
  CInfoPreviewWndPerformance* m_pPerfChart;
};
