#include "PageConsistencyChecking.h"

#include <QBoxLayout>
#include <QLabel>

#include "InfoPreview.h"

CPageConsistencyChecking::CPageConsistencyChecking(std::shared_ptr<const InfoSheetHooks> hooks,
                                                   QWidget* parent)
    : CMinMaxPage(kChartTop, ConsistencySelections(), std::move(hooks), parent)
{
  auto* row = new QHBoxLayout(Controls());
  QVBoxLayout* group = AddMeasureGroup(
      row,
      {{"Long Term Consistency Checking", kCstLongTerm}, {"Short Term Consistency Checking", kCstShortTerm}},
      1);
  m_pText = new QLabel(ConsistencyText(kCstLongTerm));
  m_pText->setWordWrap(true);
  group->addWidget(m_pText);
  AddRangeLists(row);

  m_pCstChart = new CInfoPreviewWndCstCheck(this, m_hooks);
  SetChart(m_pCstChart);
}

void CPageConsistencyChecking::ShowMeasureText(int measure)
{
  m_pText->setText(ConsistencyText(measure));
}
