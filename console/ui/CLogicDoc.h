// The console's document: it holds no network of its own (that is the
// project and the global arrays) but runs Load Data, shows the load's
// progress and messages, and empties the arrays when it goes. The load's
// status texts go to pane 0 of the frame's status bar, its messages (and
// the frame's) to a message box of their kind; both reach the GUI thread
// whichever thread reports them.
//
//   CLogicDoc doc;
//   doc.SetFrame(&frame);
//   doc.OnLoadData();   // the "Load Data" command
#pragma once

#include <functional>
#include <string>

#include "CProject.h"
#include "OperatorPrompts.h"

class QWidget;

class CLogicDoc : public IStatusSink, public IMessageSink
{
public:
  // Shows one message to the operator (by default a message box of its
  // kind over the frame).
  using BoxPresenter = std::function<void(const std::string& text, MessageKind kind)>;
  // The same for a presenter that takes the text only.
  using MessagePresenter = std::function<void(const std::string& text)>;
  // Ends the program with a status (by default it leaves the event loop).
  using ProgramEnder = std::function<void(int status)>;

  CLogicDoc();
  ~CLogicDoc() override;
  CLogicDoc(const CLogicDoc&) = delete;
  CLogicDoc& operator=(const CLogicDoc&) = delete;

  // The window its message boxes stand over (the main frame).
  void SetFrame(QWidget* frame) { m_pFrame = frame; }
  void SetBoxPresenter(BoxPresenter presenter) { m_presenter = std::move(presenter); }
  void SetMessagePresenter(MessagePresenter presenter);
  void SetProgramEnder(ProgramEnder ender) { m_ender = std::move(ender); }

  // Load Data: the project load and its write-back, display mode 1 in every
  // view with "Zones" checked, the views and the clock repainted, and the
  // data handed to the views once the whole project was read.
  bool OnLoadData();
  // Load Output (offered by no menu): when fort.911 is empty, the views and
  // the clock repainted and the data handed to the views; else nothing.
  void OnLoadOutput();

  void SetStatusText(const std::string& text) override;
  // A warning.
  void ShowMessage(const std::string& text) override;
  void ShowMessageBox(const std::string& text, MessageKind kind);

private:
  QWidget* m_pFrame = nullptr;
  BoxPresenter m_presenter;
  ProgramEnder m_ender;
};
