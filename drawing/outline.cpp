#include "drawing/outline.hpp"

#include <algorithm>
#include <cmath>

namespace nuv::drawing {

Point on_circle(const Circle& circle, double angle) {
  return {circle.centre.x + circle.radius * std::cos(angle),
          circle.centre.y + circle.radius * std::sin(angle)};
}

// The normal n of a common tangent satisfies n . (to - from) = r_from - r_to; of its two
// solutions, the one to the left of the direction of travel points outward on a clockwise path.
double tangent_angle(const Circle& from, const Circle& to) {
  const double dx = to.centre.x - from.centre.x;
  const double dy = to.centre.y - from.centre.y;
  const double distance = std::hypot(dx, dy);
  // Clamped because circles that touch from inside give exactly -1 up to rounding.
  const double cosine = std::clamp((from.radius - to.radius) / distance, -1.0, 1.0);
  return std::atan2(dy, dx) - std::acos(cosine);
}

}  // namespace nuv::drawing
