#pragma once
// The fixture of the tests of every control, end to end in the real window under Xvfb: each result
// is read off the window by recognising which of the eighteen frames it shows.
//
// Two speeds make the results deterministic. At the start-up speed of one frame a second, input
// sent right after a frame change is seen by the pump pass at the end of that frame's wait, so
// the next frame shows exactly what one cycle did. With the pointer at the bottom right of the
// picture the viewer runs at about a hundred frames a second: a run then shows a new frame in
// every few grabs, and a picture that stays put has stopped.

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "tests/real_window/x_session.hpp"
#include "window/layout.hpp"

namespace nuv::testing {

using namespace std::chrono_literals;

constexpr int kForward = 1;
constexpr int kBackward = -1;

inline int wrapped(int slot) {
  return (slot % frames::kFrameCount + frames::kFrameCount) % frames::kFrameCount;
}

// Pixels right of and below the top-left corner of Picture1's inner area.
struct InnerPoint {
  int p, q;
};

// The speed-mode delay X * 30 * Y is smallest along the top and left edges and largest at the
// lowest visible row of the rightmost column: about 9.5 ms a frame.
constexpr InnerPoint kNearTopLeft{5, 5};

// What the picture did over a stretch of samples: how often it changed, and the steps whose
// direction is certain.
struct Motion {
  int forward = 0;
  int backward = 0;
  int changes = 0;

  Motion& operator+=(const Motion& more) {
    forward += more.forward;
    backward += more.backward;
    changes += more.changes;
    return *this;
  }
};

// The frames of two neighbouring samples were on screen no further apart than the samples
// either side of them. Within 100 ms fewer than eleven frames pass at 9.5 ms or more a frame, so
// a step of up to three frames either way cannot be one the other way round.
inline Motion motion_in(const std::vector<SlotSample>& samples) {
  constexpr auto kCloseEnough = 100ms;
  constexpr int kLargestStep = 3;
  Motion motion;
  for (std::size_t i = 1; i < samples.size(); ++i) {
    const int before = samples[i - 1].slot;
    const int after = samples[i].slot;
    if (before < 0 || after < 0 || before == after) continue;
    ++motion.changes;
    if (i + 1 == samples.size() || samples[i + 1].at - samples[i - 1].at > kCloseEnough) continue;
    const int step = wrapped(after - before);
    if (step <= kLargestStep) ++motion.forward;
    if (step >= frames::kFrameCount - kLargestStep) ++motion.backward;
  }
  return motion;
}

// A run shows many steps its way; the few the other way come from before a command took hold.
inline ::testing::AssertionResult runs(int direction, const Motion& motion) {
  const int along = direction == kForward ? motion.forward : motion.backward;
  const int against = direction == kForward ? motion.backward : motion.forward;
  if (along >= 12 && against * 4 <= along) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << motion.forward << " steps forward and " << motion.backward << " back";
}

class Controls : public ::testing::Test {
 protected:
  Controls() = default;
  // On a display of that size with those X resources.
  Controls(int width, int height, const std::string& resources)
      : display(width, height, resources) {}

  InnerPoint bottom_right() const {
    return {viewer.layout().inner.width - 1, viewer.layout().visible_rows - 1};
  }

  // Waits for the start-up run to put up its next frame and returns it. Slot 0 may still be the
  // loading picture, whose input the starting values overwrite, so the first change seen does
  // not count.
  int next_start_up_frame() const {
    const int first = viewer.wait_for_slot_change(-1, kPatience);
    return viewer.wait_for_slot_change(first, kPatience);
  }

  // Puts the pointer at the bottom right, which the pump pass ending the current start-up frame
  // turns into about a hundred frames a second, and waits for that pass.
  void run_fast() const {
    const int frame = next_start_up_frame();
    point_at(bottom_right());
    viewer.wait_for_slot_change(frame, kPatience);
  }

  void press(const std::vector<std::string>& keys) const {
    std::vector<std::string> arguments{"key"};
    arguments.insert(arguments.end(), keys.begin(), keys.end());
    xdotool(arguments);
  }

