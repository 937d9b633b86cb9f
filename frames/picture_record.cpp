#include "frames/picture_record.hpp"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>

#include "frames/bitmap_file.hpp"
#include "frames/byte_writer.hpp"
#include "frames/rle8.hpp"
#include "frames/zoom.hpp"

namespace nuv::frames {
namespace {

constexpr std::array<std::uint8_t, 4> kSignature{0x6C, 0x74, 0x00, 0x00};
constexpr std::array<std::uint8_t, 2> kBitmapType{'B', 'M'};
constexpr std::size_t kSmallestFile = kPixelDataOffset + 2;  // headers, colours, end of bitmap

[[noreturn]] void fail(const std::string& what) {
  throw RecordError(what);
}

std::string hex_bytes(std::span<const std::uint8_t> bytes) {
  std::string text;
  for (std::uint8_t byte : bytes) {
    char digits[4];
    std::snprintf(digits, sizeof digits, "%02X", byte);
    text += (text.empty() ? "" : " ") + std::string(digits);
  }
  return text;
}

// Reads little-endian fields front to back; running out of bytes names the field being read.
class FieldReader {
 public:
  explicit FieldReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  std::span<const std::uint8_t> bytes(std::size_t count, std::string_view field) {
    if (bytes_.size() - offset_ < count) {
      fail("record ends at byte " + std::to_string(bytes_.size()) + ", inside " +
           std::string(field));
    }
    offset_ += count;
    return bytes_.subspan(offset_ - count, count);
  }

  std::uint32_t unsigned_field(std::size_t size, std::string_view field) {
    std::uint32_t value = 0;
    const auto data = bytes(size, field);
    for (std::size_t i = size; i-- > 0;) value = value << 8 | data[i];
    return value;
  }

  std::size_t offset() const { return offset_; }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t offset_ = 0;
};

void expect_bytes(FieldReader& in, std::span<const std::uint8_t> expected, std::string_view field) {
  const auto found = in.bytes(expected.size(), field);
  if (!std::equal(found.begin(), found.end(), expected.begin(), expected.end())) {
    fail(std::string(field) + " is " + hex_bytes(found) + ", expected " + hex_bytes(expected));
  }
}

struct Field {
  std::string_view name;
  std::size_t size;
  std::int64_t expected;
  bool is_signed = false;
};

void expect_fields(FieldReader& in, std::string_view header, std::initializer_list<Field> fields) {
  for (const Field& field : fields) {
    const std::string name = std::string(header) + ": " + std::string(field.name);
    const std::uint32_t raw = in.unsigned_field(field.size, name);
    const std::int64_t value = field.is_signed ? std::int64_t{static_cast<std::int32_t>(raw)} : raw;
    if (value != field.expected) {
      fail(name + " is " + std::to_string(value) + ", expected " + std::to_string(field.expected));
    }
  }
}

// Reads the envelope; returns the size of the bitmap file that follows it.
std::uint32_t read_envelope(FieldReader& in, std::size_t record_size) {
  const std::uint32_t length = in.unsigned_field(4, "the length field");
  if (std::uint64_t{length} + 4 != record_size) {
    fail("the length field says " + std::to_string(length) + " bytes follow it, but " +
         std::to_string(record_size - 4) + " do");
  }
  expect_bytes(in, kSignature, "the signature");
  const std::uint32_t file_size = in.unsigned_field(4, "the image file size");
  if (std::uint64_t{file_size} + 8 != length) {
    fail("the image file size is " + std::to_string(file_size) + ", expected the length field " +
         std::to_string(length) + " less 8");
  }
  if (file_size < kSmallestFile) {
    fail("the image file size " + std::to_string(file_size) + " leaves no room for its headers, " +
         "colour table and pixel data (" + std::to_string(kSmallestFile) + " bytes at least)");
  }
  return file_size;
}

void read_headers(FieldReader& in, std::uint32_t file_size, int zoom) {
  expect_bytes(in, kBitmapType, "file header: type");
  expect_fields(in, "file header",
                {{"file size", 4, file_size},
                 {"first reserved field", 2, 0},
                 {"second reserved field", 2, 0},
                 {"pixel data offset", 4, kPixelDataOffset}});
  expect_fields(in, "information header",
                {{"header size", 4, kInfoHeaderSize},
                 {"width", 4, kFrameWidth * zoom, true},
                 {"height", 4, kFrameHeight * zoom, true},
                 {"planes", 2, 1},
                 {"bits per pixel", 2, 8},
                 {"compression", 4, static_cast<std::int64_t>(BitmapCompression::rle8)},
                 {"image size", 4, std::int64_t{file_size} - std::int64_t{kPixelDataOffset}},
                 {"horizontal resolution", 4, 0},
                 {"vertical resolution", 4, 0},
                 {"colours used", 4, 256},
                 {"important colours", 4, 0}});
}

void read_colour_table(FieldReader& in, std::array<Rgb, 256>& palette) {
  for (std::size_t entry = 0; entry < palette.size(); ++entry) {
    const auto bgr0 = in.bytes(4, "the colour table");
    if (bgr0[3] != 0) {
      fail("colour table entry " + std::to_string(entry) + " has " + std::to_string(bgr0[3]) +
           " in its fourth byte, expected 0");
    }
    palette[entry] = {bgr0[2], bgr0[1], bgr0[0]};
  }
}

// A record's headers and colour table, checked, and where its pixel data begins.
struct RecordParts {
  std::array<Rgb, 256> palette;
  std::span<const std::uint8_t> stream;
};

RecordParts read_parts(std::span<const std::uint8_t> record, int zoom) {
  FieldReader in(record);
  read_headers(in, read_envelope(in, record.size()), zoom);
  RecordParts parts{};
  read_colour_table(in, parts.palette);
  parts.stream = record.subspan(in.offset());
  return parts;
}

Picture decode_record(std::span<const std::uint8_t> record, int zoom) {
  const RecordParts parts = read_parts(record, zoom);
  const int width = kFrameWidth * zoom;
  const int height = kFrameHeight * zoom;
  Picture picture{width, height,
                  std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height),
                  parts.palette};
  decode_rle8(parts.stream, picture.width, picture.height, picture.pixels);
  return picture;
}

// Errors in a record name its control.
template <typename Read>
auto for_control(std::string_view control, int zoom, Read read) {
  check_zoom(zoom);
  try {
    return read();
  } catch (const RecordError& error) {
    throw RecordError("picture record for " + std::string(control) + ": " + error.what());
  }
}

bool has_frame_size(const Picture& picture) {
  for (int zoom = 1; zoom <= kMaxZoom; ++zoom) {
    if (picture.width == kFrameWidth * zoom && picture.height == kFrameHeight * zoom) {
      return picture.pixels.size() == static_cast<std::size_t>(picture.width) * picture.height;
    }
  }
  return false;
}

}  // namespace

