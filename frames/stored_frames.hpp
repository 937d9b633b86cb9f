#pragma once
// The eighteen picture records carried by the image controls Image1 to Image18.

#include <cstdint>
#include <span>

namespace nuv::frames {

// The stored record of image control Image`image_number` (1 to 18).
std::span<const std::uint8_t> stored_record(int image_number);

}  // namespace nuv::frames
