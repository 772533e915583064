#include "CDlgVMSInput.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "CDlgVMSType2.h"
#include "CDrawLine.h"
#include "DialogLists.h"

using namespace dialog_widgets;

namespace {

// Accessible names of the parameter edits while their captions are empty.
const char kParam1Name[] = "first parameter";
const char kParam2Name[] = "second parameter";

}  // namespace

CDlgVMSInput::CDlgVMSInput(ICommandSender& sender, VMSDialogHooks hooks, QWidget* parent,
                           IOperatorPrompts* prompts)
    : OperatorDialog("VMS Data Input Dialog", parent, prompts), m_editor(sender, Prompts()),
      m_hooks(std::move(hooks)), m_linkList(Make<QListWidget>(this, "linkList")),
      m_start(Make<QComboBox>(this, "startTime")), m_end(Make<QComboBox>(this, "endTime")),
      m_types(new QButtonGroup(this)), m_caption1(Make<QLabel>(this, "caption1")),
      m_param1(Make<QLineEdit>(this, "param1")), m_caption2(Make<QLabel>(this, "caption2")),
      m_param2(Make<QLineEdit>(this, "param2")), m_inputSubPath(Button("Input Sub-path", this)),
      m_nowSim(new QRadioButton("NOW_SIM", this)), m_foresim(new QRadioButton("FORESIM", this)),
      m_instance(Make<QComboBox>(this, "instance")), m_vmsList(Make<QListWidget>(this, "vmsList"))
{
  m_instance->setAccessibleName("FORESIM instance");
  m_caption1->setBuddy(m_param1);
  m_caption2->setBuddy(m_param2);
  m_caption1->setWordWrap(true);
  m_caption2->setWordWrap(true);
  m_nowSim->setAccessibleName("NOW_SIM");
  m_foresim->setAccessibleName("FORESIM");
  // Long detour lines scroll sideways.
  m_vmsList->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  const EditButtons buttons = MakeEditButtons(this);

  auto* typeBox = new QGroupBox(this);
  auto* typeLayout = new QVBoxLayout(typeBox);
  for (int type = 1; type <= 4; ++type) {
    auto* radio = new QRadioButton(kVMSTypeNames[type - 1], typeBox);
    radio->setAccessibleName(kVMSTypeNames[type - 1]);
    m_types->addButton(radio, type);
    typeLayout->addWidget(radio);
  }
  auto* targets = new QButtonGroup(this);
  targets->addButton(m_nowSim);
  targets->addButton(m_foresim);

  auto* grid = new QGridLayout(this);
  grid->addWidget(Caption("Link List:", m_linkList, this), 0, 0);
  grid->addWidget(m_linkList, 1, 0, 9, 1);
  grid->addWidget(Caption("Start Time", m_start, this), 0, 1);
  grid->addWidget(m_start, 1, 1);
  grid->addWidget(Caption("End Time", m_end, this), 2, 1);
  grid->addWidget(m_end, 3, 1);
  grid->addWidget(typeBox, 4, 1);
  grid->addWidget(m_caption1, 5, 1);
  grid->addWidget(m_param1, 6, 1);
  grid->addWidget(m_caption2, 7, 1);
  grid->addWidget(m_param2, 8, 1);
  grid->addWidget(m_inputSubPath, 9, 1);
  auto* target = new QHBoxLayout;
  target->addWidget(m_nowSim);
  target->addWidget(m_foresim);
  target->addWidget(m_instance);
  grid->addLayout(target, 10, 0, 1, 2);
  grid->addWidget(Caption("VMS List:", m_vmsList, this), 11, 0, 1, 2);
  grid->addWidget(m_vmsList, 12, 0, 1, 2);
  grid->addLayout(buttons.Row(), 13, 0, 1, 2);

  connect(buttons.add, &QPushButton::clicked, this, &CDlgVMSInput::OnAdd);
  connect(buttons.change, &QPushButton::clicked, this, &CDlgVMSInput::OnChange);
  connect(buttons.remove, &QPushButton::clicked, this, &CDlgVMSInput::OnDelete);
  connect(buttons.ok, &QPushButton::clicked, this, &CDlgVMSInput::OnOK);
  connect(m_inputSubPath, &QPushButton::clicked, this, &CDlgVMSInput::OnInputSubPath);
  connect(m_types, &QButtonGroup::idClicked, this, &CDlgVMSInput::OnType);
  connect(m_nowSim, &QRadioButton::clicked, this, &CDlgVMSInput::OnNowSim);
  connect(m_foresim, &QRadioButton::clicked, this, &CDlgVMSInput::OnForesim);
  connect(m_instance, &QComboBox::currentIndexChanged, this, &CDlgVMSInput::OnInstance);
  connect(m_vmsList, &QListWidget::currentRowChanged, this, &CDlgVMSInput::ShowVMS);
  connect(m_linkList, &QListWidget::currentRowChanged, this, [this](int row) {
    if (row >= 0 && m_hooks.selectLink)
      m_hooks.selectLink(row);
  });

  m_inputSubPath->setEnabled(false);
  FillCombo(m_start, NumberItems(0, kTimeItems - 1));
  FillCombo(m_end, NumberItems(1, kTimeItems));
  m_types->button(kVMSSpeedAdvisory)->setChecked(true);
  FillCombo(m_instance, {"FORESIM0", "FORESIM1"});
  SelectItem(m_instance, -1);
  m_nowSim->setChecked(true);
  m_instance->setEnabled(false);
  FillList(m_linkList, LinkListLines(LinkLineSpacing::kTwo));
  RefreshVMSList();
  const VMSControls opening;
  SelectRow(m_linkList, opening.linkRow);
  SelectItem(m_start, opening.startItem);
  SelectItem(m_end, opening.endItem);
  ApplyTypeControls(ControlsForType(kVMSSpeedAdvisory));
  ShowLastVMS();
}

