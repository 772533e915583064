// vlqgui: the operator's console. It works in the current directory, which
// is the run directory; the toolkit's own options (-platform and the like)
// are the only arguments it takes.
#include <QApplication>

#include "CLogicApp.h"
#include "CommandQueue.h"
#include "ConsoleDialogs.h"
#include "ConsoleSystem.h"

int main(int argc, char** argv)
{
  QApplication qt(argc, argv);
  // The system control outlives the frame: the frame's close-down stops
  // its servant and ends the run's processes. Its controller is what the
  // Input menu's dialogs send through.
  ConsoleSystem system;
  CLogicApp app;
  if (!app.InitInstance())
    return 1;
  system.Attach(app.Frame());
  // The dialogs' commands reach Management off the window thread, in the
  // order entered; a failed one is told in a message box.
  ConsoleBringUpOutput commandFailures;
  CommandQueue commands(system.Servant(), commandFailures);
  BindInputDialogs(app.Frame(), commands);
  return qt.exec();
}
