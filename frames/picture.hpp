#pragma once
// A decoded frame picture: palette indices, top row first, with the colour table they refer to.

#include <array>
#include <cstdint>
#include <vector>

namespace nuv::frames {

constexpr int kFrameWidth = 304;
constexpr int kFrameHeight = 548;
constexpr int kFrameCount = 18;

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;  // width * height palette indices, row 0 at the top
  std::array<Rgb, 256> palette{};

  std::uint8_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
  Rgb colour_at(int x, int y) const { return palette[at(x, y)]; }
};

}  // namespace nuv::frames
