#pragma once
// RLE8, the run-length encoding of 8-bit device-independent bitmaps. Rows run bottom first; each
// is a sequence of encoded runs (count, index) and absolute runs (0, count, indices, padding to
// an even length), closed by an end-of-row code (0, 0), or by the end-of-bitmap code (0, 1) for
// the last. A position-skip code (0, 2, dx, dy) moves right by dx and up by dy rows.

#include <cstdint>
#include <span>
#include <vector>

#include "frames/picture.hpp"

namespace nuv::frames {

// The pixel data of `picture`: every row complete, no position skips, absolute runs only where
// they are shorter than encoded runs.
std::vector<std::uint8_t> encode_rle8(const Picture& picture);

// Codes in a decoded stream that the pixels alone do not show.
struct Rle8Codes {
  int end_of_row = 0;
  int position_skips = 0;
};

// Decodes `stream` into `pixels` (width * height indices, top row first). Pixels the stream does
// not reach, through short rows, skips or an early end of bitmap, keep their values. The stream
// must end exactly with its end-of-bitmap code. Throws RecordError naming the fault and where it
// lies; rows in messages count from the bottom as stored, the bottom row being row 1.
Rle8Codes decode_rle8(std::span<const std::uint8_t> stream, int width, int height,
                      std::span<std::uint8_t> pixels);

}  // namespace nuv::frames
