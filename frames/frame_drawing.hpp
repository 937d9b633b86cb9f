#pragma once
// Draws the mechanism as a frame picture: one-pixel lines in five of the standard sixteen colours
// on a white 304 x 548 picture.

#include <vector>

#include "frames/mechanism.hpp"
#include "frames/picture.hpp"

namespace nuv::frames {

Picture draw_frame(const Pose& pose);

// Frames 1 to 18 in order.
std::vector<Picture> draw_all_frames();

}  // namespace nuv::frames
