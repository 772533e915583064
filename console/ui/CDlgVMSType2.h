// "Input Sub-path for Detour VMS": the operator builds a detour sub-path as
// a sequence of links that starts at the downstream node of the sign's link
// (at most 99 links). However it closes, the caller takes its sequence.
//
//   CDlgVMSType2 editor(link->m_nToNode, this);
//   editor.exec();
//   vmsEditor.TakeSubPath(editor.Links());
#pragma once

#include <vector>

#include "DialogWidgets.h"
#include "VMSLogic.h"

class QListWidget;

class CDlgVMSType2 : public OperatorDialog
{
  Q_OBJECT
public:
  explicit CDlgVMSType2(int downstreamNode, QWidget* parent = nullptr, IOperatorPrompts* prompts = nullptr);
  // The sequence as rows of the link list (positions in g_LineArray).
  const std::vector<int>& Links() const { return m_path.Links(); }

private:
  void OnAddLink();
  void OnRemoveLink();
  void OnClearLinks();
  void RefreshSequence();

  SubPathEditor m_path;
  QListWidget* m_linkList;
  QListWidget* m_sequence;
};
