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

// Where one row's codes lie in a stream: from `begin` to `end`, its closing code included, the
// first of them drawing at `column`. Before that column, after its codes and in a row the stream
// never reaches (begin == end, column == width) the pixels are index 0, as decode_rle8 leaves
// them in a picture it starts with zeros.
struct Rle8Row {
  std::uint32_t begin = 0, end = 0;
  int column = 0;
  friend bool operator==(const Rle8Row&, const Rle8Row&) = default;
};

// Checks `stream` as decode_rle8 does, with the same errors, and says where each row's codes lie,
// top row first.
std::vector<Rle8Row> index_rle8(std::span<const std::uint8_t> stream, int width, int height);

// The pixels of one row of a stream index_rle8 has checked, left to right: run(x, count, index)
// for a run of one index, pixels(x, indices, count) for indices each their own.
template <typename Run, typename Pixels>
void for_each_run(std::span<const std::uint8_t> stream, const Rle8Row& row, int width, Run run,
                  Pixels pixels) {
  int x = row.column;
  if (x > 0) run(0, x, std::uint8_t{0});
  for (std::uint32_t at = row.begin; at < row.end;) {
    const int count = stream[at], value = stream[at + 1];
    at += 2;
    if (count > 0) {
      run(x, count, static_cast<std::uint8_t>(value));
      x += count;
    } else if (value == 2) {  // a skip to the right; one upwards ends the row
      if (stream[at + 1] != 0) break;
      run(x, stream[at], std::uint8_t{0});
      x += stream[at];
      at += 2;
    } else if (value > 2) {  // an absolute run, padded to an even length
      pixels(x, &stream[at], value);
      x += value;
      at += static_cast<std::uint32_t>(value + value % 2);
    }
  }
  if (x < width) run(x, width - x, std::uint8_t{0});
}

}  // namespace nuv::frames
