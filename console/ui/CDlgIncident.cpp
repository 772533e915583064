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
    : OperatorDialog("Incident Input", parent, prompts), m_sender(sender), m_linkList(new QListWidget(this)),
      m_start(new QComboBox(this)), m_end(new QComboBox(this)), m_severity(new QComboBox(this)),
      m_incidentList(new QListWidget(this))
{
  m_linkList->setObjectName("linkList");
  m_start->setObjectName("startTime");
  m_end->setObjectName("endTime");
  m_severity->setObjectName("severity");
  m_incidentList->setObjectName("incidentList");
  QPushButton* add = Button("Add", this);
  QPushButton* change = Button("Change", this);
  QPushButton* remove = Button("Delete", this);
  QPushButton* ok = Button("OK", this);

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
  auto* buttons = new QHBoxLayout;
  for (QPushButton* b : {add, change, remove, ok})
    buttons->addWidget(b);
  grid->addLayout(buttons, 9, 0, 1, 2);

  connect(add, &QPushButton::clicked, this, &CDlgIncident::OnAdd);
  connect(change, &QPushButton::clicked, this, &CDlgIncident::OnChange);
  connect(remove, &QPushButton::clicked, this, &CDlgIncident::OnDelete);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
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
