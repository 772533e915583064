// The console under test: the console built in the working directory at a
// known size, and pixels of grabbed pictures. The test program's
// QApplication comes from UiTestApp.cpp, which the program links.
#pragma once

#include <QApplication>
#include <QImage>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include "CLogicApp.h"
#include "CLogicDoc.h"
#include "CMainFrame.h"
#include "CProject.h"
#include "ConsoleState.h"
#include "DrawTypes.h"
#include "UiTestApp.h"

namespace uitest {

inline QApplication& App()
{
  return *qApp;
}

// The console in the working directory, at a known size, with the
// load's messages recorded instead of shown in boxes.
class Console
{
public:
  Console()
  {
    App();
    m_app = std::make_unique<CLogicApp>();
    m_app->InitInstance(false);
    m_app->Document().SetMessagePresenter([this](const std::string& t) { messages.push_back(t); });
    m_app->Document().SetProgramEnder([this](int status) { exits.push_back(status); });
    Frame().resize(1400, 900);
    Frame().LayOutPanes();
    QApplication::processEvents();
  }
  ~Console()
  {
    m_app.reset();
    g_bDataLoaded = false;
    g_Project.m_bProjectLoaded = false;
  }
  CMainFrame& Frame() { return m_app->Frame(); }
  CLogicDoc& Doc() { return m_app->Document(); }
  std::vector<std::string> messages;
  std::vector<int> exits;

private:
  std::unique_ptr<CLogicApp> m_app;
};

// The colour of a pixel of a widget's picture as RGB.
inline QRgb Pixel(const QImage& image, int x, int y)
{
  return image.pixel(x, y) & 0xFFFFFF;
}
// A colour value 0x00BBGGRR as Pixel gives it.
inline QRgb Rgb(ColorRef colour)
{
  const auto c = ToRgb(colour);
  return qRgb(c.r, c.g, c.b) & 0xFFFFFF;
}

}  // namespace uitest
