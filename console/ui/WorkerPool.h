// The drawing's worker threads: one pool for the run, as many threads as
// the machine has (up to 8). Run hands out the pieces of a job to the pool
// and to the calling thread, which works on its own job until every piece
// is taken, so that a job started from inside another (three views, each
// in stripes) never waits for a thread that waits for it.
//
//   WorkerPool::Get().Run(8, [&](int stripe) { ... });
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class WorkerPool
{
public:
  static WorkerPool& Get();
  // Threads of the pool, the calling one not counted.
  int Threads() const { return static_cast<int>(m_threads.size()); }
  // Runs fn(0) .. fn(n - 1) and returns when all have returned.
  void Run(int n, const std::function<void(int)>& fn);

  ~WorkerPool();
  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;

private:
  explicit WorkerPool(int threads);
  struct Job
  {
    const std::function<void(int)>* fn;
    int n;
    int next = 0;  // the next piece to hand out
    int done = 0;  // pieces finished
  };
  // Takes the next piece of a job (under the lock); -1 when all are taken.
  static int Take(Job& job) { return job.next < job.n ? job.next++ : -1; }
  void Loop();

  std::mutex m_mutex;
  std::condition_variable m_work;
  std::condition_variable m_done;
  std::deque<Job*> m_queue;
  std::vector<std::thread> m_threads;
  bool m_bStop = false;
};
