#include "SlotArena.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdlib>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#define VLQ_POISON(p, n) ASAN_POISON_MEMORY_REGION((p), (n))
#define VLQ_UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION((p), (n))
#else
#define VLQ_POISON(p, n) ((void)(p), (void)(n))
#define VLQ_UNPOISON(p, n) ((void)(p), (void)(n))
#endif

namespace {

std::size_t RoundUp(std::size_t n, std::size_t to)
{
  return (n + to - 1) / to * to;
}

}  // namespace

SlotArena::SlotArena(std::size_t slotBytes, std::size_t alignment)
    : m_slotBytes(RoundUp(std::max({slotBytes, sizeof(FreeSlot), std::size_t{1}}),
                          std::max(alignment, alignof(FreeSlot))))
{}

SlotArena::~SlotArena()
{
  ReleaseBlocks();
}

void* SlotArena::Allocate()
{
  std::lock_guard<std::mutex> lock(m_mutex);
  void* slot = nullptr;
  if (m_free) {
    VLQ_UNPOISON(m_free, m_slotBytes);
    slot = m_free;
    m_free = m_free->next;
  } else {
    if (static_cast<std::size_t>(m_end - m_next) < m_slotBytes)
      AddBlock();
    slot = m_next;
    m_next += m_slotBytes;
    VLQ_UNPOISON(slot, m_slotBytes);
  }
  ++m_live;
  return slot;
}

void SlotArena::Free(void* slot) noexcept
{
  if (!slot)
    return;
  std::lock_guard<std::mutex> lock(m_mutex);
  auto* f = static_cast<FreeSlot*>(slot);
  f->next = m_free;
  m_free = f;
  VLQ_POISON(slot, m_slotBytes);
  if (--m_live == 0)
    ReleaseBlocks();
}

std::size_t SlotArena::LiveSlots() const
{
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_live;
}

std::size_t SlotArena::Blocks() const
{
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_blocks.size();
}

void SlotArena::AddBlock()
{
  const std::size_t bytes = m_blocks.empty() ? kHugePage : std::min(m_blocks.back().bytes * 2, kLargestBlock);
  m_blocks.reserve(m_blocks.size() + 1);  // so that the push below cannot throw
  void* block = std::aligned_alloc(kHugePage, bytes);
  if (!block)
    throw std::bad_alloc();
  // Huge pages where the kernel allows them on request; nothing changes
  // but the number of faults when it does not.
  ::madvise(block, bytes, MADV_HUGEPAGE);
  VLQ_POISON(block, bytes);
  m_blocks.push_back({block, bytes});
  m_next = static_cast<char*>(block);
  m_end = m_next + bytes;
}

void SlotArena::ReleaseBlocks() noexcept
{
  for (const Block& block : m_blocks) {
    VLQ_UNPOISON(block.start, block.bytes);
    std::free(block.start);
  }
  m_blocks.clear();
  m_next = m_end = nullptr;
  m_free = nullptr;
}
