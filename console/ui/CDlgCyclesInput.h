// The Cycles Data Input dialog: the modules' cycle lengths and horizons in
// minutes, and which optional modules run. OK checks the settings against
// each other; only when every check passes are they stored in the project
// and scheduler.dat and modules.dat written. The dialog always opens at its
// fixed initial entries.
//
//   CDlgCyclesInput dlg(g_Project);
//   dlg.exec();
#pragma once

#include <QDialog>
#include <array>

#include "CyclesInput.h"

class CProject;
class IMessageSink;
class QCheckBox;
class QComboBox;

class CDlgCyclesInput : public QDialog
{
  Q_OBJECT

public:
  explicit CDlgCyclesInput(CProject& project, IMessageSink* messages = nullptr, QWidget* parent = nullptr);

  // The lists' selections and the check boxes.
  CyclesSelection Selection() const;

  void accept() override;

private:
  void Reset();
  void UpdateEnabled();

  CProject& m_Project;
  IMessageSink* m_pMessages;
  std::array<QComboBox*, kCyclesFields> m_Combos{};
  QCheckBox* m_pRunOD;
  QCheckBox* m_pRunFarvet;
  QCheckBox* m_pRunNearvet;
  QCheckBox* m_pRunForesim1;
};
