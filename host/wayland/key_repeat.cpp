#include "host/wayland/key_repeat.hpp"

namespace nuv::host::wayland {

void KeyRepeat::set_rate(int per_second, std::chrono::milliseconds delay) {
  per_second_ = per_second;
  delay_ = delay;
  if (per_second_ <= 0) stop();
}

void KeyRepeat::press(std::uint32_t key, char32_t character, TimePoint at) {
  if (per_second_ <= 0) return;
  key_ = key;
  character_ = character;
  next_ = at + delay_;
}

void KeyRepeat::release(std::uint32_t key) {
  if (key_ == key) stop();
}

std::optional<TimePoint> KeyRepeat::next() const {
  if (!key_) return std::nullopt;
  return next_;
}

int KeyRepeat::take_due(TimePoint now) {
  if (!key_) return 0;
  const auto period = std::chrono::duration_cast<Duration>(std::chrono::seconds{1}) / per_second_;
  // A stall of the process does not come back as a burst of repetitions.
  if (now - next_ > 10 * period) next_ = now;
  int due = 0;
  for (; next_ <= now; next_ += period) ++due;
  return due;
}

}  // namespace nuv::host::wayland
