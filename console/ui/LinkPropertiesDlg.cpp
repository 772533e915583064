#include "LinkPropertiesDlg.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>

#include "DialogLists.h"
#include "ResultStores.h"

using namespace dialog_widgets;

namespace {

// Shows a value in a spin box whose arrows step within its range; a link's
// own value outside the range widens it, so that it is shown and kept as it
// is.
void ShowInSpin(QSpinBox* spin, SpinRange range, int value)
{
  spin->setRange(std::min(range.lo, value), std::max(range.hi, value));
  spin->setValue(value);
}

}  // namespace

LinkPropertiesDlg::LinkPropertiesDlg(std::filesystem::path runDir, QWidget* parent, IOperatorPrompts* prompts)
    : OperatorDialog("Link Property Modification", parent, prompts), m_runDir(std::move(runDir)),
      m_linkList(Make<QListWidget>(this, "linkList")), m_start(Make<QComboBox>(this, "startTime")),
      m_end(Make<QComboBox>(this, "endTime")), m_linkType(Make<QComboBox>(this, "linkType")),
      m_name(new QLineEdit(this)), m_length(new QSpinBox(this)), m_lanes(Make<QSpinBox>(this, "lanes")),
      m_leftBays(new QSpinBox(this)), m_speedLimit(new QSpinBox(this)), m_serviceFlow(new QSpinBox(this)),
      m_flowModel(new QSpinBox(this)), m_rightBays(new QSpinBox(this)), m_speedAdjust(new QSpinBox(this)),
      m_satFlow(new QSpinBox(this)), m_grade(new QSpinBox(this)),
      m_modList(Make<QListWidget>(this, "modList"))
{
  const EditButtons buttons = MakeEditButtons(this);

  auto* grid = new QGridLayout(this);
  grid->addWidget(Caption("Link List:", m_linkList, this), 0, 0);
  grid->addWidget(m_linkList, 1, 0, 15, 1);
  int row = 0;
  struct Field
  {
    const char* caption;
    QWidget* control;
  };
  const Field fields[] = {
      {"Start Time:(min)", m_start},
      {"End Time:(min)", m_end},
      {"Link Type:", m_linkType},
      {"Name:", m_name},
      {"Length (feet):", m_length},
      {"Num Lanes:", m_lanes},
      {"Left Turn Bays:", m_leftBays},
      {"Speed Limit(mph):", m_speedLimit},
      {"Service Flow(pcphpl):", m_serviceFlow},
      {"Traffic Flow Model:", m_flowModel},
      {"Right Turn Bay:", m_rightBays},
      {"Speed Adj. Factor:", m_speedAdjust},
      {"Saturation Flow (vphpl):", m_satFlow},
      {"Grade (%):", m_grade},
  };
  for (const Field& f : fields) {
    grid->addWidget(Caption(f.caption, f.control, this), row, 1);
    grid->addWidget(f.control, row++, 2);
  }
  grid->addWidget(Caption("Modified Link List:", m_modList, this), 16, 0, 1, 3);
  grid->addWidget(m_modList, 17, 0, 1, 3);
  grid->addLayout(buttons.Row(), 18, 0, 1, 3);
  for (QWidget* w :
       std::initializer_list<QWidget*>{m_length, m_leftBays, m_rightBays, m_speedAdjust, m_grade})
    w->setEnabled(false);

  connect(buttons.add, &QPushButton::clicked, this, &LinkPropertiesDlg::OnAddModification);
  connect(buttons.change, &QPushButton::clicked, this, &LinkPropertiesDlg::OnChangeModification);
  connect(buttons.remove, &QPushButton::clicked, this, &LinkPropertiesDlg::OnDeleteModification);
  connect(buttons.ok, &QPushButton::clicked, this, &LinkPropertiesDlg::accept);
  connect(m_linkList, &QListWidget::currentRowChanged, this, &LinkPropertiesDlg::ShowLinkAttributes);
  connect(m_modList, &QListWidget::currentRowChanged, this, &LinkPropertiesDlg::SelectModifiedLink);

  FillCombo(m_start, ClockItems(0, kTimeItems - 1));
  FillCombo(m_end, ClockItems(1, kTimeItems));
  FillCombo(m_linkType, LinkTypeItems());
  FillList(m_linkList, LinkListLines(LinkLineSpacing::kOne));
  const LinkModControls opening;
  SelectRow(m_linkList, opening.linkRow);
  SelectItem(m_start, opening.startItem);
  SelectItem(m_end, opening.endItem);
  ShowLinkAttributes();
  RefreshModificationList();
  SelectModifiedLink();
}

