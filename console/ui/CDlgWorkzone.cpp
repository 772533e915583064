#include "CDlgWorkzone.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "DialogLists.h"

using namespace dialog_widgets;

CDlgWorkzone::CDlgWorkzone(ICommandSender& sender, std::function<void()> redrawViews, QWidget* parent,
                           IOperatorPrompts* prompts)
    : OperatorDialog("Work Zone Input ", parent, prompts), m_sender(sender),
      m_redrawViews(std::move(redrawViews)), m_linkList(Make<QListWidget>(this, "linkList")),
      m_start(Make<QComboBox>(this, "startTime")), m_end(Make<QComboBox>(this, "endTime")),
      m_capacity(Make<QComboBox>(this, "capacity")), m_speedLimit(Make<QLineEdit>(this, "speedLimit")),
      m_dischargeRate(Make<QLineEdit>(this, "dischargeRate")),
      m_workZoneList(Make<QListWidget>(this, "workZoneList"))
{
  const EditButtons buttons = MakeEditButtons(this);

  auto* grid = new QGridLayout(this);
  grid->addWidget(Caption("Link List:", m_linkList, this), 0, 0);
  grid->addWidget(m_linkList, 1, 0, 10, 1);
  int row = 0;
  for (auto [caption, control] : std::initializer_list<std::pair<const char*, QWidget*>>{
           {"Start Time: (min)", m_start},
           {"End Time: (min)", m_end},
           {"Capacity Reduction Rate:", m_capacity},
           {"Speed Limit: (mph)", m_speedLimit},
           {"Queue Discharge Rate: (veh/hr/ln)", m_dischargeRate}}) {
    grid->addWidget(Caption(caption, control, this), row++, 1);
    grid->addWidget(control, row++, 1);
  }
  grid->addWidget(Caption("Work Zone List:", m_workZoneList, this), 11, 0, 1, 2);
  grid->addWidget(m_workZoneList, 12, 0, 1, 2);
  grid->addLayout(buttons.Row(), 13, 0, 1, 2);

  connect(buttons.add, &QPushButton::clicked, this, &CDlgWorkzone::OnAdd);
  connect(buttons.change, &QPushButton::clicked, this, &CDlgWorkzone::OnChange);
  connect(buttons.remove, &QPushButton::clicked, this, &CDlgWorkzone::OnDelete);
  connect(buttons.ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(m_workZoneList, &QListWidget::currentRowChanged, this, &CDlgWorkzone::ShowWorkZone);

  const WorkZoneControls opening;
  m_speedLimit->setText(Q(opening.speedLimit));
  m_dischargeRate->setText(Q(opening.dischargeRate));
  FillCombo(m_start, NumberItems(0, kTimeItems - 1));
  FillCombo(m_end, NumberItems(1, kTimeItems));
  FillCombo(m_capacity, CapacityItems());
  FillList(m_linkList, LinkListLines(LinkLineSpacing::kOne));
  RefreshWorkZoneList();
  SelectRow(m_linkList, opening.linkRow);
  SelectItem(m_start, opening.startItem);
  SelectItem(m_end, opening.endItem);
  SelectItem(m_capacity, opening.capacityItem);
  if (m_workZoneList->count() > 0)
    ShowWorkZone(m_workZoneList->count() - 1);
}

WorkZoneControls CDlgWorkzone::Controls() const
{
  return {m_linkList->currentRow(),
          m_start->currentIndex(),
          m_end->currentIndex(),
          m_capacity->currentIndex(),
          m_speedLimit->text().toStdString(),
          m_dischargeRate->text().toStdString()};
}

void CDlgWorkzone::OnAdd()
{
  if (!AddWorkZone(Controls(), m_sender, Prompts()))
    return;
  RefreshWorkZoneList();
  ShowWorkZone(m_workZoneList->count() - 1);
}

void CDlgWorkzone::OnChange()
{
  const int position = m_workZoneList->currentRow();
  if (!ChangeWorkZone(position, Controls(), m_sender, Prompts()))
    return;
  RefreshWorkZoneList();
  ShowWorkZone(position);
}

void CDlgWorkzone::OnDelete()
{
  const int position = m_workZoneList->currentRow();
  if (!DeleteWorkZone(position, m_sender, Prompts()))
    return;
  RefreshWorkZoneList();
  ShowWorkZone(position < m_workZoneList->count() ? position : m_workZoneList->count() - 1);
}

void CDlgWorkzone::RefreshWorkZoneList()
{
  FillList(m_workZoneList, WorkZoneListLines());
}

void CDlgWorkzone::ShowWorkZone(int position)
{
  WorkZoneControls c;
  if (!WorkZoneControlsOf(position, c))
    return;
  if (c.linkRow >= 0)
    SelectRow(m_linkList, c.linkRow);
  SelectItem(m_start, c.startItem);
  SelectItem(m_end, c.endItem);
  SelectItem(m_capacity, c.capacityItem);
  SelectRow(m_workZoneList, position);
  m_speedLimit->setText(Q(c.speedLimit));
  m_dischargeRate->setText(Q(c.dischargeRate));
}

void CDlgWorkzone::done(int result)
{
  if (m_redrawViews)
    m_redrawViews();
  OperatorDialog::done(result);
}
