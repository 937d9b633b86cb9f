#pragma once
// A true-colour image, for pictures made for people rather than for the viewer.

#include <cstddef>
#include <vector>

#include "frames/picture.hpp"

namespace nuv::drawing {

struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<frames::Rgb> pixels;  // row 0 at the top

  RgbImage() = default;
  RgbImage(int image_width, int image_height, frames::Rgb background)
      : width(image_width),
        height(image_height),
        pixels(static_cast<std::size_t>(image_width) * static_cast<std::size_t>(image_height),
               background) {}

  frames::Rgb& at(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
  const frames::Rgb& at(int x, int y) const {
    return pixels[static_cast<std::size_t>(y) * width + x];
  }
  friend bool operator==(const RgbImage&, const RgbImage&) = default;
};

}  // namespace nuv::drawing
