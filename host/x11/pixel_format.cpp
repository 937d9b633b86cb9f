#include "host/x11/pixel_format.hpp"

#include <bit>
#include <limits>

namespace nuv::host::x11 {
namespace {

// An 8-bit channel in the bits of `mask`, rounded to the nearest level it can hold.
std::uint32_t scaled(std::uint32_t channel, std::uint32_t mask) {
  if (mask == 0) return 0;
  const int shift = std::countr_zero(mask);
  const std::uint32_t largest = mask >> shift;
  return ((channel * largest + 127) / 255) << shift;
}

int distance(std::uint32_t a, std::uint32_t b) {
  int sum = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    const int d = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
    sum += d * d;
  }
  return sum;
}

}  // namespace

bool PixelFormat::same_as_client_area() const {
  return bits_per_pixel == 32 && !most_significant_first && mapped.empty() &&
         red_mask == 0xFF0000 && green_mask == 0x00FF00 && blue_mask == 0x0000FF;
}

std::uint32_t PixelFormat::pixel_of(std::uint32_t rgb) const {
  if (mapped.empty())
    return scaled((rgb >> 16) & 0xFF, red_mask) | scaled((rgb >> 8) & 0xFF, green_mask) |
           scaled(rgb & 0xFF, blue_mask);
  std::uint32_t nearest = 0;
  int best = std::numeric_limits<int>::max();
  for (const auto& [colour, pixel] : mapped)
    if (const int d = distance(colour, rgb); d < best) {
      best = d;
      nearest = pixel;
    }
  return nearest;
}

// The client area is runs of few colours, so the last colour's pixel is kept at hand.
void convert_row(const PixelFormat& format, const std::uint32_t* from, int width,
                 std::uint8_t* to) {
  if (width <= 0) return;
  const int bytes = format.bytes_per_pixel();
  std::uint32_t last_rgb = from[0] + 1, last_pixel = 0;
  for (int x = 0; x < width; ++x, to += bytes) {
    if (from[x] != last_rgb) {
      last_rgb = from[x];
      last_pixel = format.pixel_of(last_rgb);
    }
    for (int i = 0; i < bytes; ++i) {
      const int shift = 8 * (format.most_significant_first ? bytes - 1 - i : i);
      to[i] = static_cast<std::uint8_t>(last_pixel >> shift);
    }
  }
}

}  // namespace nuv::host::x11
