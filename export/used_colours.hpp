#pragma once
// The few colours a set of frames really uses, as a small palette: exported pictures carry these
// instead of the frames' 256-entry colour table.

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "frames/picture.hpp"

namespace nuv::exporting {

struct UsedColours {
  std::vector<frames::Rgb> palette;          // the used colours, in the frames' index order
  std::array<std::uint8_t, 256> index_of{};  // frame palette index -> index into `palette`

  // One picture's pixels as indices into `palette`, row 0 at the top.
  std::vector<std::uint8_t> remap(const frames::Picture& picture) const;
};

// The colours used by any pixel of any of the pictures, which share one colour table.
UsedColours used_colours(std::span<const frames::Picture> pictures);

}  // namespace nuv::exporting