VMSControls CDlgVMSInput::Controls() const
{
  VMSControls c;
  c.linkRow = m_linkList->currentRow();
  c.startItem = m_start->currentIndex();
  c.endItem = m_end->currentIndex();
  c.type = m_types->checkedId();
  c.param1 = m_param1->text().toStdString();
  c.param2 = m_param2->text().toStdString();
  return c;
}

void CDlgVMSInput::SetCaptions(const std::string& caption1, const std::string& caption2)
{
  m_caption1->setText(Q(caption1));
  m_caption2->setText(Q(caption2));
  m_param1->setAccessibleName(caption1.empty() ? kParam1Name : Q(caption1));
  m_param2->setAccessibleName(caption2.empty() ? kParam2Name : Q(caption2));
}

void CDlgVMSInput::ApplyTypeControls(const VMSTypeControls& controls)
{
  SetCaptions(controls.caption1, controls.caption2);
  m_param1->setText(Q(controls.edit1));
  m_param2->setText(Q(controls.edit2));
  m_param1->setEnabled(controls.editsEnabled);
  m_param2->setEnabled(controls.editsEnabled);
  m_inputSubPath->setEnabled(controls.subPathEnabled);
}

void CDlgVMSInput::OnType(int type)
{
  ApplyTypeControls(m_editor.ChooseType(type));
}

void CDlgVMSInput::OnNowSim()
{
  m_editor.ChooseNowSim();
  m_instance->setEnabled(false);
  RefreshVMSList();
  ShowLastVMS();
}

void CDlgVMSInput::OnForesim()
{
  m_editor.ChooseForesim();
  m_instance->setEnabled(true);
  SelectItem(m_instance, 0);
  RefreshVMSList();
}

void CDlgVMSInput::OnInstance(int instance)
{
  m_editor.ChooseInstance(instance);
  RefreshVMSList();
  ShowLastVMS();
}

void CDlgVMSInput::OnInputSubPath()
{
  const CDrawLine* link = LinkAtRow(m_linkList->currentRow());
  if (!link)
    return;
  CDlgVMSType2 editor(link->m_nToNode, this, &Prompts());
  editor.exec();
  const SubPathCaptions captions = m_editor.TakeSubPath(editor.Links());
  SetCaptions(captions.caption1, captions.caption2);
}

void CDlgVMSInput::OnAdd()
{
  if (!m_editor.Add(Controls()))
    return;
  RefreshVMSList();
  SelectLastRow(m_vmsList);
}

void CDlgVMSInput::OnChange()
{
  const int line = m_vmsList->currentRow();
  if (!m_editor.Change(line, Controls()))
    return;
  RefreshVMSList();
  SelectRow(m_vmsList, line);
}

void CDlgVMSInput::OnDelete()
{
  const int line = m_vmsList->currentRow();
  if (!m_editor.Delete(line))
    return;
  RefreshVMSList();
  ShowVMS(line < m_vmsList->count() ? line : m_vmsList->count() - 1);
}

void CDlgVMSInput::RefreshVMSList()
{
  FillList(m_vmsList, m_editor.ListLines());
  if (m_hooks.redrawViews)
    m_hooks.redrawViews();
}

void CDlgVMSInput::ShowLastVMS()
{
  if (m_vmsList->count() > 0)
    ShowVMS(m_vmsList->count() - 1);
}

void CDlgVMSInput::ShowVMS(int line)
{
  VMSShown shown;
  if (!m_editor.Show(line, shown))
    return;
  if (shown.linkRow >= 0)
    SelectRow(m_linkList, shown.linkRow);
  SelectItem(m_start, shown.startItem);
  SelectItem(m_end, shown.endItem);
  if (QAbstractButton* radio = m_types->button(shown.type)) {
    radio->setChecked(true);
  } else {
    const QSignalBlocker block(m_types);
    m_types->setExclusive(false);
    if (QAbstractButton* checked = m_types->checkedButton())
      checked->setChecked(false);
    m_types->setExclusive(true);
  }
  ApplyTypeControls(shown.controls);
  SelectRow(m_vmsList, line);
}

void CDlgVMSInput::OnOK()
{
  m_editor.WriteChangedLists();
  if (m_hooks.redrawViews)
    m_hooks.redrawViews();
  accept();
}

void CDlgVMSInput::reject() {}
