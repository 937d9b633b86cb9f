// The real window under Xvfb: what it looks like, where the picture lies, how it ends.

#include <gtest/gtest.h>

#include "tests/window/x_session.hpp"
#include "window/layout.hpp"

namespace nuv::testing {
namespace {

using namespace std::chrono_literals;

class RealWindow : public ::testing::Test {
 protected:
  XvfbDisplay display;
  Viewer viewer;
};

TEST_F(RealWindow, CaptionIsExact) {
  const CommandResult name = run_command({"xdotool", "getwindowname", viewer.window_id()});
  EXPECT_EQ(name.output, std::string(window::kCaption) + "\n");
}

TEST_F(RealWindow, ClientAreaHasAFixedSize) {
  const CommandResult info = run_command({"xwininfo", "-id", viewer.window_id()});
  const std::string width = std::to_string(window::kClientWidth);
  const std::string height = std::to_string(window::kClientHeight);
  EXPECT_NE(info.output.find("Width: " + width + "\n"), std::string::npos) << info.output;
  EXPECT_NE(info.output.find("Height: " + height + "\n"), std::string::npos) << info.output;
  // The window manager keeps the size: smallest and largest size are the same.
  const CommandResult hints = run_command({"xprop", "-id", viewer.window_id(), "WM_NORMAL_HINTS"});
  const std::string size = width + " by " + height;
  EXPECT_NE(hints.output.find("minimum size: " + size), std::string::npos) << hints.output;
  EXPECT_NE(hints.output.find("maximum size: " + size), std::string::npos) << hints.output;
}

TEST_F(RealWindow, CarriesTheApplicationIcon) {
  const CommandResult icon = run_command({"xprop", "-id", viewer.window_id(), "_NET_WM_ICON"});
  EXPECT_NE(icon.output.find("Icon (32 x 32)"), std::string::npos) << icon.output.substr(0, 200);
}

TEST_F(RealWindow, FrameSitsUnscaledInTheInnerAreaInsideTheSunkenBorder) {
  const int slot = viewer.wait_for_slot_change(-1, 5s);
  ASSERT_GE(slot, 0) << "no frame recognised at the inner area's top-left";
  const Screenshot shot = viewer.capture();
  const auto& inner = window::kPicture1Inner;
  const auto rgb = [](window::Colour c) { return frames::Rgb{c.r, c.g, c.b}; };
  for (int x = 2; x < 300; x += 7) {
    EXPECT_EQ(shot.at(x, 0), rgb(window::kShadowColour)) << "top border, x " << x;
    EXPECT_EQ(shot.at(x, 1), rgb(window::kDarkShadowColour)) << "top border, x " << x;
    // The one visible row below the frame shows the face colour.
    EXPECT_EQ(shot.at(x, inner.y + frames::kFrameHeight), rgb(window::kFaceColour)) << "x " << x;
  }
  for (int y = 2; y < 540; y += 11) {
    EXPECT_EQ(shot.at(0, y), rgb(window::kShadowColour)) << "left border, y " << y;
    EXPECT_EQ(shot.at(1, y), rgb(window::kDarkShadowColour)) << "left border, y " << y;
    EXPECT_EQ(shot.at(305, y), rgb(window::kLightColour)) << "right border, y " << y;
    EXPECT_EQ(shot.at(306, y), rgb(window::kHighlightColour)) << "right border, y " << y;
  }
}

TEST_F(RealWindow, ShowsSlotZeroWhileLoadingThenCyclesForward) {
  int slot = viewer.wait_for_slot_change(-1, 5s);
  if (slot == 0) slot = viewer.wait_for_slot_change(0, 3s);
  ASSERT_EQ(slot, 1);
  EXPECT_EQ(viewer.wait_for_slot_change(1, 3s), 2);
  EXPECT_EQ(viewer.wait_for_slot_change(2, 3s), 3);
}

TEST_F(RealWindow, ClosingTheWindowEndsWithStatusZero) {
  ASSERT_GE(viewer.wait_for_slot_change(-1, 5s), 0);
  viewer.close();
  EXPECT_EQ(viewer.process().wait_for(5s), 0);
}

}  // namespace
}  // namespace nuv::testing
