// Message targets: the receiving side of a CORBA upcall copies each message
// into a queue and returns at once; one worker thread per target takes the
// messages out in arrival order and hands each to the target's handler.
//
//   VQMsgQ<T>         queue of owned pointers, arrival order, no lock of its own
//   VQMsgTargetLoop   abstract base of everything that runs a worker loop
//   VQMsgTarget<T>    queue + mutex + auto-reset event + worker thread
//
// Lifecycle of a target: built idle (accepting posts, no worker); running
// from StartThread until StopLoop; not accepting from the start of its
// destruction. A stop request ends the loop after the message in hand;
// messages still queued then, or posted later, are never handled and the
// destructor deletes them.
//
// A derived target must make sure its handler is no longer running when its
// own part is destroyed: the owner calls StopLoop before destroying it, or
// the derived destructor does (`if (m_is_running) StopLoop();`). The base
// destructor stops a worker that is still running, but by then only a worker
// waiting for messages can end cleanly.
#pragma once

#include "VQAutoResetEvent.h"
#include "VQCheck.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <new>
#include <thread>

// Queue of owned pointers to T in arrival order. It has no lock of its own:
// its owner guards it.
template <class T>
class VQMsgQ
{
public:
  VQMsgQ() = default;
  // Removes the pointers without deleting them (as Clear).
  virtual ~VQMsgQ() { Clear(); }

  VQMsgQ(const VQMsgQ&) = delete;
  VQMsgQ& operator=(const VQMsgQ&) = delete;

  // Appends at the back; the queue holds the pointer until it is popped.
  void Push(T* p) { m_q.push_back(p); }

  // Removes and returns the front; null when the queue is empty.
  T* Pop()
  {
    if (m_q.empty())
      return nullptr;
    T* p = m_q.front();
    m_q.pop_front();
    return p;
  }

  bool Empty() const { return m_q.empty(); }

  // Removes every pointer without deleting it.
  void Clear() { m_q.clear(); }

private:
  std::deque<T*> m_q;
};

// Abstract base of a worker loop; ThreadEntry is the worker thread's
// function.
class VQMsgTargetLoop
{
public:
  virtual ~VQMsgTargetLoop() = default;
  virtual void Loop() = 0;

  // Runs the object's loop; the thread then ends with 0.
  static int ThreadEntry(VQMsgTargetLoop* target)
  {
    if (!VQ_CHECK(target != NULL))
      return 0;
    target->Loop();
    return 0;
  }
};

template <class T>
class VQMsgTarget : public VQMsgTargetLoop
{
public:
  VQMsgTarget() = default;

  VQMsgTarget(const VQMsgTarget&) = delete;
  VQMsgTarget& operator=(const VQMsgTarget&) = delete;

