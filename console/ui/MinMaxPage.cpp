#include "MinMaxPage.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QGroupBox>
#include <QListWidget>
#include <QRadioButton>
#include <QSignalBlocker>

CMinMaxPage::CMinMaxPage(int chartTop, MinMaxSelections selections,
                         std::shared_ptr<const InfoSheetHooks> hooks, QWidget* parent)
    : CInfoPage(chartTop, std::move(hooks), parent), m_sel(std::move(selections)),
      m_pMeasures(new QButtonGroup(this))
{
  connect(m_pMeasures, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
    if (checked)
      SetMeasure(id);
  });
}

QVBoxLayout* CMinMaxPage::AddMeasureGroup(QBoxLayout* row,
                                          std::initializer_list<std::pair<const char*, int>> radios,
                                          int stretch)
{
  auto* group = new QGroupBox("MOE:");
  auto* column = new QVBoxLayout(group);
  for (auto [text, measure] : radios) {
    auto* radio = new QRadioButton(text);
    m_pMeasures->addButton(radio, measure);
    column->addWidget(radio);
  }
  row->addWidget(group, stretch);
  return column;
}

void CMinMaxPage::AddRangeLists(QBoxLayout* row)
{
  AddTimeLists(row);
  m_pMinY = AddList(row, "Min Y:", 80);
  m_pMaxY = AddList(row, "Max Y:", 80);
  for (QListWidget* list : {BeginList(), EndList()})
    connect(list, &QListWidget::currentRowChanged, this, [this] { RepaintChart(); });
  connect(m_pMinY, &QListWidget::currentRowChanged, this, [this](int item) {
    m_sel.MinChanged(item);
    RepaintChart();
  });
  connect(m_pMaxY, &QListWidget::currentRowChanged, this, [this](int item) {
    m_sel.MaxChanged(item);
    RepaintChart();
  });
}

QRadioButton* CMinMaxPage::MeasureRadio(int measure) const
{
  return qobject_cast<QRadioButton*>(m_pMeasures->button(measure));
}

int CMinMaxPage::MinYIndex() const
{
  return m_pMinY->currentRow();
}

int CMinMaxPage::MaxYIndex() const
{
  return m_pMaxY->currentRow();
}

void CMinMaxPage::OnInitDialog()
{
  FillTimeLists();
  SetMeasure(0);
}

void CMinMaxPage::SetMeasure(int measure)
{
  m_sel.SetMeasure(measure);
  {
    QSignalBlocker block(m_pMeasures);
    MeasureRadio(m_sel.Measure())->setChecked(true);
  }
  ShowMeasureText(m_sel.Measure());
  MinMaxItems items = ItemsFor(m_sel.Measure());
  FillList(m_pMinY, items.minItems);
  FillList(m_pMaxY, items.maxItems);
  SelectRow(m_pMinY, m_sel.MinItem());
  SelectRow(m_pMaxY, m_sel.MaxItem());
  RepaintChart();
}
