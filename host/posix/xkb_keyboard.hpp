#pragma once
// The keyboard as xkbcommon reads it, for every layout: key presses into the characters they
// type, with the keypad, dead keys and compose sequences of the user's locale. The window system
// gives the keymap and the modifiers' state.

#include <cstdint>
#include <memory>
#include <optional>

struct xkb_context;
struct xkb_keymap;
struct xkb_state;
struct xkb_compose_table;
struct xkb_compose_state;

namespace nuv::host {

class XkbKeyboard {
 public:
  // The compose sequences of the locale that LC_ALL, LC_CTYPE or LANG names, when it has them.
  XkbKeyboard();
  ~XkbKeyboard();
  XkbKeyboard(const XkbKeyboard&) = delete;
  XkbKeyboard& operator=(const XkbKeyboard&) = delete;

  xkb_context* context() const { return context_.get(); }
  // Takes the keymap and a state of it; a compose sequence under way is forgotten.
  void use(xkb_keymap* keymap, xkb_state* state);
  bool has_keymap() const { return state_ != nullptr; }
  void set_modifiers(std::uint32_t depressed, std::uint32_t latched, std::uint32_t locked,
                     std::uint32_t layout);
  // The character a press of the key types, 0x1B for Escape; nothing for a key that types none
  // or is part of a compose sequence not yet complete.
  std::optional<char32_t> press(std::uint32_t keycode);
  // Whether Ctrl, Alt or a logo key is held and not used by the key to type its character.
  bool combined(std::uint32_t keycode) const;
  // Whether holding the key down repeats it.
  bool repeats(std::uint32_t keycode) const;

 private:
  template <auto Unref>
  struct Deleter {
    template <typename T>
    void operator()(T* object) const {
      Unref(object);
    }
  };
  static void unref_context(xkb_context* context);
  static void unref_keymap(xkb_keymap* keymap);
  static void unref_state(xkb_state* state);
  static void unref_compose_table(xkb_compose_table* table);
  static void unref_compose_state(xkb_compose_state* state);

  std::unique_ptr<xkb_context, Deleter<&unref_context>> context_;
  std::unique_ptr<xkb_compose_table, Deleter<&unref_compose_table>> compose_table_;
  std::unique_ptr<xkb_compose_state, Deleter<&unref_compose_state>> compose_;
  std::unique_ptr<xkb_keymap, Deleter<&unref_keymap>> keymap_;
  std::unique_ptr<xkb_state, Deleter<&unref_state>> state_;
};

}  // namespace nuv::host
