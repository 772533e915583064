#include "InfoPage.h"

#include <QBoxLayout>
#include <QLabel>
#include <QListWidget>

#include "ChartWnd.h"
#include "InfoPageLogic.h"
#include "ResultStores.h"

CInfoPage::CInfoPage(int chartTop, std::shared_ptr<const InfoSheetHooks> hooks, QWidget* parent)
    : QWidget(parent), m_hooks(std::move(hooks)), m_nChartTop(chartTop), m_pControls(new QWidget(this))
{
  setMinimumSize(660, chartTop + kChartMinHeight + 10);
}

void CInfoPage::SetChart(CChartWnd* chart)
{
  m_pChart = chart;
  m_pChart->hide();
  PlaceChildren();
}

QListWidget* CInfoPage::AddList(QBoxLayout* row, const QString& caption, int width)
{
  auto* column = new QVBoxLayout;
  auto* label = new QLabel(caption);
  auto* list = new QListWidget;
  label->setBuddy(list);
  list->setAccessibleName(caption);
  list->setFixedWidth(width);
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  column->addWidget(label);
  column->addWidget(list, 1);
  row->addLayout(column);
  return list;
}

void CInfoPage::AddTimeLists(QBoxLayout* row)
{
  m_pBegin = AddList(row, "Begin Time:", 70);
  m_pEnd = AddList(row, "End Time:", 70);
}

void CInfoPage::FillTimeLists()
{
  FillList(m_pBegin, BeginTimeItems());
  FillList(m_pEnd, EndTimeItems());
  SelectRow(m_pBegin, BeginItemForWindowStart(g_ChartWindowStart));
  SelectRow(m_pEnd, EndItemForWindowEnd(g_ChartWindowEnd));
}

TimeRange CInfoPage::Range() const
{
  if (!m_pBegin || !m_pEnd)
    return {};
  return TimeRangeFromLists(m_pBegin->currentRow(), m_pEnd->currentRow());
}

void CInfoPage::RepaintChart()
{
  if (m_pChart && m_pChart->isVisible())
    m_pChart->repaint();
}

void CInfoPage::InvalidateChart()
{
  if (m_pChart)
    m_pChart->update();
}

void CInfoPage::EnsureInitialized()
{
  if (m_bInitialized)
    return;
  m_bInitialized = true;
  setMinimumHeight(minimumHeight() + kGrowth);
  OnInitDialog();
  if (m_pChart)
    m_pChart->show();
}

void CInfoPage::showEvent(QShowEvent* event)
{
  EnsureInitialized();
  QWidget::showEvent(event);
}

void CInfoPage::resizeEvent(QResizeEvent* event)
{
  PlaceChildren();
  QWidget::resizeEvent(event);
}

void CInfoPage::PlaceChildren()
{
  m_pControls->setGeometry(0, 0, width(), std::max(m_nChartTop - 5, 0));
  if (m_pChart)
    m_pChart->setGeometry(20, m_nChartTop, std::max(width() - 40, 0),
                          std::max(height() - m_nChartTop - 10, 0));
}
