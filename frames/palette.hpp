#pragma once
// The standard sixteen colours every frame's colour table starts with, and the five the drawing
// uses.

#include <array>
#include <cstdint>

#include "frames/picture.hpp"

namespace nuv::frames {

enum class Colour : std::uint8_t { black = 0, red = 9, green = 10, blue = 12, white = 15 };

constexpr std::array<Rgb, 16> kStandardColours{{
    {0x00, 0x00, 0x00},
    {0x80, 0x00, 0x00},
    {0x00, 0x80, 0x00},
    {0x80, 0x80, 0x00},
    {0x00, 0x00, 0x80},
    {0x80, 0x00, 0x80},
    {0x00, 0x80, 0x80},
    {0x80, 0x80, 0x80},
    {0xC0, 0xC0, 0xC0},
    {0xFF, 0x00, 0x00},
    {0x00, 0xFF, 0x00},
    {0xFF, 0xFF, 0x00},
    {0x00, 0x00, 0xFF},
    {0xFF, 0x00, 0xFF},
    {0x00, 0xFF, 0xFF},
    {0xFF, 0xFF, 0xFF},
}};

constexpr std::uint8_t index_of(Colour colour) {
  return static_cast<std::uint8_t>(colour);
}
constexpr Rgb rgb_of(Colour colour) {
  return kStandardColours[index_of(colour)];
}

// The frames' colour table: the standard sixteen colours, then black in the entries no pixel uses.
constexpr std::array<Rgb, 256> frame_palette() {
  std::array<Rgb, 256> palette{};
  for (std::size_t i = 0; i < kStandardColours.size(); ++i) palette[i] = kStandardColours[i];
  return palette;
}

}  // namespace nuv::frames
