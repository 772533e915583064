// Fixtures of the widget tests: the console (UiConsole.h) and a generated
// run directory made the working directory.
#pragma once

#include <filesystem>
#include <string>
#include <unistd.h>

#include "ConsoleState.h"
#include "ProjectFixtures.h"
#include "RunDirGen.h"
#include "UiConsole.h"
#include "ViewSelection.h"

namespace uitest {

// A generated run directory of a small grid, the working directory while
// the object lives.
class GeneratedRunDir : public fixtures::RunDir
{
public:
  explicit GeneratedRunDir(int rows = 5, int cols = 6)
  {
    vlq::mod::RunDirOptions opt;
    opt.rows = rows;
    opt.cols = cols;
    std::string error;
    m_ok = vlq::mod::WriteRunDir(path(), opt, error);
  }
  bool ok() const { return m_ok; }

private:
  bool m_ok = false;
};

// A test of the console in a generated run directory; LoadData chooses
// File > Load Data. The selection and the mouse tool are reset after it.
class ConsoleTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    ASSERT_TRUE(run.ok());
    console = std::make_unique<Console>();
  }
  void TearDown() override
  {
    ClearSelection();
    g_nToolMode = kToolZoomBox;
    console.reset();
  }
  CMainFrame& frame() { return console->Frame(); }
  void LoadData()
  {
    frame().ExecuteCommand(kCmdLoadData);
    ASSERT_TRUE(g_bDataLoaded);
  }

  GeneratedRunDir run;
  std::unique_ptr<Console> console;
};

}  // namespace uitest
