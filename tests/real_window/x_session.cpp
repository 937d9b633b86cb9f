#include "tests/real_window/x_session.hpp"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <span>
#include <stdexcept>
#include <string_view>
#include <thread>
#include <utility>

#include "frames/picture_record.hpp"
#include "frames/stored_frames.hpp"
#include "window/layout.hpp"

extern char** environ;

namespace nuv::testing {
namespace {

using namespace std::chrono_literals;

std::vector<char*> c_arguments(const std::vector<std::string>& argv) {
  std::vector<char*> arguments;
  for (const std::string& argument : argv) arguments.push_back(const_cast<char*>(argument.c_str()));
  arguments.push_back(nullptr);
  return arguments;
}

// Spawns argv with its standard output on `output_fd` (or inherited when -1) and its standard
// error written to the file `error_path` (or inherited when empty).
int spawn(const std::vector<std::string>& argv, int output_fd, const std::string& error_path = {}) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (output_fd >= 0) posix_spawn_file_actions_adddup2(&actions, output_fd, STDOUT_FILENO);
  if (!error_path.empty())
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, error_path.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid = -1;
  const int error =
      posix_spawnp(&pid, argv[0].c_str(), &actions, nullptr, c_arguments(argv).data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) throw std::runtime_error("cannot start " + argv[0]);
  return pid;
}

std::string read_all(int fd) {
  std::string text;
  char buffer[65536];
  for (ssize_t got; (got = read(fd, buffer, sizeof buffer)) > 0;) text.append(buffer, got);
  return text;
}

int exit_status(int wait_status) {
  return WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : 128 + WTERMSIG(wait_status);
}

// While it lives, a failed request about a window that went away is left to the caller, which
// sees it in the request's result, rather than ending the process in Xlib's handler.
class XErrorsIgnored {
 public:
  explicit XErrorsIgnored(Display* display)
      : display_(display), previous_(XSetErrorHandler([](Display*, XErrorEvent*) { return 0; })) {}
  ~XErrorsIgnored() {
    XSync(display_, False);
    XSetErrorHandler(previous_);
  }
  XErrorsIgnored(const XErrorsIgnored&) = delete;
  XErrorsIgnored& operator=(const XErrorsIgnored&) = delete;

 private:
  Display* display_;
  XErrorHandler previous_;
};

struct ImageDestroyer {
  void operator()(XImage* image) const { XDestroyImage(image); }
};

// A channel of any depth as 8 bits, rounded to the nearest.
std::uint8_t channel(unsigned long pixel, unsigned long mask) {
  const unsigned long largest = mask >> std::countr_zero(mask);
  const unsigned long value = (pixel & mask) >> std::countr_zero(mask);
  return static_cast<std::uint8_t>((2 * value * 255 + largest) / (2 * largest));
}

// The colours of the default colour map, for a display that maps colours.
std::vector<XColor> colour_map_of(Display* display) {
  const int screen = DefaultScreen(display);
  std::vector<XColor> colours(static_cast<std::size_t>(1) << DefaultDepth(display, screen));
  for (std::size_t i = 0; i < colours.size(); ++i) colours[i].pixel = i;
  XQueryColors(display, DefaultColormap(display, screen), colours.data(),
               static_cast<int>(colours.size()));
  return colours;
}

int tolerance_of(const XImage& image) {
  const int bits = std::min({std::popcount(image.red_mask), std::popcount(image.green_mask),
                             std::popcount(image.blue_mask)});
  return bits >= 8 ? 0 : 255 / ((1 << bits) - 1);
}

// weston's output in points, in a window of that size times the output's scale on the X display.
// weston places a new window at random inside the output, or where its pointer lies on no output,
// up to 409 points from the output's top-left corner: tall enough that the whole client area is
// on the output wherever it goes, so that it can be found there.
constexpr int kOutputWidth = 1000;
constexpr int kOutputHeight = 1000;
constexpr const char* kWestonSocket = "nuv-test";
constexpr int kWindowsScreenWidth = 1280;
constexpr int kWindowsScreenHeight = 1200;

// Where the client area's top-left corner lies on weston's output: where Picture1's sunken
// border begins, its outer ring dark along the whole top and the whole visible left edge.
std::optional<std::pair<int, int>> find_client_area(const Screenshot& output,
                                                    const window::Layout& layout) {
  const frames::Rgb dark = window::kShadowColour;
  const int right = layout.outer.width - layout.zoom;  // where the light ring begins
  for (int top = 0; top + layout.client_height <= output.height; ++top)
    for (int left = 0; left + layout.client_width <= output.width; ++left) {
      bool border = output.at(left + right, top) == window::kHighlightColour;
      for (int x = 0; x < right && border; ++x) border = output.at(left + x, top) == dark;
      for (int y = 0; y < layout.client_height && border; ++y)
        border = output.at(left, top + y) == dark;
      if (border) return std::pair{left, top};
    }
  return std::nullopt;
}

// The first X window that matches, once it is mapped: `property` is --name or --class.
// xdotool gives up on an error about a window that went away as it looked, which a window manager's
// own windows do; it is asked again.
std::string find_window(const std::string& property, const std::string& pattern,
                        std::chrono::seconds patience = kPatience) {
  const auto deadline = std::chrono::steady_clock::now() + patience;
  for (;;) {
    const CommandResult found = run_command(
        {"timeout", "20", "xdotool", "search", "--sync", "--onlyvisible", property, pattern});
    if (found.status == 0) return found.output.substr(0, found.output.find('\n'));
    if (std::chrono::steady_clock::now() > deadline)
      throw std::runtime_error("no window matching " + pattern + " appeared");
    std::this_thread::sleep_for(50ms);
  }
}

// Environment variables set for as long as the object lives, then put back as they were.
class EnvironmentOverride {
 public:
  EnvironmentOverride() = default;
  EnvironmentOverride(const EnvironmentOverride&) = delete;
  EnvironmentOverride& operator=(const EnvironmentOverride&) = delete;
  ~EnvironmentOverride() {
    for (const auto& [name, value] : saved_)
      value ? setenv(name.c_str(), value->c_str(), 1) : unsetenv(name.c_str());
  }

