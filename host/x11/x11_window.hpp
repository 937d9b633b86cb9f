#pragma once
// The viewer's window on an X server, through xcb.

#include <memory>
#include <optional>

#include "host/window_system.hpp"

namespace nuv::host::x11 {

// The window on the display DISPLAY names, at the zoom asked for or the desktop's. Throws
// WindowSystemError when there is no display to open it on.
std::unique_ptr<WindowSystem> open_window(std::optional<int> requested_zoom);

}  // namespace nuv::host::x11
