#pragma once
// The animation state: everything the step rules and the input handlers share. The window
// object owns one record for the whole run; every field starts empty (stopped, speed mode, all
// zero), and activation then sets the delay and the start-up run.
//
// Where each field comes from in the older program's rules, for a reader of those:
//
// | Field             | Rules | Holds                                                          |
// |-------------------|-------|----------------------------------------------------------------|
// | delay             | k     | idle iterations after each frame, a whole number or the float  |
// |                   |       | speed mode computed                                            |
// | frame             | l     | the frame shown, 0 to 17                                       |
// | running_backward  | m     | while running backward                                         |
// | commanded_forward | mm    | from a run-forward command to the next run-backward or step    |
// | command           | n     | the command pending, or whether the run goes on or is stopped  |
// |                   |       | (codes -1, 3, -2, 2 and 1, 0)                                  |
// | saved_run         | n1,   | command and direction kept aside while dragging                |
// |                   | mm1,  |                                                                |
// |                   | m1    |                                                                |
// | mouse_mode        | nm    | speed (the pointer sets the delay) or drag (it steps)          |
// | last_drag_y       | yyy   | the pointer's Y at the last drag-mode movement                 |
//
// The run state, as the step rules leave it:
//
// | Run state                              | command | running_backward | commanded_forward |
// |----------------------------------------|---------|------------------|-------------------|
// | stopped                                | stopped | false            | false             |
// | running forward (start-up run)         | running | false            | false             |
// | running forward (after a "+" command)  | running | false            | true              |
// | running backward                       | running | true             | false             |

namespace nuv::engine {

enum class Command {
  stopped,       // no command pending, the animation stands
  running,       // no command pending, the run goes on
  run_backward,  // "-"
  run_forward,   // "+" or ","
  step_back,     // "/": stop, or step back one frame when already stopped
  step_forward,  // "*", " " or ".": stop, or step forward one frame when already stopped
};

enum class MouseMode { speed, drag };

// The run as a click leaves speed mode, put back by the click that returns to it.
struct SavedRun {
  Command command = Command::stopped;
  bool running_backward = false;
  bool commanded_forward = false;
  friend bool operator==(const SavedRun&, const SavedRun&) = default;
};

struct AnimationState {
  double delay = 0;  // every value the rules store, whole or single-precision, exactly
  int frame = 0;
  bool running_backward = false;
  bool commanded_forward = false;
  Command command = Command::stopped;
  SavedRun saved_run;
  MouseMode mouse_mode = MouseMode::speed;
  float last_drag_y = 0.0f;

  friend bool operator==(const AnimationState&, const AnimationState&) = default;
};

}  // namespace nuv::engine
