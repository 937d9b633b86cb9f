#include "export/used_colours.hpp"

namespace nuv::exporting {

std::vector<std::uint8_t> UsedColours::remap(const frames::Picture& picture) const {
  std::vector<std::uint8_t> pixels(picture.pixels.size());
  for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = index_of[picture.pixels[i]];
  return pixels;
}

UsedColours used_colours(std::span<const frames::Picture> pictures) {
  std::array<bool, 256> used{};
  for (const frames::Picture& picture : pictures)
    for (const std::uint8_t index : picture.pixels) used[index] = true;
  UsedColours colours;
  for (std::size_t index = 0; index < used.size(); ++index) {
    if (!used[index]) continue;
    colours.index_of[index] = static_cast<std::uint8_t>(colours.palette.size());
    colours.palette.push_back(pictures.front().palette[index]);
  }
  return colours;
}

}  // namespace nuv::exporting
