#include "host/x11/connection.hpp"

#include <array>
#include <cerrno>
#include <cstring>
#include <string_view>

#include "host/window_system.hpp"

namespace nuv::host::x11 {
namespace {

const xcb_screen_t* screen_of(xcb_connection_t* connection, int number) {
  auto screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
  for (; screens.rem > 0; --number, xcb_screen_next(&screens))
    if (number == 0) return screens.data;
  return nullptr;
}

std::string xsettings_owner_name(int screen) {
  return "_XSETTINGS_S" + std::to_string(screen);
}

// The core protocol's names for its errors.
std::string error_name(std::uint8_t code) {
  constexpr std::array<std::string_view, 18> kNames = {
      "",          "BadRequest", "BadValue",    "BadWindow",   "BadPixmap", "BadAtom",
      "BadCursor", "BadFont",    "BadMatch",    "BadDrawable", "BadAccess", "BadAlloc",
      "BadColor",  "BadGC",      "BadIDChoice", "BadName",     "BadLength", "BadImplementation"};
  if (code > 0 && code < kNames.size()) return std::string(kNames[code]);
  return "error " + std::to_string(code);
}

// Requests whose refusal leaves the viewer as it is: a property or a hint the window manager
// does not take, the size asked for again, a message to the window manager, the focus.
bool can_do_without(std::uint8_t request) {
  switch (request) {
    case XCB_CHANGE_PROPERTY:
    case XCB_CONFIGURE_WINDOW:
    case XCB_SEND_EVENT:
    case XCB_SET_INPUT_FOCUS:
      return true;
    default:
      return false;
  }
}

}  // namespace

Connection::Connection() {
  const char* display = std::getenv("DISPLAY");
  name_ = display != nullptr ? display : "";
  int screen = 0;
  errno = 0;
  connection_ = xcb_connect(nullptr, &screen);
  if (xcb_connection_has_error(connection_)) {
    const int error = errno;
    xcb_disconnect(connection_);
    connection_ = nullptr;
    if (name_.empty()) throw WindowSystemError("cannot open the window system: DISPLAY is not set");
    if (error == EMFILE || error == ENFILE)
      throw WindowSystemError(
          "cannot open the window system: no file descriptor is left to "
          "connect to the X display " +
          name_ + " (" + std::strerror(error) + ")");
    throw WindowSystemError("cannot open the window system: no X display " + name_);
  }
  screen_ = screen_of(connection_, screen);
  if (screen_ == nullptr) {
    xcb_disconnect(connection_);
    throw WindowSystemError("the display " + name_ + " has no screen " + std::to_string(screen));
  }
  const std::string owner = xsettings_owner_name(screen);
  const std::array<std::string_view, 18> names = {"WM_PROTOCOLS",
                                                  "WM_DELETE_WINDOW",
                                                  "_NET_WM_PING",
                                                  "_NET_WM_NAME",
                                                  "UTF8_STRING",
                                                  "_NET_WM_ICON",
                                                  "_NET_WM_PID",
                                                  "_NET_WM_WINDOW_TYPE",
                                                  "_NET_WM_WINDOW_TYPE_NORMAL",
                                                  "_MOTIF_WM_HINTS",
                                                  "_NET_WORKAREA",
                                                  "_NET_CURRENT_DESKTOP",
                                                  owner,
                                                  "_XSETTINGS_SETTINGS",
                                                  "_NET_SUPPORTING_WM_CHECK",
                                                  "_NET_REQUEST_FRAME_EXTENTS",
                                                  "_NET_FRAME_EXTENTS",
                                                  "MANAGER"};
  std::array<xcb_intern_atom_cookie_t, names.size()> cookies;
  for (std::size_t i = 0; i < names.size(); ++i)
    cookies[i] = xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(names[i].size()),
                                 names[i].data());
  std::array<xcb_atom_t, names.size()> atoms{};
  for (std::size_t i = 0; i < names.size(); ++i) {
    const Owned<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(connection_, cookies[i], nullptr));
    atoms[i] = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
  }
  check();
  atoms_ = {atoms[0],  atoms[1],  atoms[2],  atoms[3],  atoms[4],  atoms[5],
            atoms[6],  atoms[7],  atoms[8],  atoms[9],  atoms[10], atoms[11],
            atoms[12], atoms[13], atoms[14], atoms[15], atoms[16], atoms[17]};
}

Connection::~Connection() {
  if (connection_ != nullptr) xcb_disconnect(connection_);
}

void Connection::check() const {
  if (xcb_connection_has_error(connection_))
    throw WindowSystemError("lost the connection to the display " + name_);
}

void Connection::flush() const {
  xcb_flush(connection_);
  check();
}

bool Connection::refused(const xcb_generic_error_t& error) const {
  if (can_do_without(error.major_code)) return error.major_code == XCB_SET_INPUT_FOCUS;
  throw WindowSystemError("the display " + name_ + " refused a request (" +
                          error_name(error.error_code) + ", request code " +
                          std::to_string(error.major_code) + ")");
}

}  // namespace nuv::host::x11
