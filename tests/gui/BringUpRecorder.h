// What the bring-up steps tell the operator, recorded from whichever thread
// runs them: the message list's lines and the message boxes (the launcher's
// and the project load's included).
//
//   RecordingBringUpOutput output;
//   BringUpSequence bringUp(platform, corba, output, options);
//   EXPECT_EQ(output.FirstBox(), "");
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "BringUp.h"
#include "CProject.h"

struct RecordingBringUpOutput : IBringUpOutput, IMessageSink
{
  std::mutex mutex;
  std::vector<std::string> messages, boxes;

  void AddMessage(const std::string& text) override
  {
    std::lock_guard<std::mutex> lock(mutex);
    messages.push_back(text);
  }
  void ShowMessageBox(const std::string& text, Box) override { ShowMessage(text); }
  void ShowMessage(const std::string& text) override
  {
    std::lock_guard<std::mutex> lock(mutex);
    boxes.push_back(text);
  }
  // The first box shown, or "".
  std::string FirstBox()
  {
    std::lock_guard<std::mutex> lock(mutex);
    return boxes.empty() ? std::string() : boxes.front();
  }
};
