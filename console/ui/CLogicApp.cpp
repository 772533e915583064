#include "CLogicApp.h"

#include <QApplication>
#include <QScreen>

#include "CLogicDoc.h"
#include "CMainFrame.h"
#include "ConsoleState.h"
#include "GuiThread.h"

CLogicApp::CLogicApp() = default;

CLogicApp::~CLogicApp()
{
  // The frame (and its views) go before the document empties the arrays.
  m_pFrame.reset();
  m_pDoc.reset();
}

bool CLogicApp::InitInstance(bool maximised)
{
  g_AppTitle = kAppTitleText;
  QApplication::setApplicationName(kAppTitleText);
  QApplication::setApplicationDisplayName(kAppTitleText);
  InstallGuiThread();
  m_pDoc = std::make_unique<CLogicDoc>();
  m_pFrame = std::make_unique<CMainFrame>(*m_pDoc);
  if (maximised) {
    // Without a window manager to maximise it, the frame still fills the
    // screen.
    if (QScreen* screen = QGuiApplication::primaryScreen())
      m_pFrame->setGeometry(screen->availableGeometry());
    m_pFrame->showMaximized();
  } else
    m_pFrame->show();
  return true;
}
