#pragma once
// Writing a set of files so that it replaces the files of the same names whole, or leaves them
// as they were: every file goes under a temporary name of its own first, and only once all are
// written are they renamed to their names. The files they replace are kept aside meanwhile, and
// put back if any rename fails. Temporary files are named after the file and the process that
// writes them, so that those a killed process left behind are found and removed by the next set
// written to the same names.

#include <cstdint>
#include <filesystem>
#include <optional>
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

// Creates `dir` and the directories above it that are missing; throws ExportError where it cannot.
void make_directory(const std::filesystem::path& dir);

class FileSet {
 public:
  FileSet() = default;
  // Removes every file written and not put in place.
  ~FileSet();
  FileSet(const FileSet&) = delete;
  FileSet& operator=(const FileSet&) = delete;

  // Writes the bytes under a temporary name, unique in `path`'s directory, to become `path`.
  void add(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);
  // Gives every file written its name, replacing what had it; where one cannot have it, every
  // name is left with what it had.
  void put_in_place();

 private:
  struct Written {
    std::filesystem::path temporary, path;
  };
  struct Placed {
    std::filesystem::path path;
    std::optional<std::filesystem::path> aside;  // the file it replaced, kept under this name
  };
  static void put_back(const std::vector<Placed>& placed);

  std::vector<Written> written_;
};

}  // namespace nuv::exporting
