#include "VQORBThreadPool.h"

#include "HRTime.h"
#include "VQAutoResetEvent.h"
#include "VQCheck.h"
#include "VQOStreamLog.h"

#include <cstdlib>
#include <mutex>
#include <new>
#include <system_error>

class VQORBThreadPool::ShutdownEvent : public VQAutoResetEvent
{};

namespace {

// Runs the ORB's loop; an exception from it (an ORB already shut down or
// destroyed) ends the loop like a shutdown does.
void run_orb(CORBA::ORB_ptr orb)
{
  try {
    orb->run();
  } catch (const CORBA::Exception&) {
  } catch (...) {
    VQOStreamLog::Line("VQORBThreadPool: an ORB thread's loop failed and ended.\n");
  }
}

}  // namespace

VQORBThreadPool::VQORBThreadPool()
    : m_orb(CORBA::ORB::_nil()), m_shutdown_event(new (std::nothrow) ShutdownEvent)
{
  VQ_CHECK_TEXT(m_shutdown_event != NULL, "m_shutdown_event != NULL");
}

VQORBThreadPool::VQORBThreadPool(CORBA::ORB_ptr orb)
    : m_orb(CORBA::ORB::_duplicate(orb)), m_shutdown_event(new (std::nothrow) ShutdownEvent)
{
  VQ_CHECK_TEXT(m_shutdown_event != NULL, "m_shutdown_event != NULL");
}

VQORBThreadPool::VQORBThreadPool(CORBA::ORB_ptr orb, int thread_count)
    : m_orb(CORBA::ORB::_duplicate(orb)), m_thread_count(thread_count),
      m_shutdown_event(new (std::nothrow) ShutdownEvent)
{
  VQ_CHECK_TEXT(m_shutdown_event != NULL, "m_shutdown_event != NULL");
}

VQORBThreadPool::~VQORBThreadPool()
{
  VQ_CHECK_TEXT(m_running_threads == 0, "m_running_threads == 0");
  // Run joins its threads before it returns; nothing is left to join unless
  // the pool is destroyed while Run is still on the stack, which is a
  // caller's error.
  for (auto& t : m_threads)
    if (t.joinable())
      t.join();
  delete m_shutdown_event;
}

int VQORBThreadPool::SetThreadCount(int count)
{
  if (!VQ_CHECK_TEXT(m_running_threads == 0 && !m_in_run, "m_running_threads == 0"))
    return -1;
  m_thread_count = count;
  return 0;
}

int VQORBThreadPool::GetThreadCount()
{
  return m_thread_count;
}

int VQORBThreadPool::GetRunningThreads()
{
  return m_running_threads;
}

int VQORBThreadPool::SetORB(CORBA::ORB_ptr orb)
{
  if (!VQ_CHECK_TEXT(m_running_threads == 0 && !m_in_run, "m_running_threads == 0"))
    return -1;
  m_orb = CORBA::ORB::_duplicate(orb);
  return 0;
}

CORBA::ORB_ptr VQORBThreadPool::GetORB()
{
  return m_orb.in();
}

int VQORBThreadPool::Run()
{
  const int count = m_thread_count;
  if (!VQ_CHECK_TEXT(count >= 1, "m_thread_count >= 1"))
    return -1;
  if (!VQ_CHECK_TEXT(!CORBA::is_nil(m_orb.in()), "!CORBA::is_nil( m_orb.in() )"))
    return -1;
  if (!VQ_CHECK_TEXT(m_shutdown_event != NULL, "m_shutdown_event != NULL"))
    return -1;
  bool expected = false;
  if (!VQ_CHECK_TEXT(m_in_run.compare_exchange_strong(expected, true), "m_running_threads == 0"))
    return -1;

  int launched = 0;
  m_entered_threads = 0;
  for (int i = 0; i < count - 1; ++i) {
    ThreadArg* arg = new (std::nothrow) ThreadArg{&m_running_threads, &m_entered_threads, m_shutdown_event,
                                                  CORBA::ORB::_duplicate(m_orb.in())};
    if (!VQ_CHECK_TEXT(arg != 0, "arg != 0"))
      break;
    try {
      m_threads.emplace_back(&VQORBThreadPool::ThreadMain, arg);
      ++launched;
    } catch (const std::system_error&) {
      VQ_CHECK_TEXT(false, "ret != 0");
      CORBA::release(arg->orb);
      delete arg;
      break;
    }
  }

  // Wait for every secondary thread to have reached its loop. The threads
  // that have entered are counted apart from those still inside: when the
  // ORB is shut down during the start-up (or before it), a thread may leave
  // the loop before the last one has entered, and the running count then
  // never reaches the full number.
  while (m_entered_threads < launched)
    SleepMs(static_cast<uint32_t>(std::rand() % 250));
  VQ_CHECK_TEXT(m_running_threads == count - 1, "m_running_threads == m_thread_count-1");

  VQOStreamLog::Line("VQORBThreadPool: Launched %d secondary threads. Running the main thread...\n",
                     launched);

  ++m_running_threads;
  run_orb(m_orb.in());
  const int remaining = --m_running_threads;

  VQOStreamLog::Line("Main ORB thread shutdown. Remaining threads: %d\n", remaining);

  WaitForSecondaryThreads();
  for (auto& t : m_threads)
    t.join();
  m_threads.clear();
  m_in_run = false;
  return 0;
}

int VQORBThreadPool::WaitForSecondaryThreads()
{
  while (m_running_threads >= 1)
    m_shutdown_event->Wait();
  return 0;
}

int VQORBThreadPool::ThreadMain(ThreadArg* arg)
{
  ++*arg->running_threads;
  ++*arg->entered_threads;
  run_orb(arg->orb);
  const int remaining = --*arg->running_threads;
  VQOStreamLog::Line("ORB thread shutdown. Remaining threads: %d\n", remaining);
  arg->shutdown_event->Set();
  CORBA::release(arg->orb);
  delete arg;
  return 0;
}
