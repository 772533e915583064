// "VMS Data Input Dialog": the operator enters variable message signs on
// links for the estimation (NOW_SIM: g_VMSArray, each change sent at once,
// a change as remove then add) or for a prediction instance (FORESIM0 or
// FORESIM1: only kept). Only "OK" closes the dialog: it writes the vms.dat
// of every prediction instance whose list the dialog changed (predict/ and
// predict1/ of the run directory, the working directory) and redraws the
// views. Esc and the close box do nothing: the dialog stays open and no
// file is written.
//
// The main frame's Input "VMS" command (project loaded, system running):
//
//   VMSDialogHooks hooks;
//   hooks.selectLink = [this](int link) {            // a row of the link list chosen
//     estimationView->SelectLink(g_LineArray[link]);
//     ShowLinkInfo(g_LineArray[link]);
//   };
//   hooks.redrawViews = [this] { RedrawNetworkViews(); };
//   CDlgVMSInput dlg(controller, hooks, this);
//   dlg.exec();
#pragma once

#include <functional>

#include "DialogWidgets.h"
#include "VMSLogic.h"

class ICommandSender;
class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

struct VMSDialogHooks
{
  // The operator chose a row of the link list (a position in g_LineArray):
  // select that link in the estimation view and show its attributes.
  std::function<void(int linkIndex)> selectLink;
  // The sign lists changed or the dialog closed: repaint the network views.
  std::function<void()> redrawViews;
};

class CDlgVMSInput : public OperatorDialog
{
  Q_OBJECT
public:
  CDlgVMSInput(ICommandSender& sender, VMSDialogHooks hooks = {}, QWidget* parent = nullptr,
               IOperatorPrompts* prompts = nullptr);

  // Esc and the close box: the dialog stays open.
  void reject() override;

private:
  void OnOK();
  void OnAdd();
  void OnChange();
  void OnDelete();
  void OnInputSubPath();
  void OnType(int type);
  void OnNowSim();
  void OnForesim();
  void OnInstance(int instance);
  void RefreshVMSList();
  void ShowVMS(int line);
  void ShowLastVMS();
  void ApplyTypeControls(const VMSTypeControls& controls);
  void SetCaptions(const std::string& caption1, const std::string& caption2);
  VMSControls Controls() const;

  VMSEditor m_editor;
  VMSDialogHooks m_hooks;
  QListWidget* m_linkList;
  QComboBox* m_start;
  QComboBox* m_end;
  QButtonGroup* m_types;
  QLabel* m_caption1;
  QLineEdit* m_param1;
  QLabel* m_caption2;
  QLineEdit* m_param2;
  QPushButton* m_inputSubPath;
  QRadioButton* m_nowSim;
  QRadioButton* m_foresim;
  QComboBox* m_instance;
  QListWidget* m_vmsList;
};
