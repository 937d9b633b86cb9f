#pragma once
// What the window tells the window manager before it is first shown: its caption, class, icon
// and process, a fixed size with no maximising, and the messages it answers.

#include <xcb/xcb.h>

#include "host/x11/connection.hpp"
#include "window/layout.hpp"

namespace nuv::host::x11 {

// All but its size.
void describe_window(const Connection& connection, xcb_window_t window);

// The layout's size, its smallest and its largest.
void fix_size(const Connection& connection, xcb_window_t window, const window::Layout& layout);

}  // namespace nuv::host::x11
