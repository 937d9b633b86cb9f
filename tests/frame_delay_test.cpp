// The iteration count of the frame wait for every kind of delay.

#include "engine/frame_delay.hpp"

#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <thread>

namespace nuv::engine {
namespace {

TEST(IdleIterations, WholeNumbersCountFromZeroToKInclusive) {
  EXPECT_EQ(idle_iterations(LooseNumber{}), 1);  // the starting 0
  EXPECT_EQ(idle_iterations(std::int32_t{0}), 1);
  EXPECT_EQ(idle_iterations(std::int32_t{1}), 2);
  EXPECT_EQ(idle_iterations(std::int32_t{10000}), 10001);
  EXPECT_EQ(idle_iterations(std::int32_t{1000000}), 1000001);
  EXPECT_EQ(idle_iterations(std::numeric_limits<std::int32_t>::max()), std::int64_t{1} << 31);
}

TEST(IdleIterations, FloatsCountTheirWholePartPlusOne) {
  EXPECT_EQ(idle_iterations(0.0f), 1);
  EXPECT_EQ(idle_iterations(0.999f), 1);
  EXPECT_EQ(idle_iterations(1.0f), 2);
  EXPECT_EQ(idle_iterations(9526.33f), 9527);
  EXPECT_EQ(idle_iterations(std::numeric_limits<float>::denorm_min()), 1);
}

TEST(IdleIterations, NegativeKGivesNoIteration) {
  EXPECT_EQ(idle_iterations(std::int32_t{-1}), 0);
  EXPECT_EQ(idle_iterations(std::numeric_limits<std::int32_t>::min()), 0);
  EXPECT_EQ(idle_iterations(-0.5f), 0);
  EXPECT_EQ(idle_iterations(-1e30f), 0);
}

TEST(IdleIterations, HugeFloatsStayFiniteAndOrdered) {
  const std::int64_t huge = idle_iterations(3e38f);
  EXPECT_GT(huge, idle_iterations(std::numeric_limits<std::int32_t>::max()));
  EXPECT_GT(huge, 0);
}

// The steady clock hands every wait's deadline to the idler, spins what the idler leaves of
// it, and takes the time the idler overslept off the next wait.
TEST(SteadyClock, IdlesThroughLongWaitsAndMakesUpForAnOverrun) {
  using namespace std::chrono;
  std::optional<steady_clock::time_point> idled_until;
  milliseconds oversleep{0};
  const auto idler = [&](steady_clock::time_point deadline) {
    idled_until = deadline;
    if (deadline - steady_clock::now() > kShortestIdle)
      std::this_thread::sleep_until(deadline + oversleep);
  };

  for (const microseconds short_wait : {microseconds{0}, kShortestIdle}) {
    SteadyClock spinning([&](steady_clock::time_point deadline) { idled_until = deadline; });
    const auto start = steady_clock::now();
    spinning.wait(short_wait);
    ASSERT_TRUE(idled_until) << "the deadline of a " << short_wait.count() << " us wait";
    EXPECT_GE(*idled_until, start + short_wait);
    EXPECT_LE(*idled_until, steady_clock::now()) << "the rest is spun";
    idled_until.reset();
  }

  // A fresh clock, with no lateness of earlier waits to make up.
  SteadyClock clock(idler);
  const microseconds wait = kShortestIdle + microseconds{800};
  auto start = steady_clock::now();
  clock.wait(wait);
  const auto end = steady_clock::now();
  ASSERT_TRUE(idled_until);
  EXPECT_GE(*idled_until, start + wait);
  EXPECT_LE(*idled_until, end);

  // Every idle now wakes 2 ms late, yet ten 3 ms waits take about their 30 ms, not 50 ms: each
  // wait is shortened by the last one's lateness.
  oversleep = milliseconds{2};
  start = steady_clock::now();
  for (int i = 0; i < 10; ++i) clock.wait(milliseconds{3});
  EXPECT_LT(steady_clock::now() - start, milliseconds{40});
}

TEST(LooseNumber, HoldsTheKindStoredLast) {
  LooseNumber delay;
  EXPECT_FALSE(delay.holds_float());
  EXPECT_EQ(delay.value(), 0.0);
  delay = 2.5f;
  EXPECT_TRUE(delay.holds_float());
  EXPECT_EQ(delay.value(), 2.5);
  delay = std::int32_t{10000};
  EXPECT_FALSE(delay.holds_float());
  EXPECT_EQ(delay.value(), 10000.0);
  EXPECT_NE(LooseNumber{0.0f}, LooseNumber{std::int32_t{0}});
}

}  // namespace
}  // namespace nuv::engine
