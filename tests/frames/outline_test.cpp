#include "frames/outline.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace nuv::frames {
namespace {

double dot(Point a, Point b) {
  return a.x * b.x + a.y * b.y;
}
Point minus(Point a, Point b) {
  return {a.x - b.x, a.y - b.y};
}

// Circles of a rounded triangle, listed clockwise on screen (y down): top, lower right, lower left.
const std::vector<Circle> kClockwiseCorners{{{151, 100}, 14}, {{219, 206}, 36}, {{83, 206}, 36}};

TEST(TangentAngle, PiecesTouchBothCirclesAndFaceOutward) {
  const Point middle{151, 180};
  for (std::size_t i = 0; i < kClockwiseCorners.size(); ++i) {
    const Circle& from = kClockwiseCorners[i];
    const Circle& to = kClockwiseCorners[(i + 1) % kClockwiseCorners.size()];
    const double angle = tangent_angle(from, to);
    const Point normal{std::cos(angle), std::sin(angle)};
    const Point start = on_circle(from, angle);
    const Point end = on_circle(to, angle);
    // Perpendicular to both radii at the touching points: a tangent to both circles.
    EXPECT_NEAR(dot(minus(end, start), normal), 0, 1e-9);
    // Leaving from the start towards the end, and with the shape on the inner side.
    EXPECT_GT(dot(minus(end, start), minus(to.centre, from.centre)), 0);
    EXPECT_GT(dot(minus(start, middle), normal), 0);
  }
}

TEST(TangentAngle, PointToCircleGivesTheTangentThroughThePoint) {
  const Circle point{{110, 111}, 0};
  const Circle corner{{27, 271}, 25};
  const double angle = tangent_angle(point, corner);
  const Point touch = on_circle(corner, angle);
  EXPECT_NEAR(std::hypot(touch.x - corner.centre.x, touch.y - corner.centre.y), 25, 1e-9);
  EXPECT_NEAR(dot(minus(touch, point.centre), {std::cos(angle), std::sin(angle)}), 0, 1e-9);
}

TEST(TangentAngle, CircleTouchingALargerOneFromInsideMeetsItWhereTheyTouch) {
  const Circle large{{151, 308}, 115};
  const double direction = 2.0;
  const Circle small{on_circle({large.centre, 101}, direction), 14};
  EXPECT_NEAR(std::remainder(tangent_angle(small, large) - direction, 2 * std::numbers::pi), 0,
              1e-6);
}

}  // namespace
}  // namespace nuv::frames
