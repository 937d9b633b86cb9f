#include "frames/picture_record.hpp"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "frames/bitmap_file.hpp"
#include "frames/palette.hpp"
#include "frames/zoom.hpp"
#include "tests/frames/record_error.hpp"

namespace nuv::frames {
namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr std::size_t kFile = kRecordEnvelopeSize;  // where the bitmap file starts in a record

// A picture of a frame's size at `zoom` with long white runs, short mixed stretches, and a colour
// table whose entries past the standard sixteen all differ.
Picture test_picture(int zoom = 1) {
  Picture picture{kFrameWidth * zoom, kFrameHeight * zoom, {}, frame_palette()};
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      const bool mixed = (x + 3 * y) % 97 < 9;
      picture.pixels.push_back(static_cast<std::uint8_t>(mixed ? (x * y) % 256 : 15));
    }
  }
  for (std::size_t i = 16; i < picture.palette.size(); ++i) {
    picture.palette[i] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
                          static_cast<std::uint8_t>(i * 3)};
  }
  return picture;
}

void put(Bytes& bytes, std::size_t at, std::size_t size, std::uint32_t value) {
  for (std::size_t i = 0; i < size; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> 8 * i);
}

// The record of the test picture with its pixel data replaced by `stream`, sizes made to agree.
Bytes record_around(const Bytes& stream) {
  Bytes record = encode_picture_record(test_picture());
  record.resize(kFile + kPixelDataOffset);
  record.insert(record.end(), stream.begin(), stream.end());
  const auto file_size = static_cast<std::uint32_t>(record.size() - kFile);
  put(record, 0, 4, file_size + 8);
  put(record, 8, 4, file_size);
  put(record, kFile + 2, 4, file_size);
  put(record, kFile + 34, 4, file_size - static_cast<std::uint32_t>(kPixelDataOffset));
  return record;
}

void expect_error(const Bytes& record, std::initializer_list<std::string_view> parts) {
  const std::string message = record_error([&] { decode_picture_record(record, "Image7"); });
  EXPECT_EQ(message.rfind("picture record for Image7: ", 0), 0u) << message;
  // Refused as it is read into an image control, before it is ever shown.
  EXPECT_EQ(record_error([&] { read_picture_record(record, "Image7"); }), message);
  expect_mentions(message, parts);
}

TEST(PictureRecord, RoundTripsPixelsAndTheWholeColourTableAtEveryZoom) {
  for (int zoom = 1; zoom <= kMaxZoom; ++zoom) {
    const Picture picture = test_picture(zoom);
    const Bytes record = encode_picture_record(picture);
    const Picture decoded = decode_picture_record(record, "Image1", zoom);
    EXPECT_EQ(decoded.width, picture.width);
    EXPECT_EQ(decoded.height, picture.height);
    EXPECT_EQ(decoded.pixels, picture.pixels);
    EXPECT_EQ(decoded.palette, picture.palette);
    const int other_zoom = zoom % kMaxZoom + 1;
    expect_mentions(record_error([&] { decode_picture_record(record, "Image1", other_zoom); }),
                    {"width is " + std::to_string(picture.width) + ", expected " +
                     std::to_string(kFrameWidth * other_zoom)});
  }
  EXPECT_THROW(decode_picture_record(encode_picture_record(test_picture()), "Image1", 0),
               std::out_of_range);
}

// Where each field lies is checked by corrupting it below; here the order of the colour bytes,
// which a matching mistake in encoder and decoder would hide.
TEST(PictureRecord, StoresColoursAsBlueGreenRedZero) {
  const Bytes record = encode_picture_record(test_picture());
  const auto blue = record.begin() + kFile + 54 + 4 * index_of(Colour::blue);
  EXPECT_EQ(Bytes(blue, blue + 4), (Bytes{0xFF, 0x00, 0x00, 0x00}));
}

