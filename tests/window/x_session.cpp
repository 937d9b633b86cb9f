#include "tests/window/x_session.hpp"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <bit>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string_view>
#include <thread>

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

struct ImageDestroyer {
  void operator()(XImage* image) const { XDestroyImage(image); }
};

std::uint8_t channel(unsigned long pixel, unsigned long mask) {
  return static_cast<std::uint8_t>((pixel & mask) >> std::countr_zero(mask));
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

}  // namespace

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

std::optional<unsigned long> WindowReader::find_viewer() const {
  Display* display = connection_->display;
  ::Window root = 0, parent = 0, *children = nullptr;
  unsigned count = 0;
  XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count);
  std::optional<unsigned long> found;
  for (unsigned i = 0; i < count && !found; ++i) {
    char* name = nullptr;
    if (XFetchName(display, children[i], &name) && name != nullptr) {
      if (window::kCaption == name) found = children[i];
      XFree(name);
    }
  }
  if (children != nullptr) XFree(children);
  return found;
}

std::optional<Screenshot> WindowReader::grab(unsigned long window) const {
  Display* display = connection_->display;
  // A window that has gone away is reported as a failed grab, not by Xlib ending the process.
  const XErrorHandler previous = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
  const std::unique_ptr<XImage, ImageDestroyer> image(XGetImage(
      display, window, 0, 0, window::kClientWidth, window::kClientHeight, AllPlanes, ZPixmap));
  XSync(display, False);
  XSetErrorHandler(previous);
  if (!image) return std::nullopt;
  Screenshot shot{window::kClientWidth, window::kClientHeight, {}};
  shot.rgb.resize(static_cast<std::size_t>(shot.width) * shot.height * 3);
  auto out = shot.rgb.begin();
  for (int y = 0; y < shot.height; ++y)
    for (int x = 0; x < shot.width; ++x) {
      const unsigned long pixel = XGetPixel(image.get(), x, y);
      *out++ = channel(pixel, image->red_mask);
      *out++ = channel(pixel, image->green_mask);
      *out++ = channel(pixel, image->blue_mask);
    }
  return shot;
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

XvfbDisplay::XvfbDisplay() {
  int pipe_fds[2];
  if (pipe(pipe_fds) != 0) throw std::runtime_error("cannot make a pipe");
  fcntl(pipe_fds[0], F_SETFD, FD_CLOEXEC);
  // Without -noreset the server would reset as its last client leaves, which puts the pointer
  // back in the middle of the screen the moment xdotool below exits.
  server_.emplace(std::vector<std::string>{"Xvfb", "-displayfd", std::to_string(pipe_fds[1]),
                                           "-noreset", "-screen", "0", "1024x768x24", "-nolisten",
                                           "tcp"});
  close(pipe_fds[1]);
  const std::string display = read_all(pipe_fds[0]);
  close(pipe_fds[0]);
  if (display.empty()) throw std::runtime_error("Xvfb did not start");
  setenv("DISPLAY", (":" + display.substr(0, display.find('\n'))).c_str(), 1);
  // The window opens in the middle of the screen; a pointer resting there would set the speed.
  run_command({"xdotool", "mousemove", "1023", "767"});
}

XvfbDisplay::~XvfbDisplay() {
  unsetenv("DISPLAY");
}

void XvfbDisplay::kill_server() {
  kill(server_->pid(), SIGTERM);
  server_->wait_for(5s);
}

Viewer::Viewer(const std::string& error_path) : process_({NUV_VIEWER_PATH}, error_path) {
  const CommandResult found = run_command({"timeout", "20", "xdotool", "search", "--sync",
                                           "--onlyvisible", "--name", caption_pattern()});
  if (found.status != 0) throw std::runtime_error("the viewer's window did not appear");
  window_id_ = found.output.substr(0, found.output.find('\n'));
}

Screenshot Viewer::capture() const {
  const CommandResult shot = run_command({"import", "-window", window_id_, "-depth", "8", "rgb:-"});
  Screenshot screenshot{window::kClientWidth, window::kClientHeight, {}};
  const std::size_t expected_size =
      static_cast<std::size_t>(screenshot.width) * screenshot.height * 3;
  if (shot.status != 0 || shot.output.size() != expected_size)
    throw std::runtime_error("cannot capture the viewer's window");
  screenshot.rgb.assign(shot.output.begin(), shot.output.end());
  return screenshot;
}

int slot_in(const Screenshot& shot) {
  const auto& frames = stored_frames();
  const auto& inner = window::kPicture1Inner;
  for (int slot = 0; slot < frames::kFrameCount; ++slot) {
    bool same = true;
    for (int y = 0; y < frames::kFrameHeight && same; ++y)
      for (int x = 0; x < inner.width && same; ++x)
        same = shot.at(inner.x + x, inner.y + y) == frames[slot].colour_at(x, y);
    if (same) return slot;
  }
  return -1;
}

int Viewer::shown_slot() const {
  return slot_in(capture());
}

// Grabbing in-process rather than through import sees a change within milliseconds, which
// leaves nearly all of a start-up frame's second for sending input before the next pump pass.
int Viewer::wait_for_slot_change(int slot, std::chrono::milliseconds timeout) const {
  const WindowReader reader;
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  int shown = slot_read_by(reader);
  while (shown == slot && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(10ms);
    shown = slot_read_by(reader);
  }
  return shown;
}

std::vector<SlotSample> Viewer::sample_slots(std::chrono::milliseconds span) const {
  const WindowReader reader;
  std::vector<SlotSample> samples;
  const auto end = std::chrono::steady_clock::now() + span;
  for (auto now = std::chrono::steady_clock::now(); now < end;
       now = std::chrono::steady_clock::now())
    samples.push_back({now, slot_read_by(reader)});
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

int Viewer::slot_read_by(const WindowReader& reader) const {
  const std::optional<Screenshot> shot = reader.grab(std::stoul(window_id_));
  if (!shot) throw std::runtime_error("cannot read the viewer's window");
  return slot_in(*shot);
}

// The message a window manager sends when the user presses the close button.
void Viewer::close() const {
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

std::string viewer_path() {
  return NUV_VIEWER_PATH;
}

const std::array<frames::Picture, frames::kFrameCount>& stored_frames() {
  static const auto frames = [] {
    std::array<frames::Picture, frames::kFrameCount> decoded;
    for (int number = 1; number <= frames::kFrameCount; ++number)
      decoded[number - 1] = frames::decode_picture_record(frames::stored_record(number),
                                                          frames::image_control_name(number));
    return decoded;
  }();
  return frames;
}

}  // namespace nuv::testing
