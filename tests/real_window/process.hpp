#pragma once
// Test support for programs the real-window tests run: files of their own, commands run to
// completion, child processes, and environment variables set for a while.

#include <chrono>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace nuv::testing {

// How long a test waits for what it expects: far longer than anything takes on a loaded
// machine, so that only a failing test ever waits this long.
inline constexpr std::chrono::seconds kPatience{20};

// A file of its own for one test, made with mkstemp and removed when the object goes, so that
// concurrent runs never share one.
class TempFile {
 public:
  explicit TempFile(const std::string& stem);
  ~TempFile();
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  const std::string& path() const { return path_; }
  std::string contents() const;

 private:
  std::string path_;
};

struct CommandResult {
  int status = -1;
  std::string output;
};

// Runs a program to completion and collects its standard output.
CommandResult run_command(const std::vector<std::string>& argv);

// Runs xdotool with these arguments; throws if it fails.
void xdotool(const std::vector<std::string>& arguments);

// Everything that can be read from a descriptor until its end.
std::string read_all(int fd);

// A child process, killed when the object goes unless it has been waited for.
class ChildProcess {
 public:
  // Standard error goes to the file `error_path` when one is given.
  explicit ChildProcess(const std::vector<std::string>& argv, const std::string& error_path = {});
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // The exit status, or nothing if the process is still running after `timeout`.
  std::optional<int> wait_for(std::chrono::milliseconds timeout);
  bool running();
  int pid() const { return pid_; }

 private:
  int pid_ = -1;
  std::optional<int> status_;
};

// Environment variables set for as long as the object lives, then put back as they were.
class EnvironmentOverride {
 public:
  EnvironmentOverride() = default;
  EnvironmentOverride(const EnvironmentOverride&) = delete;
  EnvironmentOverride& operator=(const EnvironmentOverride&) = delete;
  ~EnvironmentOverride();

  void set(const std::string& name, const std::string& value);

 private:
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

}  // namespace nuv::testing
