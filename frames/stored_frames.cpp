#include "frames/stored_frames.hpp"

#include <stdexcept>
#include <string>

#include "frames/picture_record.hpp"
#include "frames/stored_record_data.hpp"

namespace nuv::frames {

std::span<const std::uint8_t> stored_record(int image_number, int zoom) {
  if (!is_image_number(image_number)) {
    throw std::out_of_range("no image control " + image_control_name(image_number) +
                            "; the stored pictures are " + image_control_name(1) + " to " +
                            image_control_name(kFrameCount));
  }
  check_zoom(zoom);
  const detail::ZoomRecords* records = detail::stored_records(zoom);
  if (records == nullptr)
    throw std::out_of_range("the pictures at zoom " + std::to_string(zoom) + " are not loaded");
  return (*records)[static_cast<std::size_t>(image_number - 1)];
}

EncodedPicture stored_picture(int image_number, int zoom) {
  return read_picture_record(stored_record(image_number, zoom), image_control_name(image_number),
                             zoom);
}

Picture decoded_stored_picture(int image_number, int zoom) {
  return decode_picture_record(stored_record(image_number, zoom), image_control_name(image_number),
                               zoom);
}

}  // namespace nuv::frames
