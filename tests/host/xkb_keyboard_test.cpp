// The keyboard as xkbcommon reads it, on real layouts: the characters keys type, and which keys
// are held with Ctrl, Alt or a logo key.

#include "host/posix/xkb_keyboard.hpp"

#include <gtest/gtest.h>
#include <xkbcommon/xkbcommon.h>

#include <string>

namespace nuv::host {
namespace {

// Keycodes of a PC keyboard, as xkbcommon numbers them: the kernel's plus 8.
constexpr std::uint32_t kBracketLeft = 34, kThree = 12, kQ = 24, kPeriod = 60, kEquals = 21;

// The keyboard at `layout`, with the named modifiers held.
void use_layout(XkbKeyboard& keyboard, const char* layout,
                std::initializer_list<const char*> held) {
  const xkb_rule_names names{nullptr, nullptr, layout, nullptr, nullptr};
  xkb_keymap* keymap =
      xkb_keymap_new_from_names(keyboard.context(), &names, XKB_KEYMAP_COMPILE_NO_FLAGS);
  if (keymap == nullptr) throw std::runtime_error(std::string("no layout ") + layout);
  xkb_mod_mask_t depressed = 0;
  for (const char* name : held) depressed |= 1u << xkb_keymap_mod_get_index(keymap, name);
  keyboard.use(keymap, xkb_state_new(keymap));
  keyboard.set_modifiers(depressed, 0, 0, 0);
}

// Ctrl+[ and Ctrl+3 type Escape under xkbcommon's control transformation: the key counts as held
// with Ctrl, so it types nothing for the viewer. AltGr is no such key: it types the character.
TEST(XkbKeyboard, TellsKeysHeldWithCtrlAltOrALogoKeyFromCharactersTheyType) {
  const struct {
    const char* what;
    const char* layout;
    std::initializer_list<const char*> held;
    std::uint32_t key;
    bool combined;
    char32_t character;
  } cases[] = {
      {"[", "us", {}, kBracketLeft, false, U'['},
      {"Ctrl+[", "us", {XKB_MOD_NAME_CTRL}, kBracketLeft, true, 0x1B},
      {"Ctrl+3", "us", {XKB_MOD_NAME_CTRL}, kThree, true, 0x1B},
      {"Alt+.", "us", {XKB_MOD_NAME_ALT}, kPeriod, true, U'.'},
      {"Super+=", "us", {XKB_MOD_NAME_LOGO}, kEquals, true, U'='},
      {"Shift+= types +", "us", {XKB_MOD_NAME_SHIFT}, kEquals, false, U'+'},
      {"AltGr+Q types @ on a German keyboard", "de", {"Mod5"}, kQ, false, U'@'},
  };
  for (const auto& [what, layout, held, key, combined, character] : cases) {
    XkbKeyboard keyboard;
    use_layout(keyboard, layout, held);
    EXPECT_EQ(keyboard.combined(key), combined) << what;
    EXPECT_EQ(keyboard.press(key), character) << what;
  }
}

}  // namespace
}  // namespace nuv::host
