// The step rules, checked against the net effect of one cycle from every run state.

#include "engine/step.hpp"

#include <gtest/gtest.h>

#include <string>

#include "frames/picture.hpp"

namespace nuv::engine {
namespace {

using frames::kFrameCount;

AnimationState stepped(AnimationState s) {
  step(s);
  return s;
}

// Run states and commands in the codes of the older program's rules, so that the table below
// reads as its own: 1 running, 0 stopped; -1, 3, -2 and 2 the commands.
struct RunState {
  const char* name;
  int command, running_backward, commanded_forward;
};

Command command_for(int code) {
  switch (code) {
    case 1:
      return Command::running;
    case -1:
      return Command::run_backward;
    case 3:
      return Command::run_forward;
    case -2:
      return Command::step_back;
    case 2:
      return Command::step_forward;
    default:
      return Command::stopped;
  }
}
constexpr RunState kStopped{"stopped", 0, 0, 0};
constexpr RunState kStartupRun{"forward (start-up)", 1, 0, 0};
constexpr RunState kCommandedRun{"forward (commanded)", 1, 0, 1};
constexpr RunState kBackwardRun{"backward", 1, 1, 0};

struct NetEffect {
  RunState before;
  int command;  // 0: no command pending
  int frame_change;
  RunState after;
};

// One cycle's frame change and resulting run state, for every run state and command.
constexpr NetEffect kNetEffects[] = {
    {kStopped, 0, 0, kStopped},
    {kStartupRun, 0, +1, kStartupRun},
    {kCommandedRun, 0, +1, kCommandedRun},
    {kBackwardRun, 0, -1, kBackwardRun},
    {kStopped, -1, -2, kBackwardRun},
    {kStartupRun, -1, -2, kBackwardRun},
    {kCommandedRun, -1, -2, kBackwardRun},
    {kBackwardRun, -1, -2, kBackwardRun},
    {kStopped, 3, +2, kCommandedRun},
    {kStartupRun, 3, +2, kCommandedRun},
    {kCommandedRun, 3, +2, kCommandedRun},
    {kBackwardRun, 3, +2, kCommandedRun},
    {kStopped, -2, -1, kStopped},
    {kBackwardRun, -2, 0, kStopped},
    {kCommandedRun, -2, 0, kStopped},
    {kStartupRun, -2, -1, kStopped},
    {kStopped, 2, +1, kStopped},
    {kBackwardRun, 2, 0, kStopped},
    {kCommandedRun, 2, 0, kStopped},
    {kStartupRun, 2, +1, kStopped},
};

AnimationState in_state(RunState run, int frame, int command) {
  AnimationState s;
  s.frame = frame;
  s.command = command_for(command != 0 ? command : run.command);
  s.running_backward = run.running_backward != 0;
  s.commanded_forward = run.commanded_forward != 0;
  return s;
}

TEST(Step, NetEffectOfOneCycleFromEveryFrame) {
  for (const NetEffect& effect : kNetEffects) {
    for (int frame = 0; frame < kFrameCount; ++frame) {
      const AnimationState after = stepped(in_state(effect.before, frame, effect.command));
      SCOPED_TRACE(std::string(effect.before.name) + ", command " + std::to_string(effect.command) +
                   ", frame " + std::to_string(frame));
      EXPECT_EQ(after.frame, (frame + effect.frame_change + kFrameCount) % kFrameCount);
      EXPECT_EQ(after.command, command_for(effect.after.command));
      EXPECT_EQ(after.running_backward, effect.after.running_backward != 0);
      EXPECT_EQ(after.commanded_forward, effect.after.commanded_forward != 0);
    }
  }
}

TEST(Step, WrapsAroundAtBothEnds) {
  EXPECT_EQ(stepped(in_state(kStartupRun, 17, 0)).frame, 0);
  EXPECT_EQ(stepped(in_state(kBackwardRun, 0, 0)).frame, 17);
  EXPECT_EQ(stepped(in_state(kStartupRun, 0, -1)).frame, 16);
  EXPECT_EQ(stepped(in_state(kStartupRun, 17, 3)).frame, 1);
  EXPECT_EQ(stepped(in_state(kStartupRun, 16, 3)).frame, 0);
  EXPECT_EQ(stepped(in_state(kStopped, 0, -2)).frame, 17);
  EXPECT_EQ(stepped(in_state(kStopped, 17, 2)).frame, 0);
}

TEST(Step, StartingValuesAdvanceOneFrameEachCycle) {
  AnimationState s;
  s.command = Command::running;
  for (int cycle = 1; cycle <= 40; ++cycle) {
    step(s);
    EXPECT_EQ(s.frame, cycle % kFrameCount);
  }
}

TEST(Step, StoppedStateChangesNothing) {
  for (int frame = 0; frame < kFrameCount; ++frame) {
    AnimationState s;
    s.frame = frame;
    s.delay = 1234.5f;
    s.mouse_mode = MouseMode::drag;
    s.last_drag_y = 3.5f;
    s.saved_run.command = Command::run_backward;
    EXPECT_EQ(stepped(s), s);
  }
}

TEST(Step, LeavesTheOtherFieldsAlone) {
  AnimationState s = in_state(kCommandedRun, 5, -1);
  s.delay = 10000;
  s.mouse_mode = MouseMode::drag;
  s.last_drag_y = 7.25f;
  s.saved_run = {Command::run_forward, false, true};
  const AnimationState after = stepped(s);
  EXPECT_EQ(after.delay, s.delay);
  EXPECT_EQ(after.mouse_mode, MouseMode::drag);
  EXPECT_EQ(after.last_drag_y, 7.25f);
  EXPECT_EQ(after.saved_run, s.saved_run);
}

}  // namespace
}  // namespace nuv::engine
