#include "engine/mouse.hpp"

#include <cmath>

namespace nuv::engine {

bool apply_mouse_move(AnimationState& s, float x, float y) {
  if (s.mouse_mode == MouseMode::speed) {
    const float product = x * kSpeedFactor * y;  // single precision throughout, as stored
    if (!std::isfinite(product)) return false;
    s.delay = product;
  } else {
    s.delay = kDragDelay;
    s.command = y >= s.last_drag_y ? Command::step_forward : Command::step_back;
    s.last_drag_y = y;
  }
  return true;
}

void apply_click(AnimationState& s) {
  if (s.mouse_mode == MouseMode::speed) {
    s.saved_run = {s.command, s.running_backward, s.commanded_forward};
    s.mouse_mode = MouseMode::drag;
  } else {
    s.mouse_mode = MouseMode::speed;
    s.command = s.saved_run.command;
    s.running_backward = s.saved_run.running_backward;
    s.commanded_forward = s.saved_run.commanded_forward;
  }
}

}  // namespace nuv::engine
