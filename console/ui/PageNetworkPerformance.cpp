#include "PageNetworkPerformance.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>
#include <QSignalBlocker>

#include "InfoPreview.h"

CPageNetworkPerformance::CPageNetworkPerformance(std::shared_ptr<const InfoSheetHooks> hooks, QWidget* parent)
    : CInfoPage(kChartTop, std::move(hooks), parent)
{
  auto* row = new QHBoxLayout(Controls());
  auto* group = new QGroupBox("MOE:");
  auto* radios = new QVBoxLayout(group);
  m_pMeasures = new QButtonGroup(this);
  struct Radio
  {
    const char* text;
    int measure;
  } order[] = {{"Number of Vehicles in Network", kPerfVehicles},
               {"Average Speed on Freeway", kPerfFreewaySpeed},
               {"Average Speed on Surface Streets", kPerfSurfaceSpeed},
               {"Average Travel Time", kPerfTravelTime}};
  for (const Radio& r : order) {
    auto* radio = new QRadioButton(r.text);
    m_pMeasures->addButton(radio, r.measure);
    radios->addWidget(radio);
  }
  row->addWidget(group);

  AddTimeLists(row);
  m_pMinY = AddList(row, "Min Y:", 80);
  m_pMaxY = AddList(row, "Max Y:", 80);
  auto* texts = new QVBoxLayout;
  m_pUnit = new QLabel(PerformanceUnitText(kPerfVehicles));
  m_pUnit->setWordWrap(true);
  texts->addWidget(m_pUnit);
  texts->addWidget(new QLabel("X-axis unit: Minute"));
  texts->addStretch(1);
  row->addLayout(texts, 1);

  m_pPerfChart = new CInfoPreviewWndPerformance(this, m_hooks);
  SetChart(m_pPerfChart);

  connect(m_pMeasures, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
    if (!checked)
      return;
    SetMeasure(id);
    m_pUnit->setText(PerformanceUnitText(id));
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

QRadioButton* CPageNetworkPerformance::MeasureRadio(int measure) const
{
  return qobject_cast<QRadioButton*>(m_pMeasures->button(measure));
}

int CPageNetworkPerformance::MinYIndex() const
{
  return m_pMinY->currentRow();
}

int CPageNetworkPerformance::MaxYIndex() const
{
  return m_pMaxY->currentRow();
}

void CPageNetworkPerformance::OnInitDialog()
{
  FillTimeLists();
  SetMeasure(kPerfVehicles);
}

void CPageNetworkPerformance::SetMeasure(int measure)
{
  m_sel.SetMeasure(measure);
  {
    QSignalBlocker block(m_pMeasures);
    MeasureRadio(m_sel.Measure())->setChecked(true);
  }
  MinMaxItems items = PerformanceItems(m_sel.Measure());
  FillList(m_pMinY, items.minItems);
  FillList(m_pMaxY, items.maxItems);
  SelectRow(m_pMinY, m_sel.MinItem());
  SelectRow(m_pMaxY, m_sel.MaxItem());
  Refresh();
}

void CPageNetworkPerformance::Refresh()
{
  RepaintChart();
}
