#pragma once
// Test support for the viewer under test: started on the current display, its window found, what
// it shows read, and the pointer moved over it.

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "tests/real_window/process.hpp"
#include "tests/real_window/window_reader.hpp"
#include "window/layout.hpp"

namespace nuv::testing {

// The slot on screen at one moment.
struct SlotSample {
  std::chrono::steady_clock::time_point at;
  int slot = -1;
};

// The display's root window, named for xdotool.
std::string root_window_id();

// weston's window on the X display, once it is mapped.
unsigned long weston_window();

// The viewer started on the current display, and its window once it is mapped.
class Viewer {
 public:
  // The viewer's standard error goes to the file `error_path` when one is given.
  explicit Viewer(const std::string& error_path = {},
                  const std::vector<std::string>& arguments = {});
  const std::string& window_id() const { return window_id_; }
  // The layout of the zoom the window opened at, told by its width; on Wayland, that of the
  // output's scale.
  const window::Layout& layout() const { return layout_; }
  ChildProcess& process() { return *process_; }

  Screenshot capture() const;
  // Which of the eighteen frames the window shows, by exact comparison of Picture1's inner area;
  // -1 for none.
  int shown_slot() const;
  // Watches until the shown slot differs from `slot` (or the timeout passes); returns it.
  int wait_for_slot_change(int slot, std::chrono::milliseconds timeout) const;
  // The same, with the moment the change was seen.
  SlotSample wait_for_change(int slot, std::chrono::milliseconds timeout) const;
  // The slot shown, read straight from the X server every few milliseconds for `span`: often
  // enough to see each frame of a run at a hundred frames a second, which import cannot. Each
  // sample reads only the band of rows the crank pin sweeps, which tells the eighteen frames
  // apart and is read fast enough on a loaded machine.
  std::vector<SlotSample> sample_slots(std::chrono::milliseconds span) const;
  // Samples until one slot has stayed on screen for `quiet`; returns it, or -1 after `timeout`.
  int wait_until_still(std::chrono::milliseconds quiet, std::chrono::milliseconds timeout) const;
  // xdotool arguments that move the pointer to a point of the client area, which may lie
  // outside it.
  std::vector<std::string> pointer_to(int x, int y) const;
  // Asks the window to close, as the title bar's close button does.
  void close() const;
  // Asks the window manager to make the window fullscreen, or to end that, as a user does.
  void set_fullscreen(bool fullscreen) const;
  // Where the window lies on the screen, and its size.
  window::Rect geometry() const;
  // Waits until the window has the size of `zoom`'s client area, then reads it at that zoom;
  // false if it has not after `timeout`. X displays only.
  bool wait_for_zoom(int zoom, std::chrono::milliseconds timeout);

 private:
  std::string find_viewer_window(const std::string& error_path,
                                 const std::vector<std::string>& arguments);
  PlacedClientArea find_on_weston();
  std::string weston_findings(unsigned long weston);
  int slot_read_by(const WindowReader& reader) const;
  int slot_sampled_by(const WindowReader& reader) const;
  void send_delete_window() const;

  std::optional<ChildProcess> process_;
  // The X window that shows the client area, the viewer's own on X11 and weston's on Wayland;
  // window_id_ names it for xdotool.
  PlacedClientArea area_;
  std::string window_id_;
  window::Layout layout_ = window::layout_at(1);
};

// Starts the viewer and reads its window from the moment the window is mapped until `count`
// frames have followed each other on screen; returns their slots. Nothing is missed that stays on
// screen for a display refresh, unless the machine is loaded. X displays only.
std::vector<int> first_slots_on_screen(int count);

// A plain window of its own over the viewer's client area, as another program's window passing
// over it; taking it away leaves the viewer to repaint what it uncovers.
class CoveringWindow {
 public:
  explicit CoveringWindow(const std::string& window_id);
  ~CoveringWindow();
  CoveringWindow(const CoveringWindow&) = delete;
  CoveringWindow& operator=(const CoveringWindow&) = delete;

 private:
  struct Connection;
  Connection* connection_;
};

// Where the viewer under test is.
std::string viewer_path();

}  // namespace nuv::testing
