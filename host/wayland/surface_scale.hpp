#pragma once
// How the client area meets a Wayland output's scale: the buffers are made for the output's
// scale, so that every one of its pixels is drawn; at a zoom equal to the scale each layout pixel
// is one buffer pixel, at any other each is a point, magnified to a square of buffer pixels.

#include "window/layout.hpp"

namespace nuv::host::wayland {

struct SurfaceScale {
  int buffer_scale;             // buffer pixels a point spans: the output's scale
  int magnify;                  // buffer pixels a layout pixel spans across
  int layout_pixels_per_point;  // what a pointer position in points is in layout pixels
  window::Size points;          // the window's size, also its smallest and its largest
};

SurfaceScale surface_scale(const window::Layout& layout, int output_scale);

}  // namespace nuv::host::wayland
