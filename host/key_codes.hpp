#pragma once
// Typed text as the character codes the key-press handler takes.

#include <cstdint>
#include <string_view>
#include <vector>

namespace nuv::host {

// The characters of UTF-8 text as codes; characters beyond the 16-bit signed range and
// malformed bytes are dropped, since no command uses them.
std::vector<std::int16_t> key_codes_for_text(std::string_view utf8);

}  // namespace nuv::host
