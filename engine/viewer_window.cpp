#include "engine/viewer_window.hpp"

#include <exception>
#include <string>

#include "engine/frame_delay.hpp"
#include "engine/keyboard.hpp"
#include "engine/mouse.hpp"
#include "engine/step.hpp"

namespace nuv::engine {

using frames::kFrameCount;

void ViewerWindow::activate() {
  load_frames();
  state_.command = Command::running;
  state_.delay = kStartDelay;
  for (;;) run_cycle();
}

// Slot 0 is on screen at once; each later slot is followed by one pump pass, so the window
// stays responsive while the rest load.
void ViewerWindow::load_frames() {
  frame_table_[0] = host_.image_picture(frames::image_number_of_slot(0));
  host_.set_picture(frame_table_[0]);
  for (int slot = 1; slot < kFrameCount; ++slot) {
    frame_table_[slot] = host_.image_picture(frames::image_number_of_slot(slot));
    host_.pump();
  }
}

// The picture is set in every cycle, also when the slot has not changed.
void ViewerWindow::run_cycle() {
  step(state_);
  host_.set_picture(frame_table_[static_cast<std::size_t>(state_.frame)]);
  wait_after_frame();
}

// The delay is read once, when the wait starts; input is seen only in the pump pass after it.
void ViewerWindow::wait_after_frame() {
  host_.idle(idle_iterations(state_.delay) * kIdleIterationTime);
  host_.pump();
}

void ViewerWindow::key_press(std::int16_t code) {
  if (code == kEscape) clear_and_end();
  if (const auto command = key_command(code)) state_.command = *command;
}

void ViewerWindow::mouse_move(float x, float y) {
  if (!apply_mouse_move(state_, x, y))
    host_.runtime_error("Overflow: speed from pointer position X = " + std::to_string(x) +
                        ", Y = " + std::to_string(y) + " is not a finite number");
}

void ViewerWindow::click() {
  apply_click(state_);
}

void ViewerWindow::double_click() {
  clear_and_end();
}

// The compiler does not carry [[noreturn]] through a virtual call; a host whose end_program
// returned would break its contract, and nothing of the program may run after it.
void ViewerWindow::clear_and_end() {
  host_.clear_window();
  host_.end_program();
  std::terminate();
}

}  // namespace nuv::engine
