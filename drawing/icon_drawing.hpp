#pragma once
// The program's icon drawn from the mechanism's own geometry: the yoke as a plain kite, the crank
// and the link over it, bold enough to read at 16 pixels. Build time only: rendered with cairo
// into the desktop's PNG files and the window's baked pixels, and written out as SVG.

#include <cstdint>
#include <string>
#include <vector>

#include "drawing/mechanism.hpp"

namespace nuv::drawing {

// The icon's canvas is kIconUnits square; the SVG's view box and every shape use these units.
inline constexpr double kIconUnits = 256;

struct IconShape {
  enum class Kind { polygon, line, circle };
  Kind kind = Kind::polygon;
  std::vector<Point> points;  // the polygon's corners, the line's ends, the circle's centre
  double radius = 0;          // circles; for polygons, the rounding of the corners
  std::uint32_t fill = 0;     // 0xRRGGBB, or kNone
  std::uint32_t stroke = 0;
  double width = 0;  // of the stroke; lines have round ends
};
inline constexpr std::uint32_t kNone = 0xFF000000;

// The shapes in painting order, the plate behind everything first.
std::vector<IconShape> icon_shapes();

// The icon as an SVG document.
std::string icon_svg();

// The icon at size x size pixels, row 0 at the top, each 0xAARRGGBB, not premultiplied.
std::vector<std::uint32_t> render_icon(int size);

// Writes the icon as a PNG file; throws std::runtime_error naming the file if it cannot.
void write_icon_png(int size, const std::string& path);

// C++ source defining the window's baked icon pixels at each of kIconSizes.
std::string window_icon_source();

}  // namespace nuv::drawing
