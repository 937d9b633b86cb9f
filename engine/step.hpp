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
// | any                     | kRunBackward | -2           | running backward            |
// | any                     | kRunForward  | +2           | running forward (after "+") |
// | stopped, start-up run   | kStepBack    | -1           | stopped                     |
// | backward, after-"+" run | kStepBack    | 0            | stopped                     |
// | stopped, start-up run   | kStepForward | +1           | stopped                     |
// | backward, after-"+" run | kStepForward | 0            | stopped                     |
AnimationState step(AnimationState state);

}  // namespace nuv::engine
