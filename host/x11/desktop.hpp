#pragma once
// What the X desktop says about itself, read before the window is shown, so that the window is
// shown once, at its size: the resource database (which holds Xft.dpi), the area windows may use,
// whether a window manager runs and the frame it puts round a window, and the double-click time
// its settings manager publishes.

#include <xcb/xcb.h>

#include <chrono>
#include <optional>
#include <string>

#include "host/x11/connection.hpp"
#include "window/layout.hpp"

namespace nuv::host::x11 {

struct Desktop {
  std::string resources;  // as `xrdb -query` shows them
  window::Rect work_area;  // of the current desktop where a window manager says, else the screen
  bool window_manager;     // one runs: it places and frames the window, and may size it
  std::chrono::milliseconds double_click_time;
};

Desktop read_desktop(const Connection& connection);

// The frame a window manager puts round `window`, which is not yet shown: left and right, top and
// bottom together, as it says when asked; nothing where it has not said within a moment.
std::optional<window::Size> frame_extents(const Connection& connection, xcb_window_t window);

}  // namespace nuv::host::x11
