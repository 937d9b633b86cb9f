#pragma once
// PNG files of true-colour images.

#include <filesystem>

#include "drawing/rgb_image.hpp"

namespace nuv::drawing {

// Both throw std::runtime_error naming the file when it cannot be written or read.
void write_png(const RgbImage& image, const std::filesystem::path& path);
RgbImage read_png(const std::filesystem::path& path);

}  // namespace nuv::drawing