  void set(const std::string& name, const std::string& value) {
    const char* before = std::getenv(name.c_str());
    saved_.emplace_back(name, before ? std::optional<std::string>(before) : std::nullopt);
    setenv(name.c_str(), value.c_str(), 1);
  }

 private:
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

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

// The caption as an xdotool search pattern: the whole name, its special characters escaped.
std::string caption_pattern() {
  std::string pattern = "^";
  for (const char c : window::kCaption) {
    if (std::string_view(".+*?^$()[]{}|\\").find(c) != std::string_view::npos) pattern += '\\';
    pattern += c;
  }
  return pattern + "$";
}

#ifdef NUV_WINDOWS_VIEWER_PATH
// Wine runs the Windows program in the run's prefix, quietly, without offering to download the
// .NET and browser engines.
void use_wine_prefix() {
  setenv("WINEPREFIX", NUV_WINE_PREFIX, 1);
  setenv("WINEDEBUG", "-all", 1);
  setenv("WINEDLLOVERRIDES", "mscoree,mshtml=", 1);
}
std::vector<std::string> program_command() {
  if (test_session().windows_program) return {NUV_WINE_PATH, NUV_WINDOWS_VIEWER_PATH};
  return {NUV_VIEWER_PATH};
}
// Wine's programs outlive the display they ran on unless their server is ended with them.
void end_wine_programs() {
  if (test_session().windows_program) run_command({NUV_WINESERVER_PATH, "--kill"});
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
std::vector<std::string> program_command() {
  return {NUV_VIEWER_PATH};
}
void end_wine_programs() {}
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

std::vector<std::string> viewer_command(const std::vector<std::string>& arguments) {
  std::vector<std::string> argv = program_command();
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  return argv;
}

int window_width(unsigned long window) {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) throw std::runtime_error("cannot open the display");
  XWindowAttributes attributes{};
  const Status got = XGetWindowAttributes(display, window, &attributes);
  XCloseDisplay(display);
  if (got == 0) throw std::runtime_error("cannot read the size of the viewer's window");
  return attributes.width;
}

// xrdb reads a file; the resources are short, so a pipe from a shell does.
void load_resources(const std::string& resources) {
  if (run_command({"sh", "-c", "printf '%s\\n' \"$1\" | xrdb -nocpp -merge", "sh", resources})
          .status != 0)
    throw std::runtime_error("xrdb cannot load " + resources);
}

}  // namespace

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

struct WindowReader::Connection {
  Display* display = XOpenDisplay(nullptr);
  ~Connection() {
    if (display != nullptr) XCloseDisplay(display);
  }
};

WindowReader::WindowReader() : connection_(std::make_unique<Connection>()) {
  if (connection_->display == nullptr) throw std::runtime_error("cannot open the display");
}

WindowReader::~WindowReader() = default;

// Only a shown window counts: the viewer makes a hidden one first, and at a zoom above 1 makes
// it anew. A window that goes away meanwhile is passed over.
std::optional<unsigned long> WindowReader::find_viewer(std::string_view caption) const {
  Display* display = connection_->display;
  const XErrorsIgnored errors_ignored(display);
  ::Window root = 0, parent = 0, *children = nullptr;
  unsigned count = 0;
  XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count);
  std::optional<unsigned long> found;
  for (unsigned i = 0; i < count && !found; ++i) {
    XWindowAttributes attributes;
    char* name = nullptr;
    if (XGetWindowAttributes(display, children[i], &attributes) &&
        attributes.map_state == IsViewable && XFetchName(display, children[i], &name) &&
        name != nullptr) {
      if (caption == name) found = children[i];
      XFree(name);
    }
  }
  if (children != nullptr) XFree(children);
  return found;
}

