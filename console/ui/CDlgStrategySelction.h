// "Strategy selection from FORESIM ": the operator chooses input files of
// the second prediction instance to copy into the estimation directory as
// new_<name>; a copied vms.dat also replaces the estimation's signs with
// copies of that instance's (see ScenarioFiles.h). A missing source file
// stops the copies and keeps the dialog open.
//
// The main frame's Input "Strategy Selection" command (always offered):
//
//   CDlgStrategySelction dlg(".", this);   // the run directory: the working directory
//   dlg.exec();
#pragma once

#include <filesystem>

#include "DialogWidgets.h"
#include "ScenarioFiles.h"

class QCheckBox;
class QComboBox;
class QListWidget;

class CDlgStrategySelction : public OperatorDialog
{
  Q_OBJECT
public:
  explicit CDlgStrategySelction(std::filesystem::path runDir = ".", QWidget* parent = nullptr,
                                IOperatorPrompts* prompts = nullptr);

  void accept() override;

private:
  void FillFileList();
  void OnSelectAll(bool on);

  std::filesystem::path m_runDir;
  QComboBox* m_instance;
  QListWidget* m_files;
  QCheckBox* m_selectAll;
};
