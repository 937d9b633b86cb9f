#include "frames/stored_frames.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "drawing/frame_drawing.hpp"
#include "frames/bitmap_file.hpp"
#include "frames/palette.hpp"
#include "frames/picture_record.hpp"
#include "frames/rle8.hpp"

namespace nuv::frames {
namespace {

constexpr std::uint8_t kUntouched = 0xEE;  // no frame pixel has this index

class StoredRecords : public ::testing::TestWithParam<int> {
 protected:
  int zoom() const { return GetParam(); }
};

INSTANTIATE_TEST_SUITE_P(Zooms, StoredRecords, ::testing::Range(1, kMaxZoom + 1));

TEST_P(StoredRecords, EveryRecordDecodesToWholeRowsClosedByEndOfRowCodesAndOneEndOfBitmap) {
  const int width = kFrameWidth * zoom();
  const int height = kFrameHeight * zoom();
  for (int image = 1; image <= kFrameCount; ++image) {
    SCOPED_TRACE("Image" + std::to_string(image));
    const auto record = stored_record(image, zoom());
    const Picture picture = decode_picture_record(record, "Image" + std::to_string(image), zoom());
    ASSERT_EQ(picture.width, width);
    ASSERT_EQ(picture.height, height);
    EXPECT_TRUE(
        std::equal(kStandardColours.begin(), kStandardColours.end(), picture.palette.begin()));

    // Decoded again over untouched pixels: the stream itself writes every pixel of every row.
    std::vector<std::uint8_t> pixels(picture.pixels.size(), kUntouched);
    const Rle8Codes codes =
        decode_rle8(record.subspan(kRecordEnvelopeSize + kPixelDataOffset), width, height, pixels);
    EXPECT_EQ(pixels, picture.pixels);
    EXPECT_EQ(codes.end_of_row, height - 1);
    EXPECT_EQ(codes.position_skips, 0);
    EXPECT_EQ(record[record.size() - 2], 0);
    EXPECT_EQ(record[record.size() - 1], 1);
  }
}

TEST_P(StoredRecords, CarryTheCurrentDrawing) {
  const std::vector<Picture> frames = drawing::draw_all_frames(zoom());
  for (int image = 1; image <= kFrameCount; ++image) {
    const auto stored = stored_record(image, zoom());
    const std::vector<std::uint8_t> drawn =
        encode_picture_record(frames[static_cast<std::size_t>(image - 1)]);
    EXPECT_TRUE(std::ranges::equal(stored, drawn)) << "Image" << image;
  }
}

TEST(StoredFrames, HoldOnlyImage1ToImage18AtZoom1ToTheLargest) {
  EXPECT_THROW(stored_record(0), std::out_of_range);
  EXPECT_THROW(stored_record(19), std::out_of_range);
  EXPECT_THROW(stored_record(-1), std::out_of_range);
  EXPECT_THROW(stored_record(1, 0), std::out_of_range);
  EXPECT_THROW(stored_record(1, kMaxZoom + 1), std::out_of_range);
}

}  // namespace
}  // namespace nuv::frames
