#include "tests/real_window/sessions.hpp"

#include <X11/Xlib.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <span>
#include <stdexcept>
#include <string_view>
#include <thread>

namespace nuv::testing {
namespace {

using namespace std::chrono_literals;

// weston's output in points, in a window of that size times the output's scale on the X display.
// weston places a new window at random inside the output, or where its pointer lies on no output,
// up to 409 points from the output's top-left corner: tall enough that the whole client area is
// on the output wherever it goes, so that it can be found there.
constexpr int kOutputWidth = 1000;
constexpr int kOutputHeight = 1000;
constexpr int kWindowsScreenWidth = 1280;
constexpr int kWindowsScreenHeight = 1200;

bool has_property(Display* display, ::Window window, Atom property) {
  int count = 0;
  Atom* properties = XListProperties(display, window, &count);
  const bool found = std::find(properties, properties + count, property) != properties + count;
  if (properties != nullptr) XFree(properties);
  return found;
}

// A cursor theme whose pointer is one transparent pixel: weston draws the pointer into its
// output, where it would hide part of the frame under it.
void write_hidden_cursor_theme(const std::filesystem::path& icons, const std::string& theme) {
  std::filesystem::create_directories(icons / theme / "cursors");
  constexpr std::uint32_t kImage = 0xfffd0002, kNominalSize = 24;
  // The Xcursor file: "Xcur", header size, version, one entry.
  const std::uint32_t header[] = {0x72756358, 16, 0x10000, 1};
  // The entry: an image of the nominal size, and where it starts.
  const std::uint32_t entry[] = {kImage, kNominalSize, sizeof header + 12};
  // The image: header size, type, nominal size, version, 1 x 1 pixels, hot spot (0, 0), no
  // delay, and its one pixel, fully transparent.
  const std::uint32_t image[] = {36, kImage, kNominalSize, 1, 1, 1, 0, 0, 0, 0};
  std::ofstream file(icons / theme / "cursors" / "left_ptr", std::ios::binary);
  using Part = std::span<const std::uint32_t>;
  for (const Part part : {Part(header), Part(entry), Part(image)})
    file.write(reinterpret_cast<const char*>(part.data()),
               static_cast<std::streamsize>(part.size_bytes()));
}

#ifdef NUV_WINDOWS_VIEWER_PATH
// Wine runs the Windows program in the run's prefix, quietly, without offering to download the
// .NET and browser engines.
void use_wine_prefix() {
  setenv("WINEPREFIX", NUV_WINE_PREFIX, 1);
  setenv("WINEDEBUG", "-all", 1);
  setenv("WINEDLLOVERRIDES", "mscoree,mshtml=", 1);
}
// Windows keeps the screen's density in its registry, in dots per inch.
void set_windows_density(const std::string& dots_per_inch) {
  const CommandResult set =
      run_command({NUV_WINE_PATH, "reg", "add", "HKCU\\Control Panel\\Desktop", "/v", "LogPixels",
                   "/t", "REG_DWORD", "/d", dots_per_inch, "/f"});
  if (set.status != 0) throw std::runtime_error("Wine cannot set the density " + dots_per_inch);
}
#else
void use_wine_prefix() {
  throw std::runtime_error("no Windows build to test: configure with NUV_WINDOWS_VIEWER");
}
void set_windows_density(const std::string&) {}
#endif

// The density the resource Xft.dpi gives X programs, as Windows programs get it; empty for none.
std::string windows_density(const std::string& resources) {
  constexpr std::string_view kName = "Xft.dpi:";
  const auto at = resources.find(kName);
  if (at == std::string::npos) return {};
  const auto value = resources.find_first_not_of(" \t", at + kName.size());
  return resources.substr(value, resources.find_first_of(" \t\n", value) - value);
}

}  // namespace

// xrdb reads a file; the resources are short, so a pipe from a shell does.
void load_resources(const std::string& resources) {
  if (run_command({"sh", "-c", "printf '%s\\n' \"$1\" | xrdb -nocpp -merge", "sh", resources})
          .status != 0)
    throw std::runtime_error("xrdb cannot load " + resources);
}

// xsettingsd reads its settings from its file again when told to by SIGHUP.
SettingsManager::SettingsManager(int dots_per_inch) : file_("nuv-xsettings") {
  set_dots_per_inch(dots_per_inch);
  daemon_.emplace(std::vector<std::string>{"xsettingsd", "-c", file_.path()}, "/dev/null");
  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  while (!owns_settings_selection()) {
    if (std::chrono::steady_clock::now() > deadline)
      throw std::runtime_error("xsettingsd took no settings selection");
    std::this_thread::sleep_for(std::chrono::milliseconds{20});
  }
}

SettingsManager::~SettingsManager() = default;

void SettingsManager::set_dots_per_inch(int dots_per_inch) {
  std::ofstream(file_.path()) << "Xft/DPI " << dots_per_inch * 1024 << "\n";
  if (daemon_) kill(daemon_->pid(), SIGHUP);
}

bool SettingsManager::owns_settings_selection() {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return false;
  const Atom selection = XInternAtom(display, "_XSETTINGS_S0", False);
  const bool owned = XGetSelectionOwner(display, selection) != None;
  XCloseDisplay(display);
  return owned;
}

Session test_session() {
  const char* chosen = std::getenv("NUV_TEST_SESSION");
  const std::string name = chosen != nullptr ? chosen : "x11";
  Session session;
  if (name == "x11-depth30" || name == "x11-depth16" || name == "x11-depth15" ||
      name == "x11-depth8")
    session.depth = std::stoi(name.substr(std::string("x11-depth").size()));
  else if (name == "x11-pseudocolor")
    session.depth = 8, session.colour_map = true;
  else if (name == "x11-wm")
    session.window_manager = "openbox";
  else if (name == "windows")
    session.window_manager = "openbox", session.windows_program = true;
  else if (name == "x11-fluxbox" || name == "x11-icewm")
    session.window_manager = name.substr(4);
  else if (name == "wayland" || name == "wayland-scale2" || name == "wayland-scale3")
    session.wayland = true, session.scale = name == "wayland" ? 1 : name.back() - '0';
  else if (name != "x11")
    throw std::runtime_error("NUV_TEST_SESSION: no session named " + name);
  return session;
}

const char* const kWestonSocket = "nuv-test";

window::Size weston_output() {
  const int scale = test_session().scale;
  return {kOutputWidth * scale, kOutputHeight * scale};
}

#ifdef NUV_WINDOWS_VIEWER_PATH
std::vector<std::string> program_command() {
  if (test_session().windows_program) return {NUV_WINE_PATH, NUV_WINDOWS_VIEWER_PATH};
  return {NUV_VIEWER_PATH};
}
void end_wine_programs() {
  if (test_session().windows_program) run_command({NUV_WINESERVER_PATH, "--kill"});
}
#else
std::vector<std::string> program_command() {
  return {NUV_VIEWER_PATH};
}
void end_wine_programs() {}
#endif

// weston with its X11 backend in a window on the X display, listening on a socket of its own
// in a runtime directory of its own.
class WestonCompositor {
 public:
  explicit WestonCompositor(int scale) {
    std::string directory = "/tmp/nuv-weston-XXXXXX";
    if (mkdtemp(directory.data()) == nullptr) throw std::runtime_error("cannot make a directory");
    runtime_dir_ = directory;
    write_hidden_cursor_theme(runtime_dir_ + "/icons", "hidden");
    // Windows appear and go at once, not zooming in over a few hundred milliseconds, during
    // which no frame would be recognised.
    std::ofstream(runtime_dir_ + "/weston.ini")
        << "[shell]\nanimation=none\nclose-animation=none\nstartup-animation=none\n"
           "focus-animation=none\n";
    environment_.set("XDG_RUNTIME_DIR", runtime_dir_);
    environment_.set("XCURSOR_PATH", runtime_dir_ + "/icons");
    environment_.set("XCURSOR_THEME", "hidden");
    process_.emplace(
        std::vector<std::string>{
            "weston", "--backend=x11-backend.so", "--use-pixman", "--idle-time=0",
            "--config=" + runtime_dir_ + "/weston.ini", std::string("--socket=") + kWestonSocket,
            "--width=" + std::to_string(kOutputWidth), "--height=" + std::to_string(kOutputHeight),
            "--scale=" + std::to_string(scale), "--log=" + runtime_dir_ + "/weston.log"},
        runtime_dir_ + "/weston.err");
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (!std::filesystem::exists(runtime_dir_ + "/" + kWestonSocket)) {
      if (!process_->running() || std::chrono::steady_clock::now() > deadline)
        throw std::runtime_error("weston did not start; see " + runtime_dir_ + "/weston.log");
      std::this_thread::sleep_for(20ms);
    }
    environment_.set("WAYLAND_DISPLAY", kWestonSocket);
  }

