#include "export/file_system.hpp"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>

#include "export/file_set.hpp"

namespace nuv::exporting {
namespace {

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

std::string failure(int error) {
  return error == 0 ? std::string() : std::strerror(error);
}

}  // namespace

void make_directory(const std::filesystem::path& dir) {
  std::error_code error;
  std::filesystem::create_directories(dir, error);
  if (!error && !std::filesystem::is_directory(dir, error) && !error)
    error = std::make_error_code(std::errc::not_a_directory);
  if (error) throw ExportError("cannot create directory " + dir.string() + ": " + error.message());
}

namespace file_system {

int process_id() {
  return static_cast<int>(::getpid());
}

// A process that runs but is another user's still counts.
bool process_running(int id) {
  return ::kill(id, 0) == 0 || errno == EPERM;
}

// Made by mkostemp, which finds a name no file has.
std::filesystem::path write_new(const std::filesystem::path& stem,
                                std::span<const std::uint8_t> bytes, std::string& error) {
  std::string name = stem.string() + "XXXXXX";
  const int fd = ::mkostemp(name.data(), O_CLOEXEC);
  if (fd < 0) {
    error = failure(errno);
    return {};
  }
  int written = ::fchmod(fd, usual_mode()) == 0 ? 0 : errno;
  if (written == 0) written = write_all(fd, bytes);
  if (::close(fd) != 0 && written == 0) written = errno;
  error = failure(written);
  return name;
}

std::string rename(const std::filesystem::path& from, const std::filesystem::path& to) {
  return failure(::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno);
}

std::string link(const std::filesystem::path& existing, const std::filesystem::path& name) {
  return failure(::link(existing.c_str(), name.c_str()) == 0 ? 0 : errno);
}

void remove(const std::filesystem::path& path) noexcept {
  ::unlink(path.c_str());
}

}  // namespace file_system
}  // namespace nuv::exporting
