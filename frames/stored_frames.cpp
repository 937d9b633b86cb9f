#include "frames/stored_frames.hpp"

#include <stdexcept>
#include <string>

#include "frames/stored_record_data.hpp"

namespace nuv::frames {

std::span<const std::uint8_t> stored_record(int image_number) {
  if (image_number < 1 || image_number > kFrameCount) {
    throw std::out_of_range("no image control Image" + std::to_string(image_number) +
                            "; the stored pictures are Image1 to Image18");
  }
  return detail::kStoredRecords[static_cast<std::size_t>(image_number - 1)];
}

}  // namespace nuv::frames
