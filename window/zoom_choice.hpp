#pragma once
// How many times the pixel density the window is shown at: what the command line asks for, else
// what the desktop says about its screens, but never a window larger than the display can hold.

#include <optional>
#include <string>
#include <string_view>

#include "window/layout.hpp"

namespace nuv::window {

// What the window system tells about the desktop, gathered by the host.
struct DesktopDensity {
  std::optional<int> requested = {};         // the command line's zoom, already checked
  std::optional<double> wayland_scale = {};  // on a native Wayland session: the output's scale
  std::string_view x_resources = {};         // the X resource database as `xrdb -query` shows it
  std::optional<std::string_view> gdk_scale = {};  // the environment's GDK_SCALE
  std::optional<Size> usable_area = {};            // of the display the window opens on
};

struct ZoomChoice {
  int zoom;
  std::string notice;  // one line for standard error when the wanted zoom did not fit; or empty
};

// The requested zoom; otherwise on a native Wayland session the output's scale, elsewhere the
// resource Xft.dpi at 96 dots per inch per zoom step (to the nearest step), then GDK_SCALE,
// then 1; each limited to the zoom levels the frames are drawn at. Then the largest zoom up to
// that one whose window fits the usable area.
ZoomChoice choose_zoom(const DesktopDensity& desktop);

}  // namespace nuv::window
