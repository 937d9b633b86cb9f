#pragma once
// The animation state record owned by the window NUV. Every field starts at 0.

#include "engine/loose_number.hpp"

namespace nuv::engine {

// Command codes that input handlers store in n.
inline constexpr int kRunBackward = -1;
inline constexpr int kRunForward = 3;
inline constexpr int kStepBack = -2;    // stop, or step back one frame when already stopped
inline constexpr int kStepForward = 2;  // stop, or step forward one frame when already stopped
inline constexpr int kRunning = 1;
inline constexpr int kStopped = 0;

inline constexpr int kFrameSlots = 18;

struct AnimationState {
  LooseNumber k;  // idle-loop iterations after each frame
  int l = 0;      // current frame index, 0 to 17
  int m = 0;      // 1 while running backward
  int mm = 0;     // 1 after a run-forward command, until the next run-backward or step command
  int n = 0;      // pending command, or 1 running, 0 stopped
  int m1 = 0;     // m, mm and n saved when drag mode begins
  int mm1 = 0;
  int n1 = 0;
  int nm = 0;        // mouse mode: 0 speed, 1 drag
  float yyy = 0.0f;  // Y seen by the last drag-mode movement
  int hl = 0;        // frame bank; the slot shown is 18 * hl + l

  friend bool operator==(const AnimationState&, const AnimationState&) = default;
};

}  // namespace nuv::engine
