#include "engine/nuv.hpp"

#include <string>

#include "engine/keyboard.hpp"
#include "engine/mouse.hpp"
#include "engine/step.hpp"

namespace nuv::engine {

void NUV::activate() {
  load_frames();
  state_.n = kRunning;
  state_.k = kStartDelay;
  state_.hl = 0;
  for (;;) run_cycle();
}

// Slot 0 is on screen at once; each later slot is followed by one pump pass, so the window
// stays responsive while the rest load.
void NUV::load_frames() {
  pics[0] = host_.image_picture(1);
  host_.set_picture(pics[0]);
  for (int slot = 1; slot < kFrameSlots; ++slot) {
    pics[slot] = host_.image_picture(slot + 1);
    host_.pump();
  }
}

// The picture is set in every cycle, also when the slot has not changed.
void NUV::run_cycle() {
  state_ = step(state_);
  const std::int32_t slot = kFrameSlots * state_.hl + state_.l;
  if (slot < 0 || slot >= kFrameSlots)
    host_.runtime_error("Subscript out of range: frame slot " + std::to_string(slot) +
                        " is outside 0 to 17");
  host_.set_picture(pics[slot]);
  FrameDelay();
}

// k is read once, when the wait starts; input is seen only in the pump pass after it.
void NUV::FrameDelay() {
  clock_.wait(idle_iterations(state_.k) * kIdleIterationTime);
  host_.pump();
}

void NUV::key_press(std::int16_t code) {
  if (code == kEscape) clear_and_end();
  if (const auto command = key_command(code)) state_.n = *command;
}

void NUV::mouse_move(std::int16_t /*button*/, std::int16_t /*shift*/, float x, float y) {
  if (!apply_mouse_move(state_, x, y))
    host_.runtime_error("Overflow: speed from pointer position X = " + std::to_string(x) +
                        ", Y = " + std::to_string(y) + " is not a finite number");
}

void NUV::click() {
  apply_click(state_);
}

void NUV::double_click() {
  clear_and_end();
}

void NUV::clear_and_end() {
  host_.clear_window();
  host_.end_program();
}

}  // namespace nuv::engine
