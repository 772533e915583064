// The System Settings dialog: the local machine's name and address, the
// naming service's host and the run directory from the environment, and
// the choice of real-time or sequential running (sequential whenever it
// opens). OK sets the project's run mode; nothing else leaves the dialog.
//
//   CDlgSystemSoftwareSetting dlg(g_Project);
//   dlg.exec();
#pragma once

#include <QDialog>

#include "SystemSettings.h"

class CProject;
class IMessageSink;
class QFormLayout;
class QLineEdit;
class QRadioButton;

class CDlgSystemSoftwareSetting : public QDialog
{
  Q_OBJECT

public:
  explicit CDlgSystemSoftwareSetting(CProject& project,
                                     const SystemSettingsValues& values = ReadSystemSettings(),
                                     IMessageSink* messages = nullptr, QWidget* parent = nullptr);

  void accept() override;

private:
  QLineEdit* AddField(QFormLayout* form, const char* caption, const std::string& value, bool readOnly);

  CProject& m_Project;
  IMessageSink* m_pMessages;
  QRadioButton* m_pRealTime;
  QRadioButton* m_pSequential;
};
