// The operator's commands to Management off the window thread: each action
// of the incident, VMS and work-zone dialogs (an Add, a Change with its two
// sends, a Delete) is queued and made on a thread of the queue's own, in the
// order the operator entered them, so that a Management that answers slowly
// or not at all never holds the window. A failed action is reported once, on
// the queue's sink, when its sends are over (each is bounded by the
// controller's call time-out); the dialog may be closed by then. A send that
// throws has failed like one that returns a code, with the exception's text
// (RunSends); the queue and the action's other sends go on.
//
//   ConsoleBringUpOutput boxes;              // message boxes, queued to the window thread
//   CommandQueue commands(controller, boxes);
//   BindInputDialogs(frame, commands);       // the dialogs' actions go through the queue
//
// The dialogs' global arrays keep each change whatever the sends return, so
// an action carries copies of the objects it sends.
#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "CommandSender.h"

class CommandQueue : public ICommandSender
{
public:
  // sender makes the sends (the console's controller); reports shows the
  // failures and is called on the queue's thread. Both outlive the queue.
  CommandQueue(ICommandSender& sender, IMessageSink& reports);
  // Close, and waits for the action under way.
  ~CommandQueue() override;
  CommandQueue(const CommandQueue&) = delete;
  CommandQueue& operator=(const CommandQueue&) = delete;

  // Single sends go straight to the sender, on the caller's thread.
  int SendIncident(int action, int fromNode, int toNode, float start, float end, float severity) override;
  int SendVMS(int action, int type, int fromNode, int toNode, const int* params, float start, float end,
              const int* subPath) override;
  int SendWorkZone(int action, int fromNode, int toNode, float start, float end, float capacityReduction,
                   int speedLimit, int dischargeRate) override;
  std::string GetLastError() const override;

  // Queues the action and returns at once; the caller's sink is not used.
  void RunAction(Sends sends, IMessageSink& sink) override;

  // Drops the actions not begun and takes no more; the one under way ends
  // on its own.
  void Close();

  // Actions queued or under way.
  int Pending() const;

private:
  void Loop();

  ICommandSender& m_sender;
  IMessageSink& m_reports;
  mutable std::mutex m_mutex;  // guards the four below
  std::condition_variable m_wake;
  std::deque<Sends> m_actions;
  bool m_busy = false;
  bool m_stop = false;
  std::thread m_thread;  // started by the first action
};
