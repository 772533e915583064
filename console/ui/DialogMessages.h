// Messages of the configuration dialogs: to the sink a caller installed
// (tests record them), else in a modal information box over the dialog.
//
//   ShowDialogMessage(this, m_pMessages, "Cannot write distribution.ini");
#pragma once

#include <string>

class IMessageSink;
class QWidget;

void ShowDialogMessage(QWidget* parent, IMessageSink* sink, const std::string& text);
