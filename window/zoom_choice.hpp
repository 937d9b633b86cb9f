#pragma once
// How many times the pixel density the window is shown at: what the command line asks for, else
// what the desktop says about its screens, but never a window larger than the display can hold.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "window/layout.hpp"

namespace nuv::window {

// What the window system tells about the desktop, gathered by the host.
struct DesktopDensity {
  std::optional<int> requested = {};  // the command line's zoom, already checked
  // On a native Wayland session the output's scale; in a web page, the device pixel ratio.
  std::optional<double> display_scale = {};
  std::optional<double> monitor_dpi = {};  // on Windows: the monitor's dots per inch
  std::string_view x_resources = {};       // the X resource database as `xrdb -query` shows it
  std::optional<double> settings_dpi = {};  // on X11: the settings manager's Xft/DPI
  std::optional<std::string_view> gdk_scale = {};  // the environment's GDK_SCALE
  std::optional<Size> usable_area = {};  // of the display the window opens on, in its points
  Size frame = {};                       // what the desktop puts round the window, in points
  int output_scale = 1;                  // pixels a point spans on that display
};

// The window's size in the points of a display at `output_scale`. At a zoom equal to the scale
// each of the layout's pixels is one of the display's; at any other each is a point, shown as a
// square of `output_scale` pixels, still sharp.
Size window_size_in_points(int zoom, int output_scale);

// The area a desktop gives windows, `work_area` as x, y, width and height, within the screen: what
// lies beyond it is no area; where none is left, or none is given, the whole screen.
Rect usable_area(std::span<const std::uint32_t> work_area, Size screen);

// The zoom the desktop's density asks for, before it is fitted to the usable area.
int wanted_zoom(const DesktopDensity& desktop);

struct ZoomChoice {
  int zoom;
  std::string notice;  // one line for standard error when the wanted zoom did not fit; or empty
};

// The requested zoom; otherwise the display's scale (a Wayland output's, a web page's device pixel
// ratio), on Windows the monitor's density, elsewhere the resource Xft.dpi or, where the resources
// have none, the settings manager's Xft/DPI, each density at 96 dots per inch per zoom step (to
// the nearest step), then GDK_SCALE, then 1; each limited to the
// zoom levels the frames are drawn at, however large. Then the largest zoom up to that one whose
// window fits the usable area.
ZoomChoice choose_zoom(const DesktopDensity& desktop);

// A window moved to a display of another density (on Windows, WM_DPICHANGED): at the zoom the
// desktop's density chooses there where the zoom follows it, else at its own; placed where the
// desktop suggests, and sized for that zoom's client area in the frame `density.frame`, which the
// desktop draws at that density.
struct Rezoomed {
  int zoom;
  Rect window;
};
Rezoomed rezoomed(const DesktopDensity& density, int zoom, bool follows_density, Rect suggested);

}  // namespace nuv::window