std::optional<Screenshot> WindowReader::grab(unsigned long window,
                                             const window::Layout& layout) const {
  return grab(PlacedClientArea{window, 0, 0}, layout);
}

std::optional<Screenshot> WindowReader::grab(const PlacedClientArea& area,
                                             const window::Layout& layout) const {
  return grab_rectangle(area.window, area.left, area.top, layout.client_width,
                        layout.client_height);
}

std::optional<PlacedClientArea> WindowReader::find_on_weston(unsigned long weston_window) const {
  const int scale = test_session().scale;
  const auto output =
      grab_rectangle(weston_window, 0, 0, kOutputWidth * scale, kOutputHeight * scale);
  const auto corner = output ? find_client_area(*output, window::layout_at(scale)) : std::nullopt;
  if (!corner) return std::nullopt;
  return PlacedClientArea{weston_window, corner->first, corner->second};
}

std::optional<Screenshot> WindowReader::grab_rectangle(unsigned long window, int left, int top,
                                                       int width, int height) const {
  Display* display = connection_->display;
  // A window that has gone away is reported as a failed grab.
  std::unique_ptr<XImage, ImageDestroyer> image;
  {
    const XErrorsIgnored errors_ignored(display);
    image.reset(XGetImage(display, window, left, top, static_cast<unsigned>(width),
                          static_cast<unsigned>(height), AllPlanes, ZPixmap));
  }
  if (!image) return std::nullopt;
  const bool mapped = image->red_mask == 0;
  const std::vector<XColor> colour_map = mapped ? colour_map_of(display) : std::vector<XColor>{};
  Screenshot shot{width, height, {}, mapped ? 0 : tolerance_of(*image)};
  shot.rgb.resize(static_cast<std::size_t>(shot.width) * shot.height * 3);
  auto out = shot.rgb.begin();
  // The usual 24-bit true colour, read straight from the image: a grab at zoom 3 is 1.5 million
  // pixels, and a test that samples the picture on a loaded machine needs them fast.
  if (image->bits_per_pixel == 32 && image->byte_order == LSBFirst && image->red_mask == 0xFF0000 &&
      image->green_mask == 0xFF00 && image->blue_mask == 0xFF) {
    for (int y = 0; y < shot.height; ++y) {
      const auto* row = reinterpret_cast<const std::uint8_t*>(image->data) +
                        static_cast<std::ptrdiff_t>(y) * image->bytes_per_line;
      for (int x = 0; x < shot.width; ++x, row += 4) {
        *out++ = row[2];
        *out++ = row[1];
        *out++ = row[0];
      }
    }
    return shot;
  }
  for (int y = 0; y < shot.height; ++y)
    for (int x = 0; x < shot.width; ++x) {
      const unsigned long pixel = XGetPixel(image.get(), x, y);
      if (mapped) {
        const XColor& colour = colour_map[pixel % colour_map.size()];
        *out++ = static_cast<std::uint8_t>(colour.red >> 8);
        *out++ = static_cast<std::uint8_t>(colour.green >> 8);
        *out++ = static_cast<std::uint8_t>(colour.blue >> 8);
        continue;
      }
      *out++ = channel(pixel, image->red_mask);
      *out++ = channel(pixel, image->green_mask);
      *out++ = channel(pixel, image->blue_mask);
    }
  return shot;
}

