#pragma once
// The viewer's command line: what it asks for, read without touching the window system.

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "frames/zoom.hpp"

namespace nuv::app {

struct CommandLine {
  bool help = false;
  bool version = false;
  std::optional<int> zoom;  // 1, 2 or 3 when given
  std::optional<std::filesystem::path> export_dir;
};

// Either the options, or one line saying what is wrong with them.
struct ParsedCommandLine {
  CommandLine options;
  std::string error;  // empty when the command line is sound
};

// Reads the arguments that follow the program's name.
ParsedCommandLine parse_command_line(std::span<const std::string_view> arguments);

// The usage text --help prints, ending in a newline.
std::string usage_text();

}  // namespace nuv::app
