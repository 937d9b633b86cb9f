#include "host/x11/desktop.hpp"

#include <span>

#include "host/input.hpp"
#include "host/posix/readable.hpp"
#include "host/x11/xsettings.hpp"
#include "window/zoom_choice.hpp"

namespace nuv::host::x11 {
namespace {

// Far more than any desktop's resource database holds, in 32-bit units.
constexpr std::uint32_t kLongestProperty = 1 << 20;

xcb_get_property_cookie_t ask_property(const Connection& connection, xcb_window_t window,
                                       xcb_atom_t property) {
  return xcb_get_property(connection.get(), 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0,
                          kLongestProperty);
}

// A property of a window that has gone meanwhile is no property.
Owned<xcb_get_property_reply_t> property_reply(const Connection& connection,
                                               xcb_get_property_cookie_t cookie) {
  xcb_generic_error_t* error = nullptr;
  Owned<xcb_get_property_reply_t> reply(xcb_get_property_reply(connection.get(), cookie, &error));
  std::free(error);
  return reply;
}

std::span<const std::uint8_t> bytes_of(const xcb_get_property_reply_t* reply) {
  if (reply == nullptr) return {};
  return {static_cast<const std::uint8_t*>(xcb_get_property_value(reply)),
          static_cast<std::size_t>(xcb_get_property_value_length(reply))};
}

std::span<const std::uint32_t> cardinals_of(const xcb_get_property_reply_t* reply,
                                            xcb_atom_t type = XCB_ATOM_CARDINAL) {
  if (reply == nullptr || reply->format != 32 || reply->type != type) return {};
  return {static_cast<const std::uint32_t*>(xcb_get_property_value(reply)), reply->value_len};
}

// A window manager answers at once; one that has not within this long is not waited for.
constexpr std::chrono::milliseconds kFrameAnswerTime{200};

}  // namespace

Desktop read_desktop(const Connection& connection) {
  xcb_connection_t* c = connection.get();
  const xcb_window_t root = connection.screen().root;
  const Atoms& atoms = connection.atoms();
  const auto resources = ask_property(connection, root, XCB_ATOM_RESOURCE_MANAGER);
  const auto work_areas = ask_property(connection, root, atoms.net_workarea);
  const auto current = ask_property(connection, root, atoms.net_current_desktop);
  const auto manager = ask_property(connection, root, atoms.net_supporting_wm_check);
  const auto owner_cookie = xcb_get_selection_owner(c, atoms.xsettings_owner);

  const xcb_screen_t& screen = connection.screen();
  const window::Size screen_size{screen.width_in_pixels, screen.height_in_pixels};
  Desktop desktop{{}, {0, 0, screen_size.width, screen_size.height}, false, kDoubleClickTime};
  const auto resource_bytes = bytes_of(property_reply(connection, resources).get());
  desktop.resources.assign(resource_bytes.begin(), resource_bytes.end());
  const auto areas_reply = property_reply(connection, work_areas);
  const auto current_reply = property_reply(connection, current);
  const auto areas = cardinals_of(areas_reply.get());
  const auto desktop_number = cardinals_of(current_reply.get());
  const std::size_t index = desktop_number.empty() ? 0 : desktop_number[0];
  if (areas.size() >= 4 * (index + 1))
    desktop.work_area = window::usable_area(areas.subspan(4 * index, 4), screen_size);
  desktop.window_manager = !cardinals_of(property_reply(connection, manager).get(),
                                         XCB_ATOM_WINDOW)
                                .empty();

  const Owned<xcb_get_selection_owner_reply_t> owner(
      xcb_get_selection_owner_reply(c, owner_cookie, nullptr));
  if (owner && owner->owner != XCB_WINDOW_NONE) {
    const auto settings = property_reply(
        connection, ask_property(connection, owner->owner, atoms.xsettings_settings));
    if (const auto time = double_click_time_in(bytes_of(settings.get())))
      desktop.double_click_time = *time;
  }
  connection.check();
  return desktop;
}

// The request of the extended window manager hints, answered by setting _NET_FRAME_EXTENTS on the
// window, which the window's watch of its properties tells.
std::optional<window::Size> frame_extents(const Connection& connection, xcb_window_t window) {
  xcb_connection_t* c = connection.get();
  const Atoms& atoms = connection.atoms();
  xcb_client_message_event_t request{};
  request.response_type = XCB_CLIENT_MESSAGE;
  request.format = 32;
  request.window = window;
  request.type = atoms.net_request_frame_extents;
  xcb_send_event(c, 0, connection.screen().root,
                 XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                 reinterpret_cast<const char*>(&request));
  connection.flush();
  const TimePoint deadline = MonotonicClock::now() + kFrameAnswerTime;
  do {
    while (const Owned<xcb_generic_event_t> event{xcb_poll_for_event(c)}) {
      const auto& notice = reinterpret_cast<const xcb_property_notify_event_t&>(*event);
      if ((event->response_type & 0x7F) != XCB_PROPERTY_NOTIFY || notice.window != window ||
          notice.atom != atoms.net_frame_extents)
        continue;
      const auto reply =
          property_reply(connection, ask_property(connection, window, atoms.net_frame_extents));
      const auto sides = cardinals_of(reply.get());
      if (sides.size() < 4) return std::nullopt;
      return window::Size{static_cast<int>(sides[0] + sides[1]),
                          static_cast<int>(sides[2] + sides[3])};
    }
    connection.check();
  } while (posix::wait_readable(connection.descriptor(), -1, deadline));
  return std::nullopt;
}

}  // namespace nuv::host::x11
