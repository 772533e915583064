#include "CDlgVMSType2.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include "DialogLists.h"

using namespace dialog_widgets;

CDlgVMSType2::CDlgVMSType2(int downstreamNode, QWidget* parent, IOperatorPrompts* prompts)
    : OperatorDialog("Input Sub-path for Detour VMS", parent, prompts), m_path(downstreamNode),
      m_linkList(Make<QListWidget>(this, "linkList")), m_sequence(Make<QListWidget>(this, "sequence"))
{
  QPushButton* add = Button("Add", this);
  QPushButton* remove = Button("Remove", this);
  QPushButton* clear = Button("Clear", this);
  QPushButton* ok = Button("OK", this);

  auto* grid = new QGridLayout(this);
  grid->addWidget(Caption("Link List:", m_linkList, this), 0, 0);
  grid->addWidget(m_linkList, 1, 0);
  grid->addWidget(Caption("Link Sequence in Sub-path", m_sequence, this), 0, 1);
  grid->addWidget(m_sequence, 1, 1);
  grid->addLayout(ButtonRow({add, remove, clear, ok}), 2, 0, 1, 2);

  connect(add, &QPushButton::clicked, this, &CDlgVMSType2::OnAddLink);
  connect(remove, &QPushButton::clicked, this, &CDlgVMSType2::OnRemoveLink);
  connect(clear, &QPushButton::clicked, this, &CDlgVMSType2::OnClearLinks);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  FillList(m_linkList, LinkListLines(LinkLineSpacing::kTwo));
  RefreshSequence();
  SelectRow(m_linkList, 0);
}

void CDlgVMSType2::OnAddLink()
{
  if (m_path.AddLink(m_linkList->currentRow(), Prompts()))
    RefreshSequence();
}

void CDlgVMSType2::OnRemoveLink()
{
  m_path.RemoveLast();
  RefreshSequence();
}

void CDlgVMSType2::OnClearLinks()
{
  m_path.Clear();
  RefreshSequence();
}

void CDlgVMSType2::RefreshSequence()
{
  FillList(m_sequence, m_path.SequenceLines());
  SelectLastRow(m_sequence);
}
