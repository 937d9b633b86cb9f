#pragma once
// A 3 x 5 pixel font of the digits, so that labels need no fonts on the machine that builds.

#include "drawing/rgb_image.hpp"

namespace nuv::drawing {

constexpr int kGlyphWidth = 3;
constexpr int kGlyphHeight = 5;

// Whether pixel (x, y) of the glyph of `digit` (0 to 9) is set; row 0 is the top.
bool glyph_pixel(int digit, int x, int y);

// Writes the decimal digits of `number` (0 or more) with the top-left corner at (left, top), each
// font pixel a `scale` x `scale` square, glyphs one font pixel apart.
void stamp_number(RgbImage& image, int number, int left, int top, int scale, frames::Rgb colour);

// Width in image pixels of `number` as stamp_number writes it.
int stamped_width(int number, int scale);

}  // namespace nuv::drawing
