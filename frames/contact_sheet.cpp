#include "frames/contact_sheet.hpp"

#include <algorithm>

#include "frames/digit_font.hpp"

namespace nuv::frames {
namespace {

constexpr Rgb kSheetBackground{0xC0, 0xC0, 0xC0};
constexpr Rgb kLabelColour{0x00, 0x00, 0x00};
constexpr int kColumns = 6;
constexpr int kMargin = 16;     // round the sheet and between frames
constexpr int kLabelScale = 4;  // image pixels a font pixel
constexpr int kLabelGap = 6;    // between a number and its frame
constexpr int kLabelHeight = kGlyphHeight * kLabelScale + kLabelGap;

struct SheetCell {
  int left = 0;  // of the frame itself; its number stands above it
  int top = 0;
};

// Where the frame at `index` (0 for frame 1) sits on a sheet of frames of the given size.
SheetCell sheet_cell(int index, int frame_width, int frame_height) {
  const int column = index % kColumns;
  const int row = index / kColumns;
  return {kMargin + column * (frame_width + kMargin),
          kMargin + row * (kLabelHeight + frame_height + kMargin) + kLabelHeight};
}

void copy_frame(const Picture& frame, SheetCell cell, RgbImage& sheet) {
  for (int y = 0; y < frame.height; ++y) {
    for (int x = 0; x < frame.width; ++x)
      sheet.at(cell.left + x, cell.top + y) = frame.colour_at(x, y);
  }
}

}  // namespace

RgbImage contact_sheet(std::span<const Picture> frames) {
  if (frames.empty()) return {};
  const int frame_width = frames.front().width;
  const int frame_height = frames.front().height;
  const int count = static_cast<int>(frames.size());
  const int columns = std::min(count, kColumns);
  const int rows = (count + kColumns - 1) / kColumns;
  RgbImage sheet(kMargin + columns * (frame_width + kMargin),
                 kMargin + rows * (kLabelHeight + frame_height + kMargin), kSheetBackground);
  for (int index = 0; index < count; ++index) {
    const SheetCell cell = sheet_cell(index, frame_width, frame_height);
    copy_frame(frames[static_cast<std::size_t>(index)], cell, sheet);
    const int number = index + 1;
    stamp_number(sheet, number, cell.left + (frame_width - stamped_width(number, kLabelScale)) / 2,
                 cell.top - kLabelHeight, kLabelScale, kLabelColour);
  }
  return sheet;
}

}  // namespace nuv::frames
