#include "host/posix/xkb_keyboard.hpp"

#include <xkbcommon/xkbcommon-compose.h>
#include <xkbcommon/xkbcommon.h>

#include <cstdlib>
#include <stdexcept>

namespace nuv::host {
namespace {

const char* locale() {
  for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"})
    if (const char* value = std::getenv(name); value != nullptr && *value != '\0') return value;
  return "C";
}

}  // namespace

void XkbKeyboard::unref_context(xkb_context* context) {
  xkb_context_unref(context);
}
void XkbKeyboard::unref_keymap(xkb_keymap* keymap) {
  xkb_keymap_unref(keymap);
}
void XkbKeyboard::unref_state(xkb_state* state) {
  xkb_state_unref(state);
}
void XkbKeyboard::unref_compose_table(xkb_compose_table* table) {
  xkb_compose_table_unref(table);
}
void XkbKeyboard::unref_compose_state(xkb_compose_state* state) {
  xkb_compose_state_unref(state);
}

XkbKeyboard::XkbKeyboard() : context_(xkb_context_new(XKB_CONTEXT_NO_FLAGS)) {
  if (!context_) throw std::runtime_error("cannot read keyboard layouts");
  compose_table_.reset(
      xkb_compose_table_new_from_locale(context_.get(), locale(), XKB_COMPOSE_COMPILE_NO_FLAGS));
  if (compose_table_)
    compose_.reset(xkb_compose_state_new(compose_table_.get(), XKB_COMPOSE_STATE_NO_FLAGS));
}

XkbKeyboard::~XkbKeyboard() = default;

void XkbKeyboard::use(xkb_keymap* keymap, xkb_state* state) {
  state_.reset(state);
  keymap_.reset(keymap);
  if (compose_) xkb_compose_state_reset(compose_.get());
}

void XkbKeyboard::set_modifiers(std::uint32_t depressed, std::uint32_t latched,
                                std::uint32_t locked, std::uint32_t layout) {
  if (state_) xkb_state_update_mask(state_.get(), depressed, latched, locked, 0, 0, layout);
}

std::optional<char32_t> XkbKeyboard::press(std::uint32_t keycode) {
  if (!state_) return std::nullopt;
  const xkb_keysym_t symbol = xkb_state_key_get_one_sym(state_.get(), keycode);
  if (compose_ && xkb_compose_state_feed(compose_.get(), symbol) == XKB_COMPOSE_FEED_ACCEPTED) {
    switch (xkb_compose_state_get_status(compose_.get())) {
      case XKB_COMPOSE_COMPOSING:
        return std::nullopt;
      case XKB_COMPOSE_COMPOSED: {
        const char32_t composed =
            xkb_keysym_to_utf32(xkb_compose_state_get_one_sym(compose_.get()));
        xkb_compose_state_reset(compose_.get());
        if (composed == 0) return std::nullopt;
        return composed;
      }
      case XKB_COMPOSE_CANCELLED:
        xkb_compose_state_reset(compose_.get());
        return std::nullopt;
      case XKB_COMPOSE_NOTHING:
        break;
    }
  }
  const char32_t character = xkb_state_key_get_utf32(state_.get(), keycode);
  if (character == 0) return std::nullopt;
  return character;
}

bool XkbKeyboard::combined(std::uint32_t keycode) const {
  if (!state_) return false;
  for (const char* name : {XKB_MOD_NAME_CTRL, XKB_MOD_NAME_ALT, XKB_MOD_NAME_LOGO}) {
    const xkb_mod_index_t index = xkb_keymap_mod_get_index(keymap_.get(), name);
    if (index != XKB_MOD_INVALID &&
        xkb_state_mod_index_is_active(state_.get(), index, XKB_STATE_MODS_EFFECTIVE) > 0 &&
        xkb_state_mod_index_is_consumed(state_.get(), keycode, index) == 0)
      return true;
  }
  return false;
}

bool XkbKeyboard::repeats(std::uint32_t keycode) const {
  return keymap_ && xkb_keymap_key_repeats(keymap_.get(), keycode) != 0;
}

}  // namespace nuv::host
