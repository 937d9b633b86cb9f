// The pacer alone against the real clock, with a window that is always visible and takes every
// picture at once: for a range of delays, the cycles a second against the nominal rate of one
// cycle every (delay + 1) us, the pictures a second, and the processor share it took.
// Usage: pacing [SECONDS]   (seconds a delay, 2 by default)

#include <time.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "bench/process_time.hpp"
#include "engine/frame_delay.hpp"
#include "host/pacer.hpp"

namespace {

using namespace nuv;
using namespace std::chrono_literals;

class HeadlessWindow final : public host::PacedWindow {
 public:
  host::TimePoint now() const override { return host::MonotonicClock::now(); }
  bool visible() const override { return true; }
  bool ready() const override { return true; }
  host::Duration refresh() const override { return host::kAssumedRefresh; }
  void present() override { ++presents; }
  void sleep_until(host::TimePoint until) override {
    const auto since_epoch = until.time_since_epoch();
    const auto seconds = std::chrono::floor<std::chrono::seconds>(since_epoch);
    const timespec at{static_cast<time_t>(seconds.count()),
                      static_cast<long>(std::chrono::nanoseconds(since_epoch - seconds).count())};
    clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr);
  }
  long presents = 0;
};

constexpr std::int32_t kDelays[] = {0, 10, 100, 1000, 9526, 10000, 100000, 1000000};

}  // namespace

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 2.0;
  if (!(seconds > 0 && seconds <= 600)) {
    std::fprintf(stderr, "pacing: SECONDS must be above 0 and at most 600\n");
    return 2;
  }
  std::printf("| delay | cycles/s | nominal | ratio | pictures/s | processor |\n");
  std::printf("|---:|---:|---:|---:|---:|---:|\n");
  for (const std::int32_t delay : kDelays) {
    HeadlessWindow window;
    host::Pacer pacer(window);
    const auto wait = engine::idle_iterations(delay) * engine::kIdleIterationTime;
    const auto span = std::chrono::duration<double>(
        std::max(seconds, 2.0 * static_cast<double>(wait.count()) / 1e6));
    const double processor_before = bench::processor_seconds();
    // Counted up to the start of the last wait that slept: the cycles it slept past run after it,
    // and would be left out at the end of the span.
    const auto start = host::MonotonicClock::now();
    long cycles = 0, counted = 0;
    auto counted_until = start;
    for (auto now = start; now - start < span; ++cycles) {
      pacer.picture_changed();
      pacer.wait(wait);
      if (const auto after = host::MonotonicClock::now(); after - now > wait / 2) {
        counted = cycles;
        counted_until = now;
        now = after;
      }
    }
    const double took = std::chrono::duration<double>(counted_until - start).count();
    const double rate = static_cast<double>(counted) / took;
    const double nominal = 1e6 / static_cast<double>(wait.count());
    std::printf("| %d | %.0f | %.0f | %.4f | %.1f | %.2f %% |\n", delay, rate, nominal,
                rate / nominal, static_cast<double>(window.presents) / took,
                100 * (bench::processor_seconds() - processor_before) / took);
  }
  return 0;
}
