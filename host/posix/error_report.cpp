#include "host/error_report.hpp"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <vector>

#include "host/ending_signals.hpp"

namespace nuv::host {
namespace {

bool on_path(std::string_view program) {
  const char* path = std::getenv("PATH");
  std::string_view directories = path != nullptr ? path : "/usr/bin:/bin";
  while (!directories.empty()) {
    const auto end = directories.find(':');
    const std::filesystem::path candidate =
        std::filesystem::path(directories.substr(0, end)) / program;
    if (access(candidate.c_str(), X_OK) == 0) return true;
    directories.remove_prefix(end == std::string_view::npos ? directories.size() : end + 1);
  }
  return false;
}

bool wanted() {
  const char* setting = std::getenv("NUV_ERROR_DIALOG");
  if (setting != nullptr && std::string_view(setting) == "0") return false;
  const char* x11 = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (x11 != nullptr && *x11 != '\0') || (wayland != nullptr && *wayland != '\0');
}

// The first message box program present, with its arguments; none when there is none.
std::vector<std::string> box_command(const std::string& message) {
  const std::string text = "nuv: run-time error: " + message;
  if (on_path("zenity"))
    return {"zenity", "--error", "--no-markup", "--title=NUV", "--text=" + text};
  if (on_path("kdialog")) return {"kdialog", "--title", "NUV", "--error", text};
  if (on_path("xmessage")) return {"xmessage", "-center", "-title", "NUV", text};
  return {};
}

void show_box(const std::vector<std::string>& command) {
  std::vector<char*> argv;
  for (const std::string& argument : command) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  end_children_with_this_process();
  const pid_t child = fork();
  if (child == 0) {
    execvp(argv[0], argv.data());
    _exit(127);
  }
  if (child > 0) waitpid(child, nullptr, 0);
}

}  // namespace

void report_runtime_error(const std::string& message) {
  std::fprintf(stderr, "nuv: run-time error: %s\n", message.c_str());
  if (!wanted()) return;
  if (const auto command = box_command(message); !command.empty()) show_box(command);
}

}  // namespace nuv::host
