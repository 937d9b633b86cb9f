#pragma once
// What the X desktop says about itself, read before the window is shown, so that the window is
// shown once, at its size, and read again as it changes: the resource database (which holds
// Xft.dpi), the settings manager's settings (its Xft/DPI and double-click time), the area windows
// may use, whether a window manager runs and the frame it puts round a window.

#include <xcb/xcb.h>

#include <chrono>
#include <optional>
#include <string>

#include "host/x11/connection.hpp"
#include "window/layout.hpp"

namespace nuv::host::x11 {

struct Desktop {
  std::string resources;  // as `xrdb -query` shows them
  // The settings manager's window, whose settings property changes as its settings do; none
  // where no manager runs.
  xcb_window_t settings_owner = XCB_WINDOW_NONE;
  std::optional<double> settings_dpi;  // its Xft/DPI
  std::chrono::milliseconds double_click_time;
  window::Rect work_area;  // of the current desktop where a window manager says, else the screen
  bool window_manager;     // one runs: it places and frames the window, and may size it
};

Desktop read_desktop(const Connection& connection);

// The parts of it that change while the viewer runs, read again into `desktop`.
void read_resources(const Connection& connection, Desktop& desktop);
void read_settings(const Connection& connection, Desktop& desktop);
void read_work_area(const Connection& connection, Desktop& desktop);

// The frame a window manager puts round a window, on each side.
struct FrameExtents {
  int left = 0, right = 0, top = 0, bottom = 0;
  window::Size size() const { return {left + right, top + bottom}; }
};

// The frame a window manager puts round `window`, which is not yet shown, as it says when asked;
// nothing where it has not said within a moment.
std::optional<FrameExtents> frame_extents(const Connection& connection, xcb_window_t window);
// The frame as the window manager has told it on the window, which is shown; nothing where it has
// not.
std::optional<FrameExtents> told_frame_extents(const Connection& connection, xcb_window_t window);

}  // namespace nuv::host::x11
