#include "host/window_system.hpp"

#include <cstdlib>
#include <string>
#include <string_view>

#include "host/x11/x11_window.hpp"

namespace nuv::host {

std::unique_ptr<WindowSystem> open_window_system(std::optional<int> requested_zoom) {
  if (const char* chosen = std::getenv("NUV_WINDOW_SYSTEM");
      chosen != nullptr && std::string_view(chosen) != "x11")
    throw WindowSystemError(std::string("NUV_WINDOW_SYSTEM is '") + chosen +
                            "': it must be x11 or wayland");
  return x11::open_window(requested_zoom);
}

}  // namespace nuv::host
