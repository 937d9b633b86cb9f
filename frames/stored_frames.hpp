#pragma once
// The picture records carried by the image controls Image1 to Image18, each drawn at every zoom.

#include <cstdint>
#include <span>

#include "frames/encoded_picture.hpp"
#include "frames/picture.hpp"
#include "frames/zoom.hpp"

namespace nuv::frames {

// The stored record of image control Image`image_number` (1 to 18) drawn at `zoom` (1 to
// kMaxZoom); throws std::out_of_range for any other number or zoom. The bytes live as long as the
// program.
std::span<const std::uint8_t> stored_record(int image_number, int zoom = 1);

// That record read as an image control reads it, checked and indexed by row, and named by its
// control in any error; then the same decoded whole, for those who need every pixel at once.
EncodedPicture stored_picture(int image_number, int zoom = 1);
Picture decoded_stored_picture(int image_number, int zoom = 1);

}  // namespace nuv::frames
