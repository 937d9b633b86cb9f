#pragma once
// The bytes of the eighteen stored picture records, generated at build time by bake_frames.

#include <array>
#include <cstdint>
#include <span>

#include "frames/picture.hpp"

namespace nuv::frames::detail {

// Index 0 holds the record of Image1.
extern const std::array<std::span<const std::uint8_t>, kFrameCount> kStoredRecords;

}  // namespace nuv::frames::detail
