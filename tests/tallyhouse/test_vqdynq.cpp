// The bounded history: growth, trims, explicit trims, lowering the max size.
#include "VQDynQ.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A record that knows its insert number and counts the live instances, so
// that a test sees which records are kept and that dropped ones are deleted.
struct Rec
{
  explicit Rec(int n) : n(n) { ++live; }
  ~Rec() { --live; }
  int n;
  static int live;
};
int Rec::live = 0;

// Newest-first insert numbers currently held.
std::vector<int> Held(const VQDynQ<Rec>& q)
{
  std::vector<int> v;
  for (std::size_t i = 0; i < q.Size(); ++i)
    v.push_back(q.At(i)->n);
  return v;
}

struct GrowthCase
{
  const char* name;
  std::size_t trim, max;
  bool default_ctor;
  int inserts;
  std::size_t expected_size;
};

class VQDynQGrowth : public ::testing::TestWithParam<GrowthCase>
{};

TEST_P(VQDynQGrowth, SizeAndOrderAfterInserts)
{
  const GrowthCase& c = GetParam();
  Rec::live = 0;
  {
    VQDynQ<Rec> q = c.default_ctor ? VQDynQ<Rec>() : VQDynQ<Rec>(c.trim, c.max);
    for (int i = 1; i <= c.inserts; ++i)
      q.Insert(new Rec(i));
    ASSERT_EQ(q.Size(), c.expected_size);
    EXPECT_EQ(Rec::live, static_cast<int>(c.expected_size)) << "dropped records must be deleted";
    // Newest first, consecutive: the history holds the last expected_size inserts.
    std::vector<int> held = Held(q);
    for (std::size_t i = 0; i < held.size(); ++i)
      EXPECT_EQ(held[i], c.inserts - static_cast<int>(i));
  }
  EXPECT_EQ(Rec::live, 0) << "the destructor deletes every record held";
}

const GrowthCase kGrowthCases[] = {
    {"Trim30Max60_Full", 30, 60, false, 60, 60},
    {"Trim30Max60_OnePast", 30, 60, false, 61, 31},
    {"Trim30Max60_RegrowTo60", 30, 60, false, 90, 60},
    {"Trim30Max60_SecondTrim", 30, 60, false, 91, 31},
    {"Trim30Max80_Full", 30, 80, false, 80, 80},
    {"Trim30Max80_OnePast", 30, 80, false, 81, 31},
    {"Trim1Max1_First", 1, 1, false, 1, 1},
    {"Trim1Max1_Second", 1, 1, false, 2, 2},
    {"Trim1Max1_Many", 1, 1, false, 7, 2},
    {"Default_Full", 0, 0, true, 100, 100},
    {"Default_OnePast", 0, 0, true, 101, 26},
    {"Empty", 30, 60, false, 0, 0},
};

