// The About box: a frame without a title bar holding an empty bordered
// picture area and a default OK button.
#pragma once

#include <QDialog>

class CAboutDlg : public QDialog
{
  Q_OBJECT
public:
  explicit CAboutDlg(QWidget* parent = nullptr);
};
