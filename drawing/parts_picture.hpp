#pragma once
// A frame with its parts numbered, for people: each part's number in the margin beside the frame,
// with a line from the number to a point on the part.

#include "drawing/rgb_image.hpp"

namespace nuv::drawing {

// Frame 3 at zoom 2, numbered 1 to 12 in the order of part_marks.
RgbImage parts_picture();

}  // namespace nuv::drawing