TempFile::TempFile(const std::string& stem)
    : path_((std::filesystem::temp_directory_path() / (stem + "-XXXXXX")).string()) {
  const int fd = mkstemp(path_.data());
  if (fd < 0) throw std::runtime_error("cannot make a file like " + path_);
  close(fd);
}

TempFile::~TempFile() {
  std::remove(path_.c_str());
}

std::string TempFile::contents() const {
  std::ifstream file(path_);
  return {std::istreambuf_iterator<char>(file), {}};
}

CommandResult run_command(const std::vector<std::string>& argv) {
  int pipe_fds[2];
  if (pipe2(pipe_fds, O_CLOEXEC) != 0) throw std::runtime_error("cannot make a pipe");
  const int pid = spawn(argv, pipe_fds[1]);
  close(pipe_fds[1]);
  CommandResult result;
  result.output = read_all(pipe_fds[0]);
  close(pipe_fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  result.status = exit_status(status);
  return result;
}

void xdotool(const std::vector<std::string>& arguments) {
  std::vector<std::string> argv{"xdotool"};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  if (run_command(argv).status != 0) throw std::runtime_error("xdotool failed");
}

std::string root_window_id() {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) throw std::runtime_error("cannot open the display");
  const unsigned long root = DefaultRootWindow(display);
  XCloseDisplay(display);
  return std::to_string(root);
}

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const std::string& error_path)
    : pid_(spawn(argv, -1, error_path)) {}

ChildProcess::~ChildProcess() {
  if (status_) return;
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
}

std::optional<int> ChildProcess::wait_for(std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!status_) {
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      status_ = exit_status(status);
    } else if (std::chrono::steady_clock::now() >= deadline) {
      break;
    } else {
      std::this_thread::sleep_for(10ms);
    }
  }
  return status_;
}

bool ChildProcess::running() {
  return !wait_for(0ms).has_value();
}

frames::Rgb Screenshot::at(int x, int y) const {
  const std::size_t i = (static_cast<std::size_t>(y) * width + x) * 3;
  return {rgb[i], rgb[i + 1], rgb[i + 2]};
}

bool Screenshot::shows(int x, int y, frames::Rgb colour) const {
  const frames::Rgb shown = at(x, y);
  const auto near = [this](int a, int b) { return std::abs(a - b) <= tolerance; };
  return near(shown.r, colour.r) && near(shown.g, colour.g) && near(shown.b, colour.b);
}

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
// it frames a window mapped for it. A window mapped while it is still starting may be left
// unmanaged, so the probe is mapped again until it is framed.
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

unsigned long weston_window() {
  return std::stoul(find_window("--class", "^Weston Compositor$"));
}

// On Wayland the viewer's window is a surface inside weston's, placed where weston chooses, and
// keys reach it through weston's window; it is read at the zoom of the output's scale, at which
// it should open.
Viewer::Viewer(const std::string& error_path, const std::vector<std::string>& arguments) {
  process_.emplace(viewer_command(arguments), error_path);
  if (test_session().wayland) {
    area_ = find_on_weston();
    layout_ = window::layout_at(test_session().scale);
  } else {
    area_.window = std::stoul(find_viewer_window(error_path, arguments));
    layout_ = window::layout_at(window_width(area_.window) / window::kClientWidth);
  }
  window_id_ = std::to_string(area_.window);
}

// A Wine server started cold on a loaded machine now and then fails to bring up its desktop
// process in time, and then every window a program asks for fails ("cannot make the window",
// Windows error 1400). The Windows program is then started again in a new server.
std::string Viewer::find_viewer_window(const std::string& error_path,
                                       const std::vector<std::string>& arguments) {
  if (!test_session().windows_program) return find_window("--name", caption_pattern());
  constexpr int kStarts = 3;
  for (int start = 1;; ++start) {
    try {
      return find_window("--name", caption_pattern(), kPatience / 2);
    } catch (const std::runtime_error&) {
      if (start == kStarts) throw;
    }
    process_.reset();
    end_wine_programs();
    process_.emplace(viewer_command(arguments), error_path);
  }
}

