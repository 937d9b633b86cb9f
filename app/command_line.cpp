#include "app/command_line.hpp"

#include <optional>

namespace nuv::app {
namespace {

// An option's value comes either joined ("--zoom=2") or as the next argument ("--zoom 2").
struct OptionValue {
  std::string_view name;
  std::optional<std::string_view> joined;
};

OptionValue split_option(std::string_view argument) {
  const auto equals = argument.find('=');
  if (equals == std::string_view::npos) return {argument, std::nullopt};
  return {argument.substr(0, equals), argument.substr(equals + 1)};
}

std::optional<int> zoom_from(std::string_view text) {
  if (text.size() != 1 || text[0] < '1' || text[0] > '0' + frames::kMaxZoom) return std::nullopt;
  return text[0] - '0';
}

class Parser {
 public:
  explicit Parser(std::span<const std::string_view> arguments) : arguments_(arguments) {}

  ParsedCommandLine parse() {
    while (next_ < arguments_.size() && error_.empty()) read_argument(arguments_[next_++]);
    return {options_, error_};
  }

 private:
  void read_argument(std::string_view argument) {
    const OptionValue option = split_option(argument);
    if (option.name == "--help" || option.name == "--version") {
      if (option.joined) return fail("option '" + std::string(option.name) + "' takes no value");
      (option.name == "--help" ? options_.help : options_.version) = true;
    } else if (option.name == "--zoom") {
      const auto text = value_of(option);
      if (!text) return;
      if (options_.zoom) return fail("option '--zoom' given more than once");
      options_.zoom = zoom_from(*text);
      if (!options_.zoom)
        fail("invalid zoom '" + std::string(*text) + "': it must be a whole number from 1 to " +
             std::to_string(frames::kMaxZoom));
    } else if (option.name == "--export") {
      const auto text = value_of(option);
      if (!text) return;
      if (options_.export_dir) return fail("option '--export' given more than once");
      if (text->empty()) return fail("option '--export' needs a directory name");
      options_.export_dir = std::filesystem::path(*text);
    } else if (argument.starts_with("-") && argument != "-") {
      fail("unrecognized option '" + std::string(argument) + "'");
    } else {
      fail("unexpected argument '" + std::string(argument) + "'");
    }
  }

  std::optional<std::string_view> value_of(const OptionValue& option) {
    if (option.joined) return option.joined;
    if (next_ < arguments_.size()) return arguments_[next_++];
    fail("option '" + std::string(option.name) + "' needs a value");
    return std::nullopt;
  }

  void fail(std::string message) { error_ = std::move(message); }

  std::span<const std::string_view> arguments_;
  std::size_t next_ = 0;
  CommandLine options_;
  std::string error_;
};

}  // namespace

ParsedCommandLine parse_command_line(std::span<const std::string_view> arguments) {
  return Parser(arguments).parse();
}

std::string usage_text() {
  return "Usage: nuv [OPTION]...\n"
         "Play the animation of a crank-and-yoke piston mechanism in a window, or export it.\n"
         "\n"
         "  --zoom N        draw the frames N times as large, N from 1 to " +
         std::to_string(frames::kMaxZoom) +
         "\n"
         "  --export DIR    write the frames as PNG files and the whole turn as an animated\n"
         "                  GIF into DIR, without opening a window\n"
         "  --help          show this help and exit\n"
         "  --version       show the version and exit\n"
         "\n"
         "In the window: + or , runs forward, - backward; *, . or space stops or steps\n"
         "forward, / stops or steps back; the pointer sets the speed; a click switches to\n"
         "dragging through the frames; a double click or Escape quits.\n";
}

}  // namespace nuv::app
