// The consistency checking page "Consistency Checking": the long-term or
// short-term values, with their Min Y / Max Y items remembered per measure.
#pragma once

#include "MinMaxPage.h"

class CInfoPreviewWndCstCheck;
class QLabel;

class CPageConsistencyChecking : public CMinMaxPage
{
  Q_OBJECT
public:
  static constexpr int kChartTop = 155;

  CPageConsistencyChecking(std::shared_ptr<const InfoSheetHooks> hooks, QWidget* parent = nullptr);

  CInfoPreviewWndCstCheck* ConsistencyChart() const { return m_pCstChart; }
  QLabel* DescriptionText() const { return m_pText; }

protected:
  MinMaxItems ItemsFor(int measure) const override { return ConsistencyItems(measure); }
  void ShowMeasureText(int measure) override;

private:
  QLabel* m_pText;
  CInfoPreviewWndCstCheck* m_pCstChart;
};
