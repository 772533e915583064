#include "PageODTable.h"

#include <QBoxLayout>
#include <QLabel>
#include <QListWidget>

#include "CProject.h"
#include "InfoPageLogic.h"
#include "InfoPreview.h"

CPageODTable::CPageODTable(std::shared_ptr<const InfoSheetHooks> hooks, QWidget* parent)
    : CInfoPage(kChartTop, std::move(hooks), parent)
{
  auto* row = new QHBoxLayout(Controls());
  m_pOrigin = AddList(row, "Origin ID:", 70);
  m_pDestination = AddList(row, "Destination ID:", 90);
  AddTimeLists(row);
  m_pMaxY = AddList(row, "Max Y:", 70);
  auto* texts = new QVBoxLayout;
  texts->addWidget(new QLabel("Y-axis unit: Number of vehicles generated."));
  texts->addWidget(new QLabel("X-axis unit: Minute"));
  texts->addStretch(1);
  row->addLayout(texts, 1);

  m_pODChart = new CInfoPreviewWndOD(this, m_hooks);
  SetChart(m_pODChart);
  for (QListWidget* list : {m_pOrigin, m_pDestination, BeginList(), EndList(), m_pMaxY})
    connect(list, &QListWidget::currentRowChanged, this, [this] { RepaintChart(); });
}

int CPageODTable::OriginIndex() const
{
  return m_pOrigin->currentRow();
}

int CPageODTable::DestinationIndex() const
{
  return m_pDestination->currentRow();
}

int CPageODTable::MaxYIndex() const
{
  return m_pMaxY->currentRow();
}

void CPageODTable::OnInitDialog()
{
  // The zone lists keep the zone count of this moment.
  int zones = ClampedODSize(g_Project);
  FillList(m_pOrigin, ODZoneItems(zones));
  FillList(m_pDestination, ODZoneItems(zones));
  SelectRow(m_pOrigin, ODOriginFirstItem(zones));
  SelectRow(m_pDestination, ODDestinationFirstItem(zones));
  FillList(m_pMaxY, ODMaxYItems());
  SelectRow(m_pMaxY, kODMaxYFirstItem);
  FillTimeLists();
}

void CPageODTable::SetODPair(int origin, int destination)
{
  EnsureInitialized();
  if (origin >= 0 && origin < m_pOrigin->count())
    SelectRow(m_pOrigin, origin);
  if (destination >= 0 && destination < m_pDestination->count())
    SelectRow(m_pDestination, destination);
  RepaintChart();
}
