// The command keys end to end in the real window: runs, steps, stops, keys that command nothing,
// and Escape.

#include <gtest/gtest.h>
#include <signal.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/real_window/controls.hpp"

namespace nuv::testing {
namespace {

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

// A key held with Ctrl, Alt or a logo key belongs to the desktop: it commands nothing, and no
// combination ends the program, though Ctrl+3 and Ctrl+[ type Escape on some window systems.
TEST_F(Controls, KeysHeldWithCtrlOrAltCommandNothing) {
  const int start = next_start_up_frame();
  press({"ctrl+3", "ctrl+bracketleft", "ctrl+braceleft", "ctrl+period", "ctrl+minus", "alt+slash",
         "alt+Escape"});
  EXPECT_EQ(viewer.wait_for_slot_change(start, kPatience), wrapped(start + 1));
  EXPECT_TRUE(viewer.process().running());
}

// Keys type on the layout the desktop has switched to while the viewer runs: "+" where the German
// layout has it, a key that types "]" on the US layout the display starts with.
TEST_F(Controls, KeysTypeOnTheLayoutSwitchedToWhileRunning) {
  press({"a"});  // the layout is read at the first key
  const int start = next_start_up_frame();
  ASSERT_EQ(run_command({"setxkbmap", "de"}).status, 0);
  press({"plus"});
  EXPECT_EQ(viewer.wait_for_slot_change(start, kPatience), wrapped(start + 2));
}

TEST_F(Controls, EscapeEndsWithStatusZero) {
  ASSERT_GE(next_start_up_frame(), 0);
  press({"Escape"});
  EXPECT_EQ(viewer.process().wait_for(kPatience), 0);
}

}  // namespace
}  // namespace nuv::testing
