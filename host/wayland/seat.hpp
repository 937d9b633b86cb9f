#pragma once
// The seat's pointer, touch screen and keyboard as the window's input: pointer positions over the
// window's surface in layout pixels, the primary button's presses and releases with their times,
// the first finger on the surface as the pointer, and the characters keys type, with the
// compositor's key repeat. The pointer shows the cursor theme's
// arrow over the window.

#include <wayland-client.h>
#include <wayland-cursor.h>

#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "host/input.hpp"
#include "host/posix/xkb_keyboard.hpp"
#include "host/wayland/connection.hpp"
#include "host/wayland/key_repeat.hpp"
#include "host/wayland/surface_scale.hpp"

namespace nuv::host::wayland {

class Seat {
 public:
  // Input over `surface` only; decorations drawn on surfaces of their own are left to their
  // drawer.
  Seat(Connection& connection, wl_surface* surface);
  ~Seat();
  Seat(const Seat&) = delete;
  Seat& operator=(const Seat&) = delete;

  // What a pointer position in points is in layout pixels, where the client area lies in a window
  // of `window_points`, and the scale the cursor is drawn at.
  void set_scale(const SurfaceScale& scale, window::Size window_points);
  // The input that has come since the last call, key repetitions due by `now` included.
  void take(std::vector<WindowInput>& input, TimePoint now);
  // When the next key repetition is due.
  std::optional<TimePoint> next_repeat() const { return repeat_.next(); }

 private:
  static void capabilities(void* self, std::uint32_t capabilities);
  static const wl_pointer_listener kPointerEvents;
  static const wl_touch_listener kTouchEvents;
  static const wl_keyboard_listener kKeyboardEvents;
  void move(wl_fixed_t x, wl_fixed_t y);
  // A position over the surface, in layout pixels.
  std::pair<int, int> place(wl_fixed_t x, wl_fixed_t y) const;
  void add(std::optional<WindowInput> input);
  void show_cursor(std::uint32_t serial);
  void read_keymap(int fd, std::uint32_t size);
  void set_modifiers(const std::array<std::uint32_t, 4>& modifiers);
  XkbKeyboard* keyboard();
  void key(std::uint32_t key, bool pressed);

  Connection& connection_;
  wl_surface* surface_;
  wl_pointer* pointer_ = nullptr;
  wl_touch* touch_ = nullptr;
  wl_keyboard* keyboard_ = nullptr;
  FirstFinger finger_;
  bool pointer_over_ = false;
  int pointer_x_ = 0, pointer_y_ = 0;  // where the pointer last was, in layout pixels
  int layout_pixels_per_point_ = 1;
  double left_ = 0, top_ = 0;  // where the client area lies in the window, in points
  int output_scale_ = 1;

  wl_cursor_theme* cursor_theme_ = nullptr;  // loaded when the pointer first comes
  int cursor_theme_scale_ = 0;
  wl_surface* cursor_surface_ = nullptr;

  // The compositor's keymap as it sent it, compiled at the first key: compiling it, and reading
  // the locale's compose sequences, takes longer than putting up the first picture.
  std::string keymap_text_;
  std::array<std::uint32_t, 4> modifiers_{};  // depressed, latched, locked, layout
  std::optional<XkbKeyboard> xkb_;
  KeyRepeat repeat_;
  std::vector<WindowInput> input_;
};

}  // namespace nuv::host::wayland
