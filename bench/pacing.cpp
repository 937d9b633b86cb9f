// Measures the frame wait against its nominal length for a range of delays.
// Usage: pacing [REPETITIONS_SCALE]   (1 by default; 0.1 for a quick run)
// Prints a Markdown table: delay, nominal wait, median and 99th-percentile error in microseconds.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "engine/frame_delay.hpp"

namespace {

using namespace nuv::engine;
using Monotonic = std::chrono::steady_clock;

struct Row {
  std::int32_t delay;
  int repetitions;
};

// Long waits are repeated less often so the whole run stays within a few minutes.
constexpr Row kRows[] = {{0, 20000},   {10, 20000},   {100, 10000}, {1000, 4000},
                         {9526, 1000}, {10000, 1000}, {1000000, 60}};

double percentile(std::vector<double> values, double fraction) {
  std::sort(values.begin(), values.end());
  const auto index = static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1));
  return values[index];
}

}  // namespace

int main(int argc, char** argv) {
  const double scale = argc > 1 ? std::atof(argv[1]) : 1.0;
  if (!(scale > 0 && scale <= 100)) {
    std::fprintf(stderr, "pacing: repetitions scale must be a number above 0 and at most 100\n");
    return 2;
  }
  SteadyClock clock;
  std::printf(
      "| delay | nominal wait (us) | runs | median error (us) | 99th percentile error (us) |\n");
  std::printf("|---:|---:|---:|---:|---:|\n");
  bool within_targets = true;
  for (const Row& row : kRows) {
    const auto nominal = idle_iterations(row.delay) * kIdleIterationTime;
    const int runs = std::max(3, static_cast<int>(row.repetitions * scale));
    std::vector<double> errors;
    for (int run = 0; run < runs; ++run) {
      const auto start = Monotonic::now();
      clock.wait(nominal);
      const std::chrono::duration<double, std::micro> took = Monotonic::now() - start;
      errors.push_back(took.count() - static_cast<double>(nominal.count()));
    }
    const double median = percentile(errors, 0.5);
    const double p99 = percentile(errors, 0.99);
    within_targets = within_targets && median <= 20 && p99 <= 100;
    std::printf("| %d | %lld | %d | %.1f | %.1f |\n", row.delay,
                static_cast<long long>(nominal.count()), runs, median, p99);
  }
  std::printf("\n%s\n", within_targets
                            ? "All within the targets (median <= 20 us, p99 <= 100 us)."
                            : "Some rows miss the targets (median <= 20 us, p99 <= 100 us).");
  return 0;
}
