#pragma once
// What the bare programs show: the viewer's client area with no picture, and the block of colour
// in the inner area where the frame would be.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "bench/bare_picture.hpp"
#include "frames/picture.hpp"
#include "frames/zoom.hpp"
#include "host/client_area.hpp"
#include "window/layout.hpp"

namespace nuv::bench {

inline std::optional<window::Layout> layout_from_arguments(int argc, char** argv) {
  const int zoom = argc == 2 ? std::atoi(argv[1]) : 0;
  if (zoom < 1 || zoom > frames::kMaxZoom) {
    std::fprintf(stderr, "usage: %s ZOOM   (1 to %d)\n", argv[0], frames::kMaxZoom);
    return std::nullopt;
  }
  return window::layout_at(zoom);
}

// Composes into `pixels`, rows of the client area's width.
inline void compose_bare_client_area(const window::Layout& layout, std::uint32_t* pixels) {
  const host::ClientArea area(layout, {pixels, static_cast<std::size_t>(layout.client_width),
                                       layout.client_width, layout.client_height});
  for (int y = 0; y < frames::kFrameHeight * layout.zoom; ++y)
    for (int x = 0; x < layout.inner.width; ++x)
      pixels[static_cast<std::size_t>(layout.inner.y + y) * layout.client_width + layout.inner.x +
             x] = kBarePictureRgb;
}

}  // namespace nuv::bench
