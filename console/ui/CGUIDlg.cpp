#include "CGUIDlg.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>

CGUIDlg::CGUIDlg(IControllerTestTarget& target, std::string commandFile, QWidget* parent)
    : QDialog(parent), m_Target(target), m_CommandFile(std::move(commandFile))
{
  setWindowTitle("VORLANTIS-Q Controller Test");
  setAccessibleName(windowTitle());
  auto* layout = new QHBoxLayout(this);

  m_pLog = new QListWidget(this);
  m_pLog->setObjectName("log");
  m_pLog->setAccessibleName("Log");
  m_pLog->setMinimumWidth(360);
  layout->addWidget(m_pLog, 1);

  auto* buttons = new QGridLayout;
  for (int b = 0; b < kControllerTestButtons; ++b) {
    const auto which = static_cast<ControllerTestButton>(b);
    auto* button = new QPushButton(ControllerTestButtonText(which), this);
    button->setObjectName(QString("test_%1").arg(b));
    button->setAutoDefault(false);
    buttons->addWidget(button, b, 0);
    connect(button, &QPushButton::clicked, this, [this, which] {
      if (RunControllerTestButton(
              which, m_Target, [this](const std::string& l) { AddLine(l); }, m_CommandFile))
        accept();
    });
  }
  layout->addLayout(buttons);
}

void CGUIDlg::AddLine(const std::string& line)
{
  m_pLog->addItem(QString::fromStdString(line));
  m_pLog->setCurrentRow(m_pLog->count() - 1);
}
