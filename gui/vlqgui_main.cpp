// vlqgui: the operator's console. It works in the current directory, which
// is the run directory; the toolkit's own options (-platform and the like)
// are the only arguments it takes.
#include <QApplication>

#include "CLogicApp.h"

int main(int argc, char** argv)
{
  QApplication qt(argc, argv);
  CLogicApp app;
  if (!app.InitInstance())
    return 1;
  return qt.exec();
}
