// The QApplication of a widget test program: made before the first test,
// destroyed after the last. Register it once per program:
//
//   static auto* const kQtApp = ::testing::AddGlobalTestEnvironment(new QtTestApp);
#pragma once

#include <QApplication>
#include <gtest/gtest.h>
#include <memory>

class QtTestApp : public ::testing::Environment
{
public:
  void SetUp() override
  {
    // Offscreen unless the caller chose a platform.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
      qputenv("QT_QPA_PLATFORM", "offscreen");
    m_app = std::make_unique<QApplication>(m_argc, m_argv);
  }
  void TearDown() override { m_app.reset(); }

private:
  int m_argc = 1;
  char m_name[16] = "vlq_ui_tests";
  char* m_argv[2] = {m_name, nullptr};
  std::unique_ptr<QApplication> m_app;
};
