#pragma once
// The viewer's window object: owns the animation state and the frame table, runs the frame
// cycle and turns input into commands.

#include <array>

#include "engine/animation_state.hpp"
#include "frames/picture.hpp"
#include "host/host.hpp"

namespace nuv::engine {

// The delay at start-up: about one frame a second.
inline constexpr double kStartDelay = 1000000;

class ViewerWindow final : public host::WindowEvents {
 public:
  explicit ViewerWindow(host::Host& host) : host_(host) {}

  // Loads the frame table, sets the starting values, then steps, shows and waits forever.
  [[noreturn]] void activate() override;
  void key_press(std::int16_t code) override;
  void mouse_move(float x, float y) override;
  void click() override;
  [[noreturn]] void double_click() override;

  const AnimationState& state() const { return state_; }

 private:
  void load_frames();
  void run_cycle();
  void wait_after_frame();
  [[noreturn]] void clear_and_end();

  host::Host& host_;
  AnimationState state_;
  std::array<host::PictureRef, frames::kFrameCount> frame_table_;
};

}  // namespace nuv::engine
