#pragma once
// Where the mechanism's parts stand at a crank angle. Positions are in picture pixels: x from the
// left edge, y from the top row down, a whole number being the centre of a pixel.

#include <numbers>

namespace nuv::drawing {

struct Point {
  double x = 0;
  double y = 0;
};

constexpr Point kMainAxis{151, 308};
constexpr double kCrankRadius = 65.5;
constexpr double kLinkLength = 131.5;  // from the crank-pin centre to the yoke-pin centre
constexpr double kDegree = std::numbers::pi / 180;

struct Pose {
  double crank_angle = 0;  // radians, clockwise on screen from straight up
  Point crank_pin;         // centre of the crank pin, where the link's big end turns
  Point yoke_pin;          // centre of the yoke pin, where the link's small end turns
  int crown_row = 0;       // top row of the piston; the yoke's features are placed from it
};

// Crank angle of frame 1 to 18 in radians: 20 degrees a frame, frame 1 straight up.
double crank_angle(int frame);

Point crank_pin_centre(double crank_angle);

// The yoke pin sits on the vertical through the main axis, one link length from the crank pin.
Point yoke_pin_centre(double crank_angle);

// The piston's top row in frame 1 to 18.
int crown_row(int frame);

// The pose shown by frame 1 to 18; throws std::out_of_range for any other number.
Pose frame_pose(int frame);

}  // namespace nuv::drawing
