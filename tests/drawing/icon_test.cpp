// The window's icon as the viewer carries it, against the drawing it was baked from.

#include "window/icon.hpp"

#include <gtest/gtest.h>

#include <stdexcept>

#include "drawing/icon_drawing.hpp"

namespace nuv::drawing {
namespace {

using window::application_icon;
using window::kIconSizes;

TEST(Icon, WindowCarriesTheCurrentDrawingAtEachSize) {
  for (const int size : kIconSizes) {
    const auto pixels = application_icon(size);
    EXPECT_TRUE(pixels == render_icon(size)) << "icon of " << size;
    EXPECT_EQ(pixels[pixels.size() / 2 + size / 2] >> 24, 0xFFu) << "centre of " << size;
  }
  EXPECT_THROW(application_icon(kIconSizes[0] + 1), std::out_of_range);
}

}  // namespace
}  // namespace nuv::drawing
