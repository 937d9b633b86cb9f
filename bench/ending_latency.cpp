// Time from each ending (the close control, SIGTERM, SIGINT, SIGHUP) to the viewer's exit, in the
// middle of a start-up frame's one-second wait, in drag mode, and while a burst of 20,000 keys is
// worked through; and the time a burst of 20,000 keys and Escape take to end the viewer. On a
// private Xvfb display (or weston, with NUV_TEST_SESSION=wayland): the median and the longest of
// ROUNDS runs each.
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

#include "bench/statistics.hpp"
#include "tests/real_window/x_session.hpp"

namespace {

using namespace nuv;
using namespace std::chrono_literals;
using Monotonic = std::chrono::steady_clock;

struct Ending {
  const char* name;
  int signal;  // 0 for the close control
};
constexpr Ending kEndings[] = {
    {"close control", 0}, {"SIGTERM", SIGTERM}, {"SIGINT", SIGINT}, {"SIGHUP", SIGHUP}};

enum class Mode { start_up, drag, flood };
constexpr Mode kModes[] = {Mode::start_up, Mode::drag, Mode::flood};
const char* name_of(Mode mode) {
  switch (mode) {
    case Mode::start_up:
      return "start-up speed, mid-wait";
    case Mode::drag:
      return "drag mode";
    case Mode::flood:
      return "20,000 keys being read";
  }
  return "";
}

constexpr std::size_t kFloodKeys = 20000;

// Keys that command nothing, so that the viewer's state stays as it was.
std::string flood() {
  return std::string(kFloodKeys, 'a');
}

// Sent while the viewer is stopped, so that all of it waits at once.
void send_flood(testing::Viewer& viewer, const std::vector<std::string>& then = {}) {
  kill(viewer.process().pid(), SIGSTOP);
  std::vector<std::string> arguments{"type", "--delay", "0", flood()};
  testing::xdotool(arguments);
  if (!then.empty()) testing::xdotool(then);
}

double ms_until_ended(testing::Viewer& viewer, Monotonic::time_point from) {
  while (viewer.process().running()) {
  }
  return std::chrono::duration<double, std::milli>(Monotonic::now() - from).count();
}

// Milliseconds from the ending being sent to the process having ended.
double one_ending(const Ending& ending, Mode mode) {
  testing::Viewer viewer;
  const int first = viewer.wait_for_slot_change(-1, testing::kPatience);
  const int slot = viewer.wait_for_slot_change(first, testing::kPatience);
  if (slot < 0) throw std::runtime_error("no frame appeared");
  // The click and the movement take hold in the pass that ends this frame, with a step.
  if (mode == Mode::drag) {
    testing::xdotool(viewer.pointer_to(150, 200));
    testing::xdotool({"click", "1"});
    testing::xdotool(viewer.pointer_to(150, 210));
    if (viewer.wait_for_slot_change(slot, testing::kPatience) == slot)
      throw std::runtime_error("no drag step");
  }
  if (mode == Mode::flood) send_flood(viewer);
  std::this_thread::sleep_for(300ms);  // well inside a start-up wait, or many drag-mode cycles
  if (mode == Mode::flood) kill(viewer.process().pid(), SIGCONT);
  const auto sent = Monotonic::now();
  if (ending.signal == 0)
    viewer.close();
  else
    kill(viewer.process().pid(), ending.signal);
  return ms_until_ended(viewer, sent);
}

// Milliseconds from the viewer going on with a burst and Escape waiting to its end.
double flood_then_escape() {
  testing::Viewer viewer;
  if (viewer.wait_for_slot_change(-1, testing::kPatience) < 0)
    throw std::runtime_error("no frame appeared");
  send_flood(viewer, {"key", "Escape"});
  const auto sent = Monotonic::now();
  kill(viewer.process().pid(), SIGCONT);
  return ms_until_ended(viewer, sent);
}

void print_row(const std::string& what, const std::string& mode, const std::vector<double>& times) {
  std::printf("| %s | %s | %.2f | %.2f |\n", what.c_str(), mode.c_str(), bench::median(times),
              bench::quantile(times, 1));
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
    std::printf("| ending | while | median (ms) | longest (ms) |\n|---|---|---:|---:|\n");
    for (const Ending& ending : kEndings)
      for (const Mode mode : kModes) {
        std::vector<double> times;
        for (int round = 0; round < rounds; ++round) times.push_back(one_ending(ending, mode));
        print_row(ending.name, name_of(mode), times);
      }
    std::vector<double> times;
    for (int round = 0; round < rounds; ++round) times.push_back(flood_then_escape());
    print_row("Escape after 20,000 keys", "start-up speed", times);
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "ending_latency: %s\n", error.what());
    return 1;
  }
}
