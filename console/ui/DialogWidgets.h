// Small pieces shared by the operator dialogs' widgets: list and combo
// filling, selection without notification (as the dialogs select by
// program), captions that name their control for accessibility, push
// buttons that never take Enter, and the message boxes that answer the
// dialogs' prompts.
#pragma once

#include <QDialog>
#include <QString>
#include <memory>
#include <string>
#include <vector>

#include "OperatorPrompts.h"

class QComboBox;
class QHBoxLayout;
class QLabel;
class QListWidget;
class QPushButton;
class QWidget;

namespace dialog_widgets {

inline QString Q(const std::string& s)
{
  return QString::fromStdString(s);
}

// Replaces the lines or items.
void FillList(QListWidget* list, const std::vector<std::string>& lines);
void FillCombo(QComboBox* combo, const std::vector<std::string>& items);
// Selects a line or item (-1: none) without emitting the change signals.
void SelectRow(QListWidget* list, int row);
void SelectItem(QComboBox* combo, int item);
// Selects the last line, if any, without notification.
void SelectLastRow(QListWidget* list);

// A new control of a dialog with the name tests and tools find it by.
template <class W>
W* Make(QWidget* parent, const char* objectName)
{
  W* w = new W(parent);
  w->setObjectName(objectName);
  return w;
}

// The push buttons of a dialog in one row, in order.
QHBoxLayout* ButtonRow(std::initializer_list<QPushButton*> buttons);

// "Add", "Change", "Delete" and "OK" of a list-editing dialog, and their
// row.
struct EditButtons
{
  QPushButton* add;
  QPushButton* change;
  QPushButton* remove;
  QPushButton* ok;
  QHBoxLayout* Row() const { return ButtonRow({add, change, remove, ok}); }
};
EditButtons MakeEditButtons(QWidget* parent);

// A caption for a control: the control takes it as its accessible name and
// the caption as its buddy.
QLabel* Caption(const QString& text, QWidget* control, QWidget* parent);
// A push button whose text is also its accessible name; only the dialog's
// "OK" takes Enter.
QPushButton* Button(const QString& text, QWidget* parent);

}  // namespace dialog_widgets

// The dialogs' prompts as modal message boxes over a parent window.
class MessageBoxPrompts : public IOperatorPrompts
{
public:
  explicit MessageBoxPrompts(QWidget* parent) : m_parent(parent) {}
  void ShowMessage(const std::string& text) override;
  void ShowInfo(const std::string& text) override;
  bool AskYesNo(const std::string& question) override;

private:
  QWidget* m_parent;
};

// Base of the operator dialogs: its title (also its accessible name) and
// the prompts it shows, message boxes over itself unless the caller gives
// others.
class OperatorDialog : public QDialog
{
protected:
  OperatorDialog(const QString& title, QWidget* parent, IOperatorPrompts* prompts);
  IOperatorPrompts& Prompts() { return *m_prompts; }

private:
  std::unique_ptr<MessageBoxPrompts> m_ownPrompts;
  IOperatorPrompts* m_prompts;
};
