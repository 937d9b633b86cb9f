#include "engine/frame_delay.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <thread>

namespace nuv::engine {

std::int64_t idle_iterations(LooseNumber delay) {
  const double limit = delay.value();
  if (!(limit >= 0)) return 0;
  // Far beyond any wait that could end; keeps the conversion defined for any float.
  constexpr double kLongest = 1e15;
  return static_cast<std::int64_t>(std::floor(std::min(limit, kLongest))) + 1;
}

void SteadyClock::wait(std::chrono::microseconds duration) {
  using std::chrono::steady_clock;
  const auto start = steady_clock::now();
  const auto deadline = start + duration - overrun_;
  idle_until_(deadline);
  auto now = steady_clock::now();
  while (now < deadline) now = steady_clock::now();
  overrun_ = std::min<steady_clock::duration>(now - deadline, kLongestMakeUp);
}

void SteadyClock::sleep_until(std::chrono::steady_clock::time_point deadline) {
  if (deadline - std::chrono::steady_clock::now() > kShortestIdle)
    std::this_thread::sleep_until(deadline);
}

}  // namespace nuv::engine
