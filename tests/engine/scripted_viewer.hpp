#pragma once
// The window object on the scripted host, which records every wait instead of waiting: the
// engine's tests drive it with input scheduled into chosen pump passes.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "engine/viewer_window.hpp"
#include "frames/picture.hpp"
#include "host/fake/fake_host.hpp"

namespace nuv::testing {

// Loading takes pump passes 1 to 17; after it, each cycle ends with one pump pass.
struct ScriptedViewer {
  static constexpr int kLoadingPasses = frames::kFrameCount - 1;
  static constexpr int kFirstCyclePass = kLoadingPasses + 1;

  // The program runs until it ends itself or `cycles` cycles after loading are over.
  explicit ScriptedViewer(int cycles) : host(kLoadingPasses + cycles), window(host) {}

  // Runs `action` in the pump pass after cycle `cycle` (1 = the first cycle).
  void after_cycle(int cycle, host::FakeHost::Action action) {
    host.during_pass(kLoadingPasses + cycle, std::move(action));
  }
  void keys_after_cycle(int cycle, std::string keys) {
    after_cycle(cycle, [keys](host::WindowEvents& w) {
      for (const char key : keys) w.key_press(key);
    });
  }
  // Slots shown by the cycles (loading's slot 0 left out).
  std::vector<int> cycle_slots() const {
    std::vector<int> slots;
    for (const int image : host.shown_images()) slots.push_back(image - 1);
    slots.erase(slots.begin());
    return slots;
  }
  int run() { return host.start(window); }

  host::FakeHost host;
  engine::ViewerWindow window;
};

}  // namespace nuv::testing
