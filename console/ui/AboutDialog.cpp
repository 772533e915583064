#include "AboutDialog.h"

#include <QDialogButtonBox>
#include <QFrame>
#include <QPushButton>
#include <QVBoxLayout>

#include "ConsoleState.h"

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
  setObjectName("aboutBox");
  setAccessibleName(QString("About ") + kAppTitleText);
  setModal(true);
  // 217 x 142 dialog units of the default dialog font.
  resize(326, 231);
  auto* layout = new QVBoxLayout(this);
  auto* picture = new QFrame;
  picture->setObjectName("picture");
  picture->setFrameShape(QFrame::Box);
  layout->addWidget(picture, 1);
  auto* ok = new QPushButton("OK");
  ok->setObjectName("ok");
  ok->setAccessibleName("OK");
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  auto* row = new QHBoxLayout;
  row->addStretch(1);
  row->addWidget(ok);
  layout->addLayout(row);
  setStyleSheet("CAboutDlg { border: 2px solid palette(dark); }");
}
