#include "DialogMessages.h"

#include <QGuiApplication>
#include <QMessageBox>

#include "CProject.h"

void ShowDialogMessage(QWidget* parent, IMessageSink* sink, const std::string& text)
{
  if (sink) {
    sink->ShowMessage(text);
    return;
  }
  QMessageBox::information(parent, QGuiApplication::applicationDisplayName(), QString::fromStdString(text));
}
