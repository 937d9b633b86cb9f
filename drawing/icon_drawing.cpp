#include "drawing/icon_drawing.hpp"

#include <cairo.h>

#include <cmath>
#include <memory>
#include <sstream>
#include <stdexcept>

#include "window/icon.hpp"

namespace nuv::drawing {
namespace {

using window::kIconSizes;

// The pose the icon shows: the crank 80 degrees past the top, so crank and link both lean.
constexpr int kIconFrame = 5;
// The picture's pixels the icon's square spans, centred on the yoke.
constexpr double kViewSpan = 320;

constexpr std::uint32_t kPlate = 0xFAFAF5, kPlateEdge = 0x9A9A9A;
constexpr std::uint32_t kYokeFill = 0xF6C9C0, kYokeEdge = 0xC62828;
constexpr std::uint32_t kCrank = 0x202020, kLink = 0x1E50C8, kPin = 0xFFFFFF;

// The yoke simplified to a kite around its pin P: top, side corners and bottom point, in picture
// pixels from P (the drawn yoke's corners, to within a few pixels).
constexpr Point kKiteTop{0, -240}, kKiteSide{140, -74}, kKiteBottom{0, 33};

class View {
 public:
  explicit View(const Pose& pose)
      : origin_{pose.yoke_pin.x - kViewSpan / 2,
                pose.yoke_pin.y + (kKiteTop.y + kKiteBottom.y) / 2 - kViewSpan / 2} {}
  Point operator()(Point picture) const {
    return {(picture.x - origin_.x) * kScale, (picture.y - origin_.y) * kScale};
  }
  double length(double picture) const { return picture * kScale; }

 private:
  static constexpr double kScale = kIconUnits / kViewSpan;
  Point origin_;
};

Point offset(Point from, Point by) {
  return {from.x + by.x, from.y + by.y};
}

IconShape circle(Point centre, double radius, std::uint32_t fill, std::uint32_t stroke = kNone,
                 double width = 0) {
  return {IconShape::Kind::circle, {centre}, radius, fill, stroke, width};
}

IconShape line(Point from, Point to, std::uint32_t colour, double width) {
  return {IconShape::Kind::line, {from, to}, 0, kNone, colour, width};
}

std::string hex(std::uint32_t colour) {
  char text[8];
  std::snprintf(text, sizeof text, "#%06X", colour);
  return text;
}

void set_colour(cairo_t* cr, std::uint32_t colour) {
  cairo_set_source_rgb(cr, (colour >> 16 & 0xFF) / 255.0, (colour >> 8 & 0xFF) / 255.0,
                       (colour & 0xFF) / 255.0);
}

// A polygon's corner rounded off: the path comes in at `in`, bends towards `corner` and leaves at
// `out`, `radius` from the corner along each side.
struct RoundedCorner {
  Point in, corner, out;
};

std::vector<RoundedCorner> rounded_corners(const IconShape& polygon) {
  const auto& corners = polygon.points;
  const std::size_t count = corners.size();
  std::vector<RoundedCorner> rounded;
  for (std::size_t i = 0; i < count; ++i) {
    const Point& corner = corners[i];
    const auto towards = [&](const Point& other) {
      const double dx = other.x - corner.x, dy = other.y - corner.y;
      const double length = std::hypot(dx, dy);
      return Point{corner.x + dx / length * polygon.radius,
                   corner.y + dy / length * polygon.radius};
    };
    rounded.push_back(
        {towards(corners[(i + count - 1) % count]), corner, towards(corners[(i + 1) % count])});
  }
  return rounded;
}

void paint_shape(cairo_t* cr, const IconShape& shape) {
  switch (shape.kind) {
    case IconShape::Kind::polygon:
      for (const RoundedCorner& c : rounded_corners(shape)) {
        cairo_line_to(cr, c.in.x, c.in.y);  // from no current point, a move
        cairo_curve_to(cr, c.corner.x, c.corner.y, c.corner.x, c.corner.y, c.out.x, c.out.y);
      }
      cairo_close_path(cr);
      break;
    case IconShape::Kind::line:
      cairo_move_to(cr, shape.points[0].x, shape.points[0].y);
      cairo_line_to(cr, shape.points[1].x, shape.points[1].y);
      break;
    case IconShape::Kind::circle:
      cairo_new_sub_path(cr);
      cairo_arc(cr, shape.points[0].x, shape.points[0].y, shape.radius, 0, 2 * M_PI);
      break;
  }
  if (shape.fill != kNone) {
    set_colour(cr, shape.fill);
    cairo_fill_preserve(cr);
  }
  if (shape.stroke != kNone) {
    set_colour(cr, shape.stroke);
    cairo_set_line_width(cr, shape.width);
    cairo_stroke_preserve(cr);
  }
  cairo_new_path(cr);
}

std::string svg_path(const IconShape& polygon) {
  std::ostringstream path;
  const char* command = "M";
  for (const RoundedCorner& c : rounded_corners(polygon)) {
    path << command << c.in.x << ' ' << c.in.y << " C" << c.corner.x << ' ' << c.corner.y << ' '
         << c.corner.x << ' ' << c.corner.y << ' ' << c.out.x << ' ' << c.out.y << ' ';
    command = "L";
  }
  path << 'Z';
  return path.str();
}

using Surface = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;

Surface render_surface(int size) {
  Surface surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size),
                  cairo_surface_destroy);
  cairo_t* cr = cairo_create(surface.get());
  cairo_scale(cr, size / kIconUnits, size / kIconUnits);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  for (const IconShape& shape : icon_shapes()) paint_shape(cr, shape);
  cairo_destroy(cr);
  cairo_surface_flush(surface.get());
  return surface;
}

}  // namespace

