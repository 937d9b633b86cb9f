// Measures the real viewer at one zoom on a private Xvfb display whose Xft.dpi asks for it: time
// from process start to the first frame on screen, beside a bare program's time to its one
// picture of the same size; the frame period at start-up speed; the viewer's processor
// share at start-up speed and in drag mode, the pointer held and then sweeping steadily over the
// picture; and its peak resident memory.
// Then a table of the processor share with the window visible and hidden (unmapped; on X11)
// across the range of delays k the pointer sets, for the viewer given or the one built alongside.
// Usage: viewer_probe [SECONDS [ZOOM [VIEWER]]]   (seconds per processor-share window, 20 by
//                                                  default; zoom 1 by default)
// With NUV_TEST_SESSION=wayland the viewer runs on a weston compositor inside the Xvfb display;
// wayland-scale2 and wayland-scale3 put weston's output at that scale, for zoom 2 and 3.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "bench/bare_picture.hpp"
#include "bench/statistics.hpp"
#include "frames/zoom.hpp"
#include "tests/real_window/x_session.hpp"
#include "window/layout.hpp"

namespace {

using namespace nuv;
using namespace std::chrono_literals;
using Monotonic = std::chrono::steady_clock;

double seconds_since(Monotonic::time_point start) {
  return std::chrono::duration<double>(Monotonic::now() - start).count();
}

// The slot whose frame fills Picture1's inner area, or -1 while no frame can be read.
int shown_slot(const testing::WindowReader& reader, const testing::PlacedClientArea& area,
               const window::Layout& layout) {
  const std::optional<testing::Screenshot> shot = reader.grab(area, layout);
  return shot ? testing::slot_in(*shot, layout) : -1;
}
// Whether the inner area's middle row shows that of a picture: read fast enough at every zoom to
// time the first picture to a millisecond or two, where the whole window takes tens of them.
template <typename Colour>
bool middle_row_shows(const testing::WindowReader& reader, const testing::PlacedClientArea& area,
                      const window::Layout& layout, Colour colour_at) {
  const int row = frames::kFrameHeight * layout.zoom / 2;
  const auto shot = reader.grab_rectangle(area.window, area.left + layout.inner.x,
                                          area.top + layout.inner.y + row, layout.inner.width, 1);
  if (!shot) return false;
  for (int x = 0; x < shot->width; ++x)
    if (shot->at(x, 0) != colour_at(x, row)) return false;
  return true;
}

// Where a program's client area shows: in its own window on X11, found by its caption; on
// weston's output on Wayland, found by Picture1's sunken border.
std::optional<testing::PlacedClientArea> find_client_area(const testing::WindowReader& reader,
                                                          std::optional<unsigned long> weston,
                                                          std::string_view caption) {
  if (weston)
    return reader.find_on_weston(*weston, testing::weston_output(), testing::test_session().scale);
  const std::optional<unsigned long> window = reader.find_viewer(caption);
  if (!window) return std::nullopt;
  return testing::PlacedClientArea{*window, 0, 0};
}

// Waits until the last program's client area has left the screen, so that the next is not taken
// for it: weston may take a while over a closed window, and puts the next one elsewhere.
void wait_until_gone(const testing::WindowReader& reader, std::optional<unsigned long> weston,
                     std::string_view caption) {
  const auto started = Monotonic::now();
  while (find_client_area(reader, weston, caption) && seconds_since(started) < 10)
    std::this_thread::sleep_for(10ms);
}

// Process start to the moment `on_screen` holds for the program's client area, in ms.
template <typename OnScreen>
double start_up_ms(const testing::WindowReader& reader, std::optional<unsigned long> weston,
                   const std::vector<std::string>& command, std::string_view caption,
                   OnScreen on_screen) {
  const auto started = Monotonic::now();
  testing::ChildProcess process(command);
  std::optional<testing::PlacedClientArea> area;
  while (seconds_since(started) < 10) {
    if (!area) area = find_client_area(reader, weston, caption);
    if (area && on_screen(*area)) return 1000 * seconds_since(started);
    std::this_thread::sleep_for(200us);
  }
  throw std::runtime_error(std::string(caption) + ": no picture appeared");
}

// The viewer's first frame (any of the eighteen: slot 0 is on screen only while the others load)
// and the bare program's picture, in alternate rounds so that a change in the machine's load
// falls on both; the difference of each round's pair shows what the viewer adds beneath the
// spread of start-up times.
void compare_start_up(const testing::WindowReader& reader, std::optional<unsigned long> weston,
                      const window::Layout& layout, const std::string& viewer_path) {
  constexpr int kRounds = 21;
  const auto& frames = testing::stored_frames(layout.zoom);
  const auto bare_colour = [](int, int) {
    constexpr unsigned long c = bench::kBarePictureRgb;
    return frames::Rgb{static_cast<std::uint8_t>(c >> 16), static_cast<std::uint8_t>(c >> 8),
                       static_cast<std::uint8_t>(c)};
  };
  std::vector<double> viewer_ms, bare_ms;
  for (int round = 0; round < kRounds; ++round) {
    viewer_ms.push_back(start_up_ms(
        reader, weston, {viewer_path}, window::kCaption,
        [&](const testing::PlacedClientArea& area) {
          return std::ranges::any_of(frames, [&](const frames::Picture& frame) {
            return middle_row_shows(reader, area, layout,
                                    [&](int x, int y) { return frame.colour_at(x, y); });
          });
        }));
    wait_until_gone(reader, weston, window::kCaption);
    bare_ms.push_back(start_up_ms(
        reader, weston,
        {weston ? BARE_WAYLAND_PICTURE_PATH : BARE_PICTURE_PATH, std::to_string(layout.zoom)},
        bench::kBarePictureCaption, [&](const testing::PlacedClientArea& area) {
          return middle_row_shows(reader, area, layout, bare_colour);
        }));
    wait_until_gone(reader, weston, bench::kBarePictureCaption);
  }
  std::vector<double> added_ms(kRounds);
  std::ranges::transform(viewer_ms, bare_ms, added_ms.begin(), std::minus<>());
  std::printf(
      "start-up: process start to first picture on screen, median of %d: viewer %.1f ms, bare "
      "program %.1f ms; viewer minus bare in each round: median %.1f ms, middle half %.1f to "
      "%.1f ms\n",
      kRounds, bench::median(viewer_ms), bench::median(bare_ms), bench::median(added_ms),
      bench::quantile(added_ms, 0.25), bench::quantile(added_ms, 0.75));
}

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

// xdotool arguments that move the pointer to a point of the client area.
std::vector<std::string> pointer_to(const testing::PlacedClientArea& area, int x, int y) {
  return {"mousemove", "--window", std::to_string(area.window), std::to_string(area.left + x),
          std::to_string(area.top + y)};
}

// Pointer positions in Picture1's inner area, in pixels, for a range of speed-mode delays
// k = X * 30 * Y: on the diagonal, and at the bottom-right corner for the largest.
struct SpeedPoint {
  const char* k;
  int p, q;
};
constexpr SpeedPoint kSpeedPoints[] = {
    {"0", 0, 0}, {"10", 13, 13}, {"100", 42, 42}, {"1000", 132, 132}, {"9526", 302, 548}};

// The share over `seconds` with the window unmapped, then mapped again with the focus; none on
// Wayland, where the window unmapped is weston's: the viewer is not told of it, and weston gives
// the keyboard focus back to no client when its window returns, so no key would reach the viewer.
std::optional<double> hidden_share(const std::string& id, int pid, double seconds) {
  if (testing::test_session().wayland) return std::nullopt;
  testing::xdotool({"windowunmap", "--sync", id});
  std::this_thread::sleep_for(200ms);
  const double hidden = cpu_share(pid, seconds);
  testing::xdotool({"windowmap", "--sync", id});
  testing::xdotool({"windowfocus", "--sync", id});  // without a window manager, unmapping lost it
  return hidden;
}

// One row of the table: the share over `seconds` with the window mapped, then unmapped.
std::string share_row(const std::string& k, const std::string& id, int pid, double seconds) {
  std::this_thread::sleep_for(200ms);
  const double visible = cpu_share(pid, seconds);
  const std::optional<double> hidden = hidden_share(id, pid, seconds);
  char hidden_column[16] = "-";
  if (hidden) std::snprintf(hidden_column, sizeof hidden_column, "%.2f", 100 * *hidden);
  char row[120];
  std::snprintf(row, sizeof row, "| %s | %.2f | %s |\n", k.c_str(), 100 * visible, hidden_column);
  return row;
}

// The slot shown once it has stayed the same for `quiet`.
int still_slot(const testing::WindowReader& reader, const testing::PlacedClientArea& area,
               const window::Layout& layout, std::chrono::milliseconds quiet) {
  const auto started = Monotonic::now();
  int slot = shown_slot(reader, area, layout);
  auto since = Monotonic::now();
  while (Monotonic::now() - since < quiet) {
    if (seconds_since(started) > 10) throw std::runtime_error("the frames did not stop");
    std::this_thread::sleep_for(5ms);
    const int shown = shown_slot(reader, area, layout);
    if (shown != slot) slot = shown, since = Monotonic::now();
  }
  return slot;
}

// A click over the picture puts the viewer in drag mode; its first movement stops the run.
// Checked on screen: the frame stays while the pointer rests and steps once when it moves down.
void enter_drag_mode(const testing::WindowReader& reader, const testing::PlacedClientArea& area,
                     const window::Layout& layout) {
  const int x = layout.inner.x + layout.inner.width / 2, y = layout.inner.y + 100;
  std::vector<std::string> click = pointer_to(area, x, y);
  click.insert(click.end(), {"click", "1"});
  testing::xdotool(pointer_to(area, x, y - 10));
  std::this_thread::sleep_for(100ms);
  testing::xdotool(click);
  std::this_thread::sleep_for(100ms);
  testing::xdotool(pointer_to(area, x, y + 10));
  const int resting = still_slot(reader, area, layout, 500ms);
  testing::xdotool(pointer_to(area, x, y + 20));
  const int stepped = still_slot(reader, area, layout, 500ms);
  if (resting < 0 || stepped != (resting + 1) % frames::kFrameCount)
    throw std::runtime_error("not in drag mode: a movement down went from slot " +
                             std::to_string(resting) + " to " + std::to_string(stepped));
}

struct DragShare {
  double share;
  double movements_per_second;
};

// The share while the pointer sweeps steadily down and up over the picture, one movement every
// 10 ms as a hand on a mouse gives them, so that each cycle of drag mode shows a new frame.
DragShare drag_share(const testing::PlacedClientArea& area, const window::Layout& layout, int pid,
                     double seconds) {
  const int x = layout.inner.x + layout.inner.width / 2, top = layout.inner.y + 40;
  const int movements = static_cast<int>(seconds * 100), sweep = 200;
  std::vector<std::string> arguments{"xdotool"};
  for (int i = 0; i < movements; ++i) {
    const int phase = 2 * (i % sweep), y = top + (phase < sweep ? phase : 2 * sweep - phase);
    for (const std::string& argument : pointer_to(area, x, y)) arguments.push_back(argument);
    arguments.insert(arguments.end(), {"sleep", "0.01"});
  }
  const double before = cpu_seconds(pid);
  const auto start = Monotonic::now();
  testing::ChildProcess sweeping(arguments);
  if (sweeping.wait_for(std::chrono::milliseconds(static_cast<int>(seconds * 3000))) != 0)
    throw std::runtime_error("xdotool could not move the pointer");
  const double elapsed = seconds_since(start);
  return {(cpu_seconds(pid) - before) / elapsed, movements / elapsed};
}

}  // namespace

