#include "DialogWidgets.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>

#include "MessageBoxes.h"

namespace dialog_widgets {

namespace {

QStringList Texts(const std::vector<std::string>& lines)
{
  QStringList texts;
  texts.reserve(static_cast<qsizetype>(lines.size()));
  for (const std::string& line : lines)
    texts.push_back(Q(line));
  return texts;
}

}  // namespace

void FillList(QListWidget* list, const std::vector<std::string>& lines)
{
  const QSignalBlocker block(list);
  list->clear();
  list->addItems(Texts(lines));
}

void FillCombo(QComboBox* combo, const std::vector<std::string>& items)
{
  const QSignalBlocker block(combo);
  combo->clear();
  combo->addItems(Texts(items));
}

void SelectRow(QListWidget* list, int row)
{
  const QSignalBlocker block(list);
  if (row < 0 || row >= list->count()) {
    list->setCurrentRow(-1);
    list->clearSelection();
    return;
  }
  list->setCurrentRow(row);
  list->scrollToItem(list->item(row));
}

void SelectItem(QComboBox* combo, int item)
{
  const QSignalBlocker block(combo);
  combo->setCurrentIndex(item >= 0 && item < combo->count() ? item : -1);
}

void SelectLastRow(QListWidget* list)
{
  if (list->count() > 0)
    SelectRow(list, list->count() - 1);
}

QHBoxLayout* ButtonRow(std::initializer_list<QPushButton*> buttons)
{
  auto* row = new QHBoxLayout;
  for (QPushButton* b : buttons)
    row->addWidget(b);
  return row;
}

EditButtons MakeEditButtons(QWidget* parent)
{
  return {Button("Add", parent), Button("Change", parent), Button("Delete", parent), Button("OK", parent)};
}

QLabel* Caption(const QString& text, QWidget* control, QWidget* parent)
{
  auto* label = new QLabel(text, parent);
  label->setBuddy(control);
  control->setAccessibleName(text);
  return label;
}

QPushButton* Button(const QString& text, QWidget* parent)
{
  auto* button = new QPushButton(text, parent);
  button->setAccessibleName(text);
  button->setAutoDefault(text == "OK");
  button->setDefault(text == "OK");
  return button;
}

}  // namespace dialog_widgets

void MessageBoxPrompts::ShowMessage(const std::string& text)
{
  ShowMessageBox(m_parent, MessageKind::kWarning, text);
}

void MessageBoxPrompts::ShowInfo(const std::string& text)
{
  ShowMessageBox(m_parent, MessageKind::kInformation, text);
}

bool MessageBoxPrompts::AskYesNo(const std::string& question)
{
  return ShowMessageBox(m_parent, MessageKind::kQuestion, question) == QMessageBox::Yes;
}

OperatorDialog::OperatorDialog(const QString& title, QWidget* parent, IOperatorPrompts* prompts)
    : QDialog(parent), m_prompts(prompts)
{
  setWindowTitle(title);
  setAccessibleName(title);
  if (!m_prompts) {
    m_ownPrompts = std::make_unique<MessageBoxPrompts>(this);
    m_prompts = m_ownPrompts.get();
  }
}
