#pragma once
// A decoded frame picture: palette indices, top row first, with the colour table they refer to.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace nuv::frames {

constexpr int kFrameWidth = 304;
constexpr int kFrameHeight = 548;
constexpr int kFrameCount = 18;

// The frames travel in the image controls Image1 to Image18; slot s of the frame table holds the
// picture of Image(s + 1).
constexpr int image_number_of_slot(int slot) {
  return slot + 1;
}
constexpr bool is_image_number(int number) {
  return number >= image_number_of_slot(0) && number <= image_number_of_slot(kFrameCount - 1);
}
inline std::string image_control_name(int number) {
  return "Image" + std::to_string(number);
}

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

// The colour as 0x00RRGGBB, the layout of 32-bit true-colour pixels here and in the window.
constexpr std::uint32_t packed(Rgb c) {
  return std::uint32_t{c.r} << 16 | std::uint32_t{c.g} << 8 | c.b;
}

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;  // width * height palette indices, row 0 at the top
  std::array<Rgb, 256> palette{};

  std::uint8_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
  Rgb colour_at(int x, int y) const { return palette[at(x, y)]; }
};

}  // namespace nuv::frames
