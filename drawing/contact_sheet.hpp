#pragma once
// All frames on one sheet, in rows, each under its frame number: a picture for people.

#include <span>

#include "drawing/rgb_image.hpp"
#include "frames/picture.hpp"

namespace nuv::drawing {

// The frames, all of one size, with their numbers counted from 1. Frames drawn at `zoom` get
// margins and numbers that many times larger, so the sheet is the zoom 1 sheet magnified.
RgbImage contact_sheet(std::span<const frames::Picture> frames, int zoom = 1);

}  // namespace nuv::drawing