  std::vector<std::string> pointer_to(InnerPoint at) const {
    return viewer.pointer_to(viewer.layout().inner.x + at.p, viewer.layout().inner.y + at.q);
  }

  void point_at(InnerPoint at) const { xdotool(pointer_to(at)); }
  void click() const { xdotool({"click", "1"}); }
  // A click and a movement, in one xdotool call so that one pump pass sees both.
  void click_then_drag(InnerPoint click_at, InnerPoint drag_to) const {
    std::vector<std::string> arguments = pointer_to(click_at);
    arguments.insert(arguments.end(), {"click", "1"});
    const std::vector<std::string> drag = pointer_to(drag_to);
    arguments.insert(arguments.end(), drag.begin(), drag.end());
    xdotool(arguments);
  }
  // A click on the viewer while another window has the focus, which the click gives it, as a
  // click-to-focus window manager does just before the press reaches the window.
  void click_giving_focus() const {
    xdotool({"windowfocus", "--sync", root_window_id(), "windowfocus", "--sync", viewer.window_id(),
             "click", "1"});
  }

  // Enters drag mode with a click in a start-up frame and drags once, which steps one frame
  // and stops there; returns that frame, or -1 if the step was not as expected. One pump pass
  // sees the click and the first drag movement. That movement goes up from the click, yet
  // steps forward: the first comparison is against a Y of 0.
  int enter_drag_mode() const {
    const int start = next_start_up_frame();
    click_then_drag({150, 400}, {150, 200});
    const int shown = viewer.wait_for_slot_change(start, kPatience);
    EXPECT_EQ(shown, wrapped(start + 1));
    EXPECT_TRUE(stays_on(shown));
    return shown == wrapped(start + 1) ? shown : -1;
  }

  // Samples in short stretches until enough steps are seen: a loaded machine slows the grabs,
  // and then only takes longer to show the same.
  Motion run() const {
    Motion total;
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (total.forward + total.backward < 15 && std::chrono::steady_clock::now() < deadline)
      total += motion_in(viewer.sample_slots(100ms));
    return total;
  }

  // Whether the picture changes faster than the start-up run's one frame a second ever could:
  // ten changes, seen at more than three a second.
  ::testing::AssertionResult runs_faster_than_at_start_up() const {
    constexpr int kChanges = 10;
    const auto start = std::chrono::steady_clock::now();
    Motion seen;
    while (seen.changes < kChanges && std::chrono::steady_clock::now() < start + kPatience)
      seen += motion_in(viewer.sample_slots(100ms));
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    if (seen.changes >= kChanges && seen.changes > 3 * took.count())
      return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << seen.changes << " changes in " << took.count() << " s";
  }

  // At a hundred frames a second a running picture never stays for 300 ms.
  int still_frame() const { return viewer.wait_until_still(300ms, kPatience); }

  // At a hundred frames a second a run would show about twenty other frames meanwhile.
  ::testing::AssertionResult stays_on(int slot) const {
    for (const SlotSample& sample : viewer.sample_slots(200ms))
      if (sample.slot != slot)
        return ::testing::AssertionFailure() << "slot " << sample.slot << " replaced " << slot;
    return ::testing::AssertionSuccess();
  }

  // At the start-up speed a run would show its next frame within a second of the last change.
  ::testing::AssertionResult outlasts_a_start_up_frame(int slot) const {
    const int shown = viewer.wait_for_slot_change(slot, 1500ms);
    if (shown == slot) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "slot " << shown << " replaced " << slot;
  }

  XvfbDisplay display;
  Viewer viewer;
};

struct RunKey {
  const char* key;
  int direction;
};

inline void PrintTo(const RunKey& run, std::ostream* out) {
  *out << run.key;
}

inline std::string key_name(const ::testing::TestParamInfo<RunKey>& param) {
  return param.param.key;
}

}  // namespace nuv::testing
