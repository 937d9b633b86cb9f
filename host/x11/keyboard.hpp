#pragma once
// The X server's keyboard: key events into the characters they type, on the layout the server
// has now. The layout is read at the first key, and again after the server says it changed (a
// layout switched with setxkbmap or by the desktop's settings, another keyboard plugged in).

#include <xcb/xcb.h>

#include <cstdint>
#include <optional>

#include "host/input.hpp"
#include "host/posix/xkb_keyboard.hpp"
#include "host/x11/connection.hpp"

namespace nuv::host::x11 {

class Keyboard {
 public:
  explicit Keyboard(const Connection& connection) : connection_(connection) {}

  // The character a key press types, if any.
  std::optional<WindowInput> key(const xcb_key_press_event_t& key);
  // Takes note of an event that says the layout changed; false for any other event.
  bool notice_change(const xcb_generic_event_t& event);

 private:
  void load();
  void follow_changes();

  const Connection& connection_;
  std::optional<XkbKeyboard> keyboard_;  // read at the first key
  std::int32_t device_ = -1;             // the core keyboard, where the server has XKB
  std::uint8_t xkb_event_base_ = 0;
  bool changed_ = false;
};

}  // namespace nuv::host::x11
