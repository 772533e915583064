// The GUI servant and its controller as Setup CORBA and Start uses them
// (IBringUpCorba of BringUp.h).
//
//   ServantBringUp corba(gui);   // the program's one QELM_GUI_i
//   BringUpSequence bringUp(platform, corba, output, options);
#pragma once

#include <string>
#include <vector>

#include "BringUp.h"
#include "QELM_GUI_i.h"

class ServantBringUp : public IBringUpCorba
{
public:
  // extraOrbArgs follow the system's four ORB arguments (for example an
  // endpoint of the tests' own).
  explicit ServantBringUp(QELM_GUI_i& gui, std::vector<std::string> extraOrbArgs = {});

  int InitORB(const std::string& nameServiceHost) override;
  int StartServer() override { return m_gui.StartServer(); }
  int Connect() override { return m_gui.Connect(); }
  int Disconnect(bool force) override { return m_gui.Disconnect(force); }
  int Subscribe() override { return m_gui.Subscribe(); }
  int Initialize() override { return m_gui.Initialize(); }
  int StartSystem(bool realTime) override;
  std::string GetLastError() const override { return m_gui.GetLastError(); }
  int StopIfRunning() override { return m_gui.StopIfRunning(); }
  ICommandSender& Sender() override { return m_gui; }

private:
  QELM_GUI_i& m_gui;
  std::vector<std::string> m_extraOrbArgs;
};
