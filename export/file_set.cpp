#include "export/file_set.hpp"

#include <string>
#include <string_view>
#include <system_error>

#include "export/file_system.hpp"

namespace nuv::exporting {
namespace {

namespace fs = std::filesystem;

[[noreturn]] void fail(const fs::path& path, const std::string& reason) {
  throw ExportError("cannot write " + path.string() + ": " + reason);
}

// Every name a process gives its files for `path` starts with ".frame01.png.<process>.", say.
std::string hidden_prefix(const fs::path& path) {
  return "." + path.filename().string() + ".";
}
fs::path hidden_name(const fs::path& path, const std::string& suffix) {
  return path.parent_path() /
         (hidden_prefix(path) + std::to_string(file_system::process_id()) + "." + suffix);
}

// The process a hidden name for `path` was given by; nothing for a name that is none.
std::optional<int> giver_of(std::string_view name, const std::string& prefix) {
  if (!name.starts_with(prefix)) return std::nullopt;
  name.remove_prefix(prefix.size());
  const auto dot = name.find('.');
  constexpr std::size_t kLongestId = 9;
  if (dot == 0 || dot == std::string_view::npos || dot > kLongestId) return std::nullopt;
  int id = 0;
  for (const char digit : name.substr(0, dot)) {
    if (digit < '0' || digit > '9') return std::nullopt;
    id = id * 10 + (digit - '0');
  }
  return id;
}

// Files for `path` that a process which no longer runs left behind, killed before it could remove
// them; also those of an earlier process of this one's number, since this one has made none yet.
void remove_left_behind(const fs::path& path) {
  const std::string prefix = hidden_prefix(path);
  std::error_code error;
  for (fs::directory_iterator entry(path.parent_path(), error), end; !error && entry != end;
       entry.increment(error)) {
    const auto giver = giver_of(entry->path().filename().string(), prefix);
    if (giver && (*giver == file_system::process_id() || !file_system::process_running(*giver)))
      file_system::remove(entry->path());
  }
}

}  // namespace

FileSet::~FileSet() {
  for (const Written& file : written_) file_system::remove(file.temporary);
}

void FileSet::add(const fs::path& path, std::span<const std::uint8_t> bytes) {
  remove_left_behind(path);
  std::string error;
  const fs::path temporary = file_system::write_new(hidden_name(path, ""), bytes, error);
  if (!temporary.empty()) written_.push_back({temporary, path});
  if (!error.empty()) fail(path, error);
}

// A file that had a name gets a further, hidden one before the new file takes its name, so that
// the name never goes missing; a file system without such links has it renamed instead. A
// directory of that name stays as it is, and the set is not written.
void FileSet::put_in_place() {
  std::vector<Placed> placed;
  for (const Written& file : written_) {
    std::error_code error;
    const fs::file_status status = fs::symlink_status(file.path, error);
    if (fs::is_directory(status)) {
      put_back(placed);
      fail(file.path, std::make_error_code(std::errc::is_a_directory).message());
    }
    std::optional<fs::path> aside;
    if (fs::exists(status)) {
      aside = hidden_name(file.path, "before");
      if (!file_system::link(file.path, *aside).empty()) {
        if (const std::string failure = file_system::rename(file.path, *aside); !failure.empty()) {
          put_back(placed);
          fail(file.path, failure);
        }
      }
    }
    if (const std::string failure = file_system::rename(file.temporary, file.path);
        !failure.empty()) {
      if (aside) file_system::rename(*aside, file.path);
      put_back(placed);
      fail(file.path, failure);
    }
    placed.push_back({file.path, aside});
  }
  for (const Placed& file : placed)
    if (file.aside) file_system::remove(*file.aside);
  written_.clear();
}

// The names already given go back to the files they had, or to none.
void FileSet::put_back(const std::vector<Placed>& placed) {
  for (auto file = placed.rbegin(); file != placed.rend(); ++file) {
    if (file->aside)
      file_system::rename(*file->aside, file->path);
    else
      file_system::remove(file->path);
  }
}

}  // namespace nuv::exporting
