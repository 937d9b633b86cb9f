#pragma once
// Test support for the sessions the real window is tested in: a private Xvfb display of a depth,
// with or without a window manager, weston running on it for Wayland, and the Windows program
// under Wine.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/real_window/process.hpp"
#include "window/layout.hpp"

namespace nuv::testing {

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

// The program under test and its first arguments: the viewer, or the Windows build under Wine.
std::vector<std::string> program_command();
// Ends the Wine programs of the Windows session, which outlive their display otherwise.
void end_wine_programs();

// weston's output, in pixels of the X display, and the socket it listens on.
window::Size weston_output();
extern const char* const kWestonSocket;

// Loads X resources such as "Xft.dpi: 192" with xrdb, as a desktop does when its settings change.
void load_resources(const std::string& resources);

// An XSETTINGS manager (xsettingsd) that publishes the density Xft/DPI, and changes it.
class SettingsManager {
 public:
  explicit SettingsManager(int dots_per_inch);
  ~SettingsManager();
  SettingsManager(const SettingsManager&) = delete;
  SettingsManager& operator=(const SettingsManager&) = delete;
  void set_dots_per_inch(int dots_per_inch);

 private:
  static bool owns_settings_selection();
  TempFile file_;
  std::optional<ChildProcess> daemon_;
};

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

}  // namespace nuv::testing
