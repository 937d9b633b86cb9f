#pragma once
// The connection to the X server: opened first, closed last, and the one place that knows what an
// X error means to the viewer.

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace nuv::host::x11 {

// Replies and events as xcb hands them over, freed with free().
struct FreeDeleter {
  void operator()(void* pointer) const { std::free(pointer); }
};
template <typename T>
using Owned = std::unique_ptr<T, FreeDeleter>;

// The atoms the window and the desktop's properties are named by, interned in one round trip.
struct Atoms {
  xcb_atom_t wm_protocols, wm_delete_window, net_wm_ping, net_wm_name, utf8_string, net_wm_icon,
      net_wm_pid, net_wm_window_type, net_wm_window_type_normal, motif_wm_hints, net_workarea,
      net_current_desktop, xsettings_owner, xsettings_settings, net_supporting_wm_check,
      net_request_frame_extents, net_frame_extents, manager;
};

class Connection {
 public:
  // The display DISPLAY names; throws WindowSystemError when it cannot be reached.
  Connection();
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  xcb_connection_t* get() const { return connection_; }
  const xcb_screen_t& screen() const { return *screen_; }
  const Atoms& atoms() const { return atoms_; }
  // The display's name, as DISPLAY gives it.
  const std::string& name() const { return name_; }
  int descriptor() const { return xcb_get_file_descriptor(connection_); }

  // Throws WindowSystemError naming the display once the connection is lost.
  void check() const;
  // Sends what is buffered; throws like check.
  void flush() const;
  // What a refused request means: nothing, when the viewer can do without what was asked (a
  // property, a hint, the focus before the window can take it); a run-time error otherwise,
  // thrown as WindowSystemError. Returns whether the request was SetInputFocus, which the
  // caller may ask again.
  bool refused(const xcb_generic_error_t& error) const;

 private:
  xcb_connection_t* connection_ = nullptr;
  const xcb_screen_t* screen_ = nullptr;
  std::string name_;
  Atoms atoms_{};
};

}  // namespace nuv::host::x11
