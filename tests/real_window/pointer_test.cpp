// The pointer end to end in the real window: its speed, drag scrubbing, clicks and double clicks,
// input read together, and the same at twice the density.

#include <gtest/gtest.h>
#include <signal.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/real_window/controls.hpp"

namespace nuv::testing {
namespace {

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

// Coming back into the window is one movement, whatever the window system tells as the pointer
// comes in: higher than where it left, it steps back once.
TEST_F(Controls, ThePointerComingBackInHigherStepsBackOnceInDragMode) {
  int shown = enter_drag_mode();
  ASSERT_GE(shown, 0);
  const struct {
    int x, y;  // in the client area
    int direction;
  } moves[] = {{150, 320, kForward}, {-20, 300, 0}, {10, 300, kBackward}};
  for (const auto& [x, y, direction] : moves) {
    xdotool(viewer.pointer_to(x, y));
    if (direction == 0) continue;
    const int expected = wrapped(shown + direction);
    EXPECT_EQ(viewer.wait_for_slot_change(shown, kPatience), expected) << x << ", " << y;
    EXPECT_TRUE(stays_on(expected)) << x << ", " << y;
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
