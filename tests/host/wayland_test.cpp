// What the Wayland host computes without a compositor: the buffers' scale and the window's fixed
// size in points at every zoom and output scale, and the repetition of held keys.

#include <gtest/gtest.h>

#include "host/wayland/key_repeat.hpp"
#include "host/wayland/surface_scale.hpp"
#include "window/layout.hpp"

namespace nuv::host::wayland {
namespace {

using namespace std::chrono_literals;

// The window's size in points is what the compositor is told as its smallest and largest; its
// buffers hold every pixel of the output under it, and a pointer position maps back onto the
// layout.
TEST(SurfaceScale, FixedSizeInPointsAndBuffersAtTheOutputsScale) {
  const struct {
    int zoom, output_scale;
    int magnify, per_point;
    window::Size points;
  } cases[] = {
      {1, 1, 1, 1, {307, 551}},  {2, 2, 1, 2, {307, 551}}, {3, 3, 1, 3, {307, 551}},
      {1, 2, 2, 1, {307, 551}},  {1, 3, 3, 1, {307, 551}}, {2, 1, 1, 1, {614, 1102}},
      {3, 2, 2, 1, {921, 1653}},
  };
  for (const auto& [zoom, output_scale, magnify, per_point, points] : cases) {
    const window::Layout layout = window::layout_at(zoom);
    const SurfaceScale scale = surface_scale(layout, output_scale);
    EXPECT_EQ(scale.buffer_scale, output_scale) << zoom << " on " << output_scale;
    EXPECT_EQ(scale.magnify, magnify) << zoom << " on " << output_scale;
    EXPECT_EQ(scale.layout_pixels_per_point, per_point) << zoom << " on " << output_scale;
    EXPECT_EQ(scale.points.width, points.width) << zoom << " on " << output_scale;
    EXPECT_EQ(scale.points.height, points.height) << zoom << " on " << output_scale;
    // The buffer covers the window's points at the output's scale, whole.
    EXPECT_EQ(layout.client_width * scale.magnify, scale.points.width * output_scale);
    EXPECT_EQ(layout.client_height * scale.magnify, scale.points.height * output_scale);
  }
}

TEST(ConfiguredSize, TheCompositorsSizeWhereItImposesOneElseTheWindowsOwn) {
  const window::Size own{307, 551}, given{600, 375};
  const struct {
    const char* what;
    std::optional<window::Size> given;
    bool imposing_state, shown;
    window::Size size;
  } cases[] = {
      {"no size given", std::nullopt, true, true, own},
      {"a size of nothing", window::Size{0, 0}, true, true, own},
      {"a new window's first suggestion", given, false, false, own},
      {"a new window tiled", given, true, false, given},
      {"a window shown, resized by the compositor", given, false, true, given},
  };
  for (const auto& [what, given_size, imposing_state, shown, size] : cases) {
    const window::Size configured = configured_size(given_size, imposing_state, shown, own);
    EXPECT_EQ(configured.width, size.width) << what;
    EXPECT_EQ(configured.height, size.height) << what;
  }
}

TEST(KeyRepeat, RepeatsAfterTheDelayAtTheRateUntilReleased) {
  const TimePoint pressed{};
  KeyRepeat repeat;
  repeat.set_rate(25, 600ms);
  repeat.press(30, U'+', pressed);
  EXPECT_EQ(repeat.next(), pressed + 600ms);
  EXPECT_EQ(repeat.take_due(pressed + 599ms), 0);
  EXPECT_EQ(repeat.take_due(pressed + 600ms), 1);
  EXPECT_EQ(repeat.take_due(pressed + 719ms), 2) << "at 640 and 680 ms";
  EXPECT_EQ(repeat.character(), U'+');
  repeat.release(31);
  EXPECT_TRUE(repeat.next()) << "another key's release";
  repeat.release(30);
  EXPECT_FALSE(repeat.next());
  EXPECT_EQ(repeat.take_due(pressed + 10s), 0);

  repeat.press(30, U'-', pressed);
  EXPECT_EQ(repeat.take_due(pressed + 1h), 1) << "a stall is no burst";
  repeat.set_rate(0, 600ms);
  EXPECT_FALSE(repeat.next()) << "repetition switched off";
  repeat.press(30, U'-', pressed);
  EXPECT_FALSE(repeat.next());
}

}  // namespace
}  // namespace nuv::host::wayland
