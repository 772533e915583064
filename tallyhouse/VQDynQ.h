// VQDynQ: a bounded, newest-first history of owned records.
//
// Index 0 is the newest record, the last index the oldest. The history grows
// up to its max size; an insert that passes it drops the oldest records in
// one step, down to the trim size plus one. It has no lock of its own: the
// owner guards each history.
#pragma once

#include "VQCheck.h"

#include <cstddef>
#include <deque>

template <class T>
class VQDynQ
{
public:
  VQDynQ(std::size_t trim_size, std::size_t max_size) : m_trim_size(trim_size), m_max_size(max_size) {}

  VQDynQ() : VQDynQ(25, 100) {}

  // Copies the sizes only; the other history must hold no record.
  VQDynQ(const VQDynQ& q) : m_trim_size(q.m_trim_size), m_max_size(q.m_max_size)
  {
    VQ_CHECK_TEXT(q.m_q.size() == 0, "q.size() == 0");
  }

  VQDynQ& operator=(const VQDynQ&) = delete;

  ~VQDynQ()
  {
    while (!m_q.empty())
      RemoveOldest(true);
  }

  // Takes ownership of pVal and makes it the newest record; trims when the
  // size now exceeds the max size.
  void Insert(T* pVal)
  {
    if (!VQ_CHECK(pVal != 0))
      return;
    m_q.push_front(pVal);
    if (m_q.size() > m_max_size)
      Trim(0);
  }

  // Removes the oldest records so that n + 1 remain (n = 0 means the trim
  // size); nothing when n >= Size(). Returns the number removed, or the size
  // when nothing was removed.
  std::size_t Trim(std::size_t n = 0)
  {
    if (n == 0)
      n = m_trim_size;
    const std::size_t size = m_q.size();
    if (n >= size)
      return size;
    const std::size_t count = size - n - 1;
    for (std::size_t i = 0; i < count; ++i)
      RemoveOldest(true);
    return count;
  }

  // Takes the oldest record off; deletes it when del is set.
  void RemoveOldest(bool del)
  {
    if (!VQ_CHECK_TEXT(m_q.size() != 0, "size() != 0"))
      return;
    T* p = m_q.back();
    m_q.pop_back();
    if (del && p != 0)
      delete p;
  }

  // The i-th newest record (0 the newest), still owned by the history; null
  // when i is out of range.
  T* At(std::size_t i) const
  {
    if (!VQ_CHECK_TEXT(i < m_q.size(), "i < size()"))
      return 0;
    return m_q[i];
  }

  std::size_t Size() const { return m_q.size(); }
  std::size_t GetTrimSize() const { return m_trim_size; }
  std::size_t GetMaxSize() const { return m_max_size; }

  // Lowering the max size trims to new_max first (leaving new_max + 1).
  void SetMaxSize(std::size_t new_max)
  {
    if (!VQ_CHECK(new_max > 0))
      return;
    if (new_max < m_max_size)
      Trim(new_max);
    m_max_size = new_max;
  }

  void Clear() { Trim(0); }

private:
  std::deque<T*> m_q;
  std::size_t m_trim_size;
  std::size_t m_max_size;
};
