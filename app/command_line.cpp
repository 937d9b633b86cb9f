#include "app/command_line.hpp"

#include <algorithm>
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

// The length of the well-formed UTF-8 character `text` starts with; 0 where none does.
std::size_t character_length(std::string_view text) {
  const auto lead = static_cast<unsigned char>(text[0]);
  const std::size_t length = lead < 0x80   ? 1
                             : lead < 0xC2 ? 0
                             : lead < 0xE0 ? 2
                             : lead < 0xF0 ? 3
                             : lead < 0xF5 ? 4
                                           : 0;
  if (length == 0 || length > text.size()) return 0;
  for (std::size_t i = 1; i < length; ++i)
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) return 0;
  return length;
}

// The controls below the space, DEL, and U+0080 to U+009F (0xC2 0x80 to 0xC2 0x9F in UTF-8).
bool is_control(std::string_view character) {
  const auto lead = static_cast<unsigned char>(character[0]);
  return lead < 0x20 || lead == 0x7F ||
         (lead == 0xC2 && static_cast<unsigned char>(character[1]) < 0xA0);
}

// An argument as an error message shows it, quoted: what would steer a terminal (a control, a
// byte that is no UTF-8) written as \xNN.
std::string quoted(std::string_view argument) {
  constexpr char kDigits[] = "0123456789ABCDEF";
  std::string shown = "'";
  while (!argument.empty()) {
    const std::size_t length = character_length(argument);
    const std::string_view character = argument.substr(0, std::max<std::size_t>(length, 1));
    if (length == 0 || is_control(character))
      for (const char c : character) {
        const auto byte = static_cast<unsigned char>(c);
        shown += {'\\', 'x', kDigits[byte >> 4], kDigits[byte & 0xF]};
      }
    else
      shown += character;
    argument.remove_prefix(character.size());
  }
  return shown + "'";
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
  // After "--" every argument is an operand, of which the viewer takes none.
  void read_argument(std::string_view argument) {
    const OptionValue option = split_option(argument);
    if (options_ended_) {
      fail("unexpected argument " + quoted(argument));
    } else if (argument == "--") {
      options_ended_ = true;
    } else if (argument == "-h") {
      options_.help = true;
    } else if (option.name == "--help" || option.name == "--version") {
      if (option.joined) return fail("option " + quoted(option.name) + " takes no value");
      (option.name == "--help" ? options_.help : options_.version) = true;
    } else if (option.name == "--zoom") {
      const auto text = value_of(option);
      if (!text) return;
      if (options_.zoom) return fail("option '--zoom' given more than once");
      options_.zoom = zoom_from(*text);
      if (!options_.zoom)
        fail("invalid zoom " + quoted(*text) + ": it must be a whole number from 1 to " +
             std::to_string(frames::kMaxZoom));
    } else if (option.name == "--export") {
      const auto text = value_of(option);
      if (!text) return;
      if (options_.export_dir) return fail("option '--export' given more than once");
      if (text->empty()) return fail("option '--export' needs a directory name");
      options_.export_dir = std::filesystem::path(*text);
    } else if (argument.starts_with("-") && argument != "-") {
      fail("unrecognized option " + quoted(argument));
    } else {
      fail("unexpected argument " + quoted(argument));
    }
  }

  std::optional<std::string_view> value_of(const OptionValue& option) {
    if (option.joined) return option.joined;
    if (next_ < arguments_.size()) return arguments_[next_++];
    fail("option " + quoted(option.name) + " needs a value");
    return std::nullopt;
  }

  void fail(std::string message) { error_ = std::move(message); }

  std::span<const std::string_view> arguments_;
  std::size_t next_ = 0;
  bool options_ended_ = false;
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
         "  -h, --help      show this help and exit\n"
         "  --version       show the version and exit\n"
         "\n"
         "In the window: + or , runs forward, - backward; *, . or space stops or steps\n"
         "forward, / stops or steps back; the pointer sets the speed; a click switches to\n"
         "dragging through the frames; a double click or Escape quits.\n";
}

}  // namespace nuv::app
