#pragma once
// Writing a file so that it appears whole or not at all.

#include <cstdint>
#include <filesystem>
#include <span>
#include <stdexcept>

namespace nuv::exporting {

// A file that could not be written or a directory that could not be made; the message names the
// path and the cause.
class ExportError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Writes the bytes under a temporary name in the same directory and renames that to `path` once
// complete; on failure removes what it wrote and throws ExportError.
void write_file_atomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

}  // namespace nuv::exporting
