#pragma once
// Keys held down repeat on the client's own clock under Wayland, at the rate and after the delay
// the compositor tells: the character the key typed, again and again, until the key goes up or
// another goes down.

#include <chrono>
#include <cstdint>
#include <optional>

#include "host/clock.hpp"

namespace nuv::host::wayland {

class KeyRepeat {
 public:
  // Repeats a second, none for 0, after `delay`.
  void set_rate(int per_second, std::chrono::milliseconds delay);
  void press(std::uint32_t key, char32_t character, TimePoint at);
  void release(std::uint32_t key);
  void stop() { key_.reset(); }

  // When the next repetition is due; nothing while no key repeats.
  std::optional<TimePoint> next() const;
  // How many repetitions are due by `now`; they are taken.
  int take_due(TimePoint now);
  char32_t character() const { return character_; }

 private:
  int per_second_ = 25;
  std::chrono::milliseconds delay_{600};
  std::optional<std::uint32_t> key_;
  char32_t character_ = 0;
  TimePoint next_{};
};

}  // namespace nuv::host::wayland