PlacedClientArea Viewer::find_on_weston() {
  const unsigned long weston = weston_window();
  xdotool({"windowfocus", "--sync", std::to_string(weston)});
  const WindowReader reader;
  const auto deadline = std::chrono::steady_clock::now() + 20s;
  while (std::chrono::steady_clock::now() < deadline) {
    if (const auto area = reader.find_on_weston(weston)) return *area;
    std::this_thread::sleep_for(50ms);
  }
  throw std::runtime_error("the viewer's window did not appear on weston's output; " +
                           weston_findings(weston));
}

// What is known when the viewer's window is not seen on weston's output: whether the viewer
// still runs, the end of weston's log and a picture of the output, kept for a reader.
std::string Viewer::weston_findings(unsigned long weston) {
  std::string findings = process_->running() ? "the viewer runs" : "the viewer has ended";
  std::string picture = "/tmp/nuv-weston-output-XXXXXX.png";
  const int fd = mkstemps(picture.data(), 4);
  if (fd >= 0) {
    ::close(fd);
    if (run_command({"import", "-window", std::to_string(weston), picture}).status == 0)
      findings += "; weston's output is in " + picture;
  }
  std::ifstream log(std::string(std::getenv("XDG_RUNTIME_DIR")) + "/weston.log");
  std::deque<std::string> last_lines;
  for (std::string line; std::getline(log, line);) {
    last_lines.push_back(line);
    if (last_lines.size() > 8) last_lines.pop_front();
  }
  findings += "; the end of weston's log:";
  for (const std::string& line : last_lines) findings += "\n  " + line;
  return findings;
}

Screenshot Viewer::capture() const {
  const std::optional<Screenshot> shot = WindowReader().grab(area_, layout_);
  if (!shot) throw std::runtime_error("cannot capture the viewer's window");
  return *shot;
}

namespace {

// Which frame's rows from `first_row` on the shot shows, the first of them at `top` and the
// inner area's first column at `left`; -1 for none.
int slot_in_rows(const Screenshot& shot, int left, int top, int first_row, int rows,
                 const window::Layout& layout) {
  const auto& frames = stored_frames(layout.zoom);
  for (int slot = 0; slot < frames::kFrameCount; ++slot) {
    bool same = true;
    for (int y = 0; y < rows && same; ++y)
      for (int x = 0; x < layout.inner.width && same; ++x)
        same = shot.shows(left + x, top + y, frames[slot].colour_at(x, first_row + y));
    if (same) return slot;
  }
  return -1;
}

}  // namespace

int slot_in(const Screenshot& shot, const window::Layout& layout) {
  return slot_in_rows(shot, layout.inner.x, layout.inner.y, 0, frames::kFrameHeight * layout.zoom,
                      layout);
}

int Viewer::shown_slot() const {
  return slot_in(capture(), layout_);
}

// Grabbing in-process rather than through import sees a change within milliseconds, which
// leaves nearly all of a start-up frame's second for sending input before the next pump pass.
int Viewer::wait_for_slot_change(int slot, std::chrono::milliseconds timeout) const {
  return wait_for_change(slot, timeout).slot;
}

SlotSample Viewer::wait_for_change(int slot, std::chrono::milliseconds timeout) const {
  const WindowReader reader;
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  SlotSample shown{std::chrono::steady_clock::now(), slot_read_by(reader)};
  while (shown.slot == slot && shown.at < deadline) {
    std::this_thread::sleep_for(10ms);
    shown = {std::chrono::steady_clock::now(), slot_read_by(reader)};
  }
  return shown;
}

std::vector<SlotSample> Viewer::sample_slots(std::chrono::milliseconds span) const {
  const WindowReader reader;
  std::vector<SlotSample> samples;
  const auto end = std::chrono::steady_clock::now() + span;
  for (auto now = std::chrono::steady_clock::now(); now < end;
       now = std::chrono::steady_clock::now())
    samples.push_back({now, slot_sampled_by(reader)});
  return samples;
}

