#include "export/file_system.hpp"

#include <windows.h>

#include <algorithm>
#include <array>
#include <cwctype>
#include <string_view>

#include "export/file_set.hpp"

namespace nuv::exporting {
namespace {

// Windows' own words for an error, in UTF-8.
std::string failure(DWORD error) {
  if (error == 0) return {};
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring words = length > 0 ? std::wstring(text, length) : std::wstring();
  LocalFree(text);
  while (!words.empty() && (std::iswspace(words.back()) || words.back() == L'.')) words.pop_back();
  if (words.empty()) return "Windows error " + std::to_string(error);
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, words.data(), static_cast<int>(words.size()),
                                        nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, words.data(), static_cast<int>(words.size()), utf8.data(), bytes,
                      nullptr, nullptr);
  return utf8;
}

// Names Windows keeps for devices in every folder, whatever follows a dot: CON, NUL, COM1, ...
bool is_device_name(std::wstring name) {
  name = name.substr(0, name.find(L'.'));
  std::transform(name.begin(), name.end(), name.begin(), std::towupper);
  constexpr std::array<std::wstring_view, 4> kDevices = {L"CON", L"PRN", L"AUX", L"NUL"};
  if (std::find(kDevices.begin(), kDevices.end(), name) != kDevices.end()) return true;
  return name.size() == 4 && (name.starts_with(L"COM") || name.starts_with(L"LPT")) &&
         name[3] >= L'1' && name[3] <= L'9';
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

// Each folder from the top down, made where it is missing.
void make_directory(const std::filesystem::path& dir) {
  const auto fail = [&](const std::string& reason) {
    throw ExportError("cannot create directory " + dir.string() + ": " + reason);
  };
  std::filesystem::path made = dir.root_path();
  if (!made.empty() && GetFileAttributesW(made.c_str()) == INVALID_FILE_ATTRIBUTES)
    fail("there is no drive " + made.string());
  for (const std::filesystem::path& part : dir.relative_path()) {
    if (is_device_name(part.wstring()))
      fail(part.string() + " is a name Windows keeps for a device");
    made /= part;
    if (CreateDirectoryW(made.c_str(), nullptr)) continue;
    const DWORD error = GetLastError();
    const DWORD attributes = GetFileAttributesW(made.c_str());
    if (error != ERROR_ALREADY_EXISTS) fail(failure(error));
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
      fail(made.string() + " is a file, not a directory");
  }
}

namespace file_system {

int process_id() {
  return static_cast<int>(GetCurrentProcessId());
}

// A process Windows will not open for this one still runs.
bool process_running(int id) {
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(id));
  if (process == nullptr) return GetLastError() == ERROR_ACCESS_DENIED;
  DWORD status = 0;
  const bool running = GetExitCodeProcess(process, &status) && status == STILL_ACTIVE;
  CloseHandle(process);
  return running;
}

// Each name tried is made new by CreateFileW, which fails where the name is taken, so that no
// other writer shares it; a taken name gives way to the next.
std::filesystem::path write_new(const std::filesystem::path& stem,
                                std::span<const std::uint8_t> bytes, std::string& error) {
  HANDLE file = INVALID_HANDLE_VALUE;
  std::filesystem::path name;
  for (unsigned attempt = 0; file == INVALID_HANDLE_VALUE; ++attempt) {
    name = stem.wstring() + std::to_wstring(attempt);
    file = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
    if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) {
      error = failure(GetLastError());
      return {};
    }
  }
  DWORD written = write_all(file, bytes);
  if (!CloseHandle(file) && written == 0) written = GetLastError();
  error = failure(written);
  return name;
}

std::string rename(const std::filesystem::path& from, const std::filesystem::path& to) {
  return failure(MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) ? 0
                                                                                  : GetLastError());
}

std::string link(const std::filesystem::path& existing, const std::filesystem::path& name) {
  return failure(CreateHardLinkW(name.c_str(), existing.c_str(), nullptr) ? 0 : GetLastError());
}

void remove(const std::filesystem::path& path) noexcept {
  DeleteFileW(path.c_str());
}

}  // namespace file_system
}  // namespace nuv::exporting
