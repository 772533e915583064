#include "CDlgIncident.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include "DialogLists.h"

using namespace dialog_widgets;

CDlgIncident::CDlgIncident(ICommandSender& sender, QWidget* parent, IOperatorPrompts* prompts)
    : OperatorDialog("Incident Input", parent, prompts), m_sender(sender),
      m_linkList(Make<QListWidget>(this, "linkList")), m_start(Make<QComboBox>(this, "startTime")),
      m_end(Make<QComboBox>(this, "endTime")), m_severity(Make<QComboBox>(this, "severity")),
      m_incidentList(Make<QListWidget>(this, "incidentList"))
{
  const EditButtons buttons = MakeEditButtons(this);

  auto* grid = new QGridLayout(this);
  grid->addWidget(Caption("Link List:", m_linkList, this), 0, 0);
  grid->addWidget(m_linkList, 1, 0, 6, 1);
  grid->addWidget(Caption("Start Time:(min)", m_start, this), 0, 1);
  grid->addWidget(m_start, 1, 1);
  grid->addWidget(Caption("End Time:(min)", m_end, this), 2, 1);
  grid->addWidget(m_end, 3, 1);
  grid->addWidget(Caption("Severity:", m_severity, this), 4, 1);
  grid->addWidget(m_severity, 5, 1);
  grid->addWidget(Caption("Incident List:", m_incidentList, this), 7, 0, 1, 2);
  grid->addWidget(m_incidentList, 8, 0, 1, 2);
  grid->addLayout(buttons.Row(), 9, 0, 1, 2);

  connect(buttons.add, &QPushButton::clicked, this, &CDlgIncident::OnAdd);
  connect(buttons.change, &QPushButton::clicked, this, &CDlgIncident::OnChange);
  connect(buttons.remove, &QPushButton::clicked, this, &CDlgIncident::OnDelete);
  connect(buttons.ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(m_incidentList, &QListWidget::currentRowChanged, this, &CDlgIncident::ShowIncident);

  FillCombo(m_start, ClockItems(0, kTimeItems - 1));
  FillCombo(m_end, ClockItems(1, kTimeItems));
  FillCombo(m_severity, SeverityItems());
  FillList(m_linkList, LinkListLines(LinkLineSpacing::kOne));
  RefreshIncidentList();
  const IncidentControls opening;
  SelectRow(m_linkList, opening.linkRow);
  SelectItem(m_start, opening.startItem);
  SelectItem(m_end, opening.endItem);
  SelectItem(m_severity, opening.severityItem);
}

IncidentControls CDlgIncident::Controls() const
{
  return {m_linkList->currentRow(), m_start->currentIndex(), m_end->currentIndex(),
          m_severity->currentIndex()};
}

void CDlgIncident::OnAdd()
{
  if (AddIncident(Controls(), m_sender, Prompts()))
    RefreshIncidentList();
}

void CDlgIncident::OnChange()
{
  const int position = m_incidentList->currentRow();
  if (!ChangeIncident(position, Controls(), m_sender, Prompts()))
    return;
  RefreshIncidentList();
  ShowIncident(position);
}

void CDlgIncident::OnDelete()
{
  if (DeleteIncident(m_incidentList->currentRow(), m_sender, Prompts()))
    RefreshIncidentList();
}

void CDlgIncident::RefreshIncidentList()
{
  FillList(m_incidentList, IncidentListLines());
  SelectLastRow(m_incidentList);
}

void CDlgIncident::ShowIncident(int position)
{
  IncidentControls c;
  if (!IncidentControlsOf(position, c))
    return;
  if (c.linkRow >= 0)
    SelectRow(m_linkList, c.linkRow);
  SelectItem(m_start, c.startItem);
  SelectItem(m_end, c.endItem);
  SelectItem(m_severity, c.severityItem);
  SelectRow(m_incidentList, position);
}
