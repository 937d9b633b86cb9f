#include "host/x11/keyboard.hpp"

// xcb's XKB header names a field `explicit`, a C++ keyword, as C allows.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit
#include <xkbcommon/xkbcommon-x11.h>

#include "host/window_system.hpp"

namespace nuv::host::x11 {

// The state of a core key event holds the modifiers and, in bits 13 and 14, the layout group.
std::optional<WindowInput> Keyboard::key(const xcb_key_press_event_t& key) {
  if (!keyboard_ || changed_) load();
  keyboard_->set_modifiers(key.state & 0xFF, 0, 0, (key.state >> 13) & 0x3);
  const bool combined = keyboard_->combined(key.detail);
  if (const auto character = keyboard_->press(key.detail))
    return WindowInput::typed_key(*character, combined);
  return std::nullopt;
}

// A server that uses XKB tells its clients that use it of a new layout with its own events, not
// with the core protocol's mapping notification; both are heeded.
bool Keyboard::notice_change(const xcb_generic_event_t& event) {
  const std::uint8_t type = event.response_type & 0x7F;
  if (type == XCB_MAPPING_NOTIFY) {
    if (reinterpret_cast<const xcb_mapping_notify_event_t&>(event).request != XCB_MAPPING_POINTER)
      changed_ = true;
    return true;
  }
  if (xkb_event_base_ == 0 || type != xkb_event_base_) return false;
  const auto& xkb = reinterpret_cast<const xcb_xkb_new_keyboard_notify_event_t&>(event);
  if ((xkb.xkbType == XCB_XKB_NEW_KEYBOARD_NOTIFY || xkb.xkbType == XCB_XKB_MAP_NOTIFY) &&
      xkb.deviceID == device_)
    changed_ = true;
  return true;
}

// The server's layout, asked for when the first key comes rather than at start, where it would
// delay the first picture. A server without the keyboard extension gets the default layout.
void Keyboard::load() {
  xcb_connection_t* c = connection_.get();
  if (!keyboard_) {
    keyboard_.emplace();
    if (xkb_x11_setup_xkb_extension(c, XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
                                    XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, nullptr,
                                    nullptr))
      follow_changes();
  }
  changed_ = false;
  xkb_keymap* keymap = device_ < 0
                           ? nullptr
                           : xkb_x11_keymap_new_from_device(keyboard_->context(), c, device_,
                                                            XKB_KEYMAP_COMPILE_NO_FLAGS);
  if (keymap == nullptr)
    keymap = xkb_keymap_new_from_names(keyboard_->context(), nullptr, XKB_KEYMAP_COMPILE_NO_FLAGS);
  if (keymap == nullptr) throw WindowSystemError("cannot read the keyboard's layout");
  xkb_state* state =
      device_ < 0 ? xkb_state_new(keymap) : xkb_x11_state_new_from_device(keymap, c, device_);
  keyboard_->use(keymap, state);
}

// Asks the server for the events that tell of a new keyboard or a changed layout.
void Keyboard::follow_changes() {
  xcb_connection_t* c = connection_.get();
  device_ = xkb_x11_get_core_keyboard_device_id(c);
  const xcb_query_extension_reply_t* xkb = xcb_get_extension_data(c, &xcb_xkb_id);
  if (device_ < 0 || xkb == nullptr || !xkb->present) return;
  xkb_event_base_ = xkb->first_event;
  constexpr std::uint16_t kEvents =
      XCB_XKB_EVENT_TYPE_NEW_KEYBOARD_NOTIFY | XCB_XKB_EVENT_TYPE_MAP_NOTIFY;
  constexpr std::uint16_t kMapParts =
      XCB_XKB_MAP_PART_KEY_TYPES | XCB_XKB_MAP_PART_KEY_SYMS | XCB_XKB_MAP_PART_MODIFIER_MAP |
      XCB_XKB_MAP_PART_EXPLICIT_COMPONENTS | XCB_XKB_MAP_PART_KEY_ACTIONS |
      XCB_XKB_MAP_PART_VIRTUAL_MODS | XCB_XKB_MAP_PART_VIRTUAL_MOD_MAP;
  xcb_xkb_select_events_details_t details{};
  details.affectNewKeyboard = details.newKeyboardDetails = XCB_XKB_NKN_DETAIL_KEYCODES;
  xcb_xkb_select_events_aux(c, static_cast<xcb_xkb_device_spec_t>(device_), kEvents, 0, 0,
                            kMapParts, kMapParts, &details);
}

}  // namespace nuv::host::x11
