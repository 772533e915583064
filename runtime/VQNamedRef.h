// VQNamedRef: a peer's reference that is looked up again by its name
// {"QELM", name} once a call shows the peer gone, so that a peer started
// again from its batch file is used again without anyone handing over its
// new reference.
//
//   VQNamedRef<QELM::Tallyhouse> store("Tallyhouse");
//   store.SetORB(orb);
//   store.Set(fromManagement);             // also ends a loss
//   QELM::Tallyhouse_var s = store.Get();  // nil: lost and not bound now
//   try {
//     s->InsertRecord(r, id);
//     if (store.Answered(s.in())) LogBack();
//   } catch (const CORBA::SystemException& e) {
//     if (store.Failed(s.in(), e)) LogLost();
//   }
//
// Once lost, every Get makes one look-up, without waiting (the next call
// asks again), until a call on the reference it returned is answered. A
// reference Set while a look-up or a call is under way holds: the outcome
// of a call on an older reference changes nothing. One mutex guards the
// ORB, the reference and the loss; it is never held during a remote call.
#pragma once

#include "qelm_corba_utils.h"

#include <mutex>
#include <string>
#include <utility>

template <class T>
class VQNamedRef
{
public:
  using Ptr = typename T::_ptr_type;
  using Var = typename T::_var_type;

  explicit VQNamedRef(std::string name) : m_name(std::move(name)) {}
  VQNamedRef(const VQNamedRef&) = delete;
  VQNamedRef& operator=(const VQNamedRef&) = delete;

  // The ORB of the look-ups (duplicated); nil to forget it. Without one a
  // lost reference is handed out as it is.
  void SetORB(CORBA::ORB_ptr orb)
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_orb = CORBA::ORB::_duplicate(orb);
  }
  CORBA::ORB_ptr ORB() const
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    return CORBA::ORB::_duplicate(m_orb.in());
  }

  // The reference to use from now on (duplicated; nil for none): a loss of
  // the one before ends with it.
  void Set(Ptr ref)
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_ref = T::_duplicate(ref);
    m_lost = false;
  }

  // The reference held, without a look-up (the caller owns it).
  Ptr Held() const
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    return T::_duplicate(m_ref.in());
  }

  // The reference to call (the caller owns it): the one held, or, while it
  // is lost, the live one bound under the name now, which is held from then
  // on (nil when none is bound or answers).
  Ptr Get()
  {
    Var held;
    CORBA::ORB_var orb;
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      if (!m_lost || CORBA::is_nil(m_ref.in()) || CORBA::is_nil(m_orb.in()))
        return T::_duplicate(m_ref.in());
      held = T::_duplicate(m_ref.in());
      orb = CORBA::ORB::_duplicate(m_orb.in());
    }
    Var found;
    try {
      found = qelm_get_object<T>(orb.in(), m_name.c_str(), 0);
    } catch (...) {
      return T::_nil();
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    // Set may have replaced the reference meanwhile: that one holds.
    if (m_ref.in() != held.in())
      return T::_duplicate(m_ref.in());
    m_ref = T::_duplicate(found.in());
    return found._retn();
  }

  // A call on used (from Get) raised e. True when that made the reference
  // lost just now (e says the peer is unreachable, used is still the one
  // held, and it was not lost before).
  bool Failed(Ptr used, const CORBA::SystemException& e)
  {
    if (!qelm_unreachable(e))
      return false;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_lost || m_ref.in() != used)
      return false;
    m_lost = true;
    return true;
  }

  // A call on used (from Get) was answered. True when that ended a loss
  // just now.
  bool Answered(Ptr used)
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_lost || m_ref.in() != used)
      return false;
    m_lost = false;
    return true;
  }

  // A call failed for want of the peer, and none on the reference held has
  // been answered since.
  bool Lost() const
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_lost;
  }

private:
  const std::string m_name;
  mutable std::mutex m_mutex;  // guards the three below
  CORBA::ORB_var m_orb;
  Var m_ref;
  bool m_lost = false;
};
