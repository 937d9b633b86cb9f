#pragma once
// The C++ source that carries the stored picture records inside the program.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace nuv::frames {

// Defines detail::kStoredRecords (see stored_record_data.hpp) from `records`, Image1's first.
std::string stored_records_source(std::span<const std::vector<std::uint8_t>> records);

}  // namespace nuv::frames
