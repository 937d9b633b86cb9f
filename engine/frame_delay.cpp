#include "engine/frame_delay.hpp"

#include <algorithm>
#include <cmath>

namespace nuv::engine {

std::int64_t idle_iterations(double delay) {
  if (!(delay >= 0)) return 0;
  // Far beyond any wait that could end; keeps the conversion defined for any float.
  constexpr double kLongest = 1e15;
  return static_cast<std::int64_t>(std::floor(std::min(delay, kLongest))) + 1;
}

}  // namespace nuv::engine
