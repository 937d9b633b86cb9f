// How many frame cycles a second the viewer runs at delay 0, against a bare SDL loop that only
// clears and presents a window of the same size with the same renderer, both on a private Xvfb
// display in this one process. The viewer is the real window object on the real SDL host; only
// its clock is wrapped, to put it at delay 0 and to end the run.
// Usage: fastest_cycle [SECONDS [ROUNDS [ZOOM]]]   (2 seconds a loop, 3 rounds, zoom 1 by default)

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/frame_delay.hpp"
#include "engine/viewer_window.hpp"
#include "frames/zoom.hpp"
#include "host/sdl_choices.hpp"
#include "host/sdl_error.hpp"
#include "host/sdl_host.hpp"
#include "tests/window/x_session.hpp"
#include "window/layout.hpp"

namespace {

// The bare loop draws with SDL's software renderer where the window's framebuffer takes it, else
// with the driver's own (OpenGL on Wayland and on X displays of 30 bits).
SDL_Renderer* create_renderer(SDL_Window* window) {
  if (SDL_Renderer* software = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE))
    return software;
  return nuv::host::checked(SDL_CreateRenderer(window, -1, 0), "cannot create the renderer");
}

using namespace nuv;
using Monotonic = std::chrono::steady_clock;

// The viewer's host with a counter on its frame wait. The first wait stands for the pointer
// resting at the top-left of the picture, which makes the delay zero; every later wait is real and
// counted, and the wait due after `span` ends the program instead.
class CountingHost final : public host::Host {
 public:
  CountingHost(host::Host& host, std::chrono::duration<double> span) : host_(host), span_(span) {}

  int start(host::WindowEvents& window) override {
    window_ = &window;
    return host_.start(window);
  }
  host::PictureRef image_picture(int number) override { return host_.image_picture(number); }
  void set_picture(host::PictureRef picture) override { host_.set_picture(std::move(picture)); }
  void idle(std::chrono::microseconds duration) override {
    if (cycles_ < 0) {
      window_->mouse_move(0, 0, 0.0f, 0.0f);
      started_ = Monotonic::now();
      cycles_ = 0;
      return;
    }
    ++cycles_;
    ended_ = Monotonic::now();
    if (ended_ - started_ >= span_) throw host::ProgramExit{0};
    host_.idle(duration);
  }
  void pump() override { host_.pump(); }
  void clear_window() override { host_.clear_window(); }
  // The host's own are [[noreturn]], which a call through a reference does not carry.
  [[noreturn]] void end_program() override {
    host_.end_program();
    std::terminate();
  }
  [[noreturn]] void runtime_error(const std::string& message) override {
    host_.runtime_error(message);
    std::terminate();
  }

  double cycles_per_second() const {
    return static_cast<double>(cycles_) / std::chrono::duration<double>(ended_ - started_).count();
  }

 private:
  host::Host& host_;
  std::chrono::duration<double> span_;
  host::WindowEvents* window_ = nullptr;
  Monotonic::time_point started_, ended_;
  long cycles_ = -1;
};

double viewer_rate(double seconds, int zoom) {
  host::SdlHost host(zoom);
  CountingHost counting{host, std::chrono::duration<double>(seconds)};
  engine::ViewerWindow window(counting);
  if (counting.start(window) != 0) throw std::runtime_error("the viewer ended with an error");
  return counting.cycles_per_second();
}

// What the bare loop ran on, for the report.
std::string driver_name, renderer_name;

// The least any frame cycle can cost on this renderer: clear the window, present it.
double bare_rate(double seconds, int zoom) {
  SDL_SetHint(SDL_HINT_VIDEODRIVER, host::session_drivers());
  if (SDL_Init(SDL_INIT_VIDEO) != 0) throw host::WindowSystemError("cannot open the window system");
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  SDL_SetHint(SDL_HINT_RENDER_VSYNC, "0");
  SDL_Window* window =
      host::checked(SDL_CreateWindow("bare loop", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                     window::layout_at(zoom).client_width,
                                     window::layout_at(zoom).client_height, SDL_WINDOW_SHOWN),
                    "cannot create the window");
  SDL_Renderer* renderer = create_renderer(window);
  SDL_RendererInfo info;
  if (SDL_GetRendererInfo(renderer, &info) == 0) renderer_name = info.name;
  driver_name = SDL_GetCurrentVideoDriver();
  long cycles = 0;
  const auto started = Monotonic::now();
  const auto end = started + std::chrono::duration<double>(seconds);
  for (; Monotonic::now() < end; ++cycles) {
    SDL_RenderClear(renderer);
    SDL_RenderPresent(renderer);
  }
  const double rate = static_cast<double>(cycles) /
                      std::chrono::duration<double>(Monotonic::now() - started).count();
  SDL_DestroyRenderer(renderer);
  SDL_DestroyWindow(window);
  SDL_Quit();
  return rate;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 2.0;
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
  const int zoom = argc > 3 ? std::atoi(argv[3]) : 1;
  if (!(seconds >= 0.1 && seconds <= 60) || rounds < 1 || rounds > 20 || zoom < 1 ||
      zoom > frames::kMaxZoom) {
    std::fprintf(stderr,
                 "fastest_cycle: SECONDS must be 0.1 to 60, ROUNDS 1 to 20 and ZOOM 1 to %d\n",
                 frames::kMaxZoom);
    return 2;
  }
  try {
    const window::Layout layout = window::layout_at(zoom);
    testing::XvfbDisplay display(layout.client_width + 100, layout.client_height + 100);
    std::printf("zoom %d: a %d x %d window\n\n", zoom, layout.client_width, layout.client_height);
    std::vector<double> viewer, bare;
    std::printf("| round | viewer at delay 0 (cycles/s) | bare clear + present (cycles/s) |\n");
    std::printf("|---:|---:|---:|\n");
    // Alternating the two spreads any change in the machine's load over both.
    for (int round = 1; round <= rounds; ++round) {
      viewer.push_back(viewer_rate(seconds, zoom));
      bare.push_back(bare_rate(seconds, zoom));
      std::printf("| %d | %.0f | %.0f |\n", round, viewer.back(), bare.back());
    }
    const double ratio = median(viewer) / median(bare);
    std::printf(
        "\nmedian: viewer %.0f, bare %.0f cycles/s; ratio %.2f (goal: at least 0.5); %s driver, "
        "%s renderer\n",
        median(viewer), median(bare), ratio, driver_name.c_str(), renderer_name.c_str());
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "fastest_cycle: %s\n", error.what());
    return 1;
  }
}