std::vector<IconShape> icon_shapes() {
  const Pose pose = frame_pose(kIconFrame);
  const View view(pose);
  const Point axis = view(kMainAxis), crank_pin = view(pose.crank_pin);
  const Point yoke_pin = view(pose.yoke_pin);
  const Point side{view.length(kKiteSide.x), view.length(kKiteSide.y)};
  const Point other_side{-side.x, side.y};
  const double margin = 6;
  const double far = kIconUnits - margin;

  std::vector<IconShape> shapes;
  shapes.push_back({IconShape::Kind::polygon,
                    {{margin, margin}, {far, margin}, {far, far}, {margin, far}},
                    40,
                    kPlate,
                    kPlateEdge,
                    5});
  shapes.push_back(
      {IconShape::Kind::polygon,
       {offset(yoke_pin, {0, view.length(kKiteTop.y)}), offset(yoke_pin, side),
        offset(yoke_pin, {0, view.length(kKiteBottom.y)}), offset(yoke_pin, other_side)},
       12,
       kYokeFill,
       kYokeEdge,
       16});
  shapes.push_back(line(axis, crank_pin, kCrank, 46));
  shapes.push_back(circle(axis, 34, kCrank));
  shapes.push_back(circle(axis, 10, kPin));
  shapes.push_back(line(crank_pin, yoke_pin, kLink, 24));
  shapes.push_back(circle(crank_pin, 18, kPin, kLink, 11));
  shapes.push_back(circle(yoke_pin, 15, kPin, kLink, 11));
  return shapes;
}

std::string icon_svg() {
  std::ostringstream svg;
  svg << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << kIconUnits << "\" height=\""
      << kIconUnits << "\" viewBox=\"0 0 " << kIconUnits << ' ' << kIconUnits
      << "\" stroke-linecap=\"round\" stroke-linejoin=\"round\">\n";
  for (const IconShape& shape : icon_shapes()) {
    const std::string paint =
        " fill=\"" + (shape.fill == kNone ? std::string("none") : hex(shape.fill)) + "\"" +
        (shape.stroke == kNone ? std::string()
                               : " stroke=\"" + hex(shape.stroke) + "\" stroke-width=\"" +
                                     std::to_string(shape.width) + "\"");
    const auto& p = shape.points;
    switch (shape.kind) {
      case IconShape::Kind::polygon:
        svg << "  <path d=\"" << svg_path(shape) << "\"" << paint << "/>\n";
        break;
      case IconShape::Kind::line:
        svg << "  <line x1=\"" << p[0].x << "\" y1=\"" << p[0].y << "\" x2=\"" << p[1].x
            << "\" y2=\"" << p[1].y << "\"" << paint << "/>\n";
        break;
      case IconShape::Kind::circle:
        svg << "  <circle cx=\"" << p[0].x << "\" cy=\"" << p[0].y << "\" r=\"" << shape.radius
            << "\"" << paint << "/>\n";
        break;
    }
  }
  svg << "</svg>\n";
  return svg.str();
}

std::vector<std::uint32_t> render_icon(int size) {
  const Surface surface = render_surface(size);
  const unsigned char* data = cairo_image_surface_get_data(surface.get());
  const int stride = cairo_image_surface_get_stride(surface.get());
  std::vector<std::uint32_t> pixels;
  for (int y = 0; y < size; ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(data + y * stride);
    for (int x = 0; x < size; ++x) {
      // Cairo keeps colour premultiplied by alpha; the window system wants it straight.
      const std::uint32_t pixel = row[x];
      const std::uint32_t alpha = pixel >> 24;
      std::uint32_t straight = pixel & 0xFF000000;
      for (const int shift : {16, 8, 0}) {
        const std::uint32_t channel = pixel >> shift & 0xFF;
        straight |= (alpha == 0 ? 0 : std::min(255u, (channel * 255 + alpha / 2) / alpha)) << shift;
      }
      pixels.push_back(straight);
    }
  }
  return pixels;
}

void write_icon_png(int size, const std::string& path) {
  const Surface surface = render_surface(size);
  const cairo_status_t status = cairo_surface_write_to_png(surface.get(), path.c_str());
  if (status != CAIRO_STATUS_SUCCESS)
    throw std::runtime_error("cannot write " + path + ": " + cairo_status_to_string(status));
}

std::string window_icon_source() {
  std::ostringstream source;
  source << "// Generated by draw_icon from the mechanism's geometry; do not edit.\n"
            "#include \"window/icon_data.hpp\"\n\n"
            "namespace nuv::window::detail {\nnamespace {\n";
  for (const int size : kIconSizes) {
    source << "constexpr std::uint32_t kIcon" << size << "[] = {";
    int column = 0;
    for (const std::uint32_t pixel : render_icon(size)) {
      source << (column++ % 8 == 0 ? "\n    " : " ") << "0x" << std::hex << pixel << std::dec
             << "u,";
    }
    source << "\n};\n";
  }
  source << "}  // namespace\n\nconst std::array<std::span<const std::uint32_t>, "
         << std::size(kIconSizes) << "> kBakedIcons{{";
  for (const int size : kIconSizes) source << "kIcon" << size << ", ";
  source << "}};\n\n}  // namespace nuv::window::detail\n";
  return source.str();
}

}  // namespace nuv::drawing
