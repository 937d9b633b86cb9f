#pragma once
// The wait after each frame: a count of idle iterations set by the delay, each lasting a fixed
// time, which the host lets pass.

#include <chrono>
#include <cstdint>

namespace nuv::engine {

// One idle iteration lasts this long whatever the processor, so speeds are the same everywhere.
inline constexpr std::chrono::microseconds kIdleIterationTime{1};

// Iterations of a loop counting from 0 while the counter is at most `delay`: the whole part of
// the delay plus one for a delay >= 0, none for a negative one.
std::int64_t idle_iterations(double delay);

}  // namespace nuv::engine