TEST(PictureRecord, RejectsATruncationAnywhere) {
  const Bytes record = encode_picture_record(test_picture());
  for (std::size_t cut = 0; cut < record.size(); ++cut) {
    EXPECT_THROW(decode_picture_record(std::span(record).first(cut), "Image7"), RecordError) << cut;
  }
  expect_error(Bytes(record.begin(), record.begin() + 3), {"ends at byte 3", "length field"});
  expect_error(Bytes(record.begin(), record.end() - 1), {"length field says"});
}

// Each field of envelope and headers in turn given a wrong value; offsets count from the start
// of the record, the bitmap file beginning at 12.
TEST(PictureRecord, RejectsEachWrongFieldByName) {
  struct Field {
    std::size_t offset;
    std::size_t size;
    std::uint32_t wrong;
    std::string message;
  };
  // clang-format off
  const std::vector<Field> fields{
      {0, 4, 7, "the length field says 7 bytes follow it"},
      {4, 4, 0x756C, "the signature is 6C 75 00 00, expected 6C 74 00 00"},
      {8, 4, 99, "the image file size is 99, expected the length field"},
      {12, 2, 'B' | 'A' << 8, "file header: type is 42 41, expected 42 4D"},
      {14, 4, 99, "file header: file size is 99, expected "},
      {18, 2, 1, "file header: first reserved field is 1, expected 0"},
      {20, 2, 1, "file header: second reserved field is 1, expected 0"},
      {22, 4, 1079, "file header: pixel data offset is 1079, expected 1078"},
      {26, 4, 108, "information header: header size is 108, expected 40"},
      {30, 4, 305, "information header: width is 305, expected 304"},
      {34, 4, static_cast<std::uint32_t>(-548), "information header: height is -548, expected 548"},
      {38, 2, 2, "information header: planes is 2, expected 1"},
      {40, 2, 4, "information header: bits per pixel is 4, expected 8"},
      {42, 4, 0, "information header: compression is 0, expected 1"},
      {46, 4, 5, "information header: image size is 5, expected "},
      {50, 4, 2835, "information header: horizontal resolution is 2835, expected 0"},
      {54, 4, 2835, "information header: vertical resolution is 2835, expected 0"},
      {58, 4, 16, "information header: colours used is 16, expected 256"},
      {62, 4, 16, "information header: important colours is 16, expected 0"},
      {66 + 4 * 17 + 3, 1, 7, "colour table entry 17 has 7 in its fourth byte, expected 0"}};
  // clang-format on
  const Bytes good = encode_picture_record(test_picture());
  for (const Field& field : fields) {
    Bytes bad = good;
    put(bad, field.offset, field.size, field.wrong);
    expect_error(bad, {field.message});
  }
}

TEST(PictureRecord, RejectsAbsurdSizes) {
  Bytes bad = encode_picture_record(test_picture());
  put(bad, 0, 4, 0xFFFFFFFF);
  expect_error(bad, {"length field says 4294967295 bytes follow"});
  bad.resize(112);
  put(bad, 0, 4, 108);
  put(bad, 8, 4, 100);
  expect_error(bad, {"image file size 100 leaves no room"});
}

// The smallest file holds the headers, the colour table and an end-of-bitmap code alone.
TEST(PictureRecord, SmallestLegalRecordIsTheHeadersAndAnEndOfBitmap) {
  const Picture blank = decode_picture_record(record_around({0, 1}), "Image7");
  EXPECT_EQ(blank.pixels, Bytes(std::size_t{kFrameWidth} * kFrameHeight, 0));
  expect_error(record_around({}), {"image file size 1078 leaves no room"});
}

TEST(PictureRecord, NamesTheControlAndTheRowForStreamFaults) {
  expect_error(record_around({255, 15, 50, 15, 0, 1}),
               {"RLE8 stream has a run of 50 pixels at column 255 in row 1 from the bottom"});
  Bytes rows;
  for (int row = 0; row < kFrameHeight; ++row) rows.insert(rows.end(), {0, 0});
  expect_error(record_around(rows), {"without an end-of-bitmap code"});
  rows.insert(rows.end(), {0, 0, 0, 1});
  expect_error(record_around(rows), {"closes more than 548 rows"});
}

}  // namespace
}  // namespace nuv::frames
