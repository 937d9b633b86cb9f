#include "host/x11/window_properties.hpp"

#include <unistd.h>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "window/icon.hpp"

namespace nuv::host::x11 {
namespace {

template <typename T>
void set_property(const Connection& connection, xcb_window_t window, xcb_atom_t property,
                  xcb_atom_t type, const T* data, std::size_t count) {
  constexpr auto kFormat = static_cast<std::uint8_t>(8 * sizeof(T));
  xcb_change_property(connection.get(), XCB_PROP_MODE_REPLACE, window, property, type, kFormat,
                      static_cast<std::uint32_t>(count), data);
}

void set_text(const Connection& connection, xcb_window_t window, xcb_atom_t property,
              xcb_atom_t type, std::string_view text) {
  set_property(connection, window, property, type, text.data(), text.size());
}

// _MOTIF_WM_HINTS, which most window managers read for the title bar's buttons: the window can be
// moved, minimised and closed, not resized or maximised.
void offer_no_maximising(const Connection& connection, xcb_window_t window) {
  constexpr std::uint32_t kFunctions = 1, kDecorations = 2;
  constexpr std::uint32_t kMove = 4, kMinimise = 8, kClose = 32;
  constexpr std::uint32_t kBorder = 2, kTitle = 8, kMenu = 16, kMinimiseButton = 32;
  const std::array<std::uint32_t, 5> hints = {kFunctions | kDecorations, kMove | kMinimise | kClose,
                                              kBorder | kTitle | kMenu | kMinimiseButton, 0, 0};
  const xcb_atom_t motif = connection.atoms().motif_wm_hints;
  set_property(connection, window, motif, motif, hints.data(), hints.size());
}

// _NET_WM_ICON: each size as its width, its height and its pixels, 0xAARRGGBB.
void set_icon(const Connection& connection, xcb_window_t window) {
  std::vector<std::uint32_t> icons;
  for (const int size : window::kIconSizes) {
    icons.push_back(static_cast<std::uint32_t>(size));
    icons.push_back(static_cast<std::uint32_t>(size));
    const auto pixels = window::application_icon(size);
    icons.insert(icons.end(), pixels.begin(), pixels.end());
  }
  set_property(connection, window, connection.atoms().net_wm_icon, XCB_ATOM_CARDINAL, icons.data(),
               icons.size());
}

// _NET_WM_PID, and the machine it names a process of.
void set_process(const Connection& connection, xcb_window_t window) {
  std::array<char, 256> host{};
  if (gethostname(host.data(), host.size() - 1) == 0)
    set_text(connection, window, XCB_ATOM_WM_CLIENT_MACHINE, XCB_ATOM_STRING, host.data());
  const auto pid = static_cast<std::uint32_t>(getpid());
  set_property(connection, window, connection.atoms().net_wm_pid, XCB_ATOM_CARDINAL, &pid, 1);
}

}  // namespace

// WM_NORMAL_HINTS: the smallest and the largest size are the window's own, and no position is
// given, so that the window manager places the window as it places any other.
void fix_size(const Connection& connection, xcb_window_t window, const window::Layout& layout) {
  constexpr std::uint32_t kMinSize = 1 << 4, kMaxSize = 1 << 5;
  std::array<std::uint32_t, 18> hints{};
  hints[0] = kMinSize | kMaxSize;
  hints[5] = hints[7] = static_cast<std::uint32_t>(layout.client_width);
  hints[6] = hints[8] = static_cast<std::uint32_t>(layout.client_height);
  set_property(connection, window, XCB_ATOM_WM_NORMAL_HINTS, XCB_ATOM_WM_SIZE_HINTS, hints.data(),
               hints.size());
}

void describe_window(const Connection& connection, xcb_window_t window) {
  const Atoms& atoms = connection.atoms();
  set_text(connection, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, window::kCaption);
  set_text(connection, window, atoms.net_wm_name, atoms.utf8_string, window::kCaption);
  // The instance and the class; the class is the desktop entry's, so that the desktop shows the
  // entry's name and icon for the window.
  using namespace std::string_view_literals;
  const std::string window_class = std::string("nuv\0"sv) + NUV_APP_ID + '\0';
  set_text(connection, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, window_class);
  // WM_HINTS: the window takes the keyboard, and starts shown.
  constexpr std::uint32_t kInputHint = 1, kStateHint = 2, kNormalState = 1;
  const std::array<std::uint32_t, 9> wm_hints = {kInputHint | kStateHint, 1, kNormalState};
  set_property(connection, window, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, wm_hints.data(),
               wm_hints.size());
  offer_no_maximising(connection, window);
  const std::array<xcb_atom_t, 2> protocols = {atoms.wm_delete_window, atoms.net_wm_ping};
  set_property(connection, window, atoms.wm_protocols, XCB_ATOM_ATOM, protocols.data(),
               protocols.size());
  set_property(connection, window, atoms.net_wm_window_type, XCB_ATOM_ATOM,
               &atoms.net_wm_window_type_normal, 1);
  set_icon(connection, window);
  set_process(connection, window);
}

}  // namespace nuv::host::x11
