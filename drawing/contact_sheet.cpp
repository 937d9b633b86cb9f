#include "drawing/contact_sheet.hpp"

#include <algorithm>

#include "drawing/digit_font.hpp"

namespace nuv::drawing {
namespace {

using frames::Picture;
using frames::Rgb;

constexpr Rgb kSheetBackground{0xC0, 0xC0, 0xC0};
constexpr Rgb kLabelColour{0x00, 0x00, 0x00};
constexpr int kColumns = 6;

// Lengths on a sheet of frames at zoom 1, in pixels; the other zooms multiply them.
struct SheetSpacing {
  int margin = 16;      // round the sheet and between frames
  int label_scale = 4;  // image pixels a font pixel
  int label_gap = 6;    // between a number and its frame

  SheetSpacing times(int zoom) const {
    return {margin * zoom, label_scale * zoom, label_gap * zoom};
  }
  int label_height() const { return kGlyphHeight * label_scale + label_gap; }
};

struct SheetCell {
  int left = 0;  // of the frame itself; its number stands above it
  int top = 0;
};

// Where the frame at `index` (0 for frame 1) sits on a sheet of frames of the given size.
SheetCell sheet_cell(int index, int frame_width, int frame_height, const SheetSpacing& spacing) {
  const int column = index % kColumns;
  const int row = index / kColumns;
  return {spacing.margin + column * (frame_width + spacing.margin),
          spacing.margin + row * (spacing.label_height() + frame_height + spacing.margin) +
              spacing.label_height()};
}

void copy_frame(const Picture& frame, SheetCell cell, RgbImage& sheet) {
  for (int y = 0; y < frame.height; ++y) {
    for (int x = 0; x < frame.width; ++x)
      sheet.at(cell.left + x, cell.top + y) = frame.colour_at(x, y);
  }
}

}  // namespace

RgbImage contact_sheet(std::span<const Picture> frames, int zoom) {
  if (frames.empty()) return {};
  const SheetSpacing spacing = SheetSpacing{}.times(zoom);
  const int frame_width = frames.front().width;
  const int frame_height = frames.front().height;
  const int count = static_cast<int>(frames.size());
  const int columns = std::min(count, kColumns);
  const int rows = (count + kColumns - 1) / kColumns;
  RgbImage sheet(spacing.margin + columns * (frame_width + spacing.margin),
                 spacing.margin + rows * (spacing.label_height() + frame_height + spacing.margin),
                 kSheetBackground);
  for (int index = 0; index < count; ++index) {
    const SheetCell cell = sheet_cell(index, frame_width, frame_height, spacing);
    copy_frame(frames[static_cast<std::size_t>(index)], cell, sheet);
    const int number = index + 1;
    const int label_width = stamped_width(number, spacing.label_scale);
    stamp_number(sheet, number, cell.left + (frame_width - label_width) / 2,
                 cell.top - spacing.label_height(), spacing.label_scale, kLabelColour);
  }
  return sheet;
}

}  // namespace nuv::drawing
