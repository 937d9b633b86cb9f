#pragma once
// The time the hosts keep: one monotonic clock, its moments and spans, the display refresh assumed
// where a window system tells none, and how long is left until a moment.

#include <algorithm>
#include <chrono>

namespace nuv::host {

using MonotonicClock = std::chrono::steady_clock;
using TimePoint = MonotonicClock::time_point;
using Duration = MonotonicClock::duration;

// Where a window system does not tell how often its display shows a new picture: sixty times a
// second, which no display is slower than.
inline constexpr Duration kAssumedRefresh = std::chrono::microseconds{16667};

// The time from `now` until `until`; none once it has come.
constexpr Duration time_left(TimePoint until, TimePoint now) {
  return std::max<Duration>(until - now, Duration::zero());
}

}  // namespace nuv::host
