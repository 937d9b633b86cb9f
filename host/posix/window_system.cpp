#include "host/window_system.hpp"

#include <cstdlib>
#include <string>
#include <string_view>

#include "host/wayland/connection.hpp"
#include "host/wayland/wayland_window.hpp"
#include "host/x11/x11_window.hpp"

namespace nuv::host {

std::unique_ptr<WindowSystem> open_window_system(std::optional<int> requested_zoom) {
  if (const char* chosen = std::getenv("NUV_WINDOW_SYSTEM")) {
    const std::string_view name = chosen;
    if (name == "x11") return x11::open_window(requested_zoom);
    if (name == "wayland") return wayland::open_window(requested_zoom);
    throw WindowSystemError(std::string("NUV_WINDOW_SYSTEM is '") + chosen +
                            "': it must be x11 or wayland");
  }
  // On a Wayland session the window is the compositor's own: through the X compatibility server
  // it would be blurred at any output scale above 1.
  if (const char* wayland = std::getenv("WAYLAND_DISPLAY");
      wayland != nullptr && *wayland != '\0') {
    try {
      return wayland::open_window(requested_zoom);
    } catch (const wayland::Unreachable&) {
      if (std::getenv("DISPLAY") == nullptr) throw;
    }
  }
  return x11::open_window(requested_zoom);
}

}  // namespace nuv::host
