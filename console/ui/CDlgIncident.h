// "Incident Input": the operator enters, changes and deletes incidents on
// links. Each change goes at once into g_IncidentArray and, as a command,
// through the sender to Management. Esc and the close box close the dialog
// and add nothing.
//
// The main frame's Input "Incident" command (project loaded, system
// running):
//
//   CDlgIncident dlg(controller, this);   // controller: ICommandSender&
//   dlg.exec();
//
// Tests pass their own prompts (warnings) as the third argument.
#pragma once

#include "DialogWidgets.h"
#include "IncidentLogic.h"

class ICommandSender;
class QComboBox;
class QListWidget;

class CDlgIncident : public OperatorDialog
{
  Q_OBJECT
public:
  explicit CDlgIncident(ICommandSender& sender, QWidget* parent = nullptr,
                        IOperatorPrompts* prompts = nullptr);

private:
  void OnAdd();
  void OnChange();
  void OnDelete();
  void RefreshIncidentList();
  void ShowIncident(int position);
  IncidentControls Controls() const;

  ICommandSender& m_sender;
  QListWidget* m_linkList;
  QComboBox* m_start;
  QComboBox* m_end;
  QComboBox* m_severity;
  QListWidget* m_incidentList;
};
