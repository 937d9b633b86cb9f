#pragma once
// Fingers on the window, through XInput 2.2's touch events: a window that asks for them gets them
// in place of the pointer events the server would otherwise make of a finger, in which a tap then
// a slide is a double click. The first finger is the pointer, by the one touch rule.

#include <xcb/xcb.h>

#include <cstdint>
#include <vector>

#include "host/input.hpp"
#include "host/x11/connection.hpp"

namespace nuv::host::x11 {

class TouchScreen {
 public:
  // Asks for the window's touch events, where the server has XInput 2.2.
  TouchScreen(const Connection& connection, xcb_window_t window);

  // The input of an event of the window's touches, positions less the client area's place in
  // the window; false for any other event.
  bool take(const xcb_generic_event_t& event, int left, int top, std::vector<WindowInput>& input);

 private:
  std::uint8_t opcode_ = 0;  // XInput's; none where the server lacks XInput 2.2
  FirstFinger finger_;
};

}  // namespace nuv::host::x11
