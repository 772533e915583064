// The frame's modal dialogs run from its commands, each handed to the test
// while it is up.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

namespace uitest {

// Runs `open` (a command that shows modal windows) and returns the title
// of each modal window that came up, in order. Each is handed to `drive`
// and then closed with Esc unless `drive` closed it; a dialog that stays
// open on Esc is then ended as rejected. `drive` must not open a modal
// window of its own.
inline std::vector<std::string> RunModal(const std::function<void()>& open,
                                         const std::function<void(QWidget*)>& drive = {})
{
  std::vector<std::string> titles;
  QPointer<QWidget> seen;
  QTimer timer;
  timer.setInterval(5);
  QObject::connect(&timer, &QTimer::timeout, [&] {
    QWidget* w = QApplication::activeModalWidget();
    if (!w || w == seen)
      return;
    seen = w;
    titles.push_back(w->windowTitle().toStdString());
    if (drive)
      drive(w);
    if (seen && seen->isVisible()) {
      if (auto* dialog = qobject_cast<QDialog*>(seen.data())) {
        dialog->reject();
        if (dialog->isVisible())
          dialog->done(QDialog::Rejected);
      } else
        seen->close();
    }
  });
  timer.start();
  open();
  timer.stop();
  return titles;
}

}  // namespace uitest
