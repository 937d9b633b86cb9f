#include "drawing/contact_sheet.hpp"

#include <gtest/gtest.h>

#include <bitset>
#include <string>
#include <vector>

#include "drawing/digit_font.hpp"
#include "drawing/frame_drawing.hpp"
#include "drawing/parts_picture.hpp"
#include "drawing/plain_bitmap.hpp"
#include "drawing/png_file.hpp"
#include "frames/bitmap_file.hpp"
#include "frames/zoom.hpp"

namespace nuv::drawing {
namespace {

using frames::kFrameHeight;
using frames::kFrameWidth;
using frames::kMaxZoom;
using frames::kPixelDataOffset;
using frames::Picture;

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

TEST(ContactSheet, CommittedCopiesInDocsShowTheCurrentDrawingAtEveryZoom) {
  for (int zoom = 1; zoom <= kMaxZoom; ++zoom) {
    const std::string name = zoom == 1 ? "frames.png" : "frames-" + std::to_string(zoom) + "x.png";
    EXPECT_TRUE(read_png(NUV_DOCS_DIR "/" + name) == contact_sheet(draw_all_frames(zoom), zoom))
        << "docs/" << name << " is out of date: build the frames_doc target";
  }
  EXPECT_TRUE(read_png(NUV_DOCS_DIR "/parts.png") == parts_picture())
      << "docs/parts.png is out of date: build the frames_doc target";
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
}  // namespace nuv::drawing