// Ten grabs at the least, so that a stall of the test itself is not taken for a still picture.
int Viewer::wait_until_still(std::chrono::milliseconds quiet,
                             std::chrono::milliseconds timeout) const {
  constexpr int kFewestGrabs = 10;
  const WindowReader reader;
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  SlotSample since{std::chrono::steady_clock::now(), slot_read_by(reader)};
  int grabs = 1;
  while (std::chrono::steady_clock::now() < deadline) {
    const SlotSample sample{std::chrono::steady_clock::now(), slot_read_by(reader)};
    if (sample.slot != since.slot || sample.slot < 0) {
      since = sample;
      grabs = 1;
    } else if (++grabs >= kFewestGrabs && sample.at - since.at >= quiet) {
      return sample.slot;
    }
  }
  return -1;
}

// A window that cannot be read, gone or smaller than its client area, shows no frame.
int Viewer::slot_read_by(const WindowReader& reader) const {
  const std::optional<Screenshot> shot = reader.grab(area_, layout_);
  return shot ? slot_in(*shot, layout_) : -1;
}

// The rows of the inner area that the crank pin's circle crosses in some frame: its centre turns
// on a circle round the main axis, so every frame shows the pin elsewhere in them.
int Viewer::slot_sampled_by(const WindowReader& reader) const {
  constexpr int kFirstRow = 200, kEndRow = 420;  // at zoom 1: 308 -/+ (65.5 + 34), and a margin
  const int zoom = layout_.zoom;
  const window::Rect& inner = layout_.inner;
  const std::optional<Screenshot> band = reader.grab_rectangle(
      area_.window, area_.left + inner.x, area_.top + inner.y + kFirstRow * zoom, inner.width,
      (kEndRow - kFirstRow) * zoom);
  return band ? slot_in_rows(*band, 0, 0, kFirstRow * zoom, band->height, layout_) : -1;
}

std::vector<std::string> Viewer::pointer_to(int x, int y) const {
  return {"mousemove",
          "--window",
          window_id_,
          "--",
          std::to_string(area_.left + x),
          std::to_string(area_.top + y)};
}

// On Wayland the close button of the title bar that libdecor draws above the client area: 24
// pixels high, its buttons 32 pixels wide, the close button rightmost.
void Viewer::close() const {
  if (!test_session().wayland) {
    send_delete_window();
    return;
  }
  std::vector<std::string> press_close = pointer_to(window::kClientWidth - 16, -12);
  press_close.insert(press_close.end(), {"click", "1"});
  xdotool(press_close);
}

// The message a window manager sends when the user presses the close button.
void Viewer::send_delete_window() const {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) throw std::runtime_error("cannot open the display");
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = std::stoul(window_id_);
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, event.xclient.window, False, NoEventMask, &event);
  XCloseDisplay(display);
}

struct CoveringWindow::Connection {
  Display* display;
  ::Window cover;
};

// Override-redirect, so that it goes where it is put with or without a window manager.
CoveringWindow::CoveringWindow(const std::string& window_id)
    : connection_(new Connection{XOpenDisplay(nullptr), 0}) {
  Display* display = connection_->display;
  if (display == nullptr) throw std::runtime_error("cannot open the display");
  const ::Window root = DefaultRootWindow(display);
  int x = 0, y = 0;
  ::Window child = 0;
  XTranslateCoordinates(display, std::stoul(window_id), root, 0, 0, &x, &y, &child);
  XSetWindowAttributes attributes{};
  attributes.override_redirect = True;
  attributes.background_pixel = 0xFF00FF;
  connection_->cover = XCreateWindow(display, root, x, y, window::kClientWidth,
                                     window::kClientHeight, 0, CopyFromParent, InputOutput,
                                     CopyFromParent, CWOverrideRedirect | CWBackPixel, &attributes);
  XMapRaised(display, connection_->cover);
  XSync(display, False);
}

CoveringWindow::~CoveringWindow() {
  XDestroyWindow(connection_->display, connection_->cover);
  XCloseDisplay(connection_->display);
  delete connection_;
}

std::string viewer_path() {
  return NUV_VIEWER_PATH;
}

const std::array<frames::Picture, frames::kFrameCount>& stored_frames(int zoom) {
  using Frames = std::array<frames::Picture, frames::kFrameCount>;
  static std::map<int, Frames> decoded;
  auto [at, inserted] = decoded.try_emplace(zoom);
  if (inserted)
    for (int number = 1; number <= frames::kFrameCount; ++number)
      at->second[number - 1] = frames::decoded_stored_picture(number, zoom);
  return at->second;
}

}  // namespace nuv::testing
