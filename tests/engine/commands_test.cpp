// Keyboard and mouse commands: what each input writes, and what the next cycles make of it.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/frame_delay.hpp"
#include "engine/keyboard.hpp"
#include "engine/mouse.hpp"
#include "frames/zoom.hpp"
#include "tests/engine/scripted_viewer.hpp"
#include "window/layout.hpp"

namespace nuv::engine {
namespace {

using host::FakeHost;
using host::WindowEvents;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

TEST(KeyCommand, EveryCommandCharacter) {
  EXPECT_EQ(key_command('-'), Command::run_backward);
  EXPECT_EQ(key_command('+'), Command::run_forward);
  EXPECT_EQ(key_command(','), Command::run_forward);
  EXPECT_EQ(key_command('/'), Command::step_back);
  EXPECT_EQ(key_command('*'), Command::step_forward);
  EXPECT_EQ(key_command(' '), Command::step_forward);
  EXPECT_EQ(key_command('.'), Command::step_forward);
}

TEST(KeyCommand, OtherCharactersAreIgnored) {
  for (const std::int16_t code : {'a', 'Z', '0', '9', '=', '_', '<', '>', '\r', '\b', '\t', '\0'})
    EXPECT_EQ(key_command(code), std::nullopt) << "code " << code;
  // Wider codes whose low byte is a command character must not match by it.
  for (const int code :
       {-1, -32768, 128, 0x2212 /* minus sign */, 32767, 0x100 + '+', 0x7F00 + '/'})
    EXPECT_EQ(key_command(static_cast<std::int16_t>(code)), std::nullopt) << "code " << code;
}

using Viewer = testing::ScriptedViewer;

TEST(Keys, RunStopAndStepFromTheStartUpRun) {
  Viewer viewer(9);
  viewer.keys_after_cycle(1, "-");  // back two, then back one per cycle
  viewer.keys_after_cycle(3, "/");  // freezes a commanded run
  viewer.keys_after_cycle(4, "/");  // stopped: one back
  viewer.keys_after_cycle(5, "+");  // forward two
  viewer.keys_after_cycle(6, "*");  // freezes
  viewer.keys_after_cycle(7, ".");  // one forward
  viewer.keys_after_cycle(8, " ");  // one forward
  viewer.run();
  EXPECT_THAT(viewer.cycle_slots(), ElementsAre(1, 17, 16, 16, 15, 17, 17, 0, 1));
}

TEST(Keys, CommaRunsForwardLikePlus) {
  Viewer viewer(4);
  viewer.keys_after_cycle(1, ",");
  viewer.run();
  EXPECT_THAT(viewer.cycle_slots(), ElementsAre(1, 3, 4, 5));
  EXPECT_EQ(viewer.window.state().commanded_forward, true);
}

TEST(Keys, StepDuringTheStartUpRunMovesOneFrameAndStops) {
  Viewer viewer(4);
  viewer.keys_after_cycle(1, "/");
  viewer.run();
  EXPECT_THAT(viewer.cycle_slots(), ElementsAre(1, 0, 0, 0));
}

TEST(Keys, RepeatedRunCommandMovesTwoFramesAgain) {
  Viewer viewer(4);
  viewer.keys_after_cycle(1, "-");
  viewer.keys_after_cycle(2, "-");
  viewer.run();
  EXPECT_THAT(viewer.cycle_slots(), ElementsAre(1, 17, 15, 14));
}

TEST(Keys, LastOfSeveralKeysInOneWaitWins) {
  Viewer viewer(4);
  viewer.keys_after_cycle(1, "-+x/");  // "/" wins over the run commands; "x" changes nothing
  viewer.run();
  EXPECT_THAT(viewer.cycle_slots(), ElementsAre(1, 0, 0, 0));
}

TEST(Keys, IgnoredKeysChangeNothing) {
  Viewer viewer(3);
  viewer.keys_after_cycle(1, "aZ09=\r\b");
  viewer.run();
  EXPECT_THAT(viewer.cycle_slots(), ElementsAre(1, 2, 3));
}

TEST(Keys, EscapeEndsAtOnceInEitherMouseMode) {
  for (const bool drag_mode : {false, true}) {
    Viewer viewer(10);
    viewer.after_cycle(2, [drag_mode](WindowEvents& w) {
      if (drag_mode) w.click();
      w.key_press(kEscape);
      w.key_press('+');
    });
    EXPECT_EQ(viewer.run(), 0);
    EXPECT_EQ(viewer.host.passes(), Viewer::kFirstCyclePass + 1);
    const auto& log = viewer.host.log();
    EXPECT_THAT(std::vector<std::string>(log.end() - 2, log.end()), ElementsAre("clear", "end"));
  }
}

TEST(SpeedMode, DelayIsTheProductOfThePositionAsAFloat) {
  AnimationState s;
  s.delay = 5;
  ASSERT_TRUE(apply_mouse_move(s, 0.0f, 21.40625f));
  EXPECT_EQ(s.delay, 0.0);
  s.delay = 5;
  ASSERT_TRUE(apply_mouse_move(s, 14.8f, 0.0f));
  EXPECT_EQ(s.delay, 0.0);
  ASSERT_TRUE(apply_mouse_move(s, 1.0f, 2.0f));
  EXPECT_EQ(s.delay, 60.0);
  EXPECT_EQ(s.command, Command::stopped);
  EXPECT_EQ(s.last_drag_y, 0.0f);
}

// At every zoom the lowest visible row of the rightmost column lies within the last pixel of
// both at zoom 1, and so does its speed.
TEST(SpeedMode, BottomRightVisiblePixelGivesAbout9526) {
  const auto speed_at = [](window::Point at) {
    AnimationState s;
    EXPECT_TRUE(apply_mouse_move(s, at.x, at.y));
    EXPECT_EQ(s.delay, static_cast<double>(at.x * 30.0f * at.y));
    return s.delay;
  };
  const window::Layout zoom_1 = window::layout_at(1);
  const double corner =
      speed_at(window::to_scale(zoom_1, zoom_1.inner.width - 1, zoom_1.visible_rows - 1));
  EXPECT_NEAR(corner, 9526.0, 1.0);
  const double beyond = speed_at(window::to_scale(zoom_1, zoom_1.inner.width, zoom_1.visible_rows));
  for (int zoom = 2; zoom <= frames::kMaxZoom; ++zoom) {
    const window::Layout layout = window::layout_at(zoom);
    const double k =
        speed_at(window::to_scale(layout, layout.inner.width - 1, layout.visible_rows - 1));
    EXPECT_GT(k, corner) << zoom;
    EXPECT_LT(k, beyond) << zoom;
  }
}

// Positions whose product, rounded once from double precision, differs from the product of
// floats rounded at each step; at (179, 333) the difference changes the wait by one iteration.
TEST(SpeedMode, ProductIsRoundedToSinglePrecisionAtEachStep) {
  const struct {
    int p, q;
    float delay;
  } kPinned[] = {{179, 333, 3431.0f}, {302, 400, 0x1.b294a6p+12f}, {151, 400, 0x1.b294a6p+11f}};
  for (const auto& pinned : kPinned) {
    const window::Point at = window::to_scale(window::layout_at(1), pinned.p, pinned.q);
    AnimationState s;
    ASSERT_TRUE(apply_mouse_move(s, at.x, at.y));
    EXPECT_EQ(s.delay, double{pinned.delay}) << "pixel " << pinned.p << ", " << pinned.q;
  }
  EXPECT_EQ(idle_iterations(3431.0f), 3432);
}

TEST(SpeedMode, NonFiniteProductIsARunTimeError) {
  const float huge = std::numeric_limits<float>::max();
  for (const auto& [x, y] : {std::pair{huge, 2.0f}, std::pair{std::nanf(""), 1.0f},
                             std::pair{std::numeric_limits<float>::infinity(), 0.0f}}) {
    Viewer viewer(5);
    viewer.after_cycle(1, [x = x, y = y](WindowEvents& w) { w.mouse_move(x, y); });
    EXPECT_EQ(viewer.run(), 1);
    EXPECT_THAT(viewer.host.log().back(), ::testing::StartsWith("error Overflow"));
  }
}

TEST(DragMode, StepsForwardOnLevelOrDownwardMovementAndBackOnUpward) {
  AnimationState s;
  s.mouse_mode = MouseMode::drag;
  s.delay = 5.0f;
  ASSERT_TRUE(apply_mouse_move(s, 3.0f, 0.0f));  // the first movement compares against 0
  EXPECT_EQ(s.command, Command::step_forward);
  EXPECT_EQ(s.delay, 10000.0);
  ASSERT_TRUE(apply_mouse_move(s, 9.0f, 0.0f));  // level
  EXPECT_EQ(s.command, Command::step_forward);
  ASSERT_TRUE(apply_mouse_move(s, 9.0f, 4.5f));  // down
  EXPECT_EQ(s.command, Command::step_forward);
  ASSERT_TRUE(apply_mouse_move(s, 9.0f, 4.25f));  // up
  EXPECT_EQ(s.command, Command::step_back);
  EXPECT_EQ(s.last_drag_y, 4.25f);
}

TEST(DragMode, ScrubsOneFramePerCycleAndStopsAnyRun) {
  Viewer viewer(6);
  viewer.keys_after_cycle(1, "+");
  viewer.after_cycle(2, [](WindowEvents& w) {
    w.click();
    w.mouse_move(1.0f, 5.0f);  // first movement: forward; freezes the commanded run
  });
  viewer.after_cycle(3, [](WindowEvents& w) { w.mouse_move(1.0f, 6.0f); });
  viewer.after_cycle(4, [](WindowEvents& w) {
    w.mouse_move(1.0f, 7.0f);
    w.mouse_move(1.0f, 2.0f);  // only the last movement of a wait is acted on
  });
  viewer.run();
  EXPECT_THAT(viewer.cycle_slots(), ElementsAre(1, 3, 3, 4, 3, 3));
  EXPECT_THAT(std::vector<std::int64_t>(viewer.host.waits().end() - 3, viewer.host.waits().end()),
              ElementsAre(10001, 10001, 10001));
}

TEST(Click, TwoClicksRestoreTheRunWhateverCameBetween) {
  Viewer viewer(7);
  viewer.keys_after_cycle(1, "-");
  viewer.after_cycle(2, [](WindowEvents& w) { w.click(); });
  viewer.after_cycle(3, [](WindowEvents& w) { w.mouse_move(1.0f, 3.0f); });
  viewer.after_cycle(4, [](WindowEvents& w) { w.mouse_move(1.0f, 1.0f); });
  viewer.after_cycle(5, [](WindowEvents& w) { w.click(); });
  viewer.run();
  // Backward run, frozen by the drag steps (one back), then backward again after the restore.
  EXPECT_THAT(viewer.cycle_slots(), ElementsAre(1, 17, 16, 16, 15, 14, 13));
  EXPECT_EQ(viewer.window.state().running_backward, true);
  EXPECT_EQ(viewer.window.state().mouse_mode, MouseMode::speed);
}

TEST(Click, SecondClickRestoresTheForwardCommandSoAStepFreezesTheRun) {
  Viewer viewer(6);
  viewer.keys_after_cycle(1, "+");
  viewer.after_cycle(2, [](WindowEvents& w) {
    w.click();
    w.mouse_move(1.0f, 1.0f);
  });
  viewer.after_cycle(3, [](WindowEvents& w) { w.click(); });
  viewer.keys_after_cycle(4, "*");
  viewer.run();
  // "+" moves two, the drag step freezes, the restored run moves one, "*" freezes it.
  EXPECT_THAT(viewer.cycle_slots(), ElementsAre(1, 3, 3, 4, 4, 4));
}

TEST(Click, CommandPendingAtTheFirstClickIsActedOnAgain) {
  Viewer viewer(5);
  viewer.after_cycle(1, [](WindowEvents& w) {
    w.key_press('+');
    w.click();
  });
  viewer.after_cycle(2, [](WindowEvents& w) { w.mouse_move(1.0f, 1.0f); });
  viewer.after_cycle(3, [](WindowEvents& w) { w.click(); });
  viewer.run();
  // "+" moves two, the drag step freezes, the restored "+" moves two again.
  EXPECT_THAT(viewer.cycle_slots(), ElementsAre(1, 3, 3, 5, 6));
}

TEST(Click, KeepsTheDelayAndTheLastDragHeightAcrossModes) {
  AnimationState s;
  apply_click(s);
  ASSERT_TRUE(apply_mouse_move(s, 1.0f, 8.5f));
  apply_click(s);
  EXPECT_EQ(s.delay, 10000.0);
  apply_click(s);
  ASSERT_TRUE(apply_mouse_move(s, 1.0f, 8.0f));  // compares against the Y kept from before
  EXPECT_EQ(s.command, Command::step_back);
}

TEST(DoubleClick, ArrivesAfterAClickAndEndsTheProgram) {
  Viewer viewer(10);
  viewer.after_cycle(2, [](WindowEvents& w) {
    w.click();
    w.double_click();
  });
  EXPECT_EQ(viewer.run(), 0);
  EXPECT_EQ(viewer.window.state().mouse_mode, MouseMode::drag);
  EXPECT_THAT(std::vector<std::string>(viewer.host.log().end() - 2, viewer.host.log().end()),
              ElementsAre("clear", "end"));
}

TEST(InputStorm, HundredThousandEventsInOneWaitActOnlyOnTheLast) {
  Viewer viewer(4);
  viewer.after_cycle(1, [](WindowEvents& w) {
    constexpr char kKeys[] = "+-/*., xq";
    for (int i = 0; i < 100000; ++i) {
      w.key_press(kKeys[i % 9]);
      w.mouse_move(static_cast<float>(i % 300) * 0.049f, static_cast<float>(i % 549) / 25.6f);
      if (i % 1000 == 0) w.click();
    }
    w.key_press('-');
  });
  EXPECT_EQ(viewer.run(), FakeHost::kScriptOver);
  EXPECT_EQ(viewer.host.passes(), Viewer::kFirstCyclePass - 1 + 4);
  EXPECT_THAT(viewer.cycle_slots(), ElementsAre(1, 17, 16, 15));
}

}  // namespace
}  // namespace nuv::engine
