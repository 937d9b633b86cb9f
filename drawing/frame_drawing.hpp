#pragma once
// Draws the mechanism as a frame picture: lines in five of the standard sixteen colours on a white
// 304 x 548 picture, one pixel wide; or at a higher zoom the same drawing with every coordinate,
// radius and line width that many times larger.

#include <vector>

#include "drawing/mechanism.hpp"
#include "frames/picture.hpp"

namespace nuv::drawing {

frames::Picture draw_frame(const Pose& pose, int zoom = 1);

// Frames 1 to 18 in order.
std::vector<frames::Picture> draw_all_frames(int zoom = 1);

}  // namespace nuv::drawing