  // Stops accepting posts, stops a worker that still runs (and joins it),
  // then deletes every message left in the queue unhandled. The stop is
  // requested before posts are refused, so that the loop takes no further
  // message once destruction has begun.
  ~VQMsgTarget() override
  {
    {
      std::unique_lock<std::mutex> lock(m_run_mutex);
      if (m_is_running) {
        m_stop = true;
        m_q_event.Set();
      }
      {
        std::lock_guard<std::mutex> q_lock(m_q_mutex);
        m_accepting = false;
      }
      if (m_is_running)
        WaitStopped(lock);
      if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id())
        m_thread.join();
      else if (m_thread.joinable())
        m_thread.detach();  // destroyed from its own handler: cannot join itself
    }
    std::lock_guard<std::mutex> lock(m_q_mutex);
    while (T* p = m_q.Pop())
      delete p;
  }

  // The worker's body: waits for posts and hands every queued message to
  // HandleMsg, one at a time, in post order, until a stop is requested.
  void Loop() override
  {
    {
      std::lock_guard<std::mutex> lock(m_run_mutex);
      if (!VQ_CHECK(!m_is_running))
        return;
      m_stop = false;
      m_is_running = true;
      m_worker_id = std::this_thread::get_id();
      ++m_loops_started;
    }
    m_run_cv.notify_all();

    while (!m_stop) {
      m_q_event.Wait();
      for (;;) {
        if (m_stop)
          break;
        T* pmsg;
        {
          std::lock_guard<std::mutex> lock(m_q_mutex);
          pmsg = m_q.Pop();
        }
        if (pmsg == nullptr)
          break;
        // A handler that throws loses its message, not the loop.
        try {
          HandleMsg(pmsg);
        } catch (...) {
          VQOStreamLog::Line("VQMsgTarget: the handler of a message failed; the message is dropped.\n");
        }
        delete pmsg;
      }
    }

    {
      std::lock_guard<std::mutex> lock(m_run_mutex);
      m_is_running = false;
      m_worker_id = std::thread::id();
    }
    m_run_cv.notify_all();
  }

  // Copies the message into the queue and wakes the worker. Throws the
  // integer -1 (and queues nothing) once the target no longer accepts posts.
  virtual void Post(const T& msg)
  {
    T* pmsg = new (std::nothrow) T(msg);
    if (!VQ_CHECK_TEXT(pmsg != nullptr, "pmsg != NULL"))
      return;
    {
      std::lock_guard<std::mutex> lock(m_q_mutex);
      if (!m_accepting) {
        delete pmsg;
        throw -1;
      }
      m_q.Push(pmsg);
    }
    m_q_event.Set();
  }

  // The target's handling of one message. The loop owns the message and
  // deletes it when the handler returns; the result is not used.
  virtual int HandleMsg(T* pmsg) = 0;

  // Starts the worker thread on VQMsgTargetLoop::ThreadEntry with this
  // target and returns once its loop is running, so that a StopLoop or the
  // destructor right after it always finds the loop to stop.
  virtual void StartThread()
  {
    std::unique_lock<std::mutex> lock(m_run_mutex);
    if (!VQ_CHECK(!m_is_running))
      return;
    if (m_thread.joinable())
      m_thread.join();  // a loop that has ended but was not joined yet
    const unsigned long started = m_loops_started;
    m_thread = std::thread(&VQMsgTargetLoop::ThreadEntry, static_cast<VQMsgTargetLoop*>(this));
    m_run_cv.wait(lock, [&] { return m_loops_started != started; });
  }

  // Asks the loop to end and waits until it has (after the message in hand),
  // then joins the worker thread started by StartThread. Called from another
  // thread than the worker; called from inside the handler it only asks the
  // loop to end once the handler returns.
  void StopLoop()
  {
    std::unique_lock<std::mutex> lock(m_run_mutex);
    if (!VQ_CHECK(m_is_running))
      return;
    m_stop = true;
    m_q_event.Set();
    WaitStopped(lock);
  }

protected:
  // Waiting messages, each owned by the queue until handed to the handler.
  VQMsgQ<T> m_q;
  // Guards m_q and m_accepting; held only for a push or a pop.
  std::mutex m_q_mutex;
  // Set on every post and on a stop request.
  VQAutoResetEvent m_q_event;
  // The loop is running.
  std::atomic<bool> m_is_running{false};
  // The loop is asked to stop.
  std::atomic<bool> m_stop{false};
  // Posts are accepted (guarded by m_q_mutex).
  bool m_accepting = true;

private:
  // With m_run_mutex held and the stop requested: waits until the loop has
  // ended and joins the worker thread. From inside the handler it returns at
  // once (the loop ends when the handler returns).
  void WaitStopped(std::unique_lock<std::mutex>& lock)
  {
    if (m_worker_id == std::this_thread::get_id())
      return;
    m_run_cv.wait(lock, [this] { return !m_is_running; });
    if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id())
      m_thread.join();
  }

  // Start and end of the loop, the worker thread and its id.
  std::mutex m_run_mutex;
  std::condition_variable m_run_cv;
  std::thread m_thread;
  std::thread::id m_worker_id;
  unsigned long m_loops_started = 0;
};
