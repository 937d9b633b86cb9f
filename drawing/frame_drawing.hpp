#pragma once
// Draws the mechanism as a frame picture: lines in five of the standard sixteen colours on a white
// 304 x 548 picture, one pixel wide; or at a higher zoom the same drawing with every coordinate,
// radius and line width that many times larger.

#include <vector>

#include "drawing/mechanism.hpp"
#include "frames/palette.hpp"
#include "frames/picture.hpp"

namespace nuv::drawing {

frames::Picture draw_frame(const Pose& pose, int zoom = 1);

// Frames 1 to 18 in order.
std::vector<frames::Picture> draw_all_frames(int zoom = 1);

// A point on each part of the mechanism as a frame of that pose shows it, at zoom 1, with the
// part's colour, for a picture that names the parts. In this order: cylinder, piston, ring
// grooves, yoke, shoe, guide rail, crank, crank pin, link, yoke pin, main axis, centre line.
struct PartMark {
  frames::Colour colour;
  Point at;
};
std::vector<PartMark> part_marks(const Pose& pose);

}  // namespace nuv::drawing
