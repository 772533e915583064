// The arena the network's links are made from: slots that do not overlap,
// freed slots taken again, every block given back with the last slot, and
// many threads at once. Links themselves are made and deleted through it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <set>
#include <thread>
#include <vector>

#include "CDrawLine.h"
#include "GlobalArrays.h"
#include "SlotArena.h"

TEST(SlotArena, SlotsAlignedApartAndGivenBackWithTheLast)
{
  SlotArena arena(100, 16);
  EXPECT_EQ(arena.SlotBytes(), 112u);
  // Enough slots to fill several blocks (2 MB, then 4 MB, ...).
  const std::size_t n = (SlotArena::kHugePage * 3) / arena.SlotBytes() + 10;
  std::vector<char*> slots;
  for (std::size_t i = 0; i < n; ++i) {
    auto* p = static_cast<char*>(arena.Allocate());
    ASSERT_EQ(reinterpret_cast<std::uintptr_t>(p) % 16, 0u);
    std::memset(p, static_cast<int>(i & 0xff), arena.SlotBytes());
    slots.push_back(p);
  }
  EXPECT_EQ(arena.LiveSlots(), n);
  EXPECT_GE(arena.Blocks(), 2u);
  // No two slots overlap: each still holds what was written into it.
  std::vector<char*> sorted = slots;
  std::sort(sorted.begin(), sorted.end());
  for (std::size_t i = 1; i < sorted.size(); ++i)
    ASSERT_GE(sorted[i] - sorted[i - 1], static_cast<std::ptrdiff_t>(arena.SlotBytes()));
  for (std::size_t i = 0; i < n; ++i)
    ASSERT_EQ(slots[i][arena.SlotBytes() - 1], static_cast<char>(i & 0xff)) << i;

  // A freed slot is the next one handed out; no new block for it.
  const std::size_t blocks = arena.Blocks();
  char* freed = slots[n / 2];
  arena.Free(freed);
  EXPECT_EQ(arena.Allocate(), freed);
  EXPECT_EQ(arena.Blocks(), blocks);
  arena.Free(nullptr);
  EXPECT_EQ(arena.LiveSlots(), n);

  for (char* p : slots)
    arena.Free(p);
  EXPECT_EQ(arena.LiveSlots(), 0u);
  EXPECT_EQ(arena.Blocks(), 0u);
  // And it serves again after giving everything back.
  void* again = arena.Allocate();
  EXPECT_NE(again, nullptr);
  EXPECT_EQ(arena.Blocks(), 1u);
  arena.Free(again);
}

TEST(SlotArena, ManyThreadsAtOnce)
{
  SlotArena arena(sizeof(CDrawLine), alignof(CDrawLine));
  constexpr int kThreads = 8, kRounds = 20000;
  std::vector<std::vector<void*>> kept(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&arena, &kept, t] {
      std::vector<void*> mine;
      for (int i = 0; i < kRounds; ++i) {
        void* p = arena.Allocate();
        std::memset(p, t, arena.SlotBytes());
        mine.push_back(p);
        if (i % 3 == 0) {  // free some at once, keep the rest
          arena.Free(mine.back());
          mine.pop_back();
        }
      }
      kept[static_cast<std::size_t>(t)] = std::move(mine);
    });
  for (std::thread& th : threads)
    th.join();
  std::set<void*> distinct;
  std::size_t total = 0;
  for (int t = 0; t < kThreads; ++t)
    for (void* p : kept[static_cast<std::size_t>(t)]) {
      ++total;
      distinct.insert(p);
      ASSERT_EQ(static_cast<unsigned char*>(p)[arena.SlotBytes() - 1], t);
    }
  EXPECT_EQ(distinct.size(), total);
  EXPECT_EQ(arena.LiveSlots(), total);
  for (auto& mine : kept)
    for (void* p : mine)
      arena.Free(p);
  EXPECT_EQ(arena.Blocks(), 0u);
}

TEST(SlotArena, LinksLiveInTheArenaAndOwnTheirParts)
{
  // Links made, given shapes and names, held by an owning array and
  // deleted with it: their strings and vectors are freed with them (the
  // leak checker of the sanitizer build sees any that is not).
  CTypedObArray<CDrawLine> lines;
  for (int i = 0; i < 1000; ++i) {
    auto line = std::make_unique<CDrawLine>();
    line->m_szName = "a link name long enough to leave the small-string buffer";
    line->SetShape({{0.0, 0.0}, {double(i), 1.0}, {double(i), 2.0}});
    line->SetSeries(0, 0, 5, 1.5);
    lines.Add(line.release());
  }
  EXPECT_EQ(lines.GetAt(999)->PointCount(), 3);
  EXPECT_EQ(lines.GetAt(999)->Series(0, 0, 5), 1.5);
  lines.RemoveAll();
  // A link on the stack or from a plain allocation is unaffected.
  CDrawLine onStack;
  onStack.SetShape({{0.0, 0.0}, {1.0, 0.0}});
  EXPECT_DOUBLE_EQ(onStack.ShapeLength(), 1.0);
}
