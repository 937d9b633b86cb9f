#pragma once
// Test support for the real window: a private Xvfb display, the viewer running on it, and the
// command-line X tools (xdotool, import, xprop) that drive and inspect it.

#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "frames/picture.hpp"
#include "window/layout.hpp"

namespace nuv::testing {

using namespace std::chrono_literals;

// How long a test waits for what it expects: far longer than anything takes on a loaded
// machine, so that only a failing test ever waits this long.
inline constexpr std::chrono::seconds kPatience{20};

// A file of its own for one test, made with mkstemp and removed when the object goes, so that
// concurrent runs never share one.
class TempFile {
 public:
  explicit TempFile(const std::string& stem);
  ~TempFile();
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  const std::string& path() const { return path_; }
  std::string contents() const;

 private:
  std::string path_;
};

struct CommandResult {
  int status = -1;
  std::string output;
};

// Runs a program to completion and collects its standard output.
CommandResult run_command(const std::vector<std::string>& argv);

// Runs xdotool with these arguments; throws if it fails.
void xdotool(const std::vector<std::string>& arguments);

// The display's root window, named for xdotool.
std::string root_window_id();

// A child process, killed when the object goes unless it has been waited for.
class ChildProcess {
 public:
  // Standard error goes to the file `error_path` when one is given.
  explicit ChildProcess(const std::vector<std::string>& argv, const std::string& error_path = {});
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // The exit status, or nothing if the process is still running after `timeout`.
  std::optional<int> wait_for(std::chrono::milliseconds timeout);
  bool running();
  int pid() const { return pid_; }

 private:
  int pid_ = -1;
  std::optional<int> status_;
};

// A screenshot of the viewer's client area, 8-bit RGB, row 0 at the top.
struct Screenshot {
  int width = 0, height = 0;
  std::vector<std::uint8_t> rgb;
  // How far a channel may lie from the colour drawn: none where the display holds 8 bits or
  // more a channel, one step of the coarsest channel where it holds fewer.
  int tolerance = 0;
  frames::Rgb at(int x, int y) const;
  // Whether the pixel shows this colour, as closely as the display can.
  bool shows(int x, int y, frames::Rgb colour) const;
};

// Which of the eighteen frames drawn at the layout's zoom fills Picture1's inner area in a
// screenshot, by exact comparison (within the display's precision); -1 for none.
int slot_in(const Screenshot& shot, const window::Layout& layout);

// An X window that shows the viewer's client area, and where the area lies in it.
struct PlacedClientArea {
  unsigned long window = 0;
  int left = 0, top = 0;
};

// A connection of its own to the X server that reads a window's pixels in a few milliseconds,
// where spawning import takes tens of them.
class WindowReader {
 public:
  WindowReader();
  ~WindowReader();
  WindowReader(const WindowReader&) = delete;
  WindowReader& operator=(const WindowReader&) = delete;

  // The top-level window that carries the caption (the viewer's unless told), or nothing while
  // there is none.
  std::optional<unsigned long> find_viewer(std::string_view caption = window::kCaption) const;
  // The window's client area at a layout's size, or nothing when the window is gone or not yet
  // its full size.
  std::optional<Screenshot> grab(unsigned long window, const window::Layout& layout) const;
  std::optional<Screenshot> grab(const PlacedClientArea& area, const window::Layout& layout) const;
  // Where the viewer's client area lies on weston's output, found by Picture1's sunken border;
  // nothing while it is not shown there.
  std::optional<PlacedClientArea> find_on_weston(unsigned long weston_window) const;

  // Any rectangle of the window, or nothing when it cannot be read.
  std::optional<Screenshot> grab_rectangle(unsigned long window, int left, int top, int width,
                                           int height) const;

 private:
  struct Connection;
  std::unique_ptr<Connection> connection_;
};

// The slot on screen at one moment.
struct SlotSample {
  std::chrono::steady_clock::time_point at;
  int slot = -1;
};

// The session the real-window tests run in, named by NUV_TEST_SESSION so that one suite runs in
// each: "x11" (24 bits a pixel, the default), "x11-depth30", "x11-depth16", "x11-depth15",
// "x11-depth8" (true colour), "x11-pseudocolor" (8 bits through a colour map), "x11-wm" (under a
// window manager, openbox, as on a desktop), "x11-fluxbox" and "x11-icewm" (under those),
// "wayland", or "wayland-scale2" and "wayland-scale3" (weston's output at that scale).
struct Session {
  int depth = 24;
  bool wayland = false;
  int scale = 1;                 // weston's output scale
  std::string window_manager;    // its program, or empty for none
  bool colour_map = false;       // 8-bit PseudoColor rather than true colour
  bool windows_program = false;  // the Windows build's nuv.exe under Wine
};
Session test_session();

class WestonCompositor;

// An Xvfb server on a free display; DISPLAY points at it for as long as it lives. In a Wayland
// session a weston compositor runs in a window on it, and WAYLAND_DISPLAY points at weston; in
// a session with a window manager, openbox manages its windows.
class XvfbDisplay {
 public:
  // The screen's size in pixels, and X resources such as "Xft.dpi: 192" loaded with xrdb.
  explicit XvfbDisplay(int width = 1024, int height = 768, const std::string& resources = {});
  ~XvfbDisplay();
  // Ends the server the viewer shows its window on at once, as when a display goes away under its
  // clients: the X server, or on Wayland the compositor.
  void kill_server();
  // The message a viewer ends with when that happens.
  static std::string lost_display_message();

 private:
  void start_window_manager(const std::string& program);

  std::optional<ChildProcess> server_;
  std::optional<ChildProcess> window_manager_;
  std::string window_manager_home_;  // a home of its own, for the files it keeps there
  std::unique_ptr<WestonCompositor> compositor_;
  std::string windows_density_;  // set for the Windows program while the display lives
};

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

// The eighteen frames as the viewer carries them at `zoom`.
const std::array<frames::Picture, frames::kFrameCount>& stored_frames(int zoom = 1);

}  // namespace nuv::testing
