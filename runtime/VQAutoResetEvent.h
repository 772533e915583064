// VQAutoResetEvent: the event object of the message targets and the ORB
// thread pool, over the standard library.
#pragma once

#include <condition_variable>
#include <mutex>

// Auto-reset event: Set wakes one waiter (or the next one to wait) and the
// event resets itself when a waiter is released. Initially not signalled.
class VQAutoResetEvent
{
public:
  VQAutoResetEvent() = default;
  VQAutoResetEvent(const VQAutoResetEvent&) = delete;
  VQAutoResetEvent& operator=(const VQAutoResetEvent&) = delete;

  void Set()
  {
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_signalled = true;
    }
    m_cv.notify_one();
  }

  // Waits without time-out until the event is signalled, then resets it.
  void Wait()
  {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_cv.wait(lock, [this] { return m_signalled; });
    m_signalled = false;
  }

private:
  std::mutex m_mutex;
  std::condition_variable m_cv;
  bool m_signalled = false;
};
