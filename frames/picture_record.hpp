#pragma once
// The stored picture record of an image control: a length-prefixed envelope around an
// RLE8-compressed bitmap file.

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "frames/encoded_picture.hpp"
#include "frames/picture.hpp"

namespace nuv::frames {

// A record that cannot be decoded; the message names the control, what is wrong and where.
class RecordError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The envelope before the bitmap file: length of the rest, signature, size of the file.
constexpr std::size_t kRecordEnvelopeSize = 12;

// Writes the record exactly as stored: envelope, file header, information header,
// 256-entry colour table, RLE8 pixel data (bottom row first, no position skips). The picture is a
// frame at one of the zooms: 304 x 548 pixels times 1 to kMaxZoom.
std::vector<std::uint8_t> encode_picture_record(const Picture& picture);

// Decodes a record of the control named `control` (for example "Image7") drawn at `zoom`. Every
// header field must hold the value a stored frame at that zoom has (304 x 548 times the zoom,
// 8 bits, RLE8, ...); throws RecordError otherwise, and std::out_of_range for a zoom outside 1 to
// kMaxZoom.
Picture decode_picture_record(std::span<const std::uint8_t> record, std::string_view control,
                              int zoom = 1);

// The same record kept as its codes, checked as decode_picture_record checks it, with the same
// errors: the picture an image control holds. The bytes must outlive the picture, unless the
// picture owns them: those it is given, or the whole record in the second form.
EncodedPicture read_picture_record(std::span<const std::uint8_t> record, std::string_view control,
                                   int zoom = 1, std::vector<std::uint8_t> owned = {});
EncodedPicture read_picture_record(std::vector<std::uint8_t> record, std::string_view control,
                                   int zoom = 1);

}  // namespace nuv::frames
