// The step rules, checked against the net effect of one cycle from every run state.

#include "engine/step.hpp"

#include <gtest/gtest.h>

#include <string>

namespace nuv::engine {
namespace {

struct RunState {
  const char* name;
  int n, m, mm;
};
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
  s.l = frame;
  s.n = command != 0 ? command : run.n;
  s.m = run.m;
  s.mm = run.mm;
  return s;
}

TEST(Step, NetEffectOfOneCycleFromEveryFrame) {
  for (const NetEffect& effect : kNetEffects) {
    for (int frame = 0; frame < kFrameSlots; ++frame) {
      const AnimationState after = step(in_state(effect.before, frame, effect.command));
      SCOPED_TRACE(std::string(effect.before.name) + ", command " + std::to_string(effect.command) +
                   ", frame " + std::to_string(frame));
      EXPECT_EQ(after.l, (frame + effect.frame_change + kFrameSlots) % kFrameSlots);
      EXPECT_EQ(after.n, effect.after.n);
      EXPECT_EQ(after.m, effect.after.m);
      EXPECT_EQ(after.mm, effect.after.mm);
    }
  }
}

TEST(Step, WrapsAroundAtBothEnds) {
  EXPECT_EQ(step(in_state(kStartupRun, 17, 0)).l, 0);
  EXPECT_EQ(step(in_state(kBackwardRun, 0, 0)).l, 17);
  EXPECT_EQ(step(in_state(kStartupRun, 0, -1)).l, 16);
  EXPECT_EQ(step(in_state(kStartupRun, 17, 3)).l, 1);
  EXPECT_EQ(step(in_state(kStartupRun, 16, 3)).l, 0);
  EXPECT_EQ(step(in_state(kStopped, 0, -2)).l, 17);
  EXPECT_EQ(step(in_state(kStopped, 17, 2)).l, 0);
}

TEST(Step, StartingValuesAdvanceOneFrameEachCycle) {
  AnimationState s;
  s.n = kRunning;
  for (int cycle = 1; cycle <= 40; ++cycle) {
    s = step(s);
    EXPECT_EQ(s.l, cycle % kFrameSlots);
  }
}

TEST(Step, StoppedStateChangesNothing) {
  for (int frame = 0; frame < kFrameSlots; ++frame) {
    AnimationState s;
    s.l = frame;
    s.k = 1234.5f;
    s.nm = 1;
    s.yyy = 3.5f;
    s.n1 = -1;
    EXPECT_EQ(step(s), s);
  }
}

TEST(Step, LeavesTheOtherFieldsAlone) {
  AnimationState s = in_state(kCommandedRun, 5, -1);
  s.k = 10000;
  s.nm = 1;
  s.yyy = 7.25f;
  s.n1 = 3;
  s.mm1 = 1;
  s.m1 = 0;
  const AnimationState after = step(s);
  EXPECT_EQ(after.k, s.k);
  EXPECT_EQ(after.nm, 1);
  EXPECT_EQ(after.yyy, 7.25f);
  EXPECT_EQ(after.n1, 3);
  EXPECT_EQ(after.mm1, 1);
  EXPECT_EQ(after.hl, 0);
}

}  // namespace
}  // namespace nuv::engine
