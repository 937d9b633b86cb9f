#pragma once
// When the frame wait sleeps, and when a picture goes on screen.
//
// The animation advances at its exact rate, but a picture goes on screen only when it can be
// seen: not while the window is hidden, not more often than the display refreshes, and not
// before the window system has taken the last one. So a wait sleeps at least until a picture
// could next be seen, one display refresh while the window is visible and kLongestNap while it is
// hidden, reading the window system as it speaks. The cycles whose deadlines it slept past then
// run at once, without reading input or drawing, until the time is made up; input read during
// the sleep is handed to the handlers in the pump pass of the first cycle due after it arrived,
// as if every wait had ended on time. One cycle's own work counts in the time it takes, so a
// cycle lasts its delay plus that work, as when every wait is counted out.

#include <chrono>

#include "host/clock.hpp"

namespace nuv::host {

// A sleep never lasts longer than this, so that catching up stays short.
inline constexpr std::chrono::milliseconds kLongestNap{20};
// A wait that ended this much late is made up by the waits that follow; later than that (the
// process was stopped, say) the rest is forgiven.
inline constexpr std::chrono::milliseconds kLongestMakeUp{100};
// What a wait of no length counts for when it is made up, so that catching up always ends.
inline constexpr std::chrono::microseconds kLeastCycle{1};

// What the pacer needs of a window system.
class PacedWindow {
 public:
  virtual ~PacedWindow() = default;
  virtual TimePoint now() const = 0;
  // Whether a picture put on screen now would be seen.
  virtual bool visible() const = 0;
  // Whether the window system takes a picture now; it may still be reading the last one.
  virtual bool ready() const = 0;
  // How often the display shows a new picture.
  virtual Duration refresh() const = 0;
  // Puts the current picture on screen.
  virtual void present() = 0;
  // Sleeps until the window system has something to say or `until` has come, and reads what it
  // said, noting when each input arrived.
  virtual void sleep_until(TimePoint until) = 0;
};

class Pacer {
 public:
  explicit Pacer(PacedWindow& window) : window_(window) {}

  // Lets one frame wait of `duration` pass.
  void wait(std::chrono::microseconds duration);
  // The picture to show has changed; it goes on screen when it can be seen.
  void picture_changed() { picture_due_ = true; }
  // Presents the picture when it is due and can be seen.
  void present_if_due() { present_if_due(window_.now()); }

  // The pump pass after the last wait: whether it reads the window system, and up to which moment
  // of arrival it hands input to the handlers. A pass after a wait that ended on time reads and
  // hands on everything; after a wait that slept past its deadline, nothing more can have arrived
  // for it.
  bool pass_reads() const { return pass_reads_; }
  TimePoint pass_time() const { return pass_time_; }

 private:
  void present_if_due(TimePoint now);
  TimePoint next_present() const;
  Duration nap() const;

  PacedWindow& window_;
  bool picture_due_ = false;
  TimePoint last_present_ = TimePoint::min();
  Duration overrun_{};       // time slept past deadlines, still to be made up
  TimePoint slept_until_{};  // when the last sleep ended
  bool pass_reads_ = true;
  TimePoint pass_time_ = TimePoint::max();
};

}  // namespace nuv::host
