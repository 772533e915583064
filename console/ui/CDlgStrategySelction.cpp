#include "CDlgStrategySelction.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

using namespace dialog_widgets;

CDlgStrategySelction::CDlgStrategySelction(std::filesystem::path runDir, QWidget* parent,
                                           IOperatorPrompts* prompts)
    : OperatorDialog("Strategy selection from FORESIM ", parent, prompts), m_runDir(std::move(runDir)),
      m_instance(Make<QComboBox>(this, "instance")), m_files(Make<QListWidget>(this, "fileList")),
      m_selectAll(new QCheckBox("Select all files", this))
{
  m_files->setSelectionMode(QAbstractItemView::MultiSelection);
  m_selectAll->setAccessibleName("Select all files");
  QPushButton* ok = Button("OK", this);
  QPushButton* cancel = Button("Cancel", this);
  auto* grid = new QGridLayout(this);
  grid->addWidget(Caption("Please select scenario:", m_instance, this), 0, 0);
  grid->addWidget(m_instance, 0, 1);
  grid->addWidget(Caption("Please select sceanrio files to NOWSIM ", m_files, this), 1, 0, 1, 2);
  grid->addWidget(m_files, 2, 0, 1, 2);
  grid->addWidget(m_selectAll, 3, 0, 1, 2);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  grid->addLayout(buttons, 4, 0, 1, 2);

  connect(ok, &QPushButton::clicked, this, &CDlgStrategySelction::accept);
  connect(cancel, &QPushButton::clicked, this, &CDlgStrategySelction::reject);
  connect(m_instance, &QComboBox::currentIndexChanged, this, &CDlgStrategySelction::FillFileList);
  connect(m_selectAll, &QCheckBox::toggled, this, &CDlgStrategySelction::OnSelectAll);

  FillCombo(m_instance, {"FORESIM1"});
  SelectItem(m_instance, 0);
  FillFileList();
  m_files->item(0)->setSelected(true);
}

void CDlgStrategySelction::FillFileList()
{
  FillList(m_files, StrategyFileNames());
}

void CDlgStrategySelction::OnSelectAll(bool on)
{
  if (on)
    m_files->selectAll();
  else
    m_files->clearSelection();
}

void CDlgStrategySelction::accept()
{
  std::vector<std::string> selected;
  for (int row = 0; row < m_files->count(); ++row)
    if (m_files->item(row)->isSelected())
      selected.push_back(m_files->item(row)->text().toStdString());
  if (SelectStrategy(selected, m_instance->currentIndex(), m_runDir, Prompts()) == StrategyResult::kStopped)
    return;
  OperatorDialog::accept();
}
