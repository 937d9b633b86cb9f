#pragma once
// The program's icon: a generic application window, drawn at the sizes the desktop asks for.

#include <cstdint>
#include <vector>

namespace nuv::window {

inline constexpr int kIconSizes[] = {32, 16};

// size x size pixels, row 0 at the top, each 0xAARRGGBB.
std::vector<std::uint32_t> application_icon(int size);

}  // namespace nuv::window
