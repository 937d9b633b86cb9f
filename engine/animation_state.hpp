#pragma once
// The animation state: everything the step rules and the input handlers share. The window
// object owns one record for the whole run; every field starts at 0 (and the mouse in speed
// mode), and activation then sets the delay and the command.
//
// | Field             | Original  | Holds                                                       |
// |-------------------|-----------|-------------------------------------------------------------|
// | delay             | k         | idle iterations after each frame: whole number or float     |
// | frame             | l         | the frame shown, 0 to 17                                    |
// | running_backward  | m         | 1 while running backward, else 0                            |
// | commanded_forward | mm        | 1 from a run-forward command to the next run-backward or    |
// |                   |           | step command, else 0                                        |
// | command           | n         | a pending command code, or kRunning / kStopped              |
// | saved_run         | n1 mm1 m1 | command and direction flags kept aside while dragging       |
// | mouse_mode        | nm        | speed (the pointer sets the delay) or drag (it steps)       |
// | last_drag_y       | yyy       | the pointer's Y at the last drag-mode movement              |
// | frame_bank        | hl        | always 0; the slot shown is frame_bank * 18 + frame         |
//
// The run state, as the step rules leave it:
//
// | Run state                              | command  | running_backward | commanded_forward |
// |----------------------------------------|----------|------------------|-------------------|
// | stopped                                | kStopped | 0                | 0                 |
// | running forward (start-up run)         | kRunning | 0                | 0                 |
// | running forward (after a "+" command)  | kRunning | 0                | 1                 |
// | running backward                       | kRunning | 1                | 0                 |

#include "engine/loose_number.hpp"

namespace nuv::engine {

// Command codes that the input handlers store in `command`.
inline constexpr int kRunBackward = -1;
inline constexpr int kRunForward = 3;
inline constexpr int kStepBack = -2;    // stop, or step back one frame when already stopped
inline constexpr int kStepForward = 2;  // stop, or step forward one frame when already stopped
// What the step rules leave in `command` once they have acted on it.
inline constexpr int kRunning = 1;
inline constexpr int kStopped = 0;

enum class MouseMode { speed, drag };

// The run as a click leaves speed mode, put back by the click that returns to it.
struct SavedRun {
  int command = 0;
  int running_backward = 0;
  int commanded_forward = 0;
  friend bool operator==(const SavedRun&, const SavedRun&) = default;
};

struct AnimationState {
  LooseNumber delay;
  int frame = 0;
  int running_backward = 0;
  int commanded_forward = 0;
  int command = 0;
  SavedRun saved_run;
  MouseMode mouse_mode = MouseMode::speed;
  float last_drag_y = 0.0f;
  int frame_bank = 0;

  friend bool operator==(const AnimationState&, const AnimationState&) = default;
};

}  // namespace nuv::engine
