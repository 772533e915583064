#include "DialogMessages.h"

#include "CProject.h"
#include "MessageBoxes.h"

void ShowDialogMessage(QWidget* parent, IMessageSink* sink, const std::string& text, MessageKind kind)
{
  if (sink) {
    sink->ShowMessage(text);
    return;
  }
  ShowMessageBox(parent, kind, text);
}
