#pragma once
// The C++ source that carries the stored picture records inside the program.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace nuv::drawing {

// The records of Image1 to Image18 in order, all drawn at one zoom.
using ZoomRecordBytes = std::vector<std::vector<std::uint8_t>>;

// Defines detail::kStoredRecords (see frames/baked_records.cpp) from `records`, zoom 1 first.
std::string stored_records_source(std::span<const ZoomRecordBytes> records);

}  // namespace nuv::drawing
