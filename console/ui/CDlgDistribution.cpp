#include "CDlgDistribution.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include "DialogMessages.h"

CDlgDistribution::CDlgDistribution(std::string iniPath, IMessageSink* messages, QWidget* parent)
    : QDialog(parent), m_iniPath(std::move(iniPath)), m_pMessages(messages)
{
  setWindowTitle("Distribution Scheme");
  setAccessibleName(windowTitle());
  auto* layout = new QVBoxLayout(this);

  m_pSingle = new QRadioButton("Non-Distributed (Single-Machine) Mode", this);
  m_pDistributed = new QRadioButton("Distributed Mode", this);
  auto* modes = new QButtonGroup(this);
  modes->addButton(m_pSingle);
  modes->addButton(m_pDistributed);
  layout->addWidget(m_pSingle);
  layout->addWidget(m_pDistributed);

  auto* grid = new QGridLayout;
  for (int row = 0; row < kDistributionRows; ++row) {
    const DistributionRowInfo& info = DistributionRowTable()[row];
    auto* label = new QLabel(info.label, this);
    auto* combo = new QComboBox(this);
    combo->setObjectName(QString("machine_") + info.key);
    combo->setAccessibleName(info.label);
    for (const char* text : MachineChoiceTexts())
      combo->addItem(text);
    label->setBuddy(combo);
    grid->addWidget(label, row, 0);
    grid->addWidget(combo, row, 1);
    m_Combos[row] = combo;
  }
  layout->addLayout(grid);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &CDlgDistribution::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CDlgDistribution::reject);
  layout->addWidget(buttons);

  connect(m_pSingle, &QRadioButton::clicked, this, [this] { ShowChoice(SingleMachinePreset()); });
  connect(m_pDistributed, &QRadioButton::clicked, this, [this] { ShowChoice(DistributedPreset()); });

  ShowChoice(ReadDistribution(m_iniPath));
}

void CDlgDistribution::ShowChoice(const DistributionChoice& c)
{
  m_pSingle->setChecked(!c.distributed);
  m_pDistributed->setChecked(c.distributed);
  for (int row = 0; row < kDistributionRows; ++row) {
    m_Combos[row]->setCurrentIndex(MachineSelection(c.machine[row]));
    m_Combos[row]->setEnabled(c.distributed);
  }
}

DistributionChoice CDlgDistribution::Choice() const
{
  DistributionChoice c;
  for (int row = 0; row < kDistributionRows; ++row)
    c.machine[row] = m_Combos[row]->currentIndex();
  c.distributed = m_pDistributed->isChecked();
  return c;
}

void CDlgDistribution::accept()
{
  if (!WriteDistribution(m_iniPath, Choice())) {
    ShowDialogMessage(this, m_pMessages, DistributionWriteMessage(m_iniPath), MessageKind::kError);
    return;
  }
  QDialog::accept();
}

bool CDlgDistribution::Run(QWidget* parent, const std::string& iniPath, int* machineSum,
                           IMessageSink* messages)
{
  CDlgDistribution dlg(iniPath, messages, parent);
  if (dlg.exec() != QDialog::Accepted)
    return false;
  if (machineSum)
    *machineSum = ReadMachineSum(iniPath);
  return true;
}
