#include "host/key_codes.hpp"

namespace nuv::host {
namespace {

// Length of the UTF-8 sequence that starts with `lead`, or 0 for a byte that cannot start one.
int sequence_length(unsigned char lead) {
  if (lead < 0x80) return 1;
  if ((lead & 0xE0) == 0xC0) return 2;
  if ((lead & 0xF0) == 0xE0) return 3;
  if ((lead & 0xF8) == 0xF0) return 4;
  return 0;
}

}  // namespace

std::vector<std::int16_t> key_codes_for_text(std::string_view utf8) {
  std::vector<std::int16_t> codes;
  std::size_t i = 0;
  while (i < utf8.size()) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    const int length = sequence_length(lead);
    if (length == 0 || i + length > utf8.size()) {
      ++i;
      continue;
    }
    char32_t code_point = length == 1 ? lead : lead & (0x7F >> length);
    bool well_formed = true;
    for (int j = 1; j < length; ++j) {
      const auto next = static_cast<unsigned char>(utf8[i + j]);
      well_formed = well_formed && (next & 0xC0) == 0x80;
      code_point = (code_point << 6) | (next & 0x3F);
    }
    i += well_formed ? length : 1;
    if (well_formed && code_point <= 0x7FFF) codes.push_back(static_cast<std::int16_t>(code_point));
  }
  return codes;
}

}  // namespace nuv::host
