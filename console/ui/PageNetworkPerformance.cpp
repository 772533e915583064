#include "PageNetworkPerformance.h"

#include <QBoxLayout>
#include <QLabel>

#include "InfoPreview.h"

CPageNetworkPerformance::CPageNetworkPerformance(std::shared_ptr<const InfoSheetHooks> hooks, QWidget* parent)
    : CMinMaxPage(kChartTop, PerformanceSelections(), std::move(hooks), parent)
{
  auto* row = new QHBoxLayout(Controls());
  AddMeasureGroup(row,
                  {{"Number of Vehicles in Network", kPerfVehicles},
                   {"Average Speed on Freeway", kPerfFreewaySpeed},
                   {"Average Speed on Surface Streets", kPerfSurfaceSpeed},
                   {"Average Travel Time", kPerfTravelTime}},
                  0);
  AddRangeLists(row);
  auto* texts = new QVBoxLayout;
  m_pUnit = new QLabel(PerformanceUnitText(kPerfVehicles));
  m_pUnit->setWordWrap(true);
  texts->addWidget(m_pUnit);
  texts->addWidget(new QLabel("X-axis unit: Minute"));
  texts->addStretch(1);
  row->addLayout(texts, 1);

  m_pPerfChart = new CInfoPreviewWndPerformance(this, m_hooks);
  SetChart(m_pPerfChart);
}

void CPageNetworkPerformance::ShowMeasureText(int measure)
{
  m_pUnit->setText(PerformanceUnitText(measure));
}