int main(int argc, char** argv) {
  const double window_seconds = argc > 1 ? std::atof(argv[1]) : 20.0;
  const int zoom = argc > 2 ? std::atoi(argv[2]) : 1;
  const std::string viewer_path = argc > 3 ? argv[3] : testing::viewer_path();
  if (!(window_seconds >= 1 && window_seconds <= 600) || zoom < 1 || zoom > frames::kMaxZoom) {
    std::fprintf(stderr, "viewer_probe: SECONDS must be between 1 and 600 and ZOOM 1 to %d\n",
                 frames::kMaxZoom);
    return 2;
  }
  if (testing::test_session().wayland && zoom != testing::test_session().scale) {
    std::fprintf(stderr,
                 "viewer_probe: on Wayland the zoom is the output's scale: run zoom %d "
                 "with NUV_TEST_SESSION=wayland-scale%d\n",
                 zoom, zoom);
    return 2;
  }
  try {
    const window::Layout layout = window::layout_at(zoom);
    testing::XvfbDisplay display(layout.client_width + 100, layout.client_height + 100,
                                 "Xft.dpi: " + std::to_string(96 * zoom));
    const testing::WindowReader screen;
    std::printf("zoom %d: a %d x %d window\n", zoom, layout.client_width, layout.client_height);
    std::optional<unsigned long> weston;
    if (testing::test_session().wayland) weston = testing::weston_window();
    compare_start_up(screen, weston, layout, viewer_path);
    const auto started = Monotonic::now();
    testing::ChildProcess viewer({viewer_path});
    const int pid = viewer.pid();

    std::optional<testing::PlacedClientArea> window;
    int slot = -1;
    // Slot 0 is on screen only while the other frames load, a few milliseconds; the first
    // frame seen may already be slot 1.
    while (slot < 0 && seconds_since(started) < 10) {
      if (!window) window = find_client_area(screen, weston, window::kCaption);
      if (window) slot = shown_slot(screen, *window, layout);
      if (slot < 0) std::this_thread::sleep_for(200us);
    }
    if (slot < 0) throw std::runtime_error("no frame appeared");
    std::printf("start-up: process start to first frame on screen: %.1f ms\n",
                1000 * seconds_since(started));

    // Frame period at start-up speed, from the moments the picture changes.
    std::vector<double> changes;
    while (changes.size() < 11) {
      if (seconds_since(started) > 60) throw std::runtime_error("the frames stopped changing");
      const int shown = shown_slot(screen, *window, layout);
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

    const std::string id = std::to_string(window->window);
    // Keys and clicks reach the viewer through the focused window: weston's, on Wayland.
    testing::xdotool({"windowfocus", "--sync", id});
    const std::string start_up_row = share_row("1000000 (start-up)", id, pid, window_seconds);
    enter_drag_mode(screen, *window, layout);
    std::printf("processor share in drag mode, pointer held, over %.0f s: %.2f %% of one core\n",
                window_seconds, 100 * cpu_share(pid, window_seconds));
    const DragShare drag = drag_share(*window, layout, pid, window_seconds);
    std::printf(
        "processor share in drag mode, pointer moving (%.0f movements a second) over %.0f s: "
        "%.2f %% of one core\n",
        drag.movements_per_second, window_seconds, 100 * drag.share);
    std::printf("peak resident memory: %.1f MB\n",
                static_cast<double>(peak_resident_kib(pid)) / 1024.0);

    std::string rows = share_row("10000 (drag mode)", id, pid, window_seconds);
    testing::xdotool({"click", "1"});  // back to speed mode, where the drag's stop remains
    testing::xdotool(
        {"windowfocus", "--sync", id, "key", "plus"});  // a run, at the pointer's speed
    for (const SpeedPoint& point : kSpeedPoints) {
      testing::xdotool(
          pointer_to(*window, layout.inner.x + point.p * zoom, layout.inner.y + point.q * zoom));
      rows += share_row(point.k, id, pid, window_seconds);
    }
    std::printf("\nprocessor share, %% of one core, over %.0f s each:\n\n", window_seconds);
    std::printf("| k | visible | hidden |\n|---:|---:|---:|\n%s%s", start_up_row.c_str(),
                rows.c_str());

    testing::xdotool({"windowfocus", "--sync", id, "key", "Escape"});
    const auto status = viewer.wait_for(5s);
    std::printf("exit status after Escape: %s\n",
                status ? std::to_string(*status).c_str() : "still running");
    return status == 0 ? 0 : 1;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "viewer_probe: %s\n", error.what());
    return 1;
  }
}
