// What the operator dialogs need of the system controller: the three command
// sends and the text of the last failure. The console's controller implements
// it; dialog tests use a recording sender.
//
//   ICommandSender& sender = ...;
//   if (sender.SendIncident(1, from, to, 480.0f, 540.0f, 0.5f) != 0)
//     ShowMessage(sender.GetLastError());
//
// action 1 sends the add code, any other value the remove code. A result of 0
// is success; any other value is the controller's return code, and
// GetLastError() then tells why (9 when no Management reference is held).
#pragma once

#include <string>

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
};
