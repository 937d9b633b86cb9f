#include "engine/step.hpp"

namespace nuv::engine {
namespace {

// Every reachable left operand is non-negative, so the plain remainder is the frame modulo 18;
// adding 17 moves one frame back.
int wrap(int frame) {
  return frame % kFrameSlots;
}

}  // namespace

// Each rule sees the fields as the rules before it left them, so a run command moves one frame
// in its own rule and another in rule 5 or 6.
AnimationState step(AnimationState s) {
  if (s.n == kRunBackward) {
    s.l = wrap(s.l + 17);
    s.mm = 0;
    s.m = 1;
    s.n = kRunning;
  }
  if (s.n == kRunForward) {
    s.l = wrap(s.l + 1);
    s.m = 0;
    s.mm = 1;
    s.n = kRunning;
  }
  if (s.n == kStepBack) {
    s.l = wrap(s.l + 17 + s.m + s.mm);
    s.mm = 0;
    s.m = 0;
    s.n = kStopped;
  }
  if (s.n == kStepForward) {
    s.l = wrap(s.l + 1 - s.m - s.mm);
    s.mm = 0;
    s.m = 0;
    s.n = kStopped;
  }
  if (s.n != 0 && s.m == 0) s.l = wrap(s.l + s.n);
  if (s.m == 1) s.l = wrap(s.l + 17);
  return s;
}

}  // namespace nuv::engine
