#pragma once
// Outlines made of circular arcs joined by straight tangent pieces: rounded triangles, the crank
// web, the yoke's kite. A circle of radius 0 stands for a sharp point the outline passes through.

#include "drawing/mechanism.hpp"

namespace nuv::drawing {

struct Circle {
  Point centre;
  double radius = 0;
};

// The point of `circle` in direction `angle` (radians, growing clockwise on screen from +x).
Point on_circle(const Circle& circle, double angle);

// For an outline that runs clockwise on screen round `from` and then round `to`: the direction of
// the outward normal of the straight piece between them. The piece runs from
// on_circle(from, angle) to on_circle(to, angle).
double tangent_angle(const Circle& from, const Circle& to);

}  // namespace nuv::drawing
