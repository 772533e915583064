// The console's application object: it names the application, builds the
// document and the main frame (with its views, clock view and control
// panel) and opens the frame maximised. It works in the current directory,
// which is the run directory. No CORBA work happens at start-up.
//
//   QApplication qt(argc, argv);
//   CLogicApp app;
//   if (!app.InitInstance()) return 1;
//   return qt.exec();
#pragma once

#include <memory>

class CLogicDoc;
class CMainFrame;

class CLogicApp
{
public:
  CLogicApp();
  ~CLogicApp();
  CLogicApp(const CLogicApp&) = delete;
  CLogicApp& operator=(const CLogicApp&) = delete;

  // Title, GUI thread, document, frame shown maximised (or normal, for
  // tests that want a known size). False when the frame cannot be made.
  bool InitInstance(bool maximised = true);

  CLogicDoc& Document() { return *m_pDoc; }
  CMainFrame& Frame() { return *m_pFrame; }

private:
  std::unique_ptr<CLogicDoc> m_pDoc;
  std::unique_ptr<CMainFrame> m_pFrame;
};
