#include "engine/mouse.hpp"

#include <cmath>

namespace nuv::engine {

bool apply_mouse_move(AnimationState& s, float x, float y) {
  if (s.nm == 0) {
    const float product = x * 30.0f * y;  // single precision throughout
    if (!std::isfinite(product)) return false;
    s.k = product;
  }
  if (s.nm != 0) {
    s.k = kDragDelay;
    s.n = y >= s.yyy ? kStepForward : kStepBack;
    s.yyy = y;
  }
  return true;
}

void apply_click(AnimationState& s) {
  if (s.nm == 0) {
    s.n1 = s.n;
    s.mm1 = s.mm;
    s.m1 = s.m;
  }
  s.nm = (s.nm + 1) % 2;
  if (s.nm == 0) {
    s.n = s.n1;
    s.mm = s.mm1;
    s.m = s.m1;
  }
}

}  // namespace nuv::engine
