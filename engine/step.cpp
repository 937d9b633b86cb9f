#include "engine/step.hpp"

#include "frames/picture.hpp"

namespace nuv::engine {
namespace {

using frames::kFrameCount;

constexpr int kOneFrameForward = 1;
constexpr int kOneFrameBack = kFrameCount - 1;  // the same as -1, modulo the frame count

// Every reachable sum is non-negative, so the plain remainder wraps it into the table.
int advanced(int frame, int frames) {
  return (frame + frames) % kFrameCount;
}

}  // namespace

// The rules run in this order, each seeing the fields as the ones before it left them.
AnimationState step(AnimationState s) {
  // A run command moves one frame here and, now that the run is going, one more below.
  if (s.command == kRunBackward) {
    s.frame = advanced(s.frame, kOneFrameBack);
    s.commanded_forward = 0;
    s.running_backward = 1;
    s.command = kRunning;
  }
  if (s.command == kRunForward) {
    s.frame = advanced(s.frame, kOneFrameForward);
    s.running_backward = 0;
    s.commanded_forward = 1;
    s.command = kRunning;
  }
  // A step command stops the run. It moves one frame from a stop or the start-up run; a
  // commanded run, whose flag takes the step back, freezes on the frame shown.
  if (s.command == kStepBack) {
    s.frame = advanced(s.frame, kOneFrameBack + s.running_backward + s.commanded_forward);
    s.commanded_forward = 0;
    s.running_backward = 0;
    s.command = kStopped;
  }
  if (s.command == kStepForward) {
    s.frame = advanced(s.frame, kOneFrameForward - s.running_backward - s.commanded_forward);
    s.commanded_forward = 0;
    s.running_backward = 0;
    s.command = kStopped;
  }
  // A run goes on by one frame in its direction.
  if (s.command == kRunning && s.running_backward == 0)
    s.frame = advanced(s.frame, kOneFrameForward);
  if (s.running_backward == 1) s.frame = advanced(s.frame, kOneFrameBack);
  return s;
}

}  // namespace nuv::engine
