#include "PageTDLink.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>
#include <QSignalBlocker>

#include "CDrawLine.h"
#include "GlobalArrays.h"
#include "InfoPreview.h"

CPageTDLink::CPageTDLink(std::shared_ptr<const InfoSheetHooks> hooks, QWidget* parent)
    : CInfoPage(kChartTop, std::move(hooks), parent)
{
  auto* row = new QHBoxLayout(Controls());
  m_pLinks = new QListWidget;
  m_pLinks->setAccessibleName("Links");
  m_pLinks->setFixedWidth(170);
  m_pLinks->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  row->addWidget(m_pLinks);

  auto* radios = new QVBoxLayout;
  m_pMeasures = new QButtonGroup(this);
  const char* names[] = {"Link Density", "Link Speed", "Link Queue"};
  for (int measure = kLinkDensity; measure <= kLinkQueue; ++measure) {
    auto* radio = new QRadioButton(names[measure - 1]);
    m_pMeasures->addButton(radio, measure);
    radios->addWidget(radio);
  }
  m_pObservedOnly = new QCheckBox("Show links with obs only");
  radios->addWidget(m_pObservedOnly);
  radios->addStretch(1);
  row->addLayout(radios);

  AddTimeLists(row);
  m_pMaxY = AddList(row, "Max Y:", 60);
  auto* texts = new QVBoxLayout;
  m_pUnit = new QLabel(LinkMeasureChoiceFor(kLinkDensity).unitText);
  m_pUnit->setWordWrap(true);
  texts->addWidget(m_pUnit);
  texts->addWidget(new QLabel("X-axis unit: Minute"));
  texts->addStretch(1);
  row->addLayout(texts, 1);

  m_pLinkChart = new CInfoPreviewWndLink(this, m_hooks);
  SetChart(m_pLinkChart);

  connect(m_pLinks, &QListWidget::currentRowChanged, this, &CPageTDLink::OnLinkLineChanged);
  connect(m_pMeasures, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
    if (checked)
      OnMeasure(id);
  });
  connect(m_pObservedOnly, &QCheckBox::toggled, this, &CPageTDLink::OnObservedOnly);
  for (QListWidget* list : {BeginList(), EndList(), m_pMaxY})
    connect(list, &QListWidget::currentRowChanged, this, [this] { InvalidateChart(); });
}

QRadioButton* CPageTDLink::MeasureRadio(int measure) const
{
  return qobject_cast<QRadioButton*>(m_pMeasures->button(measure));
}

int CPageTDLink::MaxYIndex() const
{
  return m_pMaxY->currentRow();
}

void CPageTDLink::OnInitDialog()
{
  FillLinkList();
  if (!g_SelectedLinks.empty() && g_SelectedLinks.back())
    ShowLinkLine(g_SelectedLinks.back()->m_nIndex);
  FillTimeLists();
  {
    QSignalBlocker block(m_pMeasures);
    MeasureRadio(kLinkDensity)->setChecked(true);
  }
  OnMeasure(kLinkDensity);
}

void CPageTDLink::FillLinkList()
{
  m_list = BuildLinkList(g_LineArray, ObservedOnly());
  FillList(m_pLinks, m_list.lines);
  SelectRow(m_pLinks, 0);
}

void CPageTDLink::ShowLinkLine(int link)
{
  int line = m_list.LineOfLink(link);
  if (line >= 0 && line != m_pLinks->currentRow())
    SelectRow(m_pLinks, line);
}

void CPageTDLink::OnLinkLineChanged(int line)
{
  int link = m_list.LinkOfLine(line);
  if (link < 0)
    return;
  m_hooks->selectLink(link);
  RepaintChart();
  SelectRow(m_pLinks, line);
}

void CPageTDLink::OnMeasure(int measure)
{
  LinkMeasureChoice choice = LinkMeasureChoiceFor(measure);
  m_pLinkChart->SetMeasure(choice.chartMeasure);
  FillList(m_pMaxY, choice.maxYItems);
  SelectRow(m_pMaxY, choice.selectedItem);
  m_pUnit->setText(choice.unitText);
  InvalidateChart();
}

void CPageTDLink::OnObservedOnly(bool checked)
{
  m_bObservedOnly = checked ? 1 : 0;
  FillLinkList();
}
