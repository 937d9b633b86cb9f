#include "engine/keyboard.hpp"

#include <string_view>

#include "engine/animation_state.hpp"

namespace nuv::engine {

// The comparisons run in this order; the characters are all different, so at most one matches.
std::optional<int> key_command(std::int16_t code) {
  constexpr struct {
    std::string_view characters;
    int command;
  } kKeyMap[] = {
      {"-", kRunBackward},
      {"+,", kRunForward},
      {"/", kStepBack},
      {"* .", kStepForward},
  };
  if (code < 0 || code > 127) return std::nullopt;
  const char typed = static_cast<char>(code);
  for (const auto& entry : kKeyMap)
    if (entry.characters.find(typed) != std::string_view::npos) return entry.command;
  return std::nullopt;
}

}  // namespace nuv::engine