std::vector<std::uint8_t> encode_picture_record(const Picture& picture) {
  if (!has_frame_size(picture)) {
    throw std::invalid_argument("encode_picture_record: a frame picture is " +
                                std::to_string(kFrameWidth) + " x " + std::to_string(kFrameHeight) +
                                " pixels times a zoom of 1 to " + std::to_string(kMaxZoom));
  }
  const std::vector<std::uint8_t> file =
      bitmap_file(picture, BitmapCompression::rle8, encode_rle8(picture));
  std::vector<std::uint8_t> record;
  record.reserve(kRecordEnvelopeSize + file.size());
  ByteWriter out(record);
  out.u32(static_cast<std::uint32_t>(file.size() + 8));
  out.bytes(kSignature);
  out.u32(static_cast<std::uint32_t>(file.size()));
  out.bytes(file);
  return record;
}

Picture decode_picture_record(std::span<const std::uint8_t> record, std::string_view control,
                              int zoom) {
  return for_control(control, zoom, [&] { return decode_record(record, zoom); });
}

EncodedPicture read_picture_record(std::span<const std::uint8_t> record, std::string_view control,
                                   int zoom, std::vector<std::uint8_t> owned) {
  return for_control(control, zoom, [&] {
    const RecordParts parts = read_parts(record, zoom);
    const int width = kFrameWidth * zoom, height = kFrameHeight * zoom;
    auto rows = index_rle8(parts.stream, width, height);
    return EncodedPicture(width, height, parts.palette, parts.stream, std::move(rows),
                          std::move(owned));
  });
}

EncodedPicture read_picture_record(std::vector<std::uint8_t> record, std::string_view control,
                                   int zoom) {
  const std::span<const std::uint8_t> bytes(record);
  return read_picture_record(bytes, control, zoom, std::move(record));
}

}  // namespace nuv::frames