  void kill() {
    ::kill(process_->pid(), SIGKILL);
    process_->wait_for(kPatience);
  }

  ~WestonCompositor() {
    process_.reset();
    std::filesystem::remove_all(runtime_dir_);
  }

  WestonCompositor(const WestonCompositor&) = delete;
  WestonCompositor& operator=(const WestonCompositor&) = delete;

 private:
  std::string runtime_dir_;
  EnvironmentOverride environment_;
  std::optional<ChildProcess> process_;
};

XvfbDisplay::XvfbDisplay(int width, int height, const std::string& resources) {
  int pipe_fds[2];
  if (pipe(pipe_fds) != 0) throw std::runtime_error("cannot make a pipe");
  fcntl(pipe_fds[0], F_SETFD, FD_CLOEXEC);
  const Session session = test_session();
  if (session.wayland) {  // room for weston's whole output, and a corner off it for the pointer
    width = std::max(width, kOutputWidth * session.scale + 1);
    height = std::max(height, kOutputHeight * session.scale + 1);
  }
  // Wine keeps the screen's size from one display to the next in its prefix, and a program may
  // read it before Wine has seen the new display: every screen of the Windows session is as large
  // as the largest any of its tests asks for.
  if (session.windows_program) {
    width = std::max(width, kWindowsScreenWidth);
    height = std::max(height, kWindowsScreenHeight);
  }
  // Without -noreset the server would reset as its last client leaves, which puts the pointer
  // back in the middle of the screen the moment xdotool below exits.
  std::vector<std::string> argv{
      "Xvfb",
      "-displayfd",
      std::to_string(pipe_fds[1]),
      "-noreset",
      "-screen",
      "0",
      std::to_string(width) + "x" + std::to_string(height) + "x" + std::to_string(session.depth),
      "-nolisten",
      "tcp"};
  // Xvfb's 8-bit screens map colours through a colour map by default; class 4 is true colour.
  if (session.depth == 8 && !session.colour_map) argv.insert(argv.end(), {"-cc", "4"});
  server_.emplace(argv);
  close(pipe_fds[1]);
  const std::string display = read_all(pipe_fds[0]);
  close(pipe_fds[0]);
  if (display.empty()) throw std::runtime_error("Xvfb did not start");
  setenv("DISPLAY", (":" + display.substr(0, display.find('\n'))).c_str(), 1);
  // The window opens in the middle of the screen; a pointer resting there would set the speed.
  // Off weston's window too, so that the pointer's first move into it places weston's pointer.
  run_command({"xdotool", "mousemove", std::to_string(width - 1), std::to_string(height - 1)});
  if (!resources.empty()) load_resources(resources);
  // The viewer under test opens on this display alone, whatever session the tests run in.
  unsetenv("WAYLAND_DISPLAY");
  unsetenv("NUV_WINDOW_SYSTEM");
  // Run-time errors go to standard error, where the tests read them, and to no message box.
  setenv("NUV_ERROR_DIALOG", "0", 1);
  if (session.wayland) compositor_ = std::make_unique<WestonCompositor>(session.scale);
  if (session.windows_program) {
    use_wine_prefix();
    // A Wine server left by a program run without this display (an export, say) would give the
    // viewer a desktop without it: the program starts in a server of its own.
    end_wine_programs();
    windows_density_ = windows_density(resources);
    if (!windows_density_.empty()) set_windows_density(windows_density_);
  }
  if (!session.window_manager.empty()) start_window_manager(session.window_manager);
}

// A window manager with its default configuration, once it has taken charge of the screen: once
// it frames a window mapped for it and says on the root window that it runs. A window mapped
// while it is still starting may be left unmanaged, so the probe is mapped again until it is
// framed.
void XvfbDisplay::start_window_manager(const std::string& program) {
  std::string home = "/tmp/nuv-window-manager-XXXXXX";
  if (mkdtemp(home.data()) == nullptr) throw std::runtime_error("cannot make a directory");
  window_manager_home_ = home;
  // fluxbox would put a message over the screen that it cannot set a wallpaper.
  std::filesystem::create_directories(home + "/.fluxbox");
  std::ofstream(home + "/.fluxbox/overlay") << "background: none\n";
  window_manager_.emplace(std::vector<std::string>{"env", "HOME=" + home, program}, "/dev/null");
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) throw std::runtime_error("cannot open the display");
  const ::Window root = DefaultRootWindow(display);
  const ::Window probe = XCreateSimpleWindow(display, root, 0, 0, 10, 10, 0, 0, 0);
  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  bool framed = false;
  while (!framed && window_manager_->running() && std::chrono::steady_clock::now() < deadline) {
    XUnmapWindow(display, probe);
    XMapWindow(display, probe);
    XSync(display, False);
    for (int look = 0; look < 50 && !framed; ++look) {
      std::this_thread::sleep_for(10ms);
      ::Window probe_root = 0, parent = 0, *children = nullptr;
      unsigned count = 0;
      if (XQueryTree(display, probe, &probe_root, &parent, &children, &count) && parent != root)
        framed = true;
      if (children != nullptr) XFree(children);
    }
  }
  const Atom manager = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
  while (framed && !has_property(display, root, manager) &&
         std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(10ms);
  XDestroyWindow(display, probe);
  XCloseDisplay(display);
  if (!framed) throw std::runtime_error(program + " did not start");
}

XvfbDisplay::~XvfbDisplay() {
  end_wine_programs();
  if (!windows_density_.empty()) {  // back to Windows' own, for the tests after this one
    set_windows_density("96");
    end_wine_programs();
  }
  window_manager_.reset();
  if (!window_manager_home_.empty()) std::filesystem::remove_all(window_manager_home_);
  unsetenv("DISPLAY");
}

void XvfbDisplay::kill_server() {
  if (compositor_) {
    compositor_->kill();
    return;
  }
  kill(server_->pid(), SIGTERM);
  server_->wait_for(kPatience);
}

std::string XvfbDisplay::lost_display_message() {
  if (test_session().wayland)
    return std::string("nuv: run-time error: lost the connection to the Wayland compositor ") +
           kWestonSocket;
  return std::string("nuv: run-time error: lost the connection to the display ") +
         std::getenv("DISPLAY");
}

}  // namespace nuv::testing
