#pragma once
// The viewer's window in a web page: a canvas the page holds, drawn by the same client area as
// every window, with the page's input.

#include <memory>

#include "host/window_system.hpp"

namespace nuv::host::web {

// The window at the zoom whose records the page loaded.
std::unique_ptr<WindowSystem> open_window();

}  // namespace nuv::host::web
