#pragma once
// The viewer's window on the Windows desktop, through the Win32 API and GDI.

#include <memory>
#include <optional>

#include "host/window_system.hpp"

namespace nuv::host::win32 {

// The window on the monitor Windows opens it on, at the zoom asked for or the monitor's density.
// Throws WindowSystemError when Windows refuses it.
std::unique_ptr<WindowSystem> open_window(std::optional<int> requested_zoom);

}  // namespace nuv::host::win32
