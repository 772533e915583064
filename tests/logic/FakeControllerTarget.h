// A controller test target that records the calls it receives and answers
// with the codes a test sets.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "ControllerTest.h"

struct FakeControllerTarget : IControllerTestTarget
{
  std::vector<std::string> calls;
  std::vector<std::string> orbArgs;
  std::map<std::string, int> codes;  // by call name; absent: 0
  std::string lastError = "VORLANTIS-Q currently not active.";

  int Answer(const std::string& call)
  {
    calls.push_back(call);
    auto it = codes.find(call);
    return it == codes.end() ? 0 : it->second;
  }
  int InitORB(const std::vector<std::string>& args) override
  {
    orbArgs = args;
    return Answer("InitORB");
  }
  void StartServer() override { Answer("StartServer"); }
  int Connect() override { return Answer("Connect"); }
  int Initialize() override { return Answer("Initialize"); }
  int Subscribe() override { return Answer("Subscribe"); }
  int StartRealTime() override { return Answer("StartRealTime"); }
  int Stop() override { return Answer("Stop"); }
  int Shutdown(bool force) override { return Answer(force ? "Shutdown(true)" : "Shutdown(false)"); }
  int StopServer() override { return Answer("StopServer"); }
  void StopServerIfRunning() override { Answer("StopServerIfRunning"); }
  std::string GetLastError() const override { return lastError; }
};
