// The console's message boxes: each kind with its icon and buttons, shown
// modally over a window with the application's name as its title.
//
//   if (ShowMessageBox(this, MessageKind::kQuestion, "Are you selecting vms.dat in FORESIM1") ==
//       QMessageBox::Yes) ...
//   ShowMessageBox(frame, MessageKind::kInformation,
//                  "Please activate VORLANTIS-Q modules on client machine(s)");
#pragma once

#include <QMessageBox>
#include <string>

#include "OperatorPrompts.h"

// The icon and buttons of a kind of box; the default button is the first.
struct MessageBoxLook
{
  QMessageBox::Icon icon;
  QMessageBox::StandardButtons buttons;
  QMessageBox::StandardButton defaultButton;
};

MessageBoxLook LookOf(MessageKind kind);

// Shows the box and returns the button that closed it.
QMessageBox::StandardButton ShowMessageBox(QWidget* parent, MessageKind kind, const std::string& text);
