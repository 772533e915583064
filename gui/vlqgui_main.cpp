// vlqgui: the operator's console. It works in the current directory, which
// is the run directory; the toolkit's own options (-platform and the like)
// are the only arguments it takes.
#include <QApplication>

#include "CLogicApp.h"
#include "ConsoleDialogs.h"
#include "QELM_GUI_i.h"

int main(int argc, char** argv)
{
  QApplication qt(argc, argv);
  // The console's controller and servant: made before the frame and gone
  // after it, so that the frame's end can still stop it.
  QELM_GUI_i gui;
  CLogicApp app;
  if (!app.InitInstance())
    return 1;
  BindInputDialogs(app.Frame(), gui);
  return qt.exec();
}
