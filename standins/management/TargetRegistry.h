// TargetRegistry: the message targets registered with Management and the
// delivery of every message to each of them. Each target has a queue and a
// delivery thread of its own, so a slow target delays nobody else; a target
// whose delivery fails is dropped, and so is one that falls so far behind
// that its queue is full (by messages or by bytes).
#pragma once

#include <QELM.hh>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class TargetRegistry
{
public:
  // The most messages, and bytes of message payloads, waiting for one
  // target: a message that finds its target's queue at either bound drops
  // the target.
  static constexpr size_t MAX_QUEUED_MESSAGES = 1000;
  static constexpr size_t MAX_QUEUED_BYTES = 16u << 20;

  // call_timeout_ms bounds each delivery call to a target (0: the ORB's own).
  explicit TargetRegistry(unsigned call_timeout_ms);
  ~TargetRegistry();

  TargetRegistry(const TargetRegistry&) = delete;
  TargetRegistry& operator=(const TargetRegistry&) = delete;

  // The most targets registered at once.
  static constexpr size_t MAX_TARGETS = 64;

  // A nonzero id for the new target; 0 for a nil reference, after Stop, or
  // when MAX_TARGETS are registered.
  CORBA::Long Register(QELM::MessageTarget_ptr target);
  // True when the id named a live target, which is then withdrawn; false for
  // an unknown id and for a target already dropped after a failed delivery.
  bool Unregister(CORBA::Long id);
  // Queues one copy of the message for every live target, in the same order
  // for all of them. A target whose queue is full is dropped instead.
  void Post(const QELM::MSG& m);
  // Number of live targets.
  size_t Count();
  // Waits, for at most the limit, until every live target has been handed
  // everything queued for it; true when all were.
  bool WaitDelivered(std::chrono::milliseconds limit);
  // Ends every delivery thread. With drain, each target first gets what is
  // queued for it, for at most about two seconds (each call still bounded by
  // the call time-out); what is left then is dropped.
  void StopAll(bool drain);

private:
  struct Target
  {
    CORBA::Long id = 0;
    QELM::MessageTarget_var ref;
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<QELM::MSG> queue;
    size_t queued_bytes = 0;  // payload bytes in the queue
    bool stop = false;
    bool drain = false;
    bool sending = false;  // a delivery call is in progress
    std::chrono::steady_clock::time_point drain_until;
    std::atomic<bool> failed{false};
    std::atomic<bool> finished{false};
    std::thread thread;
  };

  static void Deliver(std::shared_ptr<Target> t);
  static void DeliverQueued(Target& t);
  void ReapLocked();
  static void Retire(std::shared_ptr<Target>& t, bool drain);

  unsigned m_call_timeout_ms;
  std::mutex m_mutex;
  std::map<CORBA::Long, std::shared_ptr<Target>> m_targets;
  std::vector<std::shared_ptr<Target>> m_retired;
  CORBA::Long m_next_id = 1;
  bool m_stopped = false;
};
