#include "TargetRegistry.h"

#include "VQOStreamLog.h"

#include <utility>

TargetRegistry::TargetRegistry(unsigned call_timeout_ms) : m_call_timeout_ms(call_timeout_ms) {}

TargetRegistry::~TargetRegistry()
{
  StopAll(false);
}

CORBA::Long TargetRegistry::Register(QELM::MessageTarget_ptr target)
{
  if (CORBA::is_nil(target))
    return 0;
  auto t = std::make_shared<Target>();
  t->ref = QELM::MessageTarget::_duplicate(target);
  if (m_call_timeout_ms != 0)
    omniORB::setClientCallTimeout(t->ref.in(), m_call_timeout_ms);

  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_stopped)
    return 0;
  ReapLocked();
  // Each target has a thread of its own: a caller cannot make Management
  // start threads without end.
  if (m_targets.size() >= MAX_TARGETS)
    return 0;
  t->id = m_next_id++;
  if (m_next_id <= 0)  // ids stay positive, never 0
    m_next_id = 1;
  t->thread = std::thread(&TargetRegistry::Deliver, t);
  m_targets[t->id] = t;
  return t->id;
}

bool TargetRegistry::Unregister(CORBA::Long id)
{
  std::shared_ptr<Target> t;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_targets.find(id);
    if (it == m_targets.end())
      return false;
    t = it->second;
    m_targets.erase(it);
  }
  const bool was_live = !t->failed.load();
  {
    std::lock_guard<std::mutex> tl(t->mutex);
    t->stop = true;
  }
  t->wake.notify_all();
  // Not joined here: a call to a slow target may still be on its way, and
  // the caller of UnregisterTarget must not wait for it.
  std::lock_guard<std::mutex> lock(m_mutex);
  m_retired.push_back(t);
  ReapLocked();
  return was_live;
}

void TargetRegistry::Post(const QELM::MSG& m)
{
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_stopped)
    return;
  ReapLocked();
  for (auto it = m_targets.begin(); it != m_targets.end();) {
    const std::shared_ptr<Target>& t = it->second;
    bool full = false;
    size_t waiting = 0, waiting_bytes = 0;
    {
      std::lock_guard<std::mutex> tl(t->mutex);
      if (t->queue.size() >= MAX_QUEUED_MESSAGES || t->queued_bytes >= MAX_QUEUED_BYTES) {
        // Fallen too far behind: dropped as a failing target is, and what
        // waits for it freed now. A call on its way still ends by itself.
        full = true;
        waiting = t->queue.size();
        waiting_bytes = t->queued_bytes;
        t->failed = true;
        t->stop = true;
        t->queue.clear();
        t->queued_bytes = 0;
      } else {
        t->queue.push_back(m);
        t->queued_bytes += m.arg.length();
      }
    }
    t->wake.notify_one();
    if (full) {
      VQOStreamLog::Line("Message target %ld dropped: %zu messages (%zu bytes) wait for delivery.\n",
                         static_cast<long>(t->id), waiting, waiting_bytes);
      m_retired.push_back(t);
      it = m_targets.erase(it);
    } else {
      ++it;
    }
  }
}

size_t TargetRegistry::Count()
{
  std::lock_guard<std::mutex> lock(m_mutex);
  ReapLocked();
  return m_targets.size();
}

bool TargetRegistry::WaitDelivered(std::chrono::milliseconds limit)
{
  const auto until = std::chrono::steady_clock::now() + limit;
  for (;;) {
    bool idle = true;
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      ReapLocked();
      for (auto& [id, t] : m_targets) {
        std::lock_guard<std::mutex> tl(t->mutex);
        if (!t->queue.empty() || t->sending)
          idle = false;
      }
    }
    if (idle)
      return true;
    if (std::chrono::steady_clock::now() >= until)
      return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

void TargetRegistry::StopAll(bool drain)
{
  std::map<CORBA::Long, std::shared_ptr<Target>> targets;
  std::vector<std::shared_ptr<Target>> retired;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_stopped = true;
    targets.swap(m_targets);
    retired.swap(m_retired);
  }
  for (auto& [id, t] : targets)
    Retire(t, drain);
  for (auto& t : retired)
    Retire(t, false);
}

void TargetRegistry::Retire(std::shared_ptr<Target>& t, bool drain)
{
  {
    std::lock_guard<std::mutex> tl(t->mutex);
    t->stop = true;
    t->drain = drain;
    t->drain_until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  }
  t->wake.notify_all();
  if (t->thread.joinable())
    t->thread.join();
}

// Moves the targets whose delivery failed out of the live map, and joins
// the delivery threads that have ended. Called with m_mutex held.
void TargetRegistry::ReapLocked()
{
  for (auto it = m_targets.begin(); it != m_targets.end();) {
    if (it->second->failed.load()) {
      m_retired.push_back(it->second);
      it = m_targets.erase(it);
    } else {
      ++it;
    }
  }
  for (auto it = m_retired.begin(); it != m_retired.end();) {
    if ((*it)->finished.load()) {
      if ((*it)->thread.joinable())
        (*it)->thread.join();
      it = m_retired.erase(it);
    } else {
      ++it;
    }
  }
}

void TargetRegistry::Deliver(std::shared_ptr<Target> t)
{
  try {
    DeliverQueued(*t);
  } catch (...) {
    // Nothing thrown leaves the thread; the target is dropped.
    VQOStreamLog::Line("Message target %ld dropped: its delivery thread failed.\n", static_cast<long>(t->id));
    t->failed = true;
  }
  {
    std::lock_guard<std::mutex> tl(t->mutex);
    t->sending = false;
    t->queue.clear();
    t->queued_bytes = 0;
  }
  t->finished = true;
}

// Hands the queued messages to the target one by one until it is stopped or
// a delivery fails.
void TargetRegistry::DeliverQueued(Target& t)
{
  for (;;) {
    QELM::MSG m;
    {
      std::unique_lock<std::mutex> tl(t.mutex);
      t.wake.wait(tl, [&] { return t.stop || !t.queue.empty(); });
      if (t.stop && (!t.drain || t.queue.empty() || std::chrono::steady_clock::now() > t.drain_until))
        break;
      m = t.queue.front();
      t.queue.pop_front();
      t.queued_bytes -= m.arg.length();
      t.sending = true;
    }
    try {
      t.ref->SendMsg(m);
    } catch (const CORBA::Exception& e) {
      VQOStreamLog::Line("Message target %ld dropped: delivery of message %ld failed (%s).\n",
                         static_cast<long>(t.id), static_cast<long>(m.ID), e._name());
      t.failed = true;
      break;
    } catch (...) {
      VQOStreamLog::Line("Message target %ld dropped: delivery of message %ld failed.\n",
                         static_cast<long>(t.id), static_cast<long>(m.ID));
      t.failed = true;
      break;
    }
    std::lock_guard<std::mutex> tl(t.mutex);
    t.sending = false;
  }
}
