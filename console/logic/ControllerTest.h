// The controller test panel: one button per operation of the GUI servant
// and the system controller, each logging its result lines. No command of
// the console opens it; tests and developers drive the console's CORBA
// side through it.
//
//   auto addLine = [&](const std::string& line) { list.Add(line); };
//   if (RunControllerTestButton(kTestInitServer, target, addLine))
//     dialog.Close();
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

// What the panel calls. The console binds it to its GUI servant and the
// controller behind it; each int result is the operation's return code
// (0 success), and GetLastError() the controller's last error text.
class IControllerTestTarget
{
public:
  virtual ~IControllerTestTarget() = default;

  // The servant's ORB initialisation with these arguments (0 on success),
  // and the start of its server thread.
  virtual int InitORB(const std::vector<std::string>& args) = 0;
  virtual void StartServer() = 0;
  // Controller operations.
  virtual int Connect() = 0;
  virtual int Initialize() = 0;
  virtual int Subscribe() = 0;      // the servant's Subscribe with its own reference
  virtual int StartRealTime() = 0;  // Start with RUN_REAL_TIME
  virtual int Stop() = 0;
  virtual int Shutdown(bool force) = 0;
  // The servant's Stop (-1 when its server does not run) and StopIfRunning.
  virtual int StopServer() = 0;
  virtual void StopServerIfRunning() = 0;
  virtual std::string GetLastError() const = 0;
};

// The panel's buttons, in its order (the number is the button's place).
enum ControllerTestButton {
  kTestInitServer,  // read gui_cmd.dat, InitORB, StartServer
  kTestConnect,
  kTestInitialize,
  kTestSubscribe,
  kTestStart,
  kTestStop,
  kTestShutdown,
  kTestStopServer,
  kTestStopServerAndClose,
  kControllerTestButtons
};

// The caption of each button.
const char* ControllerTestButtonText(ControllerTestButton button);

// The ORB arguments file the first button reads, in the working directory.
inline constexpr const char* kGuiCommandFile = "gui_cmd.dat";
inline constexpr std::size_t kGuiCommandMaxWords = 10;
inline constexpr std::size_t kGuiCommandMaxWordLength = 255;

// The words of a gui_cmd.dat (separated by white space), at most 10, each
// cut to 255 characters. False when the file cannot be opened.
bool ReadGuiCommandWords(const std::string& path, std::vector<std::string>* words);

// Receives each log line as soon as it is known (a line announcing a long
// operation comes before the call).
using TestLogLine = std::function<void(const std::string&)>;

// Runs one button against the target; commandFile is the gui_cmd.dat that
// the first button reads. True when the panel closes after it.
bool RunControllerTestButton(ControllerTestButton button, IControllerTestTarget& target,
                             const TestLogLine& log, const std::string& commandFile = kGuiCommandFile);
