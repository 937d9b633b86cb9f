#pragma once
// How the client area meets a Wayland output's scale: the buffers are made for the output's
// scale, so that every one of its pixels is drawn; at a zoom equal to the scale each layout pixel
// is one buffer pixel, at any other each is a point, magnified to a square of buffer pixels.

#include <optional>

#include "window/layout.hpp"

namespace nuv::host::wayland {

struct SurfaceScale {
  int buffer_scale;             // buffer pixels a point spans: the output's scale
  int magnify;                  // buffer pixels a layout pixel spans across
  int layout_pixels_per_point;  // what a pointer position in points is in layout pixels
  window::Size points;          // the window's size, also its smallest and its largest
};

SurfaceScale surface_scale(const window::Layout& layout, int output_scale);

// The window's size in points, where its own is `own` and the compositor's latest configuration
// gave `given`: the size given a tiled, maximised or fullscreen window, or any window shown
// already (which the compositor would otherwise frame at that size), is taken; a new window's
// first suggestion is not, nor is a size given of nothing.
window::Size configured_size(std::optional<window::Size> given, bool imposing_state, bool shown,
                             window::Size own);

}  // namespace nuv::host::wayland
