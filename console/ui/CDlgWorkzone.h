// "Work Zone Input ": the operator enters, changes and deletes work zones on
// links while the system runs. Each change goes at once into
// g_WorkZoneArray and, as a command, through the sender to Management. When
// the dialog closes the views are redrawn.
//
// The main frame's Input "Workzone" command (project loaded, system
// running):
//
//   CDlgWorkzone dlg(controller, [this] { RedrawNetworkViews(); }, this);
//   dlg.exec();
#pragma once

#include <functional>

#include "DialogWidgets.h"
#include "WorkZoneLogic.h"

class ICommandSender;
class QComboBox;
class QLineEdit;
class QListWidget;

class CDlgWorkzone : public OperatorDialog
{
  Q_OBJECT
public:
  CDlgWorkzone(ICommandSender& sender, std::function<void()> redrawViews = {}, QWidget* parent = nullptr,
               IOperatorPrompts* prompts = nullptr);

  void done(int result) override;

private:
  void OnAdd();
  void OnChange();
  void OnDelete();
  void RefreshWorkZoneList();
  void ShowWorkZone(int position);
  WorkZoneControls Controls() const;

  ICommandSender& m_sender;
  std::function<void()> m_redrawViews;
  QListWidget* m_linkList;
  QComboBox* m_start;
  QComboBox* m_end;
  QComboBox* m_capacity;
  QLineEdit* m_speedLimit;
  QLineEdit* m_dischargeRate;
  QListWidget* m_workZoneList;
};
