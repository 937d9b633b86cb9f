#pragma once
// The exported pictures' file formats, encoded in memory: a PNG of one frame, and an animated GIF
// of all of them. Both keep only the colours the frames use, as a palette.

#include <cstdint>
#include <span>
#include <vector>

#include "frames/picture.hpp"

// `export` is a C++ keyword, so the export folder's namespace is `exporting`.
namespace nuv::exporting {

// How long each frame of the animated GIF stays on screen, in hundredths of a second.
inline constexpr int kGifFrameDelay = 10;

// Throws std::runtime_error if the encoder fails.
std::vector<std::uint8_t> encode_png(const frames::Picture& frame);

// The frames in order, each shown kGifFrameDelay hundredths of a second, looping forever.
std::vector<std::uint8_t> encode_gif(std::span<const frames::Picture> frames);

}  // namespace nuv::exporting
