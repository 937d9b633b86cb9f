#pragma once
// The bytes of the stored picture records, generated at build time by bake_frames.

#include <array>
#include <cstdint>
#include <span>

#include "frames/picture.hpp"
#include "frames/zoom.hpp"

namespace nuv::frames::detail {

using ZoomRecords = std::array<std::span<const std::uint8_t>, kFrameCount>;

// Index [zoom - 1][0] holds the record of Image1 at that zoom.
extern const std::array<ZoomRecords, kMaxZoom> kStoredRecords;

}  // namespace nuv::frames::detail
