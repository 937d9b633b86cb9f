#include "host/window_system.hpp"

#include "host/win32/win32_window.hpp"

namespace nuv::host {

// Windows has one window system.
std::unique_ptr<WindowSystem> open_window_system(std::optional<int> requested_zoom) {
  return win32::open_window(requested_zoom);
}

}  // namespace nuv::host