INSTANTIATE_TEST_SUITE_P(Sizes, VQDynQGrowth, ::testing::ValuesIn(kGrowthCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(VQDynQ, Trim1Max1AtOneIsThePreviousRecord)
{
  VQDynQ<Rec> q(1, 1);
  for (int i = 1; i <= 5; ++i)
    q.Insert(new Rec(i));
  EXPECT_EQ(q.At(0)->n, 5);
  EXPECT_EQ(q.At(1)->n, 4);
}

TEST(VQDynQ, Trim30Max60OldestAfterTrimIsThe31stNewest)
{
  VQDynQ<Rec> q(30, 60);
  for (int i = 1; i <= 61; ++i)
    q.Insert(new Rec(i));
  EXPECT_EQ(q.At(q.Size() - 1)->n, 61 - 30);
}

struct TrimCase
{
  std::size_t held, n;
  std::size_t returned, left;
};

class VQDynQTrim : public ::testing::TestWithParam<TrimCase>
{};

TEST_P(VQDynQTrim, LeavesNPlusOne)
{
  const TrimCase& c = GetParam();
  VQDynQ<Rec> q(30, 1000);
  for (std::size_t i = 1; i <= c.held; ++i)
    q.Insert(new Rec(static_cast<int>(i)));
  EXPECT_EQ(q.Trim(c.n), c.returned);
  EXPECT_EQ(q.Size(), c.left);
  if (c.left > 0) {
    EXPECT_EQ(q.At(0)->n, static_cast<int>(c.held)) << "the newest record stays";
  }
}

INSTANTIATE_TEST_SUITE_P(Counts, VQDynQTrim,
                         ::testing::Values(TrimCase{6, 5, 0, 6},     // nothing removed
                                           TrimCase{7, 5, 1, 6},     // one removed
                                           TrimCase{45, 0, 14, 31},  // 0 means the trim size
                                           TrimCase{20, 0, 20, 20},  // smaller than trim + 1
                                           TrimCase{31, 0, 0, 31},
                                           TrimCase{5, 9, 5, 5},  // n >= size: the size
                                           TrimCase{32, 0, 1, 31}, TrimCase{0, 0, 0, 0}));

TEST(VQDynQ, SetMaxSizeLowersThenRaises)
{
  VQDynQ<Rec> q(30, 60);
  for (int i = 1; i <= 31; ++i)
    q.Insert(new Rec(i));
  q.SetMaxSize(10);
  EXPECT_EQ(q.Size(), 11u);
  EXPECT_EQ(q.GetMaxSize(), 10u);
  EXPECT_EQ(q.At(0)->n, 31);
  EXPECT_EQ(q.At(10)->n, 21);
  q.SetMaxSize(100);
  EXPECT_EQ(q.Size(), 11u);
  EXPECT_EQ(q.GetMaxSize(), 100u);
  // The raised max size applies to later inserts.
  for (int i = 32; i <= 120; ++i)
    q.Insert(new Rec(i));
  EXPECT_EQ(q.Size(), 100u);
}

TEST(VQDynQ, SetMaxSizeZeroIsRefused)
{
  VQDynQ<Rec> q(30, 60);
  q.Insert(new Rec(1));
  q.SetMaxSize(0);
  EXPECT_EQ(q.GetMaxSize(), 60u);
  EXPECT_EQ(q.Size(), 1u);
}

TEST(VQDynQ, ClearLeavesTrimPlusOne)
{
  struct
  {
    std::size_t trim, max;
    int held;
    std::size_t left;
  } cases[] = {{30, 60, 45, 31}, {30, 60, 20, 20}, {1, 1000, 5, 2}, {1, 1000, 1, 1}, {30, 60, 0, 0}};
  for (const auto& c : cases) {
    Rec::live = 0;
    VQDynQ<Rec> q(c.trim, c.max);
    for (int i = 1; i <= c.held; ++i)
      q.Insert(new Rec(i));
    q.Clear();
    EXPECT_EQ(q.Size(), c.left) << "trim " << c.trim << " held " << c.held;
    EXPECT_EQ(Rec::live, static_cast<int>(c.left));
    if (c.left > 0) {
      EXPECT_EQ(q.At(0)->n, c.held);
    }
  }
}

TEST(VQDynQ, RemoveOldestWithoutDeleteHandsTheRecordBack)
{
  Rec::live = 0;
  Rec* kept = new Rec(1);
  {
    VQDynQ<Rec> q(30, 60);
    q.Insert(kept);
    q.Insert(new Rec(2));
    q.RemoveOldest(false);
    EXPECT_EQ(q.Size(), 1u);
    EXPECT_EQ(q.At(0)->n, 2);
    EXPECT_EQ(Rec::live, 2);
  }
  EXPECT_EQ(Rec::live, 1);
  delete kept;
}

TEST(VQDynQ, BrokenPreconditionsAreHarmless)
{
  VQDynQ<Rec> q(30, 60);
  q.Insert(nullptr);
  EXPECT_EQ(q.Size(), 0u);
  q.RemoveOldest(true);
  EXPECT_EQ(q.Size(), 0u);
  EXPECT_EQ(q.At(0), nullptr);
  q.Insert(new Rec(1));
  EXPECT_EQ(q.At(1), nullptr);
}

TEST(VQDynQ, CopyTakesTheSizes)
{
  VQDynQ<Rec> a(7, 9);
  VQDynQ<Rec> b(a);
  EXPECT_EQ(b.GetMaxSize(), 9u);
  EXPECT_EQ(b.GetTrimSize(), 7u);
  EXPECT_EQ(b.Size(), 0u);
}

}  // namespace
