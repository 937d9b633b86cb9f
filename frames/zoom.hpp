#pragma once
// The pixel densities the frames are drawn at. At zoom z every length of the drawing is z times
// longer, lines included, so a frame is z times as wide and as tall as at zoom 1.

#include <stdexcept>
#include <string>

namespace nuv::frames {

inline constexpr int kMaxZoom = 3;

// Throws std::out_of_range unless 1 <= zoom <= kMaxZoom.
inline void check_zoom(int zoom) {
  if (zoom < 1 || zoom > kMaxZoom) {
    throw std::out_of_range("no zoom " + std::to_string(zoom) + "; frames are drawn at zoom 1 to " +
                            std::to_string(kMaxZoom));
  }
}

}  // namespace nuv::frames
