// The cycles a second the viewer runs, and the processor share it takes, across the range of
// delays, against the nominal rate of one cycle every (delay + 1) us: the real window object on
// the real host, on a private Xvfb display (or weston, with NUV_TEST_SESSION=wayland), in this
// one process. Only the host is wrapped: the first frame wait sets the delay, as the pointer
// resting at that place would, and the wait due after the span ends the program.
// Usage: cycle_rate [SECONDS [ZOOM]]   (2 seconds a delay, zoom 1 by default)

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <stdexcept>
#include <string>

#include "bench/process_time.hpp"
#include "engine/viewer_window.hpp"
#include "frames/zoom.hpp"
#include "host/window_host.hpp"
#include "tests/real_window/x_session.hpp"
#include "window/layout.hpp"

namespace {

using namespace nuv;
using Monotonic = std::chrono::steady_clock;

// The host, with a counter on its frame wait.
class CountingHost final : public host::Host {
 public:
  CountingHost(host::Host& host, float delay, std::chrono::duration<double> span)
      : host_(host), delay_(delay), span_(span) {}

  int start(host::WindowEvents& window) override {
    window_ = &window;
    return host_.start(window);
  }
  host::PictureRef image_picture(int number) override { return host_.image_picture(number); }
  void set_picture(const host::PictureRef& picture) override { host_.set_picture(picture); }
  void idle(std::chrono::microseconds duration) override {
    if (cycles_ < 0) {
      // The speed-mode delay is X * 30 * Y.
      window_->mouse_move(1.0f, delay_ / 30.0f);
      started_ = Monotonic::now();
      processor_ = bench::processor_seconds();
      cycles_ = 0;
      return;
    }
    // Counted up to the start of the last wait that slept: the cycles it slept past run after it,
    // and would be left out at the end of the span.
    const auto before = Monotonic::now();
    if (before - started_ >= span_) {
      processor_ = bench::processor_seconds() - processor_;
      throw host::ProgramExit{0};
    }
    host_.idle(duration);
    if (Monotonic::now() - before > duration / 2) {
      counted_ = cycles_;
      ended_ = before;
    }
    ++cycles_;
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

  double seconds() const { return std::chrono::duration<double>(ended_ - started_).count(); }
  double cycles_per_second() const { return static_cast<double>(counted_) / seconds(); }
  double processor_share() const {
    return processor_ / std::chrono::duration<double>(span_).count();
  }

 private:
  host::Host& host_;
  float delay_;
  std::chrono::duration<double> span_;
  host::WindowEvents* window_ = nullptr;
  Monotonic::time_point started_, ended_;
  double processor_ = 0;
  long cycles_ = -1, counted_ = 0;
};

constexpr float kDelays[] = {0, 10, 100, 1000, 9526, 10000};

}  // namespace

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 2.0;
  const int zoom = argc > 2 ? std::atoi(argv[2]) : 1;
  if (!(seconds >= 0.1 && seconds <= 60) || zoom < 1 || zoom > frames::kMaxZoom) {
    std::fprintf(stderr, "cycle_rate: SECONDS must be 0.1 to 60 and ZOOM 1 to %d\n",
                 frames::kMaxZoom);
    return 2;
  }
  try {
    const window::Layout layout = window::layout_at(zoom);
    testing::XvfbDisplay display(layout.client_width + 100, layout.client_height + 100);
    std::printf("zoom %d, %s: a %d x %d window\n\n", zoom,
                testing::test_session().wayland ? "Wayland" : "X11", layout.client_width,
                layout.client_height);
    std::printf("| delay | cycles/s | nominal | ratio | processor |\n|---:|---:|---:|---:|---:|\n");
    for (const float delay : kDelays) {
      host::WindowHost real([zoom] { return host::open_window_system(zoom); });
      CountingHost counting(real, delay, std::chrono::duration<double>(seconds));
      engine::ViewerWindow window(counting);
      if (counting.start(window) != 0) throw std::runtime_error("the viewer ended with an error");
      const double nominal = 1e6 / (static_cast<double>(static_cast<long>(delay)) + 1);
      std::printf("| %.0f | %.0f | %.0f | %.4f | %.2f %% |\n", delay, counting.cycles_per_second(),
                  nominal, counting.cycles_per_second() / nominal,
                  100 * counting.processor_share());
    }
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "cycle_rate: %s\n", error.what());
    return 1;
  }
}
