// Every control of the viewer, end to end in the real window under Xvfb: the command keys, the
// pointer speed, drag scrubbing, the clicks and the ways to end. Each result is read off the
// window by recognising which of the eighteen frames it shows.
//
// Two speeds make the results deterministic. At the start-up speed of one frame a second, input
// sent right after a frame change is seen by the pump pass at the end of that frame's wait, so
// the next frame shows exactly what one cycle did. With the pointer at the bottom right of the
// picture the viewer runs at about a hundred frames a second: a run then shows a new frame in
// every few grabs, and a picture that stays put has stopped.

#include <gtest/gtest.h>
#include <signal.h>

#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "tests/real_window/x_session.hpp"
#include "window/layout.hpp"

namespace nuv::testing {
namespace {

using namespace std::chrono_literals;

constexpr int kForward = 1;
constexpr int kBackward = -1;

int wrapped(int slot) {
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
Motion motion_in(const std::vector<SlotSample>& samples) {
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
::testing::AssertionResult runs(int direction, const Motion& motion) {
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

void PrintTo(const RunKey& run, std::ostream* out) {
  *out << run.key;
}

std::string key_name(const ::testing::TestParamInfo<RunKey>& param) {
  return param.param.key;
}

class RunKeys : public Controls, public ::testing::WithParamInterface<RunKey> {};

TEST_P(RunKeys, MoveTwoFramesInTheFirstCycleThenOneAndTwoAgainWhenRepeated) {
  const auto [key, direction] = GetParam();
  const int start = next_start_up_frame();
  press({key});
  const int first = viewer.wait_for_slot_change(start, kPatience);
  EXPECT_EQ(first, wrapped(start + 2 * direction));
  const int second = viewer.wait_for_slot_change(first, kPatience);
  EXPECT_EQ(second, wrapped(start + 3 * direction));
  press({key});
  EXPECT_EQ(viewer.wait_for_slot_change(second, kPatience), wrapped(start + 5 * direction));
}

INSTANTIATE_TEST_SUITE_P(Keys, RunKeys,
                         ::testing::Values(RunKey{"minus", kBackward},
                                           RunKey{"KP_Subtract", kBackward},
                                           RunKey{"plus", kForward}, RunKey{"comma", kForward},
                                           RunKey{"KP_Add", kForward}),
                         key_name);

class StepKeysInTheStartUpRun : public Controls, public ::testing::WithParamInterface<RunKey> {};

// The start-up run has no run marker, so a step command moves before it stops.
TEST_P(StepKeysInTheStartUpRun, MoveOneFrameAndStop) {
  const auto [key, direction] = GetParam();
  const int start = next_start_up_frame();
  press({key});
  const int stepped = viewer.wait_for_slot_change(start, kPatience);
  EXPECT_EQ(stepped, wrapped(start + direction));
  EXPECT_TRUE(outlasts_a_start_up_frame(stepped));
}

INSTANTIATE_TEST_SUITE_P(Keys, StepKeysInTheStartUpRun,
                         ::testing::Values(RunKey{"asterisk", kForward}, RunKey{"space", kForward},
                                           RunKey{"period", kForward}, RunKey{"slash", kBackward}),
                         key_name);

struct RunThenStep {
  const char* run_key;
  int direction;
  const char* step_key;
};

void PrintTo(const RunThenStep& keys, std::ostream* out) {
  *out << keys.run_key << " then " << keys.step_key;
}

class StepKeysInACommandedRun : public Controls,
                                public ::testing::WithParamInterface<RunThenStep> {};

// Against the run's direction, too: the run marker cancels the step.
TEST_P(StepKeysInACommandedRun, FreezeThePicture) {
  const auto [run_key, direction, step_key] = GetParam();
  const int start = next_start_up_frame();
  press({run_key});
  const int running = viewer.wait_for_slot_change(start, kPatience);
  ASSERT_EQ(running, wrapped(start + 2 * direction));
  press({step_key});
  EXPECT_TRUE(outlasts_a_start_up_frame(running));
}

INSTANTIATE_TEST_SUITE_P(Keys, StepKeysInACommandedRun,
                         ::testing::Values(RunThenStep{"minus", kBackward, "asterisk"},
                                           RunThenStep{"plus", kForward, "slash"}),
                         [](const ::testing::TestParamInfo<RunThenStep>& param) {
                           return std::string(param.param.run_key) + "_" + param.param.step_key;
                         });

TEST_F(Controls, StepKeysWhenStoppedMoveOneFrameEach) {
  const int start = next_start_up_frame();
  point_at(bottom_right());
  press({"slash"});
  int shown = viewer.wait_for_slot_change(start, kPatience);
  ASSERT_EQ(shown, wrapped(start - 1));
  ASSERT_TRUE(stays_on(shown));
  const RunKey steps[] = {{"asterisk", kForward},    {"period", kForward}, {"space", kForward},
                          {"KP_Multiply", kForward}, {"slash", kBackward}, {"KP_Divide", kBackward},
                          {"slash", kBackward}};
  for (const auto [key, direction] : steps) {
    press({key});
    const int expected = wrapped(shown + direction);
    EXPECT_EQ(viewer.wait_for_slot_change(shown, kPatience), expected) << key;
    EXPECT_TRUE(stays_on(expected)) << key;
    shown = expected;
  }
}

TEST_F(Controls, OtherKeysChangeNeitherARunNorAStop) {
  const std::vector<std::string> others{"a", "z",  "Q",  "0",      "5",   "9",        "equal",
                                        "x", "F1", "Up", "Return", "Tab", "BackSpace"};
  run_fast();
  press(others);
  EXPECT_TRUE(runs(kForward, run()));
  press({"slash"});
  const int stopped = still_frame();
  ASSERT_GE(stopped, 0);
  press(others);
  EXPECT_TRUE(stays_on(stopped));
  press({"asterisk"});
  EXPECT_EQ(viewer.wait_for_slot_change(stopped, kPatience), wrapped(stopped + 1));
}

TEST_F(Controls, PointerPositionSetsTheSpeedWhichHoldsAfterThePointerLeaves) {
  const int start = next_start_up_frame();
  point_at(kNearTopLeft);
  viewer.wait_for_slot_change(start, kPatience);  // the pump pass that sees the movement
  EXPECT_TRUE(runs_faster_than_at_start_up()) << "near the top-left";
  point_at(bottom_right());
  EXPECT_TRUE(runs_faster_than_at_start_up()) << "at the bottom right";
  xdotool({"mousemove", "1023", "767"});
  EXPECT_TRUE(runs_faster_than_at_start_up()) << "with the pointer off the window";
}

// The pointer enters over the border and leaves from it across the left, top and right edges, so
// that positions off the window reach the viewer as those of the crossing. Any of them, were it
// delivered, would set a delay of under 10 ms a frame, where the start-up run keeps each frame
// for a second. The bottom edge has no border: the picture reaches it (see the drag-mode test of
// leaving across it).
TEST_F(Controls, PointerOverTheBorderOrOffTheWindowLeavesTheSpeed) {
  const int start = next_start_up_frame();
  constexpr std::pair<int, int> kPath[] = {{0, 300},   {1, 300},   {-20, 300}, {150, 0},  {150, 1},
                                           {150, -20}, {305, 300}, {306, 300}, {330, 300}};
  std::vector<std::string> moves;
  for (const auto& [x, y] : kPath) {
    const std::vector<std::string> move = viewer.pointer_to(x, y);
    moves.insert(moves.end(), move.begin(), move.end());
  }
  xdotool(moves);
  const int next = viewer.wait_for_slot_change(start, kPatience);
  ASSERT_EQ(next, wrapped(start + 1));
  EXPECT_EQ(viewer.wait_for_slot_change(next, 500ms), next);
}

TEST_F(Controls, DragModeStepsOneFramePerMovementDownOrLevelForwardUpBack) {
  int shown = enter_drag_mode();
  ASSERT_GE(shown, 0);
  const struct {
    InnerPoint to;
    int direction;
  } moves[] = {{{150, 260}, kForward},
               {{250, 260}, kForward},
               {{250, 100}, kBackward},
               {{40, 60}, kBackward},
               {{40, 500}, kForward}};
  for (const auto& [to, direction] : moves) {
    point_at(to);
    const int expected = wrapped(shown + direction);
    EXPECT_EQ(viewer.wait_for_slot_change(shown, kPatience), expected) << to.p << ", " << to.q;
    EXPECT_TRUE(stays_on(expected)) << to.p << ", " << to.q;
    shown = expected;
  }
}

// The pointer leaves below the picture, which reaches the window's lower edge; the crossing is
// no movement over the picture, so it posts no step.
TEST_F(Controls, LeavingAcrossTheBottomEdgeInDragModeStepsNothing) {
  const int shown = enter_drag_mode();
  ASSERT_GE(shown, 0);
  xdotool({"mousemove", "--window", viewer.window_id(), "150",
           std::to_string(window::kClientHeight + 20)});
  EXPECT_TRUE(stays_on(shown));
}

class SecondClick : public Controls, public ::testing::WithParamInterface<RunKey> {};

TEST_P(SecondClick, ResumesTheRunInItsDirection) {
  const auto [key, direction] = GetParam();
  run_fast();
  press({key});
  EXPECT_TRUE(runs(direction, run())) << "before the first click";
  click_giving_focus();
  EXPECT_TRUE(runs(direction, run())) << "in drag mode before any movement";
  // The first drag movement posts a step command, which freezes a commanded run.
  point_at({bottom_right().p, 300});
  const int frozen = still_frame();
  ASSERT_GE(frozen, 0);
  // A step against the run, by moving down for a backward run and up for a forward one.
  point_at({bottom_right().p, 300 - 50 * direction});
  EXPECT_EQ(viewer.wait_for_slot_change(frozen, kPatience), wrapped(frozen - direction));
  // Far enough from the first click not to count as its double click.
  click();
  EXPECT_TRUE(runs(direction, run())) << "after the second click";
}

INSTANTIATE_TEST_SUITE_P(Keys, SecondClick,
                         ::testing::Values(RunKey{"minus", kBackward}, RunKey{"plus", kForward}),
                         key_name);

TEST_F(Controls, DoubleClickEndsWithStatusZero) {
  ASSERT_GE(next_start_up_frame(), 0);
  std::vector<std::string> double_click = pointer_to({150, 300});
  double_click.insert(double_click.end(), {"click", "--repeat", "2", "--delay", "80", "1"});
  xdotool(double_click);
  EXPECT_EQ(viewer.process().wait_for(kPatience), 0);
}

TEST_F(Controls, TwoSlowClicksWithinOneFrameAreTwoClicks) {
  ASSERT_GE(next_start_up_frame(), 0);
  // Both clicks wait for the same pump pass at the end of this start-up frame, but they were
  // made 650 ms apart: beyond the double-click time, so the mode toggles twice and nothing ends.
  // At the bottom right the run then shows each frame for longer than a compositor's repaint, so
  // that every step can be seen.
  std::vector<std::string> two_clicks = pointer_to(bottom_right());
  two_clicks.insert(two_clicks.end(), {"click", "1", "sleep", "0.65", "click", "1"});
  xdotool(two_clicks);
  EXPECT_FALSE(viewer.process().wait_for(1500ms).has_value());
  EXPECT_TRUE(runs(kForward, run())) << "back in speed mode, the start-up run goes on";
}

// The viewer is stopped while the input is sent, so that it reads all of it in one go.
class InputReadTogether : public Controls {
 protected:
  void send_while_stopped(const std::vector<std::string>& xdotool_arguments) {
    kill(viewer.process().pid(), SIGSTOP);
    xdotool(xdotool_arguments);
    kill(viewer.process().pid(), SIGCONT);
  }
};

// The movement sets the speed, and the click after it enters drag mode, where the run goes on
// until the pointer next moves. Handled the other way round, the movement would be a drag
// movement, which stops the run.
TEST_F(InputReadTogether, AMoveThenAClickKeepTheirOrder) {
  ASSERT_GE(next_start_up_frame(), 0);
  std::vector<std::string> move_and_click = pointer_to(bottom_right());
  move_and_click.insert(move_and_click.end(), {"click", "1"});
  send_while_stopped(move_and_click);
  EXPECT_TRUE(runs_faster_than_at_start_up());
}

// In drag mode a movement posts a step and the key after it a run, which wins: the last command
// written is the one acted on.
TEST_F(InputReadTogether, ADragMovementThenARunKeyKeepTheirOrder) {
  ASSERT_GE(enter_drag_mode(), 0);
  std::vector<std::string> move_and_key = pointer_to({150, 260});
  move_and_key.insert(move_and_key.end(), {"key", "minus"});
  send_while_stopped(move_and_key);
  EXPECT_TRUE(runs(kBackward, run()));
}

// Two clicks within the double-click time but far apart are two clicks: the mode toggles twice
// and nothing ends.
TEST_F(InputReadTogether, TwoClicksFarApartAreNoDoubleClick) {
  ASSERT_GE(next_start_up_frame(), 0);
  std::vector<std::string> two_clicks = pointer_to({150, 100});
  two_clicks.insert(two_clicks.end(), {"click", "1"});
  const std::vector<std::string> far = pointer_to({150, 300});
  two_clicks.insert(two_clicks.end(), far.begin(), far.end());
  two_clicks.insert(two_clicks.end(), {"click", "1"});
  send_while_stopped(two_clicks);
  EXPECT_FALSE(viewer.process().wait_for(1500ms).has_value());
  point_at(bottom_right());  // in speed mode: the speed; in drag mode it would stop the run
  EXPECT_TRUE(runs_faster_than_at_start_up());
}

TEST_F(Controls, EscapeEndsWithStatusZero) {
  ASSERT_GE(next_start_up_frame(), 0);
  press({"Escape"});
  EXPECT_EQ(viewer.process().wait_for(kPatience), 0);
}

// The desktop at twice the standard density, on a screen with room for the window at zoom 2.
class ControlsAtZoom2 : public Controls {
 protected:
  ControlsAtZoom2() : Controls(1280, 1200, "Xft.dpi: 192") {}
};

// At the bottom right a frame lasts about 9.5 ms, as at zoom 1: about a hundred frames a second,
// where reading the pointer's position in screen pixels would give four times as long a wait and
// at most 26. The rate is measured between samples taken close together, so that the run cannot
// have gone round between them; the viewer keeps its rate on a loaded machine, where only such
// samples become fewer.
TEST_F(ControlsAtZoom2, StepThenPointerSpeedAtTheBottomRight) {
  constexpr auto kCloseTogether = 60ms;  // under six frames at 9.5 ms a frame
  ASSERT_EQ(viewer.layout().zoom, 2);
  const int start = next_start_up_frame();
  press({"period"});
  const int stepped = viewer.wait_for_slot_change(start, kPatience);
  EXPECT_EQ(stepped, wrapped(start + 1));
  press({"plus"});
  point_at(bottom_right());
  EXPECT_TRUE(runs(kForward, run()));
  int frames_run = 0;
  std::chrono::duration<double> span{0};
  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  while (span < 500ms && std::chrono::steady_clock::now() < deadline) {
    const auto samples = viewer.sample_slots(200ms);
    for (std::size_t i = 1; i < samples.size(); ++i) {
      const auto between = samples[i].at - samples[i - 1].at;
      if (samples[i].slot < 0 || samples[i - 1].slot < 0 || between > kCloseTogether) continue;
      frames_run += wrapped(samples[i].slot - samples[i - 1].slot);
      span += between;
    }
  }
  EXPECT_GT(frames_run / span.count(), 50) << frames_run << " frames in " << span.count() << " s";
}

// One screen pixel up is a step back, one down a step forward, though both lie within one pixel
// of the picture at zoom 1.
TEST_F(ControlsAtZoom2, DragStepsOneScreenPixelUpBackAndDownForwardThenEscapeEnds) {
  ASSERT_EQ(viewer.layout().zoom, 2);
  const int start = next_start_up_frame();
  click_then_drag({300, 801}, {300, 401});
  int shown = viewer.wait_for_slot_change(start, kPatience);
  ASSERT_EQ(shown, wrapped(start + 1));
  for (const auto& [q, direction] : {std::pair{400, kBackward}, {401, kForward}}) {
    point_at({300, q});
    const int expected = wrapped(shown + direction);
    EXPECT_EQ(viewer.wait_for_slot_change(shown, kPatience), expected) << q;
    EXPECT_TRUE(stays_on(expected)) << q;
    shown = expected;
  }
  press({"Escape"});
  EXPECT_EQ(viewer.process().wait_for(kPatience), 0);
}

}  // namespace
}  // namespace nuv::testing
