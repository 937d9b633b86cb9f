#include "drawing/mechanism.hpp"

#include <array>
#include <cmath>
#include <stdexcept>
#include <string>

#include "frames/picture.hpp"

namespace nuv::drawing {
namespace {

using frames::kFrameCount;

// The crown sits 344 or 345 rows above the yoke pin, as the pictures were first drawn, with no
// rounding rule that gives all eighteen, so the rows are listed.
constexpr std::array<int, kFrameCount> kCrownRows{29,  31,  38,  49,  67, 89, 115, 138, 155,
                                                  161, 155, 138, 115, 89, 67, 49,  38,  31};

void check_frame_number(int frame) {
  if (frame < 1 || frame > kFrameCount) {
    throw std::out_of_range("no frame " + std::to_string(frame) + "; frames run from 1 to " +
                            std::to_string(kFrameCount));
  }
}

}  // namespace

double crank_angle(int frame) {
  check_frame_number(frame);
  constexpr double kDegreesPerFrame = 360.0 / kFrameCount;
  return (frame - 1) * kDegreesPerFrame * kDegree;
}

Point crank_pin_centre(double angle) {
  return {kMainAxis.x + kCrankRadius * std::sin(angle),
          kMainAxis.y - kCrankRadius * std::cos(angle)};
}

Point yoke_pin_centre(double angle) {
  const Point crank_pin = crank_pin_centre(angle);
  const double sideways = crank_pin.x - kMainAxis.x;
  return {kMainAxis.x, crank_pin.y + std::sqrt(kLinkLength * kLinkLength - sideways * sideways)};
}

int crown_row(int frame) {
  check_frame_number(frame);
  return kCrownRows[static_cast<std::size_t>(frame - 1)];
}

Pose frame_pose(int frame) {
  const double angle = crank_angle(frame);
  return {angle, crank_pin_centre(angle), yoke_pin_centre(angle), crown_row(frame)};
}

}  // namespace nuv::drawing
