#include "ControllerTest.h"

#include <cctype>
#include <fstream>

#include "PathText.h"

namespace {

// A controller operation: its success line, or its failure line followed
// by the controller's last error.
void LogResult(int code, IControllerTestTarget& target, const TestLogLine& log, const char* success,
               const char* failure)
{
  if (code == 0) {
    log(success);
  } else {
    log(failure);
    log(target.GetLastError());
  }
}

void StopServer(IControllerTestTarget& target, const TestLogLine& log)
{
  log("Deactivating CORBA server...");
  log(target.StopServer() == 0 ? "CORBA server deactivated" : "Failed to shutdown the ORB server.");
}

}  // namespace

const char* ControllerTestButtonText(ControllerTestButton button)
{
  switch (button) {
  case kTestInitServer: return "Start CORBA Server";
  case kTestConnect: return "Connect";
  case kTestInitialize: return "Initialize";
  case kTestSubscribe: return "Subscribe";
  case kTestStart: return "Start";
  case kTestStop: return "Stop";
  case kTestShutdown: return "Shutdown";
  case kTestStopServer: return "Stop CORBA Server";
  case kTestStopServerAndClose: return "Stop CORBA Server and Close";
  case kControllerTestButtons: break;
  }
  return "";
}

bool ReadGuiCommandWords(const std::string& path, std::vector<std::string>* words)
{
  words->clear();
  std::ifstream in(path, std::ios::binary);
  if (!in)
    return false;
  std::string word;
  bool inWord = false;
  for (int c = in.get();; c = in.get()) {
    if (c == std::char_traits<char>::eof() || std::isspace(c)) {
      if (inWord) {
        words->push_back(word);
        word.clear();
        inWord = false;
        if (words->size() == kGuiCommandMaxWords)
          break;
      }
      if (c == std::char_traits<char>::eof())
        break;
      continue;
    }
    inWord = true;
    // Characters past the limit are dropped with the rest of their word.
    if (word.size() < kGuiCommandMaxWordLength)
      word += static_cast<char>(c);
  }
  return true;
}

bool RunControllerTestButton(ControllerTestButton button, IControllerTestTarget& target,
                             const TestLogLine& log, const std::string& commandFile)
{
  switch (button) {
  case kTestInitServer: {
    log("Initiaslizing ORB");
    std::vector<std::string> words;
    if (!ReadGuiCommandWords(commandFile, &words)) {
      log("Cannot open " + FullPathText(commandFile) + ": the ORB starts with no arguments");
    }
    if (target.InitORB(words) != 0) {
      log("Failed to initialize the ORB.");
      break;
    }
    log("Activating the GUI CORBA server...");
    target.StartServer();
    log("CORBA server active");
    break;
  }
  case kTestConnect:
    LogResult(target.Connect(), target, log, "Connected to VORLANTIS-Q", "Failed to connect. Reason:");
    break;
  case kTestInitialize:
    LogResult(target.Initialize(), target, log, "VORLANTIS-Q Initialized", "Failed to initialize. Reason:");
    break;
  case kTestSubscribe:
    LogResult(target.Subscribe(), target, log, "Subscribed to VORLANTIS-Q messages",
              "Failed to subscribe for messages. Reason:");
    break;
  case kTestStart:
    LogResult(target.StartRealTime(), target, log, "VORLANTIS-Q scheduler started",
              "Failed to start VORLANTIS-Q. Reason:");
    break;
  case kTestStop:
    log("Attempting to stop VORLANTIS-Q. This might take aminute...");
    LogResult(target.Stop(), target, log, "VORLANTIS-Q scheduler stopped",
              "Failed to stop VORLANTIS-Q. Reason:");
    break;
  case kTestShutdown:
    log("Shtting down VORLANTIS-Q.");
    LogResult(target.Shutdown(false), target, log, "VORLANTIS-Q shut down",
              "Failed to shutdown VORLANTIS-Q. Reason:");
    break;
  case kTestStopServer: StopServer(target, log); break;
  case kTestStopServerAndClose:
    StopServer(target, log);
    target.StopServerIfRunning();
    return true;
  case kControllerTestButtons: break;
  }
  return false;
}
