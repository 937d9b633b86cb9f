#include "drawing/digit_font.hpp"

#include <array>
#include <string>

namespace nuv::drawing {
namespace {

using frames::Rgb;

// Each glyph row is three bits, the leftmost pixel in the highest bit.
constexpr std::array<std::array<unsigned, kGlyphHeight>, 10> kGlyphs{{
    {0b111, 0b101, 0b101, 0b101, 0b111},  // 0
    {0b010, 0b110, 0b010, 0b010, 0b111},  // 1
    {0b111, 0b001, 0b111, 0b100, 0b111},  // 2
    {0b111, 0b001, 0b011, 0b001, 0b111},  // 3
    {0b101, 0b101, 0b111, 0b001, 0b001},  // 4
    {0b111, 0b100, 0b111, 0b001, 0b111},  // 5
    {0b111, 0b100, 0b111, 0b101, 0b111},  // 6
    {0b111, 0b001, 0b010, 0b010, 0b010},  // 7
    {0b111, 0b101, 0b111, 0b101, 0b111},  // 8
    {0b111, 0b101, 0b111, 0b001, 0b111},  // 9
}};

void stamp_glyph(RgbImage& image, int digit, int left, int top, int scale, Rgb colour) {
  for (int y = 0; y < kGlyphHeight * scale; ++y) {
    for (int x = 0; x < kGlyphWidth * scale; ++x) {
      if (glyph_pixel(digit, x / scale, y / scale)) image.at(left + x, top + y) = colour;
    }
  }
}

}  // namespace

bool glyph_pixel(int digit, int x, int y) {
  const unsigned row = kGlyphs.at(static_cast<std::size_t>(digit)).at(static_cast<std::size_t>(y));
  return (row >> (kGlyphWidth - 1 - x) & 1U) != 0;
}

void stamp_number(RgbImage& image, int number, int left, int top, int scale, Rgb colour) {
  for (char digit : std::to_string(number)) {
    stamp_glyph(image, digit - '0', left, top, scale, colour);
    left += (kGlyphWidth + 1) * scale;
  }
}

int stamped_width(int number, int scale) {
  const auto digits = static_cast<int>(std::to_string(number).size());
  return ((kGlyphWidth + 1) * digits - 1) * scale;
}

}  // namespace nuv::drawing
