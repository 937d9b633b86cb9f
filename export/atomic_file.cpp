#include "export/atomic_file.hpp"

#include <fcntl.h>
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

}  // namespace

void write_file_atomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
  // A hidden name that no other writer uses, created only if it does not exist yet.
  std::filesystem::path temporary = path;
  temporary.replace_filename("." + path.filename().string() + "." + std::to_string(::getpid()) +
                             ".part");
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) fail(path, errno);
  int error = write_all(fd, bytes);
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && ::rename(temporary.c_str(), path.c_str()) != 0) error = errno;
  if (error != 0) {
    ::unlink(temporary.c_str());
    fail(path, error);
  }
}

}  // namespace nuv::exporting
