#pragma once
// The eighteen picture records carried by the image controls Image1 to Image18.

#include <cstdint>
#include <span>

namespace nuv::frames {

// The stored record of image control Image`image_number` (1 to 18); throws std::out_of_range for
// any other number. The bytes live as long as the program.
std::span<const std::uint8_t> stored_record(int image_number);

}  // namespace nuv::frames
