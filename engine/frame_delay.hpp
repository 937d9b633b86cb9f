#pragma once
// The wait after each frame: a count of idle iterations set by the delay, each lasting a fixed
// time.

#include <chrono>
#include <cstdint>
#include <functional>

#include "engine/loose_number.hpp"

namespace nuv::engine {

// One idle iteration lasts this long whatever the processor, so speeds are the same everywhere.
inline constexpr std::chrono::microseconds kIdleIterationTime{1};

// Iterations of a loop counting from 0 while the counter is at most `delay`: the whole part of
// the delay plus one for a delay >= 0, none for a negative one.
std::int64_t idle_iterations(LooseNumber delay);

// The operating system's sleep may overshoot by tens of microseconds, so the last stretch before
// a deadline is spun instead.
inline constexpr std::chrono::microseconds kSpinMargin{200};

// Passes time for the frame wait; tests substitute one that only records.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual void wait(std::chrono::microseconds duration) = 0;
};

// Waits against the monotonic clock: idles for the bulk, spins only the last moment, so the
// wait is accurate without keeping a core busy.
class SteadyClock final : public Clock {
 public:
  using IdleUntil = std::function<void(std::chrono::steady_clock::time_point)>;

  // `idle_until` passes the bulk of each wait; the window system's host may use it to keep
  // reading input while the frame waits.
  explicit SteadyClock(IdleUntil idle_until = sleep_until) : idle_until_(std::move(idle_until)) {}
  void wait(std::chrono::microseconds duration) override;

 private:
  static void sleep_until(std::chrono::steady_clock::time_point deadline);
  IdleUntil idle_until_;
};

}  // namespace nuv::engine
