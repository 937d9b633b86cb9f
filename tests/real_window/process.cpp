#include "tests/real_window/process.hpp"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace nuv::testing {
namespace {

using namespace std::chrono_literals;

std::vector<char*> c_arguments(const std::vector<std::string>& argv) {
  std::vector<char*> arguments;
  for (const std::string& argument : argv) arguments.push_back(const_cast<char*>(argument.c_str()));
  arguments.push_back(nullptr);
  return arguments;
}

// Spawns argv with its standard output on `output_fd` (or inherited when -1) and its standard
// error written to the file `error_path` (or inherited when empty).
int spawn(const std::vector<std::string>& argv, int output_fd, const std::string& error_path = {}) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (output_fd >= 0) posix_spawn_file_actions_adddup2(&actions, output_fd, STDOUT_FILENO);
  if (!error_path.empty())
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, error_path.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid = -1;
  const int error =
      posix_spawnp(&pid, argv[0].c_str(), &actions, nullptr, c_arguments(argv).data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) throw std::runtime_error("cannot start " + argv[0]);
  return pid;
}

int exit_status(int wait_status) {
  return WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : 128 + WTERMSIG(wait_status);
}

}  // namespace

std::string read_all(int fd) {
  std::string text;
  char buffer[65536];
  for (ssize_t got; (got = read(fd, buffer, sizeof buffer)) > 0;) text.append(buffer, got);
  return text;
}

TempFile::TempFile(const std::string& stem)
    : path_((std::filesystem::temp_directory_path() / (stem + "-XXXXXX")).string()) {
  const int fd = mkstemp(path_.data());
  if (fd < 0) throw std::runtime_error("cannot make a file like " + path_);
  close(fd);
}

TempFile::~TempFile() {
  std::remove(path_.c_str());
}

std::string TempFile::contents() const {
  std::ifstream file(path_);
  return {std::istreambuf_iterator<char>(file), {}};
}

CommandResult run_command(const std::vector<std::string>& argv) {
  int pipe_fds[2];
  if (pipe2(pipe_fds, O_CLOEXEC) != 0) throw std::runtime_error("cannot make a pipe");
  const int pid = spawn(argv, pipe_fds[1]);
  close(pipe_fds[1]);
  CommandResult result;
  result.output = read_all(pipe_fds[0]);
  close(pipe_fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  result.status = exit_status(status);
  return result;
}

void xdotool(const std::vector<std::string>& arguments) {
  std::vector<std::string> argv{"xdotool"};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  if (run_command(argv).status != 0) throw std::runtime_error("xdotool failed");
}

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const std::string& error_path)
    : pid_(spawn(argv, -1, error_path)) {}

ChildProcess::~ChildProcess() {
  if (status_) return;
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
}

std::optional<int> ChildProcess::wait_for(std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!status_) {
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      status_ = exit_status(status);
    } else if (std::chrono::steady_clock::now() >= deadline) {
      break;
    } else {
      std::this_thread::sleep_for(10ms);
    }
  }
  return status_;
}

bool ChildProcess::running() {
  return !wait_for(0ms).has_value();
}

EnvironmentOverride::~EnvironmentOverride() {
  for (const auto& [name, value] : saved_)
    value ? setenv(name.c_str(), value->c_str(), 1) : unsetenv(name.c_str());
}

void EnvironmentOverride::set(const std::string& name, const std::string& value) {
  const char* before = std::getenv(name.c_str());
  saved_.emplace_back(name, before ? std::optional<std::string>(before) : std::nullopt);
  setenv(name.c_str(), value.c_str(), 1);
}

}  // namespace nuv::testing
