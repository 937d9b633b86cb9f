#pragma once
// Layout of a 256-colour device-independent bitmap file: file header, information header,
// colour table, pixel data.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "frames/picture.hpp"

namespace nuv::frames {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;
constexpr std::size_t kColourTableSize = 256 * 4;
constexpr std::size_t kPixelDataOffset = kFileHeaderSize + kInfoHeaderSize + kColourTableSize;

enum class BitmapCompression : std::uint32_t { none = 0, rle8 = 1 };

// A bitmap file of `picture`'s size and colour table around `pixel_data`, which is already laid out
// in `compression`. Height is positive: rows run bottom first.
std::vector<std::uint8_t> bitmap_file(const Picture& picture, BitmapCompression compression,
                                      std::span<const std::uint8_t> pixel_data);

}  // namespace nuv::frames
