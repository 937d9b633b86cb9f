// The file set on Windows: each temporary name made new by CreateFileW, which fails where the
// name is taken, so that no other writer shares it; a taken name gives way to the next.
#include "export/file_set.hpp"

#include <windows.h>

#include <string>
#include <system_error>

namespace nuv::exporting {
namespace {

[[noreturn]] void fail(const std::filesystem::path& path, DWORD error) {
  throw ExportError("cannot write " + path.string() + ": " +
                    std::system_category().message(static_cast<int>(error)));
}

// Writes everything, or returns the error of the first failure; 0 on success.
DWORD write_all(HANDLE file, std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    const auto chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), chunk, &written, nullptr)) return GetLastError();
    bytes = bytes.subspan(written);
  }
  return 0;
}

}  // namespace

FileSet::~FileSet() {
  for (const Written& file : written_) DeleteFileW(file.temporary.c_str());
}

void FileSet::add(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
  const std::wstring stem = (path.parent_path() / (L"." + path.filename().wstring())).wstring() +
                            L"." + std::to_wstring(GetCurrentProcessId()) + L".";
  HANDLE file = INVALID_HANDLE_VALUE;
  std::filesystem::path temporary;
  for (unsigned attempt = 0; file == INVALID_HANDLE_VALUE; ++attempt) {
    temporary = stem + std::to_wstring(attempt);
    file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS)
      fail(path, GetLastError());
  }
  written_.push_back({temporary, path});
  DWORD error = write_all(file, bytes);
  if (!CloseHandle(file) && error == 0) error = GetLastError();
  if (error != 0) fail(path, error);
}

void FileSet::put_in_place() {
  for (const Written& file : written_)
    if (!MoveFileExW(file.temporary.c_str(), file.path.c_str(), MOVEFILE_REPLACE_EXISTING))
      fail(file.path, GetLastError());
  written_.clear();
}

}  // namespace nuv::exporting
