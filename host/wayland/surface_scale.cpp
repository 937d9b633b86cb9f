#include "host/wayland/surface_scale.hpp"

#include "window/zoom_choice.hpp"

namespace nuv::host::wayland {

SurfaceScale surface_scale(const window::Layout& layout, int output_scale) {
  const bool pixel_for_pixel = layout.zoom == output_scale;
  return {output_scale, pixel_for_pixel ? 1 : output_scale, pixel_for_pixel ? output_scale : 1,
          window::window_size_in_points(layout.zoom, output_scale)};
}

window::Size configured_size(std::optional<window::Size> given, bool imposing_state, bool shown,
                             window::Size own) {
  if (!given || given->width <= 0 || given->height <= 0 || !(imposing_state || shown)) return own;
  return *given;
}

}  // namespace nuv::host::wayland
