#pragma once
// The program's icon in the window: the mechanism's crank, link and yoke, drawn at build time
// (drawing/icon_drawing.hpp) and carried as pixels, so the viewer needs no drawing library.

#include <cstdint>
#include <vector>

namespace nuv::window {

// The sizes the window's icon is carried at; the window shows the first.
inline constexpr int kIconSizes[] = {32, 16};

// size x size pixels, row 0 at the top, each 0xAARRGGBB; throws std::out_of_range for a size
// not in kIconSizes.
std::vector<std::uint32_t> application_icon(int size);

}  // namespace nuv::window
