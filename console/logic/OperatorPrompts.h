// What the operator dialogs ask of the person at the console besides a
// warning: an information message and a yes/no question. The windows answer
// with message boxes; tests answer from a script and record what was shown.
//
//   IOperatorPrompts& prompts = ...;
//   if (prompts.AskYesNo("Are you selecting vms.dat in FORESIM1"))
//     prompts.ShowInfo("Copy predict1/vms.dat to estimate/new_vms.dat successfully");
//   prompts.ShowMessage(" Please ensure that the start time is before the end time!");
#pragma once

#include <string>

#include "CProject.h"  // IMessageSink

// The kinds of message box the console shows. A box takes the kind its
// message names: a question offers Yes and No, the others OK; a message
// that names no kind is a warning.
enum class MessageKind {
  kWarning,
  kInformation,
  kError,
  kQuestion,
};

class IOperatorPrompts : public IMessageSink
{
public:
  // ShowMessage (from IMessageSink) shows a warning.
  virtual void ShowInfo(const std::string& text) = 0;
  // True for Yes.
  virtual bool AskYesNo(const std::string& question) = 0;
};
