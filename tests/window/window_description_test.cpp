// The window description: picture-area geometry, the pointer's scale positions and the zoom chosen.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <tuple>
#include <vector>

#include "frames/picture.hpp"
#include "frames/zoom.hpp"
#include "window/layout.hpp"
#include "window/zoom_choice.hpp"

namespace nuv::window {
namespace {

constexpr Layout kAtZoom1 = layout_at(1);

TEST(Layout, PictureAreaGeometry) {
  EXPECT_EQ(kCaption.size(), 48u);
  EXPECT_EQ(kPicture1Inner.x, 2);
  EXPECT_EQ(kPicture1Inner.y, 2);
  EXPECT_EQ(kPicture1Inner.width, 303);
  EXPECT_EQ(kPicture1Inner.height, 764);
  EXPECT_EQ(kVisibleInnerRows, 549);
}

// At zoom z the frame, z times as tall, leaves z rows of the face colour below it, and the
// border is z times as wide on every side.
TEST(Layout, EveryZoomMagnifiesTheWindowAtZoom1) {
  for (int zoom = 1; zoom <= frames::kMaxZoom; ++zoom) {
    const Layout layout = layout_at(zoom);
    EXPECT_EQ(layout.client_height - layout.inner.y - frames::kFrameHeight * zoom, zoom) << zoom;
    EXPECT_EQ(layout.inner.y + layout.visible_rows, layout.client_height) << zoom;
    EXPECT_EQ(layout.inner.x, layout.border) << zoom;
    EXPECT_EQ(layout.outer.width - layout.inner.width, 2 * layout.border) << zoom;
    EXPECT_EQ(layout.client_width, layout.outer.width) << zoom;
    EXPECT_EQ(layout.client_width * layout.client_height,
              zoom * zoom * kAtZoom1.client_width * kAtZoom1.client_height)
        << zoom;
  }
}

TEST(Scale, PointsOfThePictureArea) {
  EXPECT_EQ(to_scale(kAtZoom1, 0, 0).x, 0.0f);
  EXPECT_EQ(to_scale(kAtZoom1, 0, 0).y, 0.0f);
  EXPECT_NEAR(to_scale(kAtZoom1, 302, 0).x, 14.8337f, 5e-5f);
  EXPECT_FLOAT_EQ(to_scale(kAtZoom1, 303, 0).x, 14.882805f);
  EXPECT_EQ(to_scale(kAtZoom1, 0, 548).y, 21.40625f);
  EXPECT_EQ(to_scale(kAtZoom1, 0, 549).y, 21.4453125f);
  EXPECT_EQ(to_scale(kAtZoom1, 0, 764).y, 29.84375f);
}

TEST(Scale, OnePixelStepsAreConstant) {
  for (int q = 0; q < 548; ++q)
    EXPECT_FLOAT_EQ(to_scale(kAtZoom1, 0, q + 1).y - to_scale(kAtZoom1, 0, q).y, 0.0390625f)
        << "row " << q;
  EXPECT_NEAR(to_scale(kAtZoom1, 101, 0).x - to_scale(kAtZoom1, 100, 0).x, 0.0491f, 1e-4f);
}

// The screen pixel z p, z q at zoom z is exactly the pixel p, q at zoom 1; the pixels between
// lie between, each row strictly below the one above, so every pixel of movement up counts.
TEST(Scale, APlaceInThePictureMeansTheSameAtEveryZoom) {
  for (int zoom = 2; zoom <= frames::kMaxZoom; ++zoom) {
    const Layout layout = layout_at(zoom);
    for (const auto& [p, q] : {std::pair{0, 0}, {1, 1}, {151, 308}, {302, 548}}) {
      const Point at = to_scale(layout, zoom * p, zoom * q);
      EXPECT_EQ(at.x, to_scale(kAtZoom1, p, q).x) << zoom << ": " << p;
      EXPECT_EQ(at.y, to_scale(kAtZoom1, p, q).y) << zoom << ": " << q;
    }
    for (int q = 0; q + 1 < layout.visible_rows; ++q)
      ASSERT_LT(to_scale(layout, 0, q).y, to_scale(layout, 0, q + 1).y) << zoom << ": " << q;
    EXPECT_EQ(to_scale(layout, 1, 0).x * static_cast<float>(zoom), to_scale(kAtZoom1, 1, 0).x);
  }
}

TEST(Scale, VisibleInnerAreaExcludesTheBorderAndHiddenRows) {
  for (int zoom = 1; zoom <= frames::kMaxZoom; ++zoom) {
    const Layout layout = layout_at(zoom);
    const Rect& inner = layout.inner;
    const int right = inner.x + inner.width - 1;
    const int bottom = inner.y + layout.visible_rows - 1;
    EXPECT_TRUE(over_visible_inner_area(layout, inner.x, inner.y)) << zoom;
    EXPECT_TRUE(over_visible_inner_area(layout, right, bottom)) << zoom;
    EXPECT_FALSE(over_visible_inner_area(layout, inner.x - 1, 100)) << zoom;  // left border
    EXPECT_FALSE(over_visible_inner_area(layout, right + 1, 100)) << zoom;    // right border
    EXPECT_FALSE(over_visible_inner_area(layout, 100, inner.y - 1)) << zoom;  // top border
    EXPECT_FALSE(over_visible_inner_area(layout, 100, bottom + 1)) << zoom;   // below the client
    EXPECT_FALSE(over_visible_inner_area(layout, -5, -5)) << zoom;
  }
}

struct ZoomCase {
  const char* what;
  DesktopDensity desktop;
  int zoom;
  bool notice;
};

constexpr Size kLargeDisplay{3840, 2160};

// A desktop's work area is the part of it within the screen, whatever the property holds.
TEST(ZoomChoice, UsableAreaLiesWithinTheScreen) {
  constexpr Size kScreen{1024, 768};
  const struct {
    const char* what;
    std::vector<std::uint32_t> work_area;
    Rect usable;
  } cases[] = {
      {"a panel at the top", {0, 32, 1024, 736}, {0, 32, 1024, 736}},
      {"none given", {}, {0, 0, 1024, 768}},
      {"all beyond the screen", {70000, 70000, 2000, 2000}, {0, 0, 1024, 768}},
      {"partly beyond it", {500, 400, 2000, 2000}, {500, 400, 524, 368}},
      {"sizes that overflow", {10, 10, 0xFFFFFFFF, 0xFFFFFFFF}, {10, 10, 1014, 758}},
      {"empty", {100, 100, 0, 0}, {0, 0, 1024, 768}},
  };
  for (const auto& [what, work_area, usable] : cases) {
    const Rect area = usable_area(work_area, kScreen);
    EXPECT_EQ((std::array{area.x, area.y, area.width, area.height}),
              (std::array{usable.x, usable.y, usable.width, usable.height}))
        << what;
  }
}

TEST(ZoomChoice, CommandLineThenDesktopDensityThenOne) {
  const ZoomCase cases[] = {
      {"nothing known", {}, 1, false},
      {"requested", {.requested = 3, .x_resources = "Xft.dpi:\t96\n"}, 3, false},
      {"Xft.dpi 192", {.x_resources = "Xft.dpi:\t192\n"}, 2, false},
      {"among other resources",
       {.x_resources = "Xcursor.size:\t24\nXft.dpi:\t288\nXft.hinting:\t1\n"},
       3,
       false},
      {"half a step rounds up", {.x_resources = "Xft.dpi:\t144"}, 2, false},
      {"less than half rounds down", {.x_resources = "Xft.dpi:\t143.9\n"}, 1, false},
      {"beyond the largest zoom", {.x_resources = "Xft.dpi:\t480\n"}, 3, false},
      {"low density", {.x_resources = "Xft.dpi:\t40\n"}, 1, false},
      {"Xft.dpi before GDK_SCALE", {.x_resources = "Xft.dpi:\t96\n", .gdk_scale = "2"}, 1, false},
      {"unusable Xft.dpi", {.x_resources = "Xft.dpi:\tlarge\n", .gdk_scale = "2"}, 2, false},
      {"zero Xft.dpi", {.x_resources = "Xft.dpi:\t0\n", .gdk_scale = "3"}, 3, false},
      {"other names", {.x_resources = "Xft.dpix:\t192\n*dpi:\t192\n"}, 1, false},
      {"the settings' Xft/DPI where the resources have none", {.settings_dpi = 192.0}, 2, false},
      {"the resources' Xft.dpi first",
       {.x_resources = "Xft.dpi:\t96\n", .settings_dpi = 192.0},
       1,
       false},
      {"GDK_SCALE", {.gdk_scale = "2"}, 2, false},
      {"fractional GDK_SCALE", {.gdk_scale = "1.5"}, 1, false},
      {"GDK_SCALE with a plus sign", {.gdk_scale = "+2"}, 1, false},
      {"hexadecimal Xft.dpi", {.x_resources = "Xft.dpi:\t0xC0\n"}, 1, false},
      {"Wayland output scale",
       {.display_scale = 2.0, .x_resources = "Xft.dpi:\t288\n", .gdk_scale = "3"},
       2,
       false},
      {"Windows monitor at 144 dots per inch", {.monitor_dpi = 144.0}, 2, false},
      {"Windows monitor at 120 dots per inch", {.monitor_dpi = 120.0}, 1, false},
      {"fits exactly", {.requested = 2, .usable_area = Size{614, 1102}}, 2, false},
      {"one row too few", {.requested = 2, .usable_area = Size{614, 1101}}, 1, true},
      {"largest that fits", {.requested = 3, .usable_area = Size{1920, 1200}}, 2, true},
      {"desktop density too",
       {.x_resources = "Xft.dpi:\t288\n", .usable_area = Size{1024, 768}},
       1,
       true},
      {"nothing smaller than one", {.requested = 1, .usable_area = Size{300, 500}}, 1, false},
      {"large display", {.requested = 3, .usable_area = kLargeDisplay}, 3, false},
      {"huge Xft.dpi",
       {.x_resources = "Xft.dpi:\t1e300\n", .usable_area = kLargeDisplay},
       3,
       false},
      {"huge GDK_SCALE", {.gdk_scale = "1e19", .usable_area = Size{1024, 1200}}, 2, true},
      {"infinite Xft.dpi", {.x_resources = "Xft.dpi:\tinf\n", .gdk_scale = "2"}, 3, false},
      {"in points at the output's scale",
       {.requested = 3, .usable_area = Size{1920, 1080}, .output_scale = 2},
       2,
       true},
      {"the output's own scale in points",
       {.display_scale = 3.0, .usable_area = Size{640, 600}, .output_scale = 3},
       3,
       false},
      // A window manager's title bar of 29 pixels at 192 dots per inch.
      {"the window fits, its frame does not",
       {.x_resources = "Xft.dpi:\t192\n", .usable_area = Size{1280, 1120}, .frame = Size{2, 31}},
       1,
       true},
      {"the window in its frame fits exactly",
       {.requested = 2, .usable_area = Size{616, 1133}, .frame = Size{2, 31}},
       2,
       false},
  };
  for (const auto& [what, desktop, zoom, notice] : cases) {
    const ZoomChoice choice = choose_zoom(desktop);
    EXPECT_EQ(choice.zoom, zoom) << what;
    EXPECT_EQ(!choice.notice.empty(), notice) << what << ": " << choice.notice;
    EXPECT_EQ(choice.notice.find('\n'), std::string::npos) << what;
    if (desktop.frame.height > 0 && notice) {
      EXPECT_NE(choice.notice.find("in its frame"), std::string::npos) << choice.notice;
    }
  }
}

// A window taken to a monitor of another density: where Windows suggests, its client area at the
// zoom the density chooses there (or its own, where one was asked for) in the frame drawn there.
TEST(ZoomChoice, AWindowMovedToAnotherDensity) {
  constexpr Rect kSuggested{100, 50, 999, 999};
  constexpr Size kFrameAt192{16, 62};
  const struct {
    const char* what;
    DesktopDensity density;
    int zoom;
    bool follows;
    Rezoomed expected;
  } cases[] = {
      {"to 192 dots per inch",
       {.monitor_dpi = 192.0, .usable_area = Size{2560, 1400}, .frame = kFrameAt192},
       1,
       true,
       {2, {100, 50, 614 + 16, 1102 + 62}}},
      {"to 192, where zoom 2 does not fit",
       {.monitor_dpi = 192.0, .usable_area = Size{1920, 1080}, .frame = kFrameAt192},
       1,
       true,
       {1, {100, 50, 307 + 16, 551 + 62}}},
      {"back to 96", {.monitor_dpi = 96.0, .frame = Size{8, 31}}, 2, true, {1, {100, 50, 315, 582}}},
      {"a zoom asked for stays, in the new frame",
       {.monitor_dpi = 288.0, .frame = Size{24, 93}},
       1,
       false,
       {1, {100, 50, 331, 644}}},
  };
  for (const auto& [what, density, zoom, follows, expected] : cases) {
    const Rezoomed result = rezoomed(density, zoom, follows, kSuggested);
    EXPECT_EQ(result.zoom, expected.zoom) << what;
    EXPECT_EQ(std::tie(result.window.x, result.window.y, result.window.width, result.window.height),
              std::tie(expected.window.x, expected.window.y, expected.window.width,
                       expected.window.height))
        << what;
  }
}

}  // namespace
}  // namespace nuv::window
