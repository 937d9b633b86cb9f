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

// Waits this short are spun: a sleep would overshoot by more than it saves.
inline constexpr std::chrono::microseconds kShortestIdle{200};
// Time a wait overran is taken off the next ones, so frames keep their rate even when the idle
// wakes late (the operating system's sleep overshoots by tens of microseconds; a hidden
// window's wait sleeps longer on purpose). A larger overrun is forgiven beyond this.
inline constexpr std::chrono::milliseconds kLongestMakeUp{100};

// Passes time for the frame wait; tests substitute one that only records.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual void wait(std::chrono::microseconds duration) = 0;
};

// Waits against the monotonic clock: idles through a wait, spins only a short one, and takes
// the time a wait overran off the next, so the frames keep their exact rate on average
// without keeping a core busy.
class SteadyClock final : public Clock {
 public:
  using IdleUntil = std::function<void(std::chrono::steady_clock::time_point)>;

  // `idle_until` is handed the deadline of every wait, also of one too short to sleep through or
  // already past, and passes as much of the wait as it chooses; the clock spins the rest. The
  // window system's host uses it to keep reading input while the frame waits, and to know which
  // moment each pump pass stands for. It may return late: the clock makes up the time.
  explicit SteadyClock(IdleUntil idle_until = sleep_until) : idle_until_(std::move(idle_until)) {}
  void wait(std::chrono::microseconds duration) override;

 private:
  static void sleep_until(std::chrono::steady_clock::time_point deadline);
  IdleUntil idle_until_;
  std::chrono::steady_clock::duration overrun_{};
};

}  // namespace nuv::engine
