#pragma once
// The six step rules, applied once per frame cycle before the frame is shown.

#include "engine/animation_state.hpp"

namespace nuv::engine {

AnimationState step(AnimationState state);

}  // namespace nuv::engine
