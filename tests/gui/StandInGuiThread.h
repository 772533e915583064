// A stand-in for the console's window thread: posted calls run one after
// the other on a thread of their own, in post order.
//
//   GuiThread gui;
//   target.SetDisplay(&display, gui.Poster());
//   gui.Run([&] { EXPECT_EQ(display.lines.size(), 3u); });   // on that thread
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "GUI_VQMsgTarget.h"

class GuiThread
{
public:
  GuiThread() : m_thread([this] { Loop(); }) {}
  ~GuiThread()
  {
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_stop = true;
    }
    m_cv.notify_all();
    m_thread.join();
  }
  GuiThread(const GuiThread&) = delete;
  GuiThread& operator=(const GuiThread&) = delete;

  void Post(std::function<void()> f)
  {
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_queue.push_back(std::move(f));
      ++m_posted;
    }
    m_cv.notify_all();
  }

  GuiPoster Poster()
  {
    return [this](std::function<void()> f) { Post(std::move(f)); };
  }

  // Runs f on the thread after everything posted before it, and waits.
  void Run(const std::function<void()>& f)
  {
    std::mutex done;
    std::condition_variable cv;
    bool finished = false;
    Post([&] {
      f();
      std::lock_guard<std::mutex> lock(done);
      finished = true;
      cv.notify_all();
    });
    std::unique_lock<std::mutex> lock(done);
    cv.wait(lock, [&] { return finished; });
  }

  // Calls posted so far (Run's own included).
  long Posted()
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_posted;
  }

private:
  void Loop()
  {
    for (;;) {
      std::function<void()> f;
      {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_cv.wait(lock, [this] { return m_stop || !m_queue.empty(); });
        if (m_queue.empty())
          return;
        f = std::move(m_queue.front());
        m_queue.pop_front();
      }
      f();
    }
  }

  std::mutex m_mutex;
  std::condition_variable m_cv;
  std::deque<std::function<void()>> m_queue;
  long m_posted = 0;
  bool m_stop = false;
  std::thread m_thread;
};
