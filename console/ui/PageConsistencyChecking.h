// The consistency checking page "Consistency Checking": long-term or
// short-term values, the time range and the Min Y / Max Y items of the
// consistency chart, remembered per measure (ConsistencySelections).
#pragma once

#include "InfoPage.h"
#include "InfoPageLogic.h"

class CInfoPreviewWndCstCheck;
class QButtonGroup;
class QLabel;
class QListWidget;
class QRadioButton;

class CPageConsistencyChecking : public CInfoPage
{
  Q_OBJECT
public:
  static constexpr int kChartTop = 155;

  CPageConsistencyChecking(std::shared_ptr<const InfoSheetHooks> hooks, QWidget* parent = nullptr);

  CInfoPreviewWndCstCheck* ConsistencyChart() const { return m_pCstChart; }
  QListWidget* MinYList() const { return m_pMinY; }
  QListWidget* MaxYList() const { return m_pMaxY; }
  QRadioButton* MeasureRadio(int measure) const;
  QLabel* DescriptionText() const { return m_pText; }

  int Measure() const { return m_sel.Measure(); }
  int MinYIndex() const;
  int MaxYIndex() const;
  // Checks the measure's radio, sets the description, refills Min Y and
  // Max Y, selects the remembered items and repaints the chart.
  void SetMeasure(int measure);

protected:
  void OnInitDialog() override;

private:
  void Refresh();

  ConsistencySelections m_sel;
  QButtonGroup* m_pMeasures;
  QListWidget* m_pMinY;
  QListWidget* m_pMaxY;
  QLabel* m_pText;
  CInfoPreviewWndCstCheck* m_pCstChart;
};
