#include "CommandQueue.h"

#include <exception>

#include "CProject.h"  // IMessageSink

namespace {

// One send, its failure's text or "". A send that throws has failed like
// one that returns a code: on the queue's thread the exception would end
// the program.
std::string RunSend(const ICommandSender::Send& send, ICommandSender& sender)
{
  try {
    return send(sender) == 0 ? std::string() : sender.GetLastError();
  } catch (const std::exception& e) {
    return std::string("The command could not be sent: ") + e.what();
  } catch (...) {
    return "The command could not be sent.";
  }
}

}  // namespace

std::string RunSends(const ICommandSender::Sends& sends, ICommandSender& sender)
{
  std::string failure;
  for (const ICommandSender::Send& send : sends)
    if (std::string text = RunSend(send, sender); !text.empty() && failure.empty())
      failure = std::move(text);
  return failure;
}

void ICommandSender::RunAction(Sends sends, IMessageSink& sink)
{
  const std::string failure = RunSends(sends, *this);
  if (!failure.empty())
    sink.ShowMessage(failure);
}

CommandQueue::CommandQueue(ICommandSender& sender, IMessageSink& reports)
    : m_sender(sender), m_reports(reports)
{}

CommandQueue::~CommandQueue()
{
  Close();
  if (m_thread.joinable())
    m_thread.join();
}

void CommandQueue::Close()
{
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_stop = true;
    m_actions.clear();
  }
  m_wake.notify_all();
}

int CommandQueue::SendIncident(int action, int fromNode, int toNode, float start, float end, float severity)
{
  return m_sender.SendIncident(action, fromNode, toNode, start, end, severity);
}

int CommandQueue::SendVMS(int action, int type, int fromNode, int toNode, const int* params, float start,
                          float end, const int* subPath)
{
  return m_sender.SendVMS(action, type, fromNode, toNode, params, start, end, subPath);
}

int CommandQueue::SendWorkZone(int action, int fromNode, int toNode, float start, float end,
                               float capacityReduction, int speedLimit, int dischargeRate)
{
  return m_sender.SendWorkZone(action, fromNode, toNode, start, end, capacityReduction, speedLimit,
                               dischargeRate);
}

std::string CommandQueue::GetLastError() const
{
  return m_sender.GetLastError();
}

void CommandQueue::RunAction(Sends sends, IMessageSink&)
{
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_stop)
      return;
    m_actions.push_back(std::move(sends));
    if (!m_thread.joinable())
      m_thread = std::thread([this] { Loop(); });
  }
  m_wake.notify_one();
}

int CommandQueue::Pending() const
{
  std::lock_guard<std::mutex> lock(m_mutex);
  return static_cast<int>(m_actions.size()) + (m_busy ? 1 : 0);
}

void CommandQueue::Loop()
{
  std::unique_lock<std::mutex> lock(m_mutex);
  for (;;) {
    m_wake.wait(lock, [this] { return m_stop || !m_actions.empty(); });
    if (m_stop)
      return;
    Sends sends = std::move(m_actions.front());
    m_actions.pop_front();
    m_busy = true;
    lock.unlock();
    const std::string failure = RunSends(sends, m_sender);
    if (!failure.empty())
      m_reports.ShowMessage(failure);
    lock.lock();
    m_busy = false;
  }
}
