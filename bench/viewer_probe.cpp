// Measures the real viewer on a private Xvfb display: time from process start to the first
// frame on screen, the frame period at start-up speed, the viewer's processor share at start-up
// speed and in drag mode, and its peak resident memory.
// Usage: viewer_probe [SECONDS]   (seconds per processor-share window; 20 by default)

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "tests/window/x_session.hpp"
#include "window/layout.hpp"

namespace {

using namespace nuv;
using namespace std::chrono_literals;
using Monotonic = std::chrono::steady_clock;

double seconds_since(Monotonic::time_point start) {
  return std::chrono::duration<double>(Monotonic::now() - start).count();
}

// Reads the viewer's window straight from the X server, fast enough to poll every millisecond.
class ScreenReader {
 public:
  ScreenReader() : display_(XOpenDisplay(nullptr)) {
    if (display_ == nullptr) throw std::runtime_error("cannot open the display");
  }
  ~ScreenReader() { XCloseDisplay(display_); }

  // The window whose name starts with the caption, or 0 while there is none.
  Window find_viewer() const {
    Window root_return, parent, *children = nullptr;
    unsigned count = 0;
    XQueryTree(display_, DefaultRootWindow(display_), &root_return, &parent, &children, &count);
    Window found = 0;
    for (unsigned i = 0; i < count && found == 0; ++i) {
      char* name = nullptr;
      if (XFetchName(display_, children[i], &name) && name != nullptr) {
        if (std::string(name).rfind("NUV Principle", 0) == 0) found = children[i];
        XFree(name);
      }
    }
    if (children) XFree(children);
    return found;
  }

  // The slot whose frame fills Picture1's inner area, or -1.
  int shown_slot(Window window) const {
    const auto& inner = window::kPicture1Inner;
    XErrorHandler previous = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    XImage* image = XGetImage(display_, window, inner.x, inner.y, inner.width,
                              frames::kFrameHeight, AllPlanes, ZPixmap);
    XSync(display_, False);
    XSetErrorHandler(previous);
    if (image == nullptr) return -1;
    int found = -1;
    const auto& frames = testing::stored_frames();
    for (int slot = 0; slot < frames::kFrameCount && found < 0; ++slot)
      if (matches(image, frames[slot])) found = slot;
    XDestroyImage(image);
    return found;
  }

 private:
  static bool matches(XImage* image, const frames::Picture& frame) {
    for (int y = 0; y < frames::kFrameHeight; ++y)
      for (int x = 0; x < window::kPicture1Inner.width; ++x) {
        const unsigned long pixel = XGetPixel(image, x, y);
        const frames::Rgb c = frame.colour_at(x, y);
        const unsigned long expected = (static_cast<unsigned long>(c.r) << 16) |
                                       (static_cast<unsigned long>(c.g) << 8) | c.b;
        if (pixel != expected) return false;
      }
    return true;
  }

  Display* display_;
};

// Processor time (user + system) the process has used, in seconds.
double cpu_seconds(int pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), {});
  std::istringstream fields(text.substr(text.rfind(')') + 2));
  std::string field;
  long ticks = 0;
  for (int index = 3; fields >> field; ++index)
    if (index == 14 || index == 15) ticks += std::stol(field);
  return static_cast<double>(ticks) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

long peak_resident_kib(int pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  return -1;
}

double cpu_share(int pid, double seconds) {
  const double before = cpu_seconds(pid);
  const auto start = Monotonic::now();
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
  return (cpu_seconds(pid) - before) / seconds_since(start);
}

void xdotool(const std::vector<std::string>& arguments) {
  std::vector<std::string> argv{"xdotool"};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  if (testing::run_command(argv).status != 0) throw std::runtime_error("xdotool failed");
}

}  // namespace

int main(int argc, char** argv) {
  const double window_seconds = argc > 1 ? std::atof(argv[1]) : 20.0;
  if (!(window_seconds >= 1 && window_seconds <= 600)) {
    std::fprintf(stderr, "viewer_probe: SECONDS must be between 1 and 600\n");
    return 2;
  }
  try {
    testing::XvfbDisplay display;
    ScreenReader screen;
    const auto started = Monotonic::now();
    testing::ChildProcess viewer({NUV_VIEWER_PATH});
    const int pid = viewer.pid();

    Window window = 0;
    int slot = -1;
    // Slot 0 is on screen only while the other frames load, a few milliseconds; the first
    // frame seen may already be slot 1.
    while (slot < 0 && seconds_since(started) < 10) {
      if (window == 0) window = screen.find_viewer();
      if (window != 0) slot = screen.shown_slot(window);
      if (slot < 0) std::this_thread::sleep_for(200us);
    }
    if (slot < 0) throw std::runtime_error("no frame appeared");
    std::printf("start-up: process start to first frame on screen: %.1f ms\n",
                1000 * seconds_since(started));

    // Frame period at start-up speed, from the moments the picture changes.
    std::vector<double> changes;
    while (changes.size() < 11) {
      const int shown = screen.shown_slot(window);
      if (shown != slot && shown >= 0) {
        changes.push_back(seconds_since(started));
        slot = shown;
      }
      std::this_thread::sleep_for(500us);
    }
    std::vector<double> periods;
    for (std::size_t i = 1; i < changes.size(); ++i) periods.push_back(changes[i] - changes[i - 1]);
    const auto [shortest, longest] = std::minmax_element(periods.begin(), periods.end());
    std::printf("frame period at start-up speed: mean %.4f s over %zu frames (%.4f to %.4f s)\n",
                (changes.back() - changes.front()) / static_cast<double>(periods.size()),
                periods.size(), *shortest, *longest);

    std::printf("processor share at start-up speed over %.0f s: %.2f %% of one core\n",
                window_seconds, 100 * cpu_share(pid, window_seconds));

    // A click and one movement put the viewer in drag mode with its 10 ms cycle.
    const std::string id = std::to_string(window);
    xdotool({"mousemove", "--window", id, "150", "200", "click", "1"});
    xdotool({"mousemove", "--window", id, "150", "210"});
    std::printf("processor share in drag mode over %.0f s: %.2f %% of one core\n", window_seconds,
                100 * cpu_share(pid, window_seconds));
    std::printf("peak resident memory: %.1f MB\n",
                static_cast<double>(peak_resident_kib(pid)) / 1024.0);

    xdotool({"key", "Escape"});
    const auto status = viewer.wait_for(5s);
    std::printf("exit status after Escape: %s\n",
                status ? std::to_string(*status).c_str() : "still running");
    return status == 0 ? 0 : 1;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "viewer_probe: %s\n", error.what());
    return 1;
  }
}
