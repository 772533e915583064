// Widget tests of the operator dialogs: the application of the test
// program, and lookups of a dialog's controls by their text or name.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QtGlobal>
#include <string>
#include <vector>

namespace ui_fixtures {

// The application of the test program (UiTestApp.cpp).
inline QApplication& App()
{
  return *qobject_cast<QApplication*>(QCoreApplication::instance());
}

// The button of a kind with this text; fails the test when there is none.
template <class B>
B* Named(QWidget* dialog, const QString& text)
{
  for (B* b : dialog->findChildren<B*>())
    if (b->text() == text)
      return b;
  ADD_FAILURE() << "no button " << text.toStdString();
  return nullptr;
}
inline QPushButton* ButtonNamed(QWidget* dialog, const QString& text)
{
  return Named<QPushButton>(dialog, text);
}
inline QRadioButton* RadioNamed(QWidget* dialog, const QString& text)
{
  return Named<QRadioButton>(dialog, text);
}

template <class W>
W* Child(QWidget* dialog, const char* objectName)
{
  W* w = dialog->findChild<W*>(objectName);
  EXPECT_NE(w, nullptr) << objectName;
  return w;
}

// The lines of a list, in order.
inline std::vector<std::string> Lines(const QListWidget* list)
{
  std::vector<std::string> lines;
  for (int i = 0; list && i < list->count(); ++i)
    lines.push_back(list->item(i)->text().toStdString());
  return lines;
}

}  // namespace ui_fixtures
