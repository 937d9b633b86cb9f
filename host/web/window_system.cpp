#include "host/window_system.hpp"

#include "host/web/web_window.hpp"

namespace nuv::host {

// A page has one window system, and the zoom is the one whose records the page loaded.
std::unique_ptr<WindowSystem> open_window_system(std::optional<int>) {
  return web::open_window();
}

}  // namespace nuv::host
