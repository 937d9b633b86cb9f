#include "frames/contact_sheet.hpp"

#include <gtest/gtest.h>

#include <bitset>
#include <vector>

#include "frames/bitmap_file.hpp"
#include "frames/digit_font.hpp"
#include "frames/frame_drawing.hpp"
#include "frames/plain_bitmap.hpp"
#include "frames/png_file.hpp"

namespace nuv::frames {
namespace {

constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kInk{0, 0, 0};

std::bitset<kGlyphWidth * kGlyphHeight> glyph(int digit) {
  std::bitset<kGlyphWidth * kGlyphHeight> bits;
  for (int y = 0; y < kGlyphHeight; ++y) {
    for (int x = 0; x < kGlyphWidth; ++x) bits[y * kGlyphWidth + x] = glyph_pixel(digit, x, y);
  }
  return bits;
}

TEST(DigitFont, EveryDigitHasItsOwnGlyph) {
  for (int a = 0; a < 10; ++a) {
    EXPECT_TRUE(glyph(a).any()) << a;
    for (int b = a + 1; b < 10; ++b) EXPECT_NE(glyph(a), glyph(b)) << a << " and " << b;
  }
}

TEST(DigitFont, StampsDigitsLeftToRightAtScale) {
  constexpr int kScale = 2;
  RgbImage image(stamped_width(17, kScale) + 2, kGlyphHeight * kScale + 2, kWhite);
  stamp_number(image, 17, 1, 1, kScale, kInk);
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const int font_x = (x - 1) / kScale;
      const int font_y = (y - 1) / kScale;
      const int glyph_index = font_x / (kGlyphWidth + 1);
      const int glyph_x = font_x % (kGlyphWidth + 1);
      const bool inked = x >= 1 && y >= 1 && font_y < kGlyphHeight && glyph_x < kGlyphWidth &&
                         glyph_index < 2 && glyph_pixel(glyph_index == 0 ? 1 : 7, glyph_x, font_y);
      EXPECT_EQ(image.at(x, y), inked ? kInk : kWhite) << x << ", " << y;
    }
  }
}

TEST(ContactSheet, PutsEveryFrameInItsCellUnderANumber) {
  std::vector<Picture> frames;
  for (int i = 0; i < 18; ++i) {
    Picture frame{20, 30, std::vector<std::uint8_t>(600, static_cast<std::uint8_t>(i % 16)), {}};
    frame.palette[static_cast<std::size_t>(i % 16)] = {static_cast<std::uint8_t>(10 * i), 7, 200};
    frames.push_back(frame);
  }
  const RgbImage sheet = contact_sheet(frames);
  for (int i = 0; i < 18; ++i) {
    const SheetCell cell = sheet_cell(i, 20, 30);
    ASSERT_LE(cell.left + 20, sheet.width);
    ASSERT_LE(cell.top + 30, sheet.height);
    EXPECT_EQ(sheet.at(cell.left, cell.top), frames[i].colour_at(0, 0)) << i;
    EXPECT_EQ(sheet.at(cell.left + 19, cell.top + 29), frames[i].colour_at(19, 29)) << i;
    EXPECT_EQ(sheet.at(cell.left - 1, cell.top), kSheetBackground) << i;
    int inked = 0;
    for (int y = cell.top - 30; y < cell.top; ++y) {
      for (int x = cell.left; x < cell.left + 20; ++x) inked += sheet.at(x, y) == kLabelColour;
    }
    EXPECT_GT(inked, 0) << "no number above frame " << i + 1;
  }
}

TEST(ContactSheet, CommittedCopyInDocsShowsTheCurrentDrawing) {
  const std::vector<Picture> frames = draw_all_frames();
  EXPECT_TRUE(read_png(NUV_DOCS_DIR "/frames.png") == contact_sheet(frames))
      << "docs/frames.png is out of date: build the frames_doc target";
}

TEST(PlainBitmap, StoresRowsBottomFirstUncompressed) {
  const Picture frame = draw_all_frames().front();
  const std::vector<std::uint8_t> file = plain_bitmap_file(frame);
  ASSERT_EQ(file.size(), kPixelDataOffset + std::size_t{kFrameWidth} * kFrameHeight);
  EXPECT_EQ(file[30], 0) << "compression";
  // Points whose row mirrored top to bottom holds another colour.
  for (auto [x, y] : {std::pair{58, 9}, {100, 29}, {244, 521}}) {
    const std::size_t stored_row = static_cast<std::size_t>(kFrameHeight - 1 - y);
    EXPECT_EQ(file[kPixelDataOffset + stored_row * kFrameWidth + x], frame.at(x, y))
        << x << ", " << y;
  }
}

}  // namespace
}  // namespace nuv::frames
