#include "WorkerPool.h"

#include <algorithm>

WorkerPool& WorkerPool::Get()
{
  static WorkerPool pool(static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 2u, 8u)) - 1);
  return pool;
}

WorkerPool::WorkerPool(int threads)
{
  for (int i = 0; i < threads; ++i)
    m_threads.emplace_back([this] { Loop(); });
}

WorkerPool::~WorkerPool()
{
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bStop = true;
  }
  m_work.notify_all();
  for (auto& t : m_threads)
    t.join();
}

void WorkerPool::Run(int n, const std::function<void(int)>& fn)
{
  if (n <= 0)
    return;
  if (n == 1) {
    fn(0);
    return;
  }
  Job job{&fn, n};
  std::unique_lock<std::mutex> lock(m_mutex);
  m_queue.push_back(&job);
  m_work.notify_all();
  // Work on this job until every piece is taken.
  for (int i; (i = Take(job)) >= 0;) {
    lock.unlock();
    fn(i);
    lock.lock();
    ++job.done;
  }
  m_queue.erase(std::remove(m_queue.begin(), m_queue.end(), &job), m_queue.end());
  // The pieces the workers took: a worker touches the job only under the
  // lock, and last when it counts its piece done.
  m_done.wait(lock, [&] { return job.done == job.n; });
}

void WorkerPool::Loop()
{
  std::unique_lock<std::mutex> lock(m_mutex);
  for (;;) {
    m_work.wait(lock, [&] { return m_bStop || !m_queue.empty(); });
    if (m_bStop)
      return;
    Job* job = m_queue.front();
    const int i = Take(*job);
    if (i < 0) {
      m_queue.pop_front();
      continue;
    }
    lock.unlock();
    (*job->fn)(i);
    lock.lock();
    if (++job->done == job->n)
      m_done.notify_all();
  }
}
