#include "drawing/plain_bitmap.hpp"

#include <algorithm>

#include "frames/bitmap_file.hpp"

namespace nuv::drawing {

using frames::bitmap_file;
using frames::BitmapCompression;
using frames::Picture;

// Rows bottom first, each padded to a multiple of four bytes.
std::vector<std::uint8_t> plain_bitmap_file(const Picture& picture) {
  const auto width = static_cast<std::size_t>(picture.width);
  const std::size_t stride = (width + 3) / 4 * 4;
  std::vector<std::uint8_t> rows(stride * static_cast<std::size_t>(picture.height), 0);
  for (int y = 0; y < picture.height; ++y) {
    const auto source = picture.pixels.begin() + static_cast<std::ptrdiff_t>(y * width);
    const auto target = static_cast<std::size_t>(picture.height - 1 - y) * stride;
    std::copy_n(source, width, rows.begin() + static_cast<std::ptrdiff_t>(target));
  }
  return bitmap_file(picture, BitmapCompression::none, rows);
}

}  // namespace nuv::drawing
