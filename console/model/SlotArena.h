// Fixed-size slots for objects made by the hundred thousand, taken from
// large blocks that the kernel may back with huge pages: loading a network
// of 200,000 links then costs a few dozen page faults instead of the tens
// of thousands that one allocation per link costs (each fault is dear in a
// virtual machine). A freed slot is kept for the next object; every block
// is given back once the last slot is freed, so a network loaded again, or
// emptied, returns its memory.
//
//   class CDrawLine {
//   public:
//     static void* operator new(std::size_t bytes);          // Arena().Allocate
//     static void operator delete(void* p, std::size_t bytes) noexcept;
//   };
//
// Safe from any thread. Under AddressSanitizer a free slot is poisoned, so a
// use after free is reported as it would be for the heap.
#pragma once

#include <cstddef>
#include <mutex>
#include <vector>

class SlotArena
{
public:
  // Slots of slotBytes (rounded up to alignment, itself a power of two of
  // at most 4096).
  SlotArena(std::size_t slotBytes, std::size_t alignment);
  ~SlotArena();
  SlotArena(const SlotArena&) = delete;
  SlotArena& operator=(const SlotArena&) = delete;

  // A slot of SlotBytes(); throws std::bad_alloc when no block can be had.
  void* Allocate();
  // Gives back a slot from Allocate; null is ignored.
  void Free(void* slot) noexcept;

  std::size_t SlotBytes() const { return m_slotBytes; }
  // Slots handed out and not freed, and the blocks held.
  std::size_t LiveSlots() const;
  std::size_t Blocks() const;

  // The first block's size; each further block doubles the last, up to
  // kLargestBlock. Both are multiples of the huge page.
  static constexpr std::size_t kHugePage = std::size_t{2} << 20;
  static constexpr std::size_t kLargestBlock = std::size_t{32} << 20;

private:
  struct FreeSlot
  {
    FreeSlot* next;
  };
  void AddBlock();  // with m_mutex held
  void ReleaseBlocks() noexcept;

  const std::size_t m_slotBytes;
  mutable std::mutex m_mutex;
  struct Block
  {
    void* start;
    std::size_t bytes;
  };
  std::vector<Block> m_blocks;
  char* m_next = nullptr;  // bump pointer in the newest block
  char* m_end = nullptr;
  FreeSlot* m_free = nullptr;
  std::size_t m_live = 0;
};
