// HRTime arithmetic, conversions and clock-time text.
#include "HRTime.h"
#include "HRTimeTestUtil.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <ostream>
#include <string>

namespace {

void ExpectTime(const HRTime& got, long long sec, long long msec, const std::string& what)
{
  EXPECT_EQ(got.sec, sec) << what;
  EXPECT_EQ(got.msec, msec) << what;
}

struct BinaryCase
{
  HRTime a, b;
  long long sec, msec;
};

TEST(HRTimeArithmetic, SumCarriesOnce)
{
  const BinaryCase cases[] = {
      {T(1, 600), T(0, 500), 2, 100}, {T(0, 0), T(0, 0), 0, 0},       {T(0, 999), T(0, 1), 1, 0},
      {T(-1, 700), T(0, 300), 0, 0},  {T(-2, 0), T(1, 999), -1, 999},
  };
  for (const auto& c : cases) {
    const std::string what = testing::PrintToString(c.a) + " + " + testing::PrintToString(c.b);
    ExpectTime(c.a + c.b, c.sec, c.msec, what);
    HRTime in_place = c.a;
    in_place += c.b;
    ExpectTime(in_place, c.sec, c.msec, what + " (+=)");
  }
}

TEST(HRTimeArithmetic, NegationAndDifferenceStayInNormalForm)
{
  ExpectTime(-T(0, 0), 0, 0, "-{0,0}");
  ExpectTime(-T(3, 250), -4, 750, "-{3,250}");
  ExpectTime(-T(-1, 700), 0, 300, "-{-1,700}");
  ExpectTime(-T(2, 0), -2, 0, "-{2,0}");
  // The far-past time stamp of the record store.
  ExpectTime(-T(2147483647, 0), -2147483647, 0, "far past");

  const BinaryCase cases[] = {
      {T(1, 0), T(1, 300), -1, 700},
      {T(5, 100), T(2, 200), 2, 900},
      {T(0, 0), T(0, 1), -1, 999},
      {T(7, 0), T(7, 0), 0, 0},
  };
  for (const auto& c : cases) {
    const std::string what = testing::PrintToString(c.a) + " - " + testing::PrintToString(c.b);
    ExpectTime(c.a - c.b, c.sec, c.msec, what);
    HRTime in_place = c.a;
    in_place -= c.b;
    ExpectTime(in_place, c.sec, c.msec, what + " (-=)");
  }
}

TEST(HRTimeArithmetic, ComparisonsTakeSecondsFirst)
{
  struct Case
  {
    HRTime a, b;
    bool greater, equal;
  } cases[] = {
      {T(2, 0), T(1, 999), true, false},   {T(1, 999), T(2, 0), false, false},
      {T(1, 500), T(1, 499), true, false}, {T(1, 500), T(1, 500), false, true},
      {T(-1, 700), T(0, 0), false, false},
  };
  for (const auto& c : cases) {
    const std::string what = testing::PrintToString(c.a) + " vs " + testing::PrintToString(c.b);
    EXPECT_EQ(c.a > c.b, c.greater) << what;
    EXPECT_EQ(c.a <= c.b, !c.greater) << what;
    EXPECT_EQ(c.a == c.b, c.equal) << what;
    EXPECT_EQ(c.a != c.b, !c.equal) << what;
  }
}

TEST(HRTimeArithmetic, DivisionTruncatesAndNormalises)
{
  struct Case
  {
    HRTime a;
    double d;
    long long sec, msec;
  } cases[] = {
      {T(0, 8), 2.0, 0, 4},
      {T(3, 0), 2.0, 1, 500},
      {T(0, 7), 2.0, 0, 3},
      {T(0, 10), 2.0, 0, 5},
      // The quotient's fraction and msec/d together pass a whole second.
      {T(1, 999), 1.0, 1, 999},
      {T(0, 900), 0.5, 1, 800},
      {T(2, 600), 0.25, 10, 400},
      // Negative values keep a non-negative millisecond part.
      {T(-1, 700), 2.0, -1, 850},
      {T(-4, 0), 2.0, -2, 0},
      // Seconds beyond 32 bits are kept.
      {T(3000000000LL, 0), 0.5, 6000000000LL, 0},
      // A millisecond part far out of range is normalised at once.
      {T(0, 500), 1.0 / 1048576.0, 524288, 0},
  };
  for (const auto& c : cases) {
    const std::string what = testing::PrintToString(c.a) + " / " + std::to_string(c.d);
    const HRTime q = c.a / c.d;
    ExpectTime(q, c.sec, c.msec, what);
    EXPECT_GE(q.msec, 0) << what;
    EXPECT_LT(q.msec, 1000) << what;
    HRTime in_place = c.a;
    in_place /= c.d;
    ExpectTime(in_place, c.sec, c.msec, what + " (/=)");
  }
}

TEST(HRTimeArithmetic, MultiplicationTruncatesToMilliseconds)
{
  struct Case
  {
    HRTime a;
    double d;
    long long sec, msec;
  } cases[] = {
      {T(2, 500), 1.5, 3, 750},
      {T(0, 3), 0.5, 0, 1},
      {T(1, 0), -0.3, -1, 700},
      {T(0, 0), 12.0, 0, 0},
      {T(3000000000LL, 0), 2.0, 6000000000LL, 0},
  };
  for (const auto& c : cases) {
    HRTime r = c.a;
    r *= c.d;
    ExpectTime(r, c.sec, c.msec, testing::PrintToString(c.a) + " x " + std::to_string(c.d));
  }
}

TEST(HRTimeConversion, FromSecondsAndRounding)
{
  struct Case
  {
    double x;
    long long sec, msec;
  } cases[] = {
      {0.01, 0, 10}, {10.0, 10, 0}, {-0.3, -1, 700}, {1.5, 1, 500}, {-2.0, -2, 0}, {0.0, 0, 0},
  };
  for (const auto& c : cases)
    ExpectTime(HRTimeFromSeconds(c.x), c.sec, c.msec, "from " + std::to_string(c.x));

  struct MsCase
  {
    long long ms, sec, msec;
  } ms_cases[] = {{0, 0, 0}, {10, 0, 10}, {1500, 1, 500}, {-300, -1, 700}, {-2000, -2, 0}, {-1, -1, 999}};
  for (const auto& c : ms_cases)
    ExpectTime(HRTimeFromMilliseconds(c.ms), c.sec, c.msec, "from " + std::to_string(c.ms) + " ms");

  ExpectTime(HRTimeFromWholeSeconds(-5), -5, 0, "whole -5");
  ExpectTime(HRTimeFromWholeSeconds(2147483647), 2147483647, 0, "whole max");

  EXPECT_EQ(HRTimeRoundToSeconds(T(9, 499)), 9u);
  EXPECT_EQ(HRTimeRoundToSeconds(T(9, 500)), 10u);
  EXPECT_EQ(HRTimeRoundToSeconds(T(0, 0)), 0u);
}

class HRTimeText : public testing::Test
{
protected:
  void SetUp() override
  {
    const char* tz = std::getenv("TZ");
    had_tz_ = tz != nullptr;
    if (had_tz_)
      old_tz_ = tz;
    setenv("TZ", "UTC", 1);
    tzset();
  }
  void TearDown() override
  {
    if (had_tz_)
      setenv("TZ", old_tz_.c_str(), 1);
    else
      unsetenv("TZ");
    tzset();
  }

private:
  bool had_tz_ = false;
  std::string old_tz_;
};

TEST_F(HRTimeText, ClockTimeInTheLocalZone)
{
  struct Case
  {
    HRTime t;
    const char* text;
  } cases[] = {
      {T(0, 0), "00:00:00.000"},       {T(3661, 5), "01:01:01.005"},   {T(86399, 999), "23:59:59.999"},
      {T(90000, 120), "01:00:00.120"}, {T(-2, 500), "-00:00:01.500"},  {T(-60, 500), "-00:00:59.500"},
      {T(-1, 0), "-00:00:01.000"},     {T(-3600, 0), "-01:00:00.000"},
  };
  for (const auto& c : cases) {
    char buffer[HRTIME_TEXT_SIZE];
    EXPECT_STREQ(HRTimeToString(c.t, buffer), c.text) << testing::PrintToString(c.t);
  }
}

TEST_F(HRTimeText, ExtremeValuesStayWithinTheBuffer)
{
  // Time stamps of any value may arrive from other programs: the text never
  // passes the buffer, and forming the magnitude of the smallest value does
  // not overflow.
  const HRTime cases[] = {
      T(LLONG_MIN, 0), T(LLONG_MIN, 1), T(LLONG_MIN, 999), T(LLONG_MAX, 999),
      T(LLONG_MAX, 0), T(0, 123456),    T(-1, 123456),     T(5, -7),
  };
  for (const auto& t : cases) {
    char block[HRTIME_TEXT_SIZE + 8];
    std::memset(block, '#', sizeof block);
    const std::string text = HRTimeToString(t, block);
    EXPECT_LT(text.size(), static_cast<size_t>(HRTIME_TEXT_SIZE)) << testing::PrintToString(t);
    EXPECT_EQ(text[0] == '-', t.sec < 0) << testing::PrintToString(t);
    for (size_t i = HRTIME_TEXT_SIZE; i < sizeof block; ++i)
      ASSERT_EQ(block[i], '#') << "wrote past the buffer: " << testing::PrintToString(t);
  }
}

// The system's wall clock in milliseconds. (time() is not a fit reference:
// on Linux it reads a coarse copy of the clock that lags a precise reading
// by up to a tick, so it can still show the previous second.)
long long WallClockMs()
{
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  return static_cast<long long>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

TEST(HRTimeClock, NowIsInNormalFormAndAgreesWithTheWallClock)
{
  for (int i = 0; i < 2000; ++i) {
    const long long before = WallClockMs();
    const HRTime now = HRTimeNow();
    const long long after = WallClockMs();
    ASSERT_GE(now.msec, 0);
    ASSERT_LT(now.msec, 1000);
    // Seconds and milliseconds come from one reading, so the value lies
    // between two wall-clock readings taken around it.
    const long long ms = now.sec * 1000 + now.msec;
    ASSERT_GE(ms, before);
    ASSERT_LE(ms, after);
  }
  // The seconds are calendar seconds since 1970.
  EXPECT_LE(std::llabs(HRTimeNow().sec - static_cast<long long>(std::time(nullptr))), 1);
  HRTime filled = T(-5, 5);
  HRTime& same = HRTimeNow(filled);
  EXPECT_EQ(&same, &filled);
  EXPECT_GT(filled.sec, 0);
}

TEST(HRTimeClock, NowNeverGoesBackAcrossSecondBoundaries)
{
  // With seconds and milliseconds from two readings, a second boundary
  // between them makes the clock jump back by up to a second.
  HRTime last = HRTimeNow();
  const HRTime end = last + T(1, 200);
  while (!(last > end)) {
    const HRTime now = HRTimeNow();
    ASSERT_FALSE(last > now) << testing::PrintToString(last) << " then " << testing::PrintToString(now);
    last = now;
  }
}

TEST(HRTimeClock, SleepMsReturnsZero)
{
  EXPECT_EQ(SleepMs(0), 0);
  EXPECT_EQ(SleepMs(1), 0);
}

}  // namespace
