#include "host/x11/touch_screen.hpp"

#include <xcb/xinput.h>

#include <optional>

namespace nuv::host::x11 {
namespace {

// XInput's positions are fixed-point, 16 bits of fraction.
int pixels(xcb_input_fp1616_t value) {
  return value >> 16;
}

}  // namespace

TouchScreen::TouchScreen(const Connection& connection, xcb_window_t window) {
  xcb_connection_t* c = connection.get();
  const xcb_query_extension_reply_t* extension = xcb_get_extension_data(c, &xcb_input_id);
  if (extension == nullptr || extension->present == 0) return;
  const Owned<xcb_input_xi_query_version_reply_t> version(
      xcb_input_xi_query_version_reply(c, xcb_input_xi_query_version(c, 2, 2), nullptr));
  if (!version || version->major_version < 2 ||
      (version->major_version == 2 && version->minor_version < 2))
    return;
  struct {
    xcb_input_event_mask_t head;
    std::uint32_t mask;
  } touches{{XCB_INPUT_DEVICE_ALL_MASTER, 1},
            XCB_INPUT_XI_EVENT_MASK_TOUCH_BEGIN | XCB_INPUT_XI_EVENT_MASK_TOUCH_UPDATE |
                XCB_INPUT_XI_EVENT_MASK_TOUCH_END};
  xcb_input_xi_select_events(c, window, 1, &touches.head);
  opcode_ = extension->major_opcode;
}

// The three touch events share their layout up to the positions.
bool TouchScreen::take(const xcb_generic_event_t& event, int left, int top,
                       std::vector<WindowInput>& input) {
  if (opcode_ == 0 || (event.response_type & 0x7F) != XCB_GE_GENERIC) return false;
  const auto& generic = reinterpret_cast<const xcb_ge_generic_event_t&>(event);
  if (generic.extension != opcode_) return false;
  const auto& touch = reinterpret_cast<const xcb_input_touch_begin_event_t&>(event);
  const int x = pixels(touch.event_x) - left, y = pixels(touch.event_y) - top;
  std::optional<WindowInput> made;
  switch (generic.event_type) {
    case XCB_INPUT_TOUCH_BEGIN:
      made = finger_.down(touch.detail, x, y, touch.time);
      break;
    case XCB_INPUT_TOUCH_UPDATE:
      made = finger_.moved(touch.detail, x, y);
      break;
    case XCB_INPUT_TOUCH_END:
      finger_.moved(touch.detail, x, y);
      made = finger_.up(touch.detail, touch.time);
      break;
    default:
      return false;
  }
  if (made) input.push_back(*made);
  return true;
}

}  // namespace nuv::host::x11
