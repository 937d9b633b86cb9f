#include "export/file_set.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace nuv::exporting {
namespace {

[[noreturn]] void fail(const std::filesystem::path& path, int error) {
  throw ExportError("cannot write " + path.string() + ": " + std::strerror(error));
}

// Writes everything, or returns the errno of the first failure; 0 on success.
int write_all(int fd, std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) return errno;
    bytes = bytes.subspan(static_cast<std::size_t>(written));
  }
  return 0;
}

// The permissions a file created the usual way gets: everyone's read and write, less the umask.
mode_t usual_mode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

FileSet::~FileSet() {
  for (const Written& file : written_) ::unlink(file.temporary.c_str());
}

void FileSet::add(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
  // Hidden, and made by mkstemp, so that no other writer, nor a file left by one, shares it.
  std::string temporary =
      (path.parent_path() / ("." + path.filename().string() + ".XXXXXX")).string();
  const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
  if (fd < 0) fail(path, errno);
  written_.push_back({temporary, path});
  int error = ::fchmod(fd, usual_mode()) == 0 ? 0 : errno;
  if (error == 0) error = write_all(fd, bytes);
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error != 0) fail(path, error);
}

void FileSet::put_in_place() {
  for (const Written& file : written_)
    if (::rename(file.temporary.c_str(), file.path.c_str()) != 0) fail(file.path, errno);
  written_.clear();
}

}  // namespace nuv::exporting
