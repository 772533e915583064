// The network performance page "Overall Network Performance": the measure
// radios, the time range and the Min Y / Max Y items of the performance
// chart, remembered per measure (PerformanceSelections).
#pragma once

#include "InfoPage.h"
#include "InfoPageLogic.h"

class CInfoPreviewWndPerformance;
class QButtonGroup;
class QLabel;
class QListWidget;
class QRadioButton;

class CPageNetworkPerformance : public CInfoPage
{
  Q_OBJECT
public:
  static constexpr int kChartTop = 155;

  CPageNetworkPerformance(std::shared_ptr<const InfoSheetHooks> hooks, QWidget* parent = nullptr);

  CInfoPreviewWndPerformance* PerformanceChart() const { return m_pPerfChart; }
  QListWidget* MinYList() const { return m_pMinY; }
  QListWidget* MaxYList() const { return m_pMaxY; }
  // The radio of a measure (kPerfVehicles .. kPerfSurfaceSpeed).
  QRadioButton* MeasureRadio(int measure) const;
  QLabel* UnitText() const { return m_pUnit; }

  int Measure() const { return m_sel.Measure(); }
  int MinYIndex() const;
  int MaxYIndex() const;
  // Checks the measure's radio, refills Min Y and Max Y with its items,
  // selects its remembered ones and repaints the chart.
  void SetMeasure(int measure);

protected:
  void OnInitDialog() override;

private:
  void Refresh();

  PerformanceSelections m_sel;
  QButtonGroup* m_pMeasures;
  QListWidget* m_pMinY;
  QListWidget* m_pMaxY;
  QLabel* m_pUnit;
  CInfoPreviewWndPerformance* m_pPerfChart;
};
