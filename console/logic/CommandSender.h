// What the operator dialogs need of the system controller: the three command
// sends, the text of the last failure, and a place where one operator
// action's sends run. The console's controller implements the sends; the
// command queue (CommandQueue.h) runs the actions off the window thread;
// dialog tests use a recording sender.
//
//   ICommandSender& sender = ...;
//   if (sender.SendIncident(1, from, to, 480.0f, 540.0f, 0.5f) != 0)
//     ShowMessage(sender.GetLastError());
//   sender.RunAction({removeOld, addNew}, sink);   // a Change: two sends, one report
//
// action 1 sends the add code, any other value the remove code. A result of 0
// is success; any other value is the controller's return code, and
// GetLastError() then tells why (9 when no Management reference is held).
#pragma once

#include <functional>
#include <string>
#include <vector>

class IMessageSink;

class ICommandSender
{
public:
  virtual ~ICommandSender() = default;

  virtual int SendIncident(int action, int fromNode, int toNode, float start, float end, float severity) = 0;
  // params: 2 values; subPath: 100 node numbers.
  virtual int SendVMS(int action, int type, int fromNode, int toNode, const int* params, float start,
                      float end, const int* subPath) = 0;
  virtual int SendWorkZone(int action, int fromNode, int toNode, float start, float end,
                           float capacityReduction, int speedLimit, int dischargeRate) = 0;
  virtual std::string GetLastError() const = 0;

  // The sends of one operator action, each made on the sender it is given.
  using Send = std::function<int(ICommandSender&)>;
  using Sends = std::vector<Send>;
  // Makes an action's sends in order and shows the last error of the first
  // that fails, once, on the sink. This default makes them here and now on
  // this sender; a sender that makes them later (the command queue) shows
  // the failure on a sink of its own, since the caller's may be gone then.
  virtual void RunAction(Sends sends, IMessageSink& sink);
};

// Makes the sends in order on sender: the last error of the first that
// fails, or "" when all succeed.
std::string RunSends(const ICommandSender::Sends& sends, ICommandSender& sender);
