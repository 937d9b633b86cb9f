#pragma once
// The window icon's pixels at each of kIconSizes, generated at build time by draw_icon.

#include <array>
#include <cstdint>
#include <iterator>
#include <span>

#include "window/icon.hpp"

namespace nuv::window::detail {

// Index i holds the icon at kIconSizes[i].
extern const std::array<std::span<const std::uint32_t>, std::size(kIconSizes)> kBakedIcons;

}  // namespace nuv::window::detail
