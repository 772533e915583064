// VQORBThreadPool: runs one ORB's event loop in several threads at once.
//
// The calling thread of Run becomes one of the ORB threads; Run starts
// thread count - 1 secondary threads, waits until they are all in the loop,
// runs the loop itself and returns only after the ORB has been shut down
// and every secondary thread has left the loop and been joined, so that the
// caller may destroy the ORB right after. The pool object must outlive Run.
//
// (omniORB dispatches incoming calls on threads of its own; the pool threads
// wait in ORB::run until the ORB shuts down.)
#pragma once

#include <omniORB4/CORBA.h>

#include <atomic>
#include <thread>
#include <vector>

class VQORBThreadPool
{
public:
  // A nil ORB and both counts 0.
  VQORBThreadPool();
  // Thread count 0: set one before Run.
  explicit VQORBThreadPool(CORBA::ORB_ptr orb);
  VQORBThreadPool(CORBA::ORB_ptr orb, int thread_count);
  // Requires that no thread runs ("m_running_threads == 0").
  virtual ~VQORBThreadPool();

  VQORBThreadPool(const VQORBThreadPool&) = delete;
  VQORBThreadPool& operator=(const VQORBThreadPool&) = delete;

  // Total number of ORB threads, the calling one included. Refused (failed
  // check "m_running_threads == 0", returns -1) while threads run; 0 when
  // taken.
  virtual int SetThreadCount(int count);
  virtual int GetThreadCount();
  virtual int GetRunningThreads();
  // Runs the pool (see above); returns 0 after the ORB has shut down and
  // every secondary thread has ended. Returns -1 at once, running nothing,
  // when the thread count is below 1 (failed check "m_thread_count >= 1"),
  // when the ORB is nil, or when the pool already runs.
  virtual int Run();
  // Duplicates the ORB. Refused like SetThreadCount while threads run.
  virtual int SetORB(CORBA::ORB_ptr orb);
  // The pool's ORB, still owned by the pool.
  virtual CORBA::ORB_ptr GetORB();
  // Returns 0 once no thread is in the loop any more.
  virtual int WaitForSecondaryThreads();

  class ShutdownEvent;

private:
  struct ThreadArg
  {
    std::atomic<int>* running_threads;
    // Counts every thread that has reached its loop, also one that has left
    // it again already.
    std::atomic<int>* entered_threads;
    ShutdownEvent* shutdown_event;
    CORBA::ORB_ptr orb;  // a duplicate, released by the thread
  };
  static int ThreadMain(ThreadArg* arg);

  CORBA::ORB_var m_orb;
  int m_thread_count = 0;
  std::atomic<int> m_running_threads{0};
  ShutdownEvent* m_shutdown_event = nullptr;

  std::atomic<bool> m_in_run{false};
  // Secondary threads of the current Run that have reached their loop.
  std::atomic<int> m_entered_threads{0};
  std::vector<std::thread> m_threads;
};
