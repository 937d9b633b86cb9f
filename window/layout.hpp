#pragma once
// The window NUV as data: caption, client size, the picture area Picture1 with its border and
// coordinate scale, the same at two and three times the pixel density, and the colours the
// window system paints around the picture.

#include <string_view>

#include "frames/picture.hpp"

namespace nuv::window {

inline constexpr std::string_view kCaption = "NUV Principle         Use + - / * mouse , .  ESC";

// Client area in pixels; the window is not resizable.
inline constexpr int kClientWidth = 307;
inline constexpr int kClientHeight = 551;

// Picture1 fills the client area's width and reaches this far below it, out of sight.
inline constexpr int kPicture1RowsBelowClient = 217;
struct Rect {
  int x, y, width, height;
};
struct Size {
  int width, height;
};
inline constexpr Rect kPicture1Outer{0, 0, kClientWidth, kClientHeight + kPicture1RowsBelowClient};
inline constexpr int kPicture1Border = 2;  // sunken three-dimensional border on every side
inline constexpr Rect kPicture1Inner{
    kPicture1Outer.x + kPicture1Border, kPicture1Outer.y + kPicture1Border,
    kPicture1Outer.width - 2 * kPicture1Border, kPicture1Outer.height - 2 * kPicture1Border};
// Rows of the inner area that lie inside the client area.
inline constexpr int kVisibleInnerRows = kClientHeight - kPicture1Inner.y;

// Picture1's user-defined scale: units across the inner width and down the inner height.
inline constexpr float kScaleWidth = 14.882805f;
inline constexpr float kScaleHeight = 29.84375f;

// The window at zoom z looks like the window above seen through a magnifier: every length,
// in pixels of the screen, is z times as long.
struct Layout {
  int zoom;
  int client_width, client_height;
  Rect outer;  // Picture1
  int border;
  Rect inner;
  int visible_rows;  // rows of the inner area inside the client area
};

constexpr Rect magnified(Rect r, int zoom) {
  return {r.x * zoom, r.y * zoom, r.width * zoom, r.height * zoom};
}

constexpr Layout layout_at(int zoom) {
  return {zoom,
          kClientWidth * zoom,
          kClientHeight * zoom,
          magnified(kPicture1Outer, zoom),
          kPicture1Border * zoom,
          magnified(kPicture1Inner, zoom),
          kVisibleInnerRows * zoom};
}

struct Point {
  float x, y;
};

// Scale position of the point p screen pixels right of and q below the inner area's top-left:
// the point (p / z, q / z) of the window at zoom 1, fractions kept, so that a place in the
// picture means the same at every zoom and every pixel of movement counts.
constexpr Point to_scale(const Layout& layout, int p, int q) {
  const float zoom = static_cast<float>(layout.zoom);
  const float x = static_cast<float>(p) / zoom;
  const float y = static_cast<float>(q) / zoom;
  return {kScaleWidth * x / static_cast<float>(kPicture1Inner.width),
          kScaleHeight * y / static_cast<float>(kPicture1Inner.height)};
}

// True for window pixels over the visible part of Picture1's inner area.
constexpr bool over_visible_inner_area(const Layout& layout, int window_x, int window_y) {
  const int p = window_x - layout.inner.x;
  const int q = window_y - layout.inner.y;
  return p >= 0 && p < layout.inner.width && q >= 0 && q < layout.visible_rows;
}

// Colours of the control face and of the sunken border's four edges (outer and inner ring).
inline constexpr frames::Rgb kFaceColour{0xF0, 0xF0, 0xF0};
inline constexpr frames::Rgb kShadowColour{0xA0, 0xA0, 0xA0};      // outer ring, top and left
inline constexpr frames::Rgb kDarkShadowColour{0x69, 0x69, 0x69};  // inner ring, top and left
inline constexpr frames::Rgb kHighlightColour{0xFF, 0xFF, 0xFF};   // outer ring, bottom and right
inline constexpr frames::Rgb kLightColour{0xE3, 0xE3, 0xE3};       // inner ring, bottom and right

}  // namespace nuv::window
