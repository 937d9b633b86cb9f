#pragma once
// The window NUV as data: caption, client size, the picture area Picture1 with its border and
// coordinate scale, and the colours the window system paints around the picture.

#include <string_view>

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

struct Point {
  float x, y;
};

// Scale position of the point p pixels right of and q pixels below the inner area's top-left.
constexpr Point to_scale(int p, int q) {
  return {kScaleWidth * static_cast<float>(p) / static_cast<float>(kPicture1Inner.width),
          kScaleHeight * static_cast<float>(q) / static_cast<float>(kPicture1Inner.height)};
}

// True for window pixels over the visible part of Picture1's inner area.
constexpr bool over_visible_inner_area(int window_x, int window_y) {
  const int p = window_x - kPicture1Inner.x;
  const int q = window_y - kPicture1Inner.y;
  return p >= 0 && p < kPicture1Inner.width && q >= 0 && q < kVisibleInnerRows;
}

// Colours of the control face and of the sunken border's four edges (outer and inner ring).
struct Colour {
  unsigned char r, g, b;
};
inline constexpr Colour kFaceColour{0xF0, 0xF0, 0xF0};
inline constexpr Colour kShadowColour{0xA0, 0xA0, 0xA0};      // outer ring, top and left
inline constexpr Colour kDarkShadowColour{0x69, 0x69, 0x69};  // inner ring, top and left
inline constexpr Colour kHighlightColour{0xFF, 0xFF, 0xFF};   // outer ring, bottom and right
inline constexpr Colour kLightColour{0xE3, 0xE3, 0xE3};       // inner ring, bottom and right

}  // namespace nuv::window
