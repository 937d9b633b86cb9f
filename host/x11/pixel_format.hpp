#pragma once
// How the X server wants pixels: true colour of any depth, channels where its masks say, or
// indices into a colour map where it maps colours (8-bit PseudoColor and the like). The client
// area is composed as 0x00RRGGBB and converted only where the server's pixels differ.

#include <cstdint>
#include <utility>
#include <vector>

namespace nuv::host::x11 {

struct PixelFormat {
  int bits_per_pixel = 32;  // 8, 16, 24 or 32
  bool most_significant_first = false;
  std::uint32_t red_mask = 0xFF0000, green_mask = 0x00FF00, blue_mask = 0x0000FF;
  // Where the display maps colours: the pixel chosen for each colour of the client area,
  // 0x00RRGGBB first. Empty for true colour.
  std::vector<std::pair<std::uint32_t, std::uint32_t>> mapped;

  int bytes_per_pixel() const { return bits_per_pixel / 8; }
  // Whether the server's pixels are the client area's own, so that it can be composed in place.
  bool same_as_client_area() const;
  // The pixel that shows `rgb` (0x00RRGGBB): its channels scaled to the masks, rounded, or the
  // mapped pixel of the nearest mapped colour.
  std::uint32_t pixel_of(std::uint32_t rgb) const;
};

// Writes `width` pixels of 0x00RRGGBB as `format`'s pixels, in its byte order.
void convert_row(const PixelFormat& format, const std::uint32_t* from, int width, std::uint8_t* to);

}  // namespace nuv::host::x11
