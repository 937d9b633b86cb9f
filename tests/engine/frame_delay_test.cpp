// The iteration count of the frame wait for every kind of delay.

#include "engine/frame_delay.hpp"

#include <gtest/gtest.h>

#include <limits>

namespace nuv::engine {
namespace {

TEST(IdleIterations, WholeNumbersCountFromZeroToKInclusive) {
  EXPECT_EQ(idle_iterations(0.0), 1);  // the starting 0
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

}  // namespace
}  // namespace nuv::engine
