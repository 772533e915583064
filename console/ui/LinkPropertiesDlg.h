// "Link Property Modification": the operator records time-windowed changes
// of link properties in g_LinkModArray; OK writes all of them to
// estimate/new_network.dat of the run directory and closes (Esc closes
// without writing). A record whose window holds the current estimation
// minute (g_CurrentMinute) is not deleted. Nothing is sent.
//
// The main frame's Input "Network Modification" command (always offered):
//
//   LinkPropertiesDlg dlg(".", this);   // the run directory: the working directory
//   dlg.exec();
#pragma once

#include <filesystem>

#include "DialogWidgets.h"
#include "LinkModLogic.h"

class QComboBox;
class QLineEdit;
class QListWidget;
class QSpinBox;

class LinkPropertiesDlg : public OperatorDialog
{
  Q_OBJECT
public:
  explicit LinkPropertiesDlg(std::filesystem::path runDir = ".", QWidget* parent = nullptr,
                             IOperatorPrompts* prompts = nullptr);

  void accept() override;

private:
  void ShowLinkAttributes();
  void OnAddModification();
  void OnChangeModification();
  void OnDeleteModification();
  void SelectModifiedLink();
  void RefreshModificationList();
  void ShowValues();
  LinkModControls Controls();

  std::filesystem::path m_runDir;
  LinkModValues m_values;  // the members exchanged with the controls
  QListWidget* m_linkList;
  QComboBox* m_start;
  QComboBox* m_end;
  QComboBox* m_linkType;
  QLineEdit* m_name;
  QSpinBox* m_length;
  QSpinBox* m_lanes;
  QSpinBox* m_leftBays;
  QSpinBox* m_speedLimit;
  QSpinBox* m_serviceFlow;
  QSpinBox* m_flowModel;
  QSpinBox* m_rightBays;
  QSpinBox* m_speedAdjust;
  QSpinBox* m_satFlow;
  QSpinBox* m_grade;
  QListWidget* m_modList;
};
