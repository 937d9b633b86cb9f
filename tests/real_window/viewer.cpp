#include "tests/real_window/viewer.hpp"

#include <X11/Xlib.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string_view>
#include <thread>

#include "tests/real_window/sessions.hpp"
#include "tests/real_window/x_errors.hpp"

namespace nuv::testing {
namespace {

using namespace std::chrono_literals;

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

// The caption as an xdotool search pattern: the whole name, its special characters escaped.
std::string caption_pattern() {
  std::string pattern = "^";
  for (const char c : window::kCaption) {
    if (std::string_view(".+*?^$()[]{}|\\").find(c) != std::string_view::npos) pattern += '\\';
    pattern += c;
  }
  return pattern + "$";
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

}  // namespace

std::string root_window_id() {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) throw std::runtime_error("cannot open the display");
  const unsigned long root = DefaultRootWindow(display);
  XCloseDisplay(display);
  return std::to_string(root);
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
    if (const auto area = reader.find_on_weston(weston, weston_output(), test_session().scale))
      return *area;
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

int Viewer::slot_sampled_by(const WindowReader& reader) const {
  return reader.slot_in_band(area_, layout_);
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

namespace {

// A client message about `window`: sent to the window itself, as a window manager does, or to the
// root window for the window manager, as a pager does. `data` gives the data words, atoms interned
// on the display it is given.
void send_client_message(unsigned long window, const char* type,
                         const std::function<std::array<long, 5>(Display*)>& data,
                         bool to_window_manager) {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) throw std::runtime_error("cannot open the display");
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display, type, False);
  event.xclient.format = 32;
  const std::array<long, 5> words = data(display);
  std::copy(words.begin(), words.end(), event.xclient.data.l);
  if (to_window_manager)
    XSendEvent(display, DefaultRootWindow(display), False,
               SubstructureRedirectMask | SubstructureNotifyMask, &event);
  else
    XSendEvent(display, window, False, NoEventMask, &event);
  XCloseDisplay(display);
}

long atom(Display* display, const char* name) {
  return static_cast<long>(XInternAtom(display, name, False));
}

}  // namespace

// The message a window manager sends when the user presses the close button.
void Viewer::send_delete_window() const {
  send_client_message(
      std::stoul(window_id_), "WM_PROTOCOLS",
      [](Display* display) {
        return std::array<long, 5>{atom(display, "WM_DELETE_WINDOW"), CurrentTime};
      },
      false);
}

// The message a pager or a window menu sends: add or remove the state, from an application.
void Viewer::set_fullscreen(bool fullscreen) const {
  send_client_message(
      std::stoul(window_id_), "_NET_WM_STATE",
      [&](Display* display) {
        return std::array<long, 5>{fullscreen ? 1 : 0, atom(display, "_NET_WM_STATE_FULLSCREEN"),
                                   0, 1};
      },
      true);
}

bool Viewer::wait_for_zoom(int zoom, std::chrono::milliseconds timeout) {
  const window::Layout wanted = window::layout_at(zoom);
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (window_width(area_.window) != wanted.client_width) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds{10});
  }
  layout_ = wanted;
  return true;
}

window::Rect Viewer::geometry() const {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) throw std::runtime_error("cannot open the display");
  const ::Window window = std::stoul(window_id_);
  XWindowAttributes attributes{};
  int x = 0, y = 0;
  ::Window child = 0;
  const bool known =
      XGetWindowAttributes(display, window, &attributes) &&
      XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child);
  XCloseDisplay(display);
  if (!known) throw std::runtime_error("cannot read where the viewer's window lies");
  return {x, y, attributes.width, attributes.height};
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

namespace {

std::optional<std::string> name_of(Display* display, ::Window window) {
  char* name = nullptr;
  if (!XFetchName(display, window, &name) || name == nullptr) return std::nullopt;
  std::string text = name;
  XFree(name);
  return text;
}

// The viewer's window, if `mapped` is it or, under a window manager, holds it in its frame.
std::optional<::Window> viewer_in(Display* display, ::Window mapped, int depth = 0) {
  constexpr int kDeepestFrame = 3;
  if (name_of(display, mapped) == std::string(window::kCaption)) return mapped;
  ::Window root = 0, parent = 0, *children = nullptr;
  unsigned count = 0;
  std::optional<::Window> found;
  if (depth < kDeepestFrame && XQueryTree(display, mapped, &root, &parent, &children, &count))
    for (unsigned i = 0; i < count && !found; ++i)
      found = viewer_in(display, children[i], depth + 1);
  if (children != nullptr) XFree(children);
  return found;
}

// Told by the server as each top-level window is mapped, rather than searching for it: the search
// takes longer than the first frame may stay.
::Window wait_for_viewer_window(Display* display, ChildProcess& viewer) {
  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  while (std::chrono::steady_clock::now() < deadline && viewer.running()) {
    while (XPending(display) > 0) {
      XEvent event;
      XNextEvent(display, &event);
      if (event.type != MapNotify) continue;
      const XErrorsIgnored errors_ignored(display);
      if (const auto window = viewer_in(display, event.xmap.window)) return *window;
    }
    std::this_thread::sleep_for(1ms);
  }
  throw std::runtime_error("the viewer's window was not mapped");
}

}  // namespace

std::vector<int> first_slots_on_screen(int count) {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) throw std::runtime_error("cannot open the display");
  XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
  XSync(display, False);
  ChildProcess viewer(viewer_command({}));
  const ::Window window = wait_for_viewer_window(display, viewer);
  XCloseDisplay(display);
  const WindowReader reader;
  const window::Layout layout = window::layout_at(1);
  std::vector<int> slots;
  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  while (static_cast<int>(slots.size()) < count && std::chrono::steady_clock::now() < deadline) {
    const int slot = reader.slot_in_band(PlacedClientArea{window, 0, 0}, layout);
    if (slot >= 0 && (slots.empty() || slots.back() != slot)) slots.push_back(slot);
  }
  return slots;
}

std::string viewer_path() {
  return NUV_VIEWER_PATH;
}

}  // namespace nuv::testing
