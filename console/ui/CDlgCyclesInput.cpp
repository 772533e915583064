#include "CDlgCyclesInput.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "DialogMessages.h"

CDlgCyclesInput::CDlgCyclesInput(CProject& project, IMessageSink* messages, QWidget* parent)
    : QDialog(parent), m_Project(project), m_pMessages(messages)
{
  setWindowTitle("Cycles Data Input Dialog");
  setAccessibleName(windowTitle());
  auto* layout = new QVBoxLayout(this);

  auto* checks = new QHBoxLayout;
  auto addCheck = [&](const char* text, const char* name) {
    auto* box = new QCheckBox(text, this);
    box->setObjectName(name);
    box->setChecked(true);
    checks->addWidget(box);
    connect(box, &QCheckBox::toggled, this, &CDlgCyclesInput::UpdateEnabled);
    return box;
  };
  m_pRunOD = addCheck("ODEst && Pred", "runOD");
  m_pRunFarvet = addCheck("FARVET", "runFarvet");
  m_pRunNearvet = addCheck("NEARVET", "runNearvet");
  m_pRunForesim1 = addCheck("FORESIM1", "runForesim1");
  m_pRunOD->setAccessibleName("ODEst & Pred");
  layout->addLayout(checks);

  // Two columns of group boxes, each with its lists.
  auto* groups = new QGridLayout;
  std::array<QFormLayout*, 6> forms{};
  for (std::size_t g = 0; g < forms.size(); ++g) {
    auto* box = new QGroupBox(CyclesGroupTitles()[g], this);
    forms[g] = new QFormLayout(box);
    groups->addWidget(box, static_cast<int>(g / 2), static_cast<int>(g % 2));
  }
  for (int f = 0; f < kCyclesFields; ++f) {
    const CyclesFieldInfo& info = CyclesFieldTable()[f];
    auto* combo = new QComboBox(this);
    combo->setObjectName(QString("cycle_%1").arg(f));
    combo->setAccessibleName(info.caption);
    combo->setAccessibleDescription(CyclesGroupTitles()[info.group]);
    for (const std::string& e : info.entries)
      combo->addItem(QString::fromStdString(e));
    forms[info.group]->addRow(info.caption, combo);
    m_Combos[f] = combo;
  }
  auto* note = new QLabel(kNearvetCycleNote, this);
  note->setWordWrap(true);
  forms[CyclesFieldTable()[kFieldNearvetCycle].group]->addRow(note);
  layout->addLayout(groups);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  QPushButton* reset = buttons->addButton("Reset", QDialogButtonBox::ResetRole);
  connect(reset, &QPushButton::clicked, this, &CDlgCyclesInput::Reset);
  connect(buttons, &QDialogButtonBox::accepted, this, &CDlgCyclesInput::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CDlgCyclesInput::reject);
  layout->addWidget(buttons);

  Reset();
  UpdateEnabled();
}

void CDlgCyclesInput::Reset()
{
  const CyclesSelection initial = InitialCyclesSelection();
  for (int f = 0; f < kCyclesFields; ++f)
    m_Combos[f]->setCurrentIndex(initial.entry[f]);
}

CyclesSelection CDlgCyclesInput::Selection() const
{
  CyclesSelection s;
  for (int f = 0; f < kCyclesFields; ++f)
    s.entry[f] = m_Combos[f]->currentIndex();
  s.runOD = m_pRunOD->isChecked();
  s.runFarvet = m_pRunFarvet->isChecked();
  s.runNearvet = m_pRunNearvet->isChecked();
  s.runForesim1 = m_pRunForesim1->isChecked();
  return s;
}

void CDlgCyclesInput::UpdateEnabled()
{
  const CyclesSelection s = Selection();
  for (int f = 0; f < kCyclesFields; ++f)
    m_Combos[f]->setEnabled(CyclesFieldEnabled(static_cast<CyclesField>(f), s));
}

void CDlgCyclesInput::accept()
{
  if (std::optional<std::string> failed = CommitCycles(m_Project, Selection())) {
    ShowDialogMessage(this, m_pMessages, *failed, MessageKind::kWarning);
    return;
  }
  QDialog::accept();
}
