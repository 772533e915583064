#include "PageConsistencyChecking.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>
#include <QSignalBlocker>

#include "InfoPreview.h"

CPageConsistencyChecking::CPageConsistencyChecking(std::shared_ptr<const InfoSheetHooks> hooks,
                                                   QWidget* parent)
    : CInfoPage(kChartTop, std::move(hooks), parent)
{
  auto* row = new QHBoxLayout(Controls());
  auto* group = new QGroupBox("MOE:");
  auto* radios = new QVBoxLayout(group);
  m_pMeasures = new QButtonGroup(this);
  auto* longTerm = new QRadioButton("Long Term Consistency Checking");
  auto* shortTerm = new QRadioButton("Short Term Consistency Checking");
  m_pMeasures->addButton(longTerm, kCstLongTerm);
  m_pMeasures->addButton(shortTerm, kCstShortTerm);
  radios->addWidget(longTerm);
  radios->addWidget(shortTerm);
  m_pText = new QLabel(ConsistencyText(kCstLongTerm));
  m_pText->setWordWrap(true);
  radios->addWidget(m_pText);
  row->addWidget(group, 1);

  AddTimeLists(row);
  m_pMinY = AddList(row, "Min Y:", 80);
  m_pMaxY = AddList(row, "Max Y:", 80);

  m_pCstChart = new CInfoPreviewWndCstCheck(this, m_hooks);
  SetChart(m_pCstChart);

  connect(m_pMeasures, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
    if (checked)
      SetMeasure(id);
  });
  for (QListWidget* list : {BeginList(), EndList()})
    connect(list, &QListWidget::currentRowChanged, this, [this] { Refresh(); });
  connect(m_pMinY, &QListWidget::currentRowChanged, this, [this](int row) {
    m_sel.MinChanged(row);
    Refresh();
  });
  connect(m_pMaxY, &QListWidget::currentRowChanged, this, [this](int row) {
    m_sel.MaxChanged(row);
    Refresh();
  });
}

QRadioButton* CPageConsistencyChecking::MeasureRadio(int measure) const
{
  return qobject_cast<QRadioButton*>(m_pMeasures->button(measure));
}

int CPageConsistencyChecking::MinYIndex() const
{
  return m_pMinY->currentRow();
}

int CPageConsistencyChecking::MaxYIndex() const
{
  return m_pMaxY->currentRow();
}

void CPageConsistencyChecking::OnInitDialog()
{
  FillTimeLists();
  SetMeasure(kCstLongTerm);
}

void CPageConsistencyChecking::SetMeasure(int measure)
{
  m_sel.SetMeasure(measure);
  {
    QSignalBlocker block(m_pMeasures);
    MeasureRadio(m_sel.Measure())->setChecked(true);
  }
  m_pText->setText(ConsistencyText(m_sel.Measure()));
  MinMaxItems items = ConsistencyItems(m_sel.Measure());
  FillList(m_pMinY, items.minItems);
  FillList(m_pMaxY, items.maxItems);
  SelectRow(m_pMinY, m_sel.MinItem());
  SelectRow(m_pMaxY, m_sel.MaxItem());
  Refresh();
}

void CPageConsistencyChecking::Refresh()
{
  RepaintChart();
}
