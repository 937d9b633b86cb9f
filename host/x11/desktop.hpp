#pragma once
// What the X desktop says about itself, read before the window is made, so that the window is
// made once, at its size: the resource database (which holds Xft.dpi), the area windows may use,
// and the double-click time its settings manager publishes.

#include <chrono>
#include <optional>
#include <string>

#include "host/x11/connection.hpp"
#include "window/layout.hpp"

namespace nuv::host::x11 {

struct Desktop {
  std::string resources;                  // as `xrdb -query` shows them
  std::optional<window::Rect> work_area;  // of the current desktop, where a window manager says
  std::chrono::milliseconds double_click_time;
};

Desktop read_desktop(const Connection& connection);

}  // namespace nuv::host::x11
