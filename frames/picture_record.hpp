#pragma once
// The stored picture record of an image control: a length-prefixed envelope around an
// RLE8-compressed bitmap file.

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string_view>
#include <vector>

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
// 256-entry colour table, RLE8 pixel data (bottom row first, no position skips).
std::vector<std::uint8_t> encode_picture_record(const Picture& picture);

// Decodes a record of the control named `control` (for example "Image7"). Every header field must
// hold the value a stored frame has (304 x 548, 8 bits, RLE8, ...); throws RecordError otherwise.
Picture decode_picture_record(std::span<const std::uint8_t> record, std::string_view control);

}  // namespace nuv::frames
