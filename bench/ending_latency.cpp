// Time from the close control and from SIGTERM to the viewer's exit, in the middle of a
// start-up frame's one-second wait and in drag mode, on a private Xvfb display: the median and
// the longest of ROUNDS runs each.
// Usage: ending_latency [ROUNDS]   (10 by default)

#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "tests/window/x_session.hpp"

namespace {

using namespace nuv;
using namespace std::chrono_literals;
using Monotonic = std::chrono::steady_clock;

enum class Ending { kCloseControl, kSigterm };
enum class Mode { kStartUp, kDrag };

// Milliseconds from the ending being sent to the process having ended.
double one_ending(Ending ending, Mode mode) {
  testing::Viewer viewer;
  const int first = viewer.wait_for_slot_change(-1, 10s);
  const int slot = viewer.wait_for_slot_change(first, 3s);
  if (slot < 0) throw std::runtime_error("no frame appeared");
  // The click and the movement take hold in the pass that ends this frame, with a step.
  if (mode == Mode::kDrag) {
    testing::xdotool({"mousemove", "--window", viewer.window_id(), "150", "200", "click", "1"});
    testing::xdotool({"mousemove", "--window", viewer.window_id(), "150", "210"});
    if (viewer.wait_for_slot_change(slot, 3s) == slot) throw std::runtime_error("no drag step");
  }
  std::this_thread::sleep_for(300ms);  // well inside a start-up wait, or many drag-mode cycles
  const auto sent = Monotonic::now();
  if (ending == Ending::kCloseControl)
    viewer.close();
  else
    kill(viewer.process().pid(), SIGTERM);
  while (viewer.process().running()) {
  }
  return std::chrono::duration<double, std::milli>(Monotonic::now() - sent).count();
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::atoi(argv[1]) : 10;
  if (rounds < 1 || rounds > 100) {
    std::fprintf(stderr, "ending_latency: ROUNDS must be 1 to 100\n");
    return 2;
  }
  try {
    testing::XvfbDisplay display;
    std::printf("| ending | mode | median (ms) | longest (ms) |\n|---|---|---:|---:|\n");
    for (const Ending ending : {Ending::kCloseControl, Ending::kSigterm})
      for (const Mode mode : {Mode::kStartUp, Mode::kDrag}) {
        std::vector<double> times;
        for (int round = 0; round < rounds; ++round) times.push_back(one_ending(ending, mode));
        std::sort(times.begin(), times.end());
        std::printf("| %s | %s | %.2f | %.2f |\n",
                    ending == Ending::kCloseControl ? "close control" : "SIGTERM",
                    mode == Mode::kStartUp ? "start-up speed" : "drag mode",
                    times[times.size() / 2], times.back());
      }
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "ending_latency: %s\n", error.what());
    return 1;
  }
}
