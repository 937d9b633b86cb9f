#pragma once
// A cairo canvas for line drawings in the frames' colours, and the paths drawn on it.

#include <cairo.h>

#include <memory>
#include <span>

#include "drawing/outline.hpp"
#include "frames/palette.hpp"
#include "frames/picture.hpp"

namespace nuv::drawing {

// A white picture for crisp lines one unit wide: antialiasing off, and whole-number coordinates on
// the centres of units rather than their corners. A unit is `zoom` pixels across, so the picture
// is `width` x `height` units of `zoom` x `zoom` pixels.
class Canvas {
 public:
  Canvas(int width, int height, int zoom);

  cairo_t* cr() const { return cairo_.get(); }

  // Strokes the current path one unit wide and clears it.
  void stroke(frames::Colour colour);

  // The drawing as palette indices; throws std::logic_error for a colour outside the five.
  frames::Picture picture() const;

 private:
  void use(frames::Colour colour);

  std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> surface_;
  std::unique_ptr<cairo_t, decltype(&cairo_destroy)> cairo_;
};

void add_line(cairo_t* cr, Point from, Point to);
void add_rectangle(cairo_t* cr, double left, double top, double right, double bottom);
void add_circle(cairo_t* cr, const Circle& circle);

// Runs clockwise round each circle in turn, joined by tangents; a closed chain also joins the
// last circle back to the first.
void add_tangent_chain(cairo_t* cr, std::span<const Circle> circles, bool closed);

}  // namespace nuv::drawing
