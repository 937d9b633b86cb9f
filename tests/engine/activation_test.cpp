// Activation and the frame cycle against the scripted host.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "engine/keyboard.hpp"
#include "tests/engine/scripted_viewer.hpp"

namespace nuv::engine {
namespace {

using host::FakeHost;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using Viewer = testing::ScriptedViewer;

constexpr int kLoadingPasses = Viewer::kLoadingPasses;

TEST(Activation, LoadsEveryImageShowingSlotZeroFirstWithOnePassAfterEachLaterSlot) {
  Viewer viewer(0);
  EXPECT_EQ(viewer.run(), FakeHost::kScriptOver);
  std::vector<std::string> expected = {"read Image1", "show Image1"};
  for (int image = 2; image <= frames::kFrameCount; ++image) {
    expected.push_back("read Image" + std::to_string(image));
    expected.push_back("pump " + std::to_string(image - 1));
  }
  EXPECT_THAT(viewer.host.log(), ElementsAreArray(expected));
  EXPECT_TRUE(viewer.host.waits().empty());
}

TEST(Activation, CycleShowsSlotOneFirstThenWrapsFromSeventeenToZero) {
  Viewer viewer(40);
  viewer.run();
  const std::vector<int> shown = viewer.host.shown_images();
  ASSERT_EQ(shown.size(), 41u);
  EXPECT_EQ(shown[0], 1);  // slot 0, during loading
  for (std::size_t cycle = 1; cycle < shown.size(); ++cycle)
    EXPECT_EQ(shown[cycle], static_cast<int>(cycle % frames::kFrameCount) + 1) << "cycle " << cycle;
}

TEST(Activation, EachCycleStepsShowsWaitsThenPumps) {
  Viewer viewer(2);
  viewer.run();
  const auto& log = viewer.host.log();
  EXPECT_THAT(std::vector<std::string>(log.end() - 4, log.end()),
              ElementsAre("show Image2", "pump 18", "show Image3", "pump 19"));
  EXPECT_THAT(viewer.host.waits(), ElementsAre(1000001, 1000001));
}

TEST(Activation, StoppedAnimationStillShowsThePictureEveryCycle) {
  Viewer viewer(4);
  viewer.host.during_pass(18, [](host::WindowEvents& w) { w.key_press('*'); });
  viewer.run();
  const std::vector<int> shown = viewer.host.shown_images();
  EXPECT_THAT(std::vector<int>(shown.end() - 4, shown.end()), ElementsAre(2, 3, 3, 3));
}

TEST(Activation, InputDuringLoadingCannotChangeTheStart) {
  Viewer viewer(2);
  viewer.host.during_pass(4, [](host::WindowEvents& w) { w.key_press('/'); });
  viewer.host.during_pass(9, [](host::WindowEvents& w) { w.mouse_move(1.0f, 1.0f); });
  viewer.host.during_pass(16, [](host::WindowEvents& w) { w.key_press('-'); });
  viewer.run();
  EXPECT_THAT(viewer.host.waits(), ElementsAre(1000001, 1000001));
  const std::vector<int> shown = viewer.host.shown_images();
  EXPECT_THAT(std::vector<int>(shown.end() - 2, shown.end()), ElementsAre(2, 3));
}

TEST(Activation, ClickDuringLoadingKeepsDragModeAndLaterRestoresAStop) {
  Viewer viewer(4);
  viewer.host.during_pass(3, [](host::WindowEvents& w) { w.click(); });
  viewer.host.during_pass(kLoadingPasses, [&](host::WindowEvents&) {
    EXPECT_EQ(viewer.window.state().mouse_mode, MouseMode::drag);
  });
  // Leaving drag mode restores the run saved before the starting values: stopped.
  viewer.host.during_pass(19, [](host::WindowEvents& w) { w.click(); });
  viewer.run();
  EXPECT_EQ(viewer.window.state().mouse_mode, MouseMode::speed);
  EXPECT_EQ(viewer.window.state().command, Command::stopped);
  const std::vector<int> shown = viewer.host.shown_images();
  EXPECT_THAT(std::vector<int>(shown.end() - 4, shown.end()), ElementsAre(2, 3, 3, 3));
}

TEST(Activation, CommandPendingAtALoadingClickIsActedOnAfterTheNextClick) {
  Viewer viewer(3);
  viewer.host.during_pass(2, [](host::WindowEvents& w) {
    w.key_press('-');
    w.click();
  });
  viewer.host.during_pass(18, [](host::WindowEvents& w) { w.click(); });
  viewer.run();
  const std::vector<int> shown = viewer.host.shown_images();
  // Slot 1, then the restored run-backward command moves two back, then one more.
  EXPECT_THAT(std::vector<int>(shown.end() - 3, shown.end()), ElementsAre(2, 18, 17));
}

TEST(Activation, FrameWaitReadsTheDelayOnceWhenItStarts) {
  Viewer viewer(3);
  viewer.host.during_pass(18, [](host::WindowEvents& w) { w.mouse_move(2.0f, 0.5f); });
  viewer.host.during_pass(19, [](host::WindowEvents& w) { w.mouse_move(-1.0f, 1.0f); });
  viewer.run();
  EXPECT_THAT(viewer.host.waits(), ElementsAre(1000001, 31, 0));
}

TEST(Activation, EscapeClearsTheWindowAndEndsWithNothingAfter) {
  Viewer viewer(10);
  viewer.host.during_pass(19, [](host::WindowEvents& w) {
    w.key_press(engine::kEscape);
    w.key_press('+');
  });
  EXPECT_EQ(viewer.run(), 0);
  const auto& log = viewer.host.log();
  EXPECT_THAT(std::vector<std::string>(log.end() - 3, log.end()),
              ElementsAre("pump 19", "clear", "end"));
}

TEST(Activation, EscapeEndsDuringLoadingToo) {
  Viewer viewer(0);
  viewer.host.during_pass(5, [](host::WindowEvents& w) { w.key_press(engine::kEscape); });
  EXPECT_EQ(viewer.run(), 0);
  EXPECT_EQ(viewer.host.passes(), 5);
  EXPECT_EQ(viewer.host.log().back(), "end");
}

}  // namespace
}  // namespace nuv::engine
