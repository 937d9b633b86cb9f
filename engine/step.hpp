#pragma once
// The step rules, applied once per frame cycle before the frame is shown: they turn the pending
// command into frame motion and a new run state.

#include "engine/animation_state.hpp"

namespace nuv::engine {

// One cycle's change, by run state before it and the command pending:
//
// | Before                  | Command      | Frame change | After                       |
// |-------------------------|--------------|--------------|-----------------------------|
// | stopped                 | none         | 0            | stopped                     |
// | running forward         | none         | +1           | unchanged                   |
// | running backward        | none         | -1           | unchanged                   |
// | any                     | run_backward | -2           | running backward            |
// | any                     | run_forward  | +2           | running forward (after "+") |
// | stopped, start-up run   | step_back    | -1           | stopped                     |
// | backward, after-"+" run | step_back    | 0            | stopped                     |
// | stopped, start-up run   | step_forward | +1           | stopped                     |
// | backward, after-"+" run | step_forward | 0            | stopped                     |
// The state changes in place: the frame cycle applies the rules a million times a second at the
// fastest speed, and a copy in and out costs more than the rules.
void step(AnimationState& s);

}  // namespace nuv::engine
