#include "MessageBoxes.h"

#include <QGuiApplication>

MessageBoxLook LookOf(MessageKind kind)
{
  switch (kind) {
  case MessageKind::kInformation: return {QMessageBox::Information, QMessageBox::Ok, QMessageBox::Ok};
  case MessageKind::kError: return {QMessageBox::Critical, QMessageBox::Ok, QMessageBox::Ok};
  case MessageKind::kQuestion:
    return {QMessageBox::Question, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes};
  case MessageKind::kWarning: break;
  }
  return {QMessageBox::Warning, QMessageBox::Ok, QMessageBox::Ok};
}

QMessageBox::StandardButton ShowMessageBox(QWidget* parent, MessageKind kind, const std::string& text)
{
  const MessageBoxLook look = LookOf(kind);
  QMessageBox box(look.icon, QGuiApplication::applicationDisplayName(), QString::fromStdString(text),
                  look.buttons, parent);
  box.setDefaultButton(look.defaultButton);
  box.setAccessibleName(box.windowTitle());
  return static_cast<QMessageBox::StandardButton>(box.exec());
}
