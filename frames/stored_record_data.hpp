#pragma once
// The bytes of the stored picture records: compiled into the program where bake_frames generated
// them as source, or loaded at run time where the program fetches them (a web page, which
// carries only the records of the zoom it shows).

#include <array>
#include <cstdint>
#include <span>

#include "frames/picture.hpp"
#include "frames/zoom.hpp"

namespace nuv::frames::detail {

// Index 0 holds the record of Image1.
using ZoomRecords = std::array<std::span<const std::uint8_t>, kFrameCount>;

// The records at `zoom` (1 to kMaxZoom); nothing where the program has not loaded them.
const ZoomRecords* stored_records(int zoom);

}  // namespace nuv::frames::detail
