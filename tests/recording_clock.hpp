#pragma once
// A clock for the engine's tests: records every wait instead of waiting.

#include <cstdint>
#include <vector>

#include "engine/frame_delay.hpp"

namespace nuv::testing {

class RecordingClock final : public engine::Clock {
 public:
  void wait(std::chrono::microseconds duration) override { waits.push_back(duration.count()); }
  std::vector<std::int64_t> waits;  // microseconds
};

}  // namespace nuv::testing
