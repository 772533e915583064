// Messages of the configuration dialogs: to the sink a caller installed
// (tests record them), else in a modal box of the message's kind over the
// dialog.
//
//   ShowDialogMessage(this, m_pMessages, "Cannot write distribution.ini", MessageKind::kError);
#pragma once

#include <string>

#include "OperatorPrompts.h"

class IMessageSink;
class QWidget;

void ShowDialogMessage(QWidget* parent, IMessageSink* sink, const std::string& text, MessageKind kind);
