#include "ServantBringUp.h"

#include "qelm_orb_args.h"

ServantBringUp::ServantBringUp(QELM_GUI_i& gui, std::vector<std::string> extraOrbArgs)
    : m_gui(gui), m_extraOrbArgs(std::move(extraOrbArgs))
{}

int ServantBringUp::InitORB(const std::string& nameServiceHost)
{
  std::vector<std::string> args = qelm_system_orb_arguments(nameServiceHost.c_str());
  args.insert(args.end(), m_extraOrbArgs.begin(), m_extraOrbArgs.end());
  return m_gui.InitORB(args);
}

int ServantBringUp::StartSystem(bool realTime)
{
  return m_gui.Start(realTime ? QELM::Management::RUN_REAL_TIME : QELM::Management::RUN_SEQUENTIAL);
}
