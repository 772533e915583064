#include "CLogicDoc.h"

#include <QApplication>

#include "ConsoleState.h"
#include "ConsoleWindows.h"
#include "DocumentLogic.h"
#include "GlobalArrays.h"
#include "GuiThread.h"
#include "MessageBoxes.h"
#include "PredictedPaths.h"

CLogicDoc::CLogicDoc()
{
  m_presenter = [this](const std::string& text, MessageKind kind) { ::ShowMessageBox(m_pFrame, kind, text); };
  m_ender = [](int status) { QCoreApplication::exit(status); };
}

CLogicDoc::~CLogicDoc()
{
  g_Project.SetSinks(nullptr, nullptr, nullptr);
  // The observation thread is stopped before the links go.
  g_Project.ClearNetworkArrays();
  g_ZoneArray.RemoveAll();
  g_VehicleArray.RemoveAll();
}

void CLogicDoc::SetStatusText(const std::string& text)
{
  RunOnGui([text] { SetFrameStatusText(0, text); });
}

void CLogicDoc::SetMessagePresenter(MessagePresenter presenter)
{
  m_presenter = nullptr;
  if (presenter)
    m_presenter = [presenter = std::move(presenter)](const std::string& text, MessageKind) {
      presenter(text);
    };
}

void CLogicDoc::ShowMessage(const std::string& text)
{
  ShowMessageBox(text, MessageKind::kWarning);
}

void CLogicDoc::ShowMessageBox(const std::string& text, MessageKind kind)
{
  RunOnGui([this, text, kind] {
    if (m_presenter)
      m_presenter(text, kind);
  });
}

bool CLogicDoc::OnLoadData()
{
  g_Project.SetSinks(this, this, [this](int status) {
    if (m_ender)
      m_ender(status);
  });
  LoadDataSteps steps;
  steps.load = [] {
    const bool loaded = g_Project.LoadProjectAndWriteBack();
    // The network's start offset goes into the current-condition view.
    if (NetworkViewModel* est = CurrentViews().estimation; loaded && est)
      est->SetLoadedOffsetX(g_Project.m_dOffsetX);
    return loaded;
  };
  steps.showDensity = [] {
    SetPanelDisplayModes(1, 1);
    CheckPanelZones(true);
  };
  steps.repaint = [] {
    InvalidateNetworkViews();
    RepaintClockView();
  };
  const bool loaded = RunLoadData(steps);
  UpdateFrameCommands();
  return loaded;
}

void CLogicDoc::OnLoadOutput()
{
  QApplication::setOverrideCursor(Qt::WaitCursor);
  if (g_Project.IsFort911Empty()) {
    InvalidateNetworkViews();
    RepaintClockView();
    g_bDataLoaded = true;
  }
  QApplication::restoreOverrideCursor();
  UpdateFrameCommands();
}
