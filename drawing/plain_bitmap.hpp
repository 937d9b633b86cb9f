#pragma once
// An uncompressed 8-bit bitmap file of a frame, which any image viewer opens.

#include <cstdint>
#include <vector>

#include "frames/picture.hpp"

namespace nuv::drawing {

std::vector<std::uint8_t> plain_bitmap_file(const frames::Picture& picture);

}  // namespace nuv::drawing
