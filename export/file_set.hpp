#pragma once
// Writing a set of files so that it replaces the files of the same names whole, or leaves them
// as they were: every file goes under a temporary name of its own first, and only once all are
// written are they renamed to their names.

#include <cstdint>
#include <filesystem>
#include <span>
#include <stdexcept>
#include <vector>

namespace nuv::exporting {

// A file that could not be written or a directory that could not be made; the message names the
// path and the cause.
class ExportError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class FileSet {
 public:
  FileSet() = default;
  // Removes every file written and not put in place.
  ~FileSet();
  FileSet(const FileSet&) = delete;
  FileSet& operator=(const FileSet&) = delete;

  // Writes the bytes under a temporary name, unique in `path`'s directory, to become `path`.
  void add(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);
  // Gives every file written its name, replacing what had it.
  void put_in_place();

 private:
  struct Written {
    std::filesystem::path temporary, path;
  };
  std::vector<Written> written_;
};

}  // namespace nuv::exporting
