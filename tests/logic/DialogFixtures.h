// Fixtures of the operator dialogs' tests (logic and widgets): a loaded
// small network in a temporary run directory, a recording command sender
// that packs every send as the controller does, and recording prompts.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "CommandSender.h"
#include "GlobalArrays.h"
#include "OperatorPrompts.h"
#include "ProjectFixtures.h"
#include "ScenarioObjects.h"
#include "qelm_command_args.h"
#include "qelm_msg_codes.h"

namespace dialogs {

// One command as it would leave the console: its code and packed payload.
struct SentCommand
{
  int code = 0;
  QELM::OctetSeq arg;

  IncidentMsgArg Incident() const
  {
    IncidentMsgArg a;
    EXPECT_TRUE(UnpackCommandArg(arg, a));
    return a;
  }
  VMSMsgArg VMS() const
  {
    VMSMsgArg a;
    EXPECT_TRUE(UnpackCommandArg(arg, a));
    return a;
  }
  WorkZoneMsgArg WorkZone() const
  {
    WorkZoneMsgArg a;
    EXPECT_TRUE(UnpackCommandArg(arg, a));
    return a;
  }
  std::vector<unsigned char> Bytes() const { return {arg.get_buffer(), arg.get_buffer() + arg.length()}; }
};

// Packs each send with the runtime's payload layout and records it; returns
// `result` (9 with "Unkonwn error occurred." models a controller without a
// Management reference).
class RecordingSender : public ICommandSender
{
public:
  std::vector<SentCommand> sent;
  int result = 0;
  std::string lastError;

  int SendIncident(int action, int from, int to, float start, float end, float severity) override
  {
    return Record(IncidentCommand(action, from, to, start, end, severity));
  }
  int SendVMS(int action, int type, int from, int to, const int* params, float start, float end,
              const int* subPath) override
  {
    return Record(VMSCommand(action, type, from, to, params, start, end, subPath));
  }
  int SendWorkZone(int action, int from, int to, float start, float end, float capacity, int speed,
                   int rate) override
  {
    return Record(WorkZoneCommand(action, from, to, start, end, capacity, speed, rate));
  }
  std::string GetLastError() const override { return lastError; }

  // Every failure from now on, as a controller without Management.
  void FailAll()
  {
    result = 9;
    lastError = "Unkonwn error occurred.";
  }
  std::vector<int> Codes() const
  {
    std::vector<int> codes;
    for (const SentCommand& c : sent)
      codes.push_back(c.code);
    return codes;
  }

private:
  int Record(const CommandPayload& c)
  {
    sent.push_back({static_cast<int>(c.code), c.arg});
    return result;
  }
};

// Records warnings and information texts; answers questions from a queue
// (Yes when it is empty).
class RecordingPrompts : public IOperatorPrompts
{
public:
  std::vector<std::string> messages;
  std::vector<std::string> infos;
  std::vector<std::string> questions;
  std::deque<bool> answers;

  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  void ShowInfo(const std::string& text) override { infos.push_back(text); }
  bool AskYesNo(const std::string& question) override
  {
    questions.push_back(question);
    if (answers.empty())
      return true;
    bool a = answers.front();
    answers.pop_front();
    return a;
  }
  void Clear()
  {
    messages.clear();
    infos.clear();
    questions.clear();
  }
};

// The small network of the model's tests, loaded from a fresh run directory
// that is the working directory. Links (positions 0..4): 10->20, 20->30,
// 20->30 (parallel), 30->40, 40->10. Every operator list starts empty and
// is emptied again at the end.
class LoadedNetwork : public ::testing::Test
{
protected:
  void SetUp() override
  {
    m_dir = std::make_unique<fixtures::RunDir>();
    fixtures::SmallNetwork net;
    net.WriteAllFiles();
    m_loadSinks.Attach(g_Project);
    ASSERT_TRUE(g_Project.LoadNetworkData());
    g_Project.StopRealTimeReader();
    fixtures::RecordingSinks::Detach(g_Project);
    ASSERT_EQ(g_LineArray.GetSize(), 5);
    EmptyOperatorLists();
  }
  void TearDown() override
  {
    EmptyOperatorLists();
    g_Project.ClearNetworkArrays();
    m_dir.reset();
  }
  static void EmptyOperatorLists()
  {
    g_IncidentArray.RemoveAll();
    g_WorkZoneArray.RemoveAll();
    g_LinkModArray.RemoveAll();
    g_VMSArray.RemoveAll();
    g_VMSArrayPredict.RemoveAll();
    g_VMSArrayPredict1.RemoveAll();
  }
  const std::string& RunPath() const { return m_dir->path(); }

  RecordingSender sender;
  RecordingPrompts prompts;

private:
  std::unique_ptr<fixtures::RunDir> m_dir;
  fixtures::RecordingSinks m_loadSinks;
};

}  // namespace dialogs
