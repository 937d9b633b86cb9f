#pragma once
// What pointer movements and clicks over Picture1 do to the animation state.

#include <cstdint>

#include "engine/animation_state.hpp"

namespace nuv::engine {

// Speed mode's delay is X * kSpeedFactor * Y: 0 along the top and left edges, about 9,500 at
// the bottom right of the picture.
inline constexpr float kSpeedFactor = 30.0f;

// The delay a drag-mode movement sets: about a hundred steps a second.
inline constexpr double kDragDelay = 10000;

// Speed mode sets the delay from the position; drag mode posts a one-frame step, forward when
// the pointer moved down or level, back when it moved up. Returns false, changing nothing, when
// the speed product is not a finite number.
[[nodiscard]] bool apply_mouse_move(AnimationState& state, float x, float y);

// Toggles the mouse mode, keeping the command and the direction flags aside while dragging.
void apply_click(AnimationState& state);

}  // namespace nuv::engine
