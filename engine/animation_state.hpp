#pragma once
// The animation state: everything the step rules and the input handlers share. The window
// object owns one record for the whole run; every field starts empty (stopped, speed mode, all
// zero), and activation then sets the delay and the start-up run. The handlers only write it; the
// step rules turn what they wrote into frame motion once a cycle.
//
// | Field             | Written by                  | Holds                                       |
// |-------------------|-----------------------------|---------------------------------------------|
// | delay             | activation, the pointer     | idle iterations after each frame: a whole   |
// |                   |                             | number, or the float speed mode computed    |
// | frame             | the step rules              | the frame shown, 0 to 17                    |
// | running_backward  | the step rules, a click     | while a "-" run goes on                     |
// | commanded_forward | the step rules, a click     | while a "+" run goes on; the start-up run   |
// |                   |                             | has no marker, so a step moves it once more |
// | command           | keys, drag movements, the   | the command the next cycle acts on, or,     |
// |                   | step rules, a click         | once acted on, whether the run goes on      |
// | saved_run         | a click into drag mode      | command and direction kept aside while      |
// |                   |                             | dragging, put back by the click leaving it  |
// | mouse_mode        | a click                     | speed (the pointer sets the delay) or drag  |
// |                   |                             | (each movement steps a frame)               |
// | last_drag_y       | drag movements              | the pointer's height at the last drag       |
// |                   |                             | movement, which the next one is compared to |
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
