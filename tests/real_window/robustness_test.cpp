// The real window under abuse: a flood of keys arriving faster than the viewer looks at them,
// and the display going away while the viewer runs.

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>
#include <thread>

#include "tests/real_window/x_session.hpp"
#include "window/layout.hpp"

namespace nuv::testing {
namespace {

using namespace std::chrono_literals;

// Picture1's inner area starts two pixels in; a few pixels further the speed product is tiny,
// so the viewer runs as fast as it can.
constexpr int kNearTopLeft = window::kPicture1Inner.x + 3;

// Command keys and keys that command nothing, shuffled the same way on every run.
std::string key_burst(std::size_t length) {
  constexpr std::string_view kKeys = "+-/*., aqzx";
  std::mt19937 shuffle(2024);
  std::string burst;
  for (std::size_t i = 0; i < length; ++i) burst += kKeys[shuffle() % kKeys.size()];
  return burst;
}

void run_flat_out(const Viewer& viewer) {
  xdotool(viewer.pointer_to(kNearTopLeft, kNearTopLeft));
}

// Whether the picture changes several times within a moment, as it does only when a run goes
// at the pointer's speed.
bool runs_fast(const Viewer& viewer) {
  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  while (std::chrono::steady_clock::now() < deadline) {
    int changes = 0;
    int last = -1;
    for (const SlotSample& sample : viewer.sample_slots(300ms)) {
      if (last >= 0 && sample.slot != last) ++changes;
      last = sample.slot;
    }
    if (changes >= 3) return true;
  }
  return false;
}

// The slot once the picture has stopped changing.
int settled_slot(const Viewer& viewer) {
  return viewer.wait_until_still(300ms, kPatience);
}

TEST(KeyFlood, AThousandKeysAtOnceLeaveTheViewerSteerable) {
  XvfbDisplay display;
  Viewer viewer;
  ASSERT_GE(viewer.wait_for_slot_change(-1, kPatience), 0);
  // At the start-up speed the viewer looks at input once a second, so the flood piles up in
  // its queue and a whole pump pass has to work through it.
  // It ends with "+", so once it has been worked through a run goes on at the pointer's speed.
  xdotool({"type", "--delay", "0", key_burst(1000) + "+"});
  ASSERT_TRUE(viewer.process().running());

  run_flat_out(viewer);
  ASSERT_TRUE(runs_fast(viewer)) << "no fast run after the flood";
  xdotool({"key", "asterisk"});  // stops a run, or steps when already stopped
  const int stopped_at = settled_slot(viewer);
  ASSERT_GE(stopped_at, 0) << "the picture did not come to rest after a stop";
  xdotool({"key", "asterisk"});
  EXPECT_EQ(settled_slot(viewer), (stopped_at + 1) % frames::kFrameCount);
  xdotool({"key", "slash"});
  EXPECT_EQ(settled_slot(viewer), stopped_at);

  xdotool({"key", "Escape"});
  EXPECT_EQ(viewer.process().wait_for(kPatience), 0);
}

// The viewer is stopped while the burst is sent, so that all of it waits at once. Handling each
// key in a time that grows with the queue would take minutes; how soon it ends is measured by
// bench/ending_latency.
TEST(KeyFlood, ABurstOfTwentyThousandKeysIsWorkedThroughAndEscapeEnds) {
  XvfbDisplay display;
  Viewer viewer;
  ASSERT_GE(viewer.wait_for_slot_change(-1, kPatience), 0);
  run_flat_out(viewer);
  ASSERT_TRUE(runs_fast(viewer));
  kill(viewer.process().pid(), SIGSTOP);
  xdotool({"type", "--delay", "0", key_burst(20000)});
  xdotool({"key", "Escape"});
  kill(viewer.process().pid(), SIGCONT);
  EXPECT_EQ(viewer.process().wait_for(kPatience), 0);
}

// Without a window manager any client may resize the viewer's window. The viewer asks for its own
// size again and goes on showing its frames.
TEST(Resized, ByAnotherClientTheViewerKeepsRunningAndShowsItsFrames) {
  XvfbDisplay display;
  Viewer viewer;
  ASSERT_GE(viewer.wait_for_slot_change(-1, kPatience), 0);
  for (const char* size : {"100 100", "1 1", "600 800"}) {
    const std::string width = size, height = width.substr(width.find(' ') + 1);
    xdotool({"windowsize", viewer.window_id(), width.substr(0, width.find(' ')), height});
    EXPECT_GE(viewer.wait_for_slot_change(-1, kPatience), 0) << "after a resize to " << size;
    ASSERT_TRUE(viewer.process().running()) << "after a resize to " << size;
  }
  xdotool({"key", "--window", viewer.window_id(), "Escape"});
  EXPECT_EQ(viewer.process().wait_for(kPatience), 0);
}

// A window destroyed by another program is lost to the viewer, as a display that goes away is: it
// ends with an error that says so.
TEST(Robustness, AWindowDestroyedByAnotherProgramEndsTheViewerWithAnError) {
  const TempFile errors("nuv-window-destroyed");
  XvfbDisplay display;
  Viewer viewer(errors.path());
  ASSERT_GE(viewer.wait_for_slot_change(-1, kPatience), 0);
  xdotool({"windowclose", viewer.window_id()});
  EXPECT_EQ(viewer.process().wait_for(kPatience), 1);
  EXPECT_NE(
      errors.contents().find("nuv: run-time error: the window was destroyed by another program"),
      std::string::npos)
      << errors.contents();
}

// Whether the viewer is sleeping out a long wait or presenting flat out when the server goes: the
// X server, or the Wayland compositor.
class DisplayGoesAway : public ::testing::TestWithParam<bool> {};

TEST_P(DisplayGoesAway, EndsTheViewerWithAnErrorThatNamesTheDisplay) {
  const bool flat_out = GetParam();
  const TempFile errors("nuv-display-lost");
  XvfbDisplay display;
  Viewer viewer(errors.path());
  ASSERT_GE(viewer.wait_for_slot_change(-1, kPatience), 0);
  if (flat_out) run_flat_out(viewer);

  display.kill_server();
  const auto status = viewer.process().wait_for(kPatience);
  ASSERT_TRUE(status.has_value()) << "the viewer still runs after its display went away";
  EXPECT_EQ(*status, 1);
  const std::string written = errors.contents();
  EXPECT_NE(written.find(XvfbDisplay::lost_display_message()), std::string::npos)
      << "standard error: " << written;
}

INSTANTIATE_TEST_SUITE_P(Robustness, DisplayGoesAway, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& speed) {
                           return speed.param ? "WhilePresentingFlatOut" : "DuringALongWait";
                         });

// Started with standard output and error closed, on a screen too small for the zoom asked for, the
// viewer writes its notice into nothing and takes no descriptor of its own for a stream: its
// signals still end it, with the shell's status for the signal.
TEST(ClosedStreams, TheViewerRunsAndEndsByItsSignal) {
  XvfbDisplay display;
  ChildProcess viewer({"sh", "-c", "exec \"$0\" --zoom 2 >&- 2>&-", viewer_path()});
  const WindowReader reader;
  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  while (!reader.find_viewer() && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(10ms);
  ASSERT_TRUE(reader.find_viewer()) << "no window";
  kill(viewer.pid(), SIGTERM);
  EXPECT_EQ(viewer.wait_for(kPatience), 128 + SIGTERM);
}

// With no descriptor left, for its connection or for the signals' pipe before it (as where the
// test was started with more open), the viewer says so, not that there is no display.
TEST(NoDescriptorLeft, TheViewerSaysWhatRanOut) {
  XvfbDisplay display;
  const CommandResult result =
      run_command({"sh", "-c", "exec 2>&1; ulimit -n 5; exec \"$0\"", viewer_path()});
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.output.find("Too many open files"), std::string::npos) << result.output;
  EXPECT_EQ(result.output.find("no X display"), std::string::npos) << result.output;
}

TEST(NoDisplay, TheViewerSaysSoAndEndsWithAnError) {
  const CommandResult result = run_command(
      {"sh", "-c",
       "exec env -u DISPLAY -u WAYLAND_DISPLAY -u NUV_WINDOW_SYSTEM timeout 20 \"$0\" 2>&1",
       viewer_path()});
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.output.find("nuv: run-time error: cannot open the window system"),
            std::string::npos)
      << result.output;
}

}  // namespace
}  // namespace nuv::testing
