// Fixtures of the widget tests: the console (UiConsole.h) and a generated
// run directory made the working directory.
#pragma once

#include <filesystem>
#include <string>
#include <unistd.h>

#include "ProjectFixtures.h"
#include "RunDirGen.h"
#include "UiConsole.h"

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

}  // namespace uitest
