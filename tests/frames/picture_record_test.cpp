#include "frames/picture_record.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frames/bitmap_file.hpp"
#include "frames/palette.hpp"

namespace nuv::frames {
namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr std::size_t kFile = kRecordEnvelopeSize;  // where the bitmap file starts in a record

// A frame-sized picture with long white runs, short mixed stretches, and a colour table whose
// entries past the standard sixteen all differ.
Picture test_picture() {
  Picture picture{kFrameWidth, kFrameHeight, {}, frame_palette()};
  for (int y = 0; y < kFrameHeight; ++y) {
    for (int x = 0; x < kFrameWidth; ++x) {
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

std::uint32_t get_u32(const Bytes& bytes, std::size_t at) {
  return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | std::uint32_t{bytes[at + 3]} << 24;
}
std::uint32_t get_u16(const Bytes& bytes, std::size_t at) {
  return bytes[at] | bytes[at + 1] << 8;
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

std::string error_of(const Bytes& record) {
  try {
    decode_picture_record(record, "Image7");
  } catch (const RecordError& error) {
    return error.what();
  }
  return "no error";
}

void expect_error(const Bytes& record, const std::vector<std::string>& parts) {
  const std::string message = error_of(record);
  EXPECT_EQ(message.rfind("picture record for Image7: ", 0), 0u) << message;
  for (const std::string& part : parts) {
    EXPECT_NE(message.find(part), std::string::npos)
        << '"' << message << "\" lacks \"" << part << '"';
  }
}

TEST(PictureRecord, RoundTripsPixelsAndTheWholeColourTable) {
  const Picture picture = test_picture();
  const Picture decoded = decode_picture_record(encode_picture_record(picture), "Image1");
  EXPECT_EQ(decoded.width, kFrameWidth);
  EXPECT_EQ(decoded.height, kFrameHeight);
  EXPECT_EQ(decoded.pixels, picture.pixels);
  EXPECT_EQ(decoded.palette, picture.palette);
}

TEST(PictureRecord, LaysOutEnvelopeAndBitmapHeadersAsStored) {
  const Bytes record = encode_picture_record(test_picture());
  const std::uint32_t file_size = get_u32(record, 8);
  EXPECT_EQ(record.size(), kFile + file_size);
  EXPECT_EQ(get_u32(record, 0), file_size + 8);
  EXPECT_EQ(Bytes(record.begin() + 4, record.begin() + 8), (Bytes{0x6C, 0x74, 0x00, 0x00}));
  EXPECT_EQ(record[kFile], 'B');
  EXPECT_EQ(record[kFile + 1], 'M');
  EXPECT_EQ(get_u32(record, kFile + 2), file_size);
  EXPECT_EQ(get_u32(record, kFile + 10), 1078u);
  EXPECT_EQ(get_u32(record, kFile + 14), 40u);
  EXPECT_EQ(get_u32(record, kFile + 18), 304u);
  EXPECT_EQ(get_u32(record, kFile + 22), 548u);
  EXPECT_EQ(get_u16(record, kFile + 26), 1u);
  EXPECT_EQ(get_u16(record, kFile + 28), 8u);
  EXPECT_EQ(get_u32(record, kFile + 30), 1u);
  EXPECT_EQ(get_u32(record, kFile + 34), file_size - 1078);
  EXPECT_EQ(get_u32(record, kFile + 46), 256u);
  // Colour table entries as blue, green, red, 0: entry 12 is pure blue.
  EXPECT_EQ(Bytes(record.begin() + kFile + 54 + 48, record.begin() + kFile + 54 + 52),
            (Bytes{0xFF, 0x00, 0x00, 0x00}));
  // The pixel data ends with the end-of-bitmap code.
  EXPECT_EQ(Bytes(record.end() - 2, record.end()), (Bytes{0, 1}));
}

TEST(PictureRecord, RejectsATruncationAnywhere) {
  const Bytes record = encode_picture_record(test_picture());
  for (std::size_t cut = 0; cut < record.size(); ++cut) {
    EXPECT_THROW(decode_picture_record(std::span(record).first(cut), "Image7"), RecordError) << cut;
  }
  expect_error(Bytes(record.begin(), record.begin() + 3), {"ends at byte 3", "length field"});
  expect_error(Bytes(record.begin(), record.end() - 1), {"length field says"});
}

TEST(PictureRecord, RejectsAStreamCutShortEvenWhenTheSizesAgree) {
  const Bytes record = encode_picture_record(test_picture());
  const Bytes stream(record.begin() + kFile + kPixelDataOffset, record.end());
  for (std::size_t cut = 2; cut < stream.size(); cut += 101) {
    expect_error(record_around(Bytes(stream.begin(), stream.begin() + cut)),
                 {"RLE8 stream ends", "from the bottom"});
  }
}

TEST(PictureRecord, RejectsAWrongSignatureOrDisagreeingLengths) {
  const Bytes good = encode_picture_record(test_picture());
  Bytes bad = good;
  bad[5] = 0x75;
  expect_error(bad, {"signature is 6C 75 00 00, expected 6C 74 00 00"});
  bad = good;
  put(bad, 8, 4, get_u32(good, 8) + 1);
  expect_error(bad, {"image file size", "length field"});
  bad = good;
  put(bad, 0, 4, get_u32(good, 0) - 1);
  expect_error(bad, {"length field says"});
}

TEST(PictureRecord, RejectsEachWrongHeaderValueByName) {
  struct Field {
    std::size_t offset;
    std::size_t size;
    std::uint32_t wrong;
    std::string message;
  };
  const std::vector<Field> fields{
      {0, 2, 'B' | 'A' << 8, "file header: type is 42 41, expected 42 4D"},
      {2, 4, 99, "file header: file size is 99, expected "},
      {6, 2, 1, "file header: first reserved field is 1, expected 0"},
      {8, 2, 1, "file header: second reserved field is 1, expected 0"},
      {10, 4, 1079, "file header: pixel data offset is 1079, expected 1078"},
      {14, 4, 108, "information header: header size is 108, expected 40"},
      {18, 4, 305, "information header: width is 305, expected 304"},
      {22, 4, static_cast<std::uint32_t>(-548), "information header: height is -548, expected 548"},
      {26, 2, 2, "information header: planes is 2, expected 1"},
      {28, 2, 4, "information header: bits per pixel is 4, expected 8"},
      {30, 4, 0, "information header: compression is 0, expected 1"},
      {34, 4, 5, "information header: image size is 5, expected "},
      {38, 4, 2835, "information header: horizontal resolution is 2835, expected 0"},
      {42, 4, 2835, "information header: vertical resolution is 2835, expected 0"},
      {46, 4, 16, "information header: colours used is 16, expected 256"},
      {50, 4, 16, "information header: important colours is 16, expected 0"},
  };
  const Bytes good = encode_picture_record(test_picture());
  for (const Field& field : fields) {
    Bytes bad = good;
    put(bad, kFile + field.offset, field.size, field.wrong);
    expect_error(bad, {field.message});
  }
}

TEST(PictureRecord, RejectsAColourTableEntryWithANonZeroFourthByte) {
  Bytes bad = encode_picture_record(test_picture());
  bad[kFile + 54 + 4 * 17 + 3] = 7;
  expect_error(bad, {"colour table entry 17 has 7 in its fourth byte"});
}

TEST(PictureRecord, RejectsAbsurdSizes) {
  const Bytes good = encode_picture_record(test_picture());
  Bytes bad = good;
  put(bad, 0, 4, 0xFFFFFFFF);
  expect_error(bad, {"length field says 4294967295 bytes follow"});
  bad = Bytes(good.begin(), good.begin() + 112);
  put(bad, 0, 4, 108);
  put(bad, 8, 4, 100);
  expect_error(bad, {"image file size 100 leaves no room"});
  bad = good;
  put(bad, kFile + 18, 4, 0x7FFFFFFF);
  expect_error(bad, {"width is 2147483647"});
  bad = good;
  put(bad, kFile + 34, 4, 0xFFFFFFFF);
  expect_error(bad, {"image size is 4294967295"});
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

TEST(PictureRecord, EncoderTakesOnlyFrameSizedPictures) {
  Picture small{10, 10, Bytes(100, 15), frame_palette()};
  EXPECT_THROW(encode_picture_record(small), std::invalid_argument);
}

}  // namespace
}  // namespace nuv::frames
