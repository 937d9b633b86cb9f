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

// The settings manager is found by the selection it owns; the settings property of its window is
// watched for changes, and the root window for a new manager's announcement.
void read_settings(const Connection& connection, Desktop& desktop) {
  xcb_connection_t* c = connection.get();
  const Atoms& atoms = connection.atoms();
  const Owned<xcb_get_selection_owner_reply_t> owner(xcb_get_selection_owner_reply(
      c, xcb_get_selection_owner(c, atoms.xsettings_owner), nullptr));
  desktop.settings_owner = owner ? owner->owner : xcb_window_t{XCB_WINDOW_NONE};
  desktop.settings_dpi.reset();
  desktop.double_click_time = kDoubleClickTime;
  if (desktop.settings_owner == XCB_WINDOW_NONE) return;
  const std::uint32_t watched[] = {XCB_EVENT_MASK_PROPERTY_CHANGE};
  xcb_change_window_attributes(c, desktop.settings_owner, XCB_CW_EVENT_MASK, watched);
  const auto settings = property_reply(
      connection, ask_property(connection, desktop.settings_owner, atoms.xsettings_settings));
  desktop.settings_dpi = dots_per_inch_in(bytes_of(settings.get()));
  if (const auto time = double_click_time_in(bytes_of(settings.get())))
    desktop.double_click_time = *time;
}

void read_resources(const Connection& connection, Desktop& desktop) {
  const auto resources = property_reply(
      connection, ask_property(connection, connection.screen().root, XCB_ATOM_RESOURCE_MANAGER));
  const auto bytes = bytes_of(resources.get());
  desktop.resources.assign(bytes.begin(), bytes.end());
}

void read_work_area(const Connection& connection, Desktop& desktop) {
  const xcb_window_t root = connection.screen().root;
  const Atoms& atoms = connection.atoms();
  const auto work_areas = ask_property(connection, root, atoms.net_workarea);
  const auto current = ask_property(connection, root, atoms.net_current_desktop);
  const xcb_screen_t& screen = connection.screen();
  const window::Size screen_size{screen.width_in_pixels, screen.height_in_pixels};
  const auto areas_reply = property_reply(connection, work_areas);
  const auto current_reply = property_reply(connection, current);
  const auto areas = cardinals_of(areas_reply.get());
  const auto desktop_number = cardinals_of(current_reply.get());
  const std::size_t index = desktop_number.empty() ? 0 : desktop_number[0];
  desktop.work_area = areas.size() >= 4 * (index + 1)
                          ? window::usable_area(areas.subspan(4 * index, 4), screen_size)
                          : window::Rect{0, 0, screen_size.width, screen_size.height};
}

// The root window tells of changes to the resources and the work area, and of a new settings
// manager.
Desktop read_desktop(const Connection& connection) {
  const xcb_window_t root = connection.screen().root;
  const std::uint32_t watched[] = {XCB_EVENT_MASK_PROPERTY_CHANGE |
                                   XCB_EVENT_MASK_STRUCTURE_NOTIFY};
  xcb_change_window_attributes(connection.get(), root, XCB_CW_EVENT_MASK, watched);
  Desktop desktop{};
  read_resources(connection, desktop);
  read_settings(connection, desktop);
  read_work_area(connection, desktop);
  const auto manager =
      property_reply(connection, ask_property(connection, root,
                                              connection.atoms().net_supporting_wm_check));
  desktop.window_manager = !cardinals_of(manager.get(), XCB_ATOM_WINDOW).empty();
  connection.check();
  return desktop;
}

std::optional<FrameExtents> told_frame_extents(const Connection& connection, xcb_window_t window) {
  const auto reply = property_reply(
      connection, ask_property(connection, window, connection.atoms().net_frame_extents));
  const auto sides = cardinals_of(reply.get());
  if (sides.size() < 4) return std::nullopt;
  const auto side = [&](int i) { return static_cast<int>(std::min<std::uint32_t>(sides[i], 1000)); };
  return FrameExtents{side(0), side(1), side(2), side(3)};
}

// The request of the extended window manager hints, answered by setting _NET_FRAME_EXTENTS on the
// window, which the window's watch of its properties tells.
std::optional<FrameExtents> frame_extents(const Connection& connection, xcb_window_t window) {
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
      return told_frame_extents(connection, window);
    }
    connection.check();
  } while (posix::wait_readable(connection.descriptor(), -1, deadline));
  return std::nullopt;
}

}  // namespace nuv::host::x11
