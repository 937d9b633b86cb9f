#pragma once
// All frames on one sheet, in rows, each under its frame number: a picture for people.

#include <span>

#include "frames/picture.hpp"
#include "frames/rgb_image.hpp"

namespace nuv::frames {

constexpr Rgb kSheetBackground{0xC0, 0xC0, 0xC0};
constexpr Rgb kLabelColour{0x00, 0x00, 0x00};

struct SheetCell {
  int left = 0;  // of the frame itself; its number stands above it
  int top = 0;
};

// Where the frame at `index` (0 for frame 1) sits on a sheet of frames of the given size.
SheetCell sheet_cell(int index, int frame_width, int frame_height);

// The frames, all of one size, with their numbers counted from 1.
RgbImage contact_sheet(std::span<const Picture> frames);

}  // namespace nuv::frames
