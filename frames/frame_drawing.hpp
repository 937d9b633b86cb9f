#pragma once
// Draws the mechanism as a frame picture: lines in five of the standard sixteen colours on a white
// 304 x 548 picture, one pixel wide; or at a higher zoom the same drawing with every coordinate,
// radius and line width that many times larger.

#include <vector>

#include "frames/mechanism.hpp"
#include "frames/picture.hpp"

namespace nuv::frames {

Picture draw_frame(const Pose& pose, int zoom = 1);

// Frames 1 to 18 in order.
std::vector<Picture> draw_all_frames(int zoom = 1);

}  // namespace nuv::frames
