#pragma once
// The viewer's window on a Wayland compositor, through wayland-client and libdecor.

#include <memory>
#include <optional>

#include "host/window_system.hpp"

namespace nuv::host::wayland {

// The window on the compositor WAYLAND_DISPLAY names, at the zoom asked for or the output's
// scale. Throws Unreachable (a WindowSystemError) when no compositor answers there.
std::unique_ptr<WindowSystem> open_window(std::optional<int> requested_zoom);

}  // namespace nuv::host::wayland
