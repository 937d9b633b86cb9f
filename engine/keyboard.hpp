#pragma once
// The key map of Picture1: which command each typed character stores.

#include <cstdint>
#include <optional>

#include "engine/animation_state.hpp"

namespace nuv::engine {

inline constexpr std::int16_t kEscape = 27;

// The command for a typed character, or nothing for a key that changes nothing.
std::optional<Command> key_command(std::int16_t code);

}  // namespace nuv::engine
