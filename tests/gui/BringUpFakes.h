// Fakes of the bring-up's services: a platform that records what it starts
// and ends, a corba side whose results the test sets, a sender that records
// the scenario sent and an output that records lines and boxes.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "BringUp.h"
#include "CommandSender.h"

namespace bringup_test {

struct FakePlatform : IBringUpPlatform
{
  std::vector<std::string> started;  // "file|dir|title"
  std::set<std::string> failing;     // files that do not start
  int closeDowns = 0;
  std::vector<std::string>* order = nullptr;
  std::function<void()> onExecute;
  int Execute(const std::string& file, const std::string& params, const std::string& dir, bool wait,
              const std::string& title) override
  {
    EXPECT_TRUE(params.empty());
    EXPECT_FALSE(wait);
    if (onExecute)
      onExecute();
    if (failing.count(file))
      return -1;
    started.push_back(file + "|" + dir + "|" + title);
    return 1000 + static_cast<int>(started.size());
  }
  void CloseComponents() override
  {
    ++closeDowns;
    if (order)
      order->push_back("close");
  }
};

struct RecordingSender : ICommandSender
{
  std::vector<std::string> sent;
  int SendIncident(int action, int from, int to, float start, float end, float severity) override
  {
    sent.push_back("incident " + std::to_string(action) + " " + std::to_string(from) + "-" +
                   std::to_string(to) + " " + std::to_string(start) + " " + std::to_string(end) + " " +
                   std::to_string(severity));
    return 0;
  }
  int SendVMS(int action, int type, int from, int to, const int* params, float start, float end,
              const int* subPath) override
  {
    sent.push_back("vms " + std::to_string(action) + " " + std::to_string(type) + " " + std::to_string(from) +
                   "-" + std::to_string(to) + " " + std::to_string(params[0]) + "," +
                   std::to_string(params[1]) + " " + std::to_string(start) + " " + std::to_string(end) + " " +
                   std::to_string(subPath[0]) + "," + std::to_string(subPath[1]) + "," +
                   std::to_string(subPath[99]));
    return 0;
  }
  int SendWorkZone(int, int, int, float, float, float, int, int) override
  {
    sent.push_back("workzone");
    return 0;
  }
  std::string GetLastError() const override { return ""; }
};

struct FakeCorba : IBringUpCorba
{
  // Result of each operation by name; absent: 0.
  std::map<std::string, int> results;
  std::vector<std::string> calls;
  std::string lastError = "the reason";
  RecordingSender sender;
  std::vector<std::string>* order = nullptr;
  bool lastRealTime = false;

  int Call(const std::string& name)
  {
    calls.push_back(name);
    if (order)
      order->push_back(name);
    auto it = results.find(name);
    return it == results.end() ? 0 : it->second;
  }
  int InitORB(const std::string& host) override { return Call("InitORB " + host) ? -1 : 0; }
  int StartServer() override { return Call("StartServer"); }
  int Connect() override { return Call("Connect"); }
  int Disconnect(bool force) override { return Call(force ? "Disconnect force" : "Disconnect"); }
  int Subscribe() override { return Call("Subscribe"); }
  int Initialize() override { return Call("Initialize"); }
  int StartSystem(bool realTime) override
  {
    lastRealTime = realTime;
    return Call("Start");
  }
  std::string GetLastError() const override { return lastError; }
  int StopIfRunning() override { return Call("StopIfRunning"); }
  ICommandSender& Sender() override { return sender; }
};

struct RecordingOutput : IBringUpOutput
{
  std::vector<std::string> messages;
  std::vector<std::pair<std::string, Box>> boxes;
  void AddMessage(const std::string& text) override { messages.push_back(text); }
  void ShowMessageBox(const std::string& text, Box kind) override { boxes.emplace_back(text, kind); }
};

}  // namespace bringup_test
