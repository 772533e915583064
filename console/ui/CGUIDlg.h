// The controller test panel: one button per operation of the GUI servant
// and the system controller, each logging its lines in the list. No menu
// opens it; it drives whatever target it is given.
//
//   CGUIDlg dlg(target);      // target: IControllerTestTarget over the servant
//   dlg.exec();
#pragma once

#include <QDialog>
#include <string>

#include "ControllerTest.h"

class QListWidget;

class CGUIDlg : public QDialog
{
  Q_OBJECT

public:
  explicit CGUIDlg(IControllerTestTarget& target, std::string commandFile = kGuiCommandFile,
                   QWidget* parent = nullptr);

  QListWidget* Log() const { return m_pLog; }

private:
  void AddLine(const std::string& line);

  IControllerTestTarget& m_Target;
  std::string m_CommandFile;
  QListWidget* m_pLog;
};