void LinkPropertiesDlg::ShowValues()
{
  SelectItem(m_linkType, m_values.linkTypeIndex);
  ShowInSpin(m_length, kLengthRange, m_values.length);
  ShowInSpin(m_lanes, kLanesRange, m_values.lanes);
  ShowInSpin(m_leftBays, kLeftBaysRange, m_values.leftBays);
  ShowInSpin(m_speedLimit, kSpeedLimitRange, m_values.speedLimit);
  ShowInSpin(m_serviceFlow, kServiceFlowRange, m_values.serviceFlow);
  ShowInSpin(m_flowModel, kFlowModelRange, m_values.flowModel);
  ShowInSpin(m_rightBays, kRightBaysRange, m_values.rightBays);
  ShowInSpin(m_speedAdjust, kSpeedAdjustRange, m_values.speedAdjust);
  ShowInSpin(m_satFlow, kSatFlowRange, m_values.satFlow);
  ShowInSpin(m_grade, kGradeRange, m_values.grade);
}

void LinkPropertiesDlg::ShowLinkAttributes()
{
  const CDrawLine* link = LinkAtRow(m_linkList->currentRow());
  if (!link)
    return;
  m_values = LinkModValuesOf(*link, m_values.speedAdjust);
  ShowValues();
}

LinkModControls LinkPropertiesDlg::Controls()
{
  // A link type that the list cannot show stays as the link has it.
  if (m_linkType->currentIndex() >= 0)
    m_values.linkTypeIndex = m_linkType->currentIndex();
  m_values.length = m_length->value();
  m_values.lanes = m_lanes->value();
  m_values.leftBays = m_leftBays->value();
  m_values.speedLimit = m_speedLimit->value();
  m_values.serviceFlow = m_serviceFlow->value();
  m_values.flowModel = m_flowModel->value();
  m_values.rightBays = m_rightBays->value();
  m_values.speedAdjust = m_speedAdjust->value();
  m_values.satFlow = m_satFlow->value();
  m_values.grade = m_grade->value();
  LinkModControls c;
  c.linkRow = m_linkList->currentRow();
  c.startItem = m_start->currentIndex();
  c.endItem = m_end->currentIndex();
  c.values = m_values;
  return c;
}

void LinkPropertiesDlg::OnAddModification()
{
  if (AddLinkMod(Controls(), Prompts()))
    RefreshModificationList();
}

void LinkPropertiesDlg::OnChangeModification()
{
  if (ChangeLinkMod(m_modList->currentRow(), Controls(), Prompts()))
    RefreshModificationList();
}

void LinkPropertiesDlg::OnDeleteModification()
{
  if (DeleteLinkMod(m_modList->currentRow(), g_CurrentMinute.load(), Prompts()))
    RefreshModificationList();
}

void LinkPropertiesDlg::SelectModifiedLink()
{
  const int row = LinkModLinkRow(m_modList->currentRow());
  if (row >= 0)
    SelectRow(m_linkList, row);
}

void LinkPropertiesDlg::RefreshModificationList()
{
  FillList(m_modList, LinkModListLines());
  SelectLastRow(m_modList);
}

void LinkPropertiesDlg::accept()
{
  WriteNewNetworkFileIn(m_runDir, Prompts());
  OperatorDialog::accept();
}
