#include "host/pacer.hpp"

#include <algorithm>

namespace nuv::host {

void Pacer::wait(std::chrono::microseconds duration) {
  // A cycle whose deadline an earlier sleep passed: nothing arrived for it, and its picture would
  // be seen too late to be worth drawing.
  const Duration counted = std::max<Duration>(duration, kLeastCycle);
  if (overrun_ >= counted) {
    overrun_ -= counted;
    pass_reads_ = false;
    pass_time_ = slept_until_ - overrun_;
    return;
  }
  const TimePoint start = window_.now();
  const TimePoint deadline = start + duration - overrun_;
  present_if_due(start);
  const TimePoint end = std::max(deadline, start + nap());
  TimePoint now = start;
  while (now < end) {
    window_.sleep_until(std::min(end, next_present()));
    now = window_.now();
    present_if_due(now);
  }
  slept_until_ = now;
  overrun_ = std::min<Duration>(now - deadline, kLongestMakeUp);
  pass_reads_ = end == deadline;
  pass_time_ = pass_reads_ ? TimePoint::max() : deadline;
}

void Pacer::present_if_due(TimePoint now) {
  if (now < next_present()) return;
  window_.present();
  picture_due_ = false;
  last_present_ = now;
}

// The window system says when it is ready again, which wakes the sleep.
TimePoint Pacer::next_present() const {
  if (!picture_due_ || !window_.visible() || !window_.ready()) return TimePoint::max();
  return last_present_ + window_.refresh();
}

Duration Pacer::nap() const {
  return window_.visible() ? std::min<Duration>(window_.refresh(), kLongestNap) : kLongestNap;
}

}  // namespace nuv::host
