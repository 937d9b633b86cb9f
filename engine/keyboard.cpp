#include "engine/keyboard.hpp"

#include <string_view>

#include "engine/animation_state.hpp"

namespace nuv::engine {

// The comparisons run in this order; the characters are all different, so at most one matches.
std::optional<Command> key_command(std::int16_t code) {
  constexpr struct {
    std::string_view characters;
    Command command;
  } kKeyMap[] = {
      {"-", Command::run_backward},
      {"+,", Command::run_forward},
      {"/", Command::step_back},
      {"* .", Command::step_forward},
  };
  // The command characters are all ASCII; a wider code must not match by its low byte.
  constexpr std::int16_t kLastAscii = 127;
  if (code < 0 || code > kLastAscii) return std::nullopt;
  const char typed = static_cast<char>(code);
  for (const auto& entry : kKeyMap)
    if (entry.characters.find(typed) != std::string_view::npos) return entry.command;
  return std::nullopt;
}

}  // namespace nuv::engine
