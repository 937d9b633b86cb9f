#include "drawing/canvas.hpp"

#include <array>
#include <cmath>
#include <numbers>
#include <stdexcept>

namespace nuv::drawing {
namespace {

using frames::Colour;
using frames::frame_palette;
using frames::index_of;
using frames::packed;
using frames::Picture;
using frames::Rgb;
using frames::rgb_of;

constexpr double kFullTurn = 2 * std::numbers::pi;

std::uint8_t palette_index(std::uint32_t pixel) {
  constexpr std::array kUsed{Colour::white, Colour::blue, Colour::red, Colour::black,
                             Colour::green};
  for (Colour colour : kUsed) {
    if (pixel == packed(rgb_of(colour))) return index_of(colour);
  }
  throw std::logic_error("drawing produced a colour outside the frames' five");
}

void add_clockwise_arc(cairo_t* cr, const Circle& circle, double from, double to) {
  double sweep = std::fmod(to - from, kFullTurn);
  if (sweep < 0) sweep += kFullTurn;
  cairo_arc(cr, circle.centre.x, circle.centre.y, circle.radius, from, from + sweep);
}

}  // namespace

Canvas::Canvas(int width, int height, int zoom)
    : surface_(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width * zoom, height * zoom),
               cairo_surface_destroy),
      cairo_(cairo_create(surface_.get()), cairo_destroy) {
  cairo_set_antialias(cr(), CAIRO_ANTIALIAS_NONE);
  cairo_set_line_width(cr(), 1);
  cairo_set_line_cap(cr(), CAIRO_LINE_CAP_SQUARE);
  // The line width is taken in units when stroking, so it grows with the zoom.
  cairo_translate(cr(), zoom / 2.0, zoom / 2.0);
  cairo_scale(cr(), zoom, zoom);
  use(Colour::white);
  cairo_paint(cr());
}

void Canvas::stroke(Colour colour) {
  use(colour);
  cairo_stroke(cr());
}

void Canvas::use(Colour colour) {
  const Rgb rgb = rgb_of(colour);
  cairo_set_source_rgb(cr(), rgb.r / 255.0, rgb.g / 255.0, rgb.b / 255.0);
}

Picture Canvas::picture() const {
  cairo_surface_flush(surface_.get());
  const int width = cairo_image_surface_get_width(surface_.get());
  const int height = cairo_image_surface_get_height(surface_.get());
  const int stride = cairo_image_surface_get_stride(surface_.get());
  const unsigned char* data = cairo_image_surface_get_data(surface_.get());
  Picture picture{width, height, {}, frame_palette()};
  picture.pixels.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(data + y * stride);
    for (int x = 0; x < width; ++x) picture.pixels.push_back(palette_index(row[x] & 0xFFFFFF));
  }
  return picture;
}

void add_line(cairo_t* cr, Point from, Point to) {
  cairo_move_to(cr, from.x, from.y);
  cairo_line_to(cr, to.x, to.y);
}

void add_rectangle(cairo_t* cr, double left, double top, double right, double bottom) {
  cairo_rectangle(cr, left, top, right - left, bottom - top);
}

void add_circle(cairo_t* cr, const Circle& circle) {
  cairo_new_sub_path(cr);
  cairo_arc(cr, circle.centre.x, circle.centre.y, circle.radius, 0, kFullTurn);
  cairo_close_path(cr);
}

void add_tangent_chain(cairo_t* cr, std::span<const Circle> circles, bool closed) {
  const std::size_t count = circles.size();
  for (std::size_t i = 0; i < count; ++i) {
    const Circle& before = circles[(i + count - 1) % count];
    const Circle& after = circles[(i + 1) % count];
    const bool first = !closed && i == 0;
    const bool last = !closed && i + 1 == count;
    const double enter =
        first ? tangent_angle(circles[i], after) : tangent_angle(before, circles[i]);
    const double leave = last ? enter : tangent_angle(circles[i], after);
    add_clockwise_arc(cr, circles[i], enter, leave);
  }
  if (closed) cairo_close_path(cr);
}

}  // namespace nuv::drawing
