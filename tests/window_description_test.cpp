// The window description: picture-area geometry and the pointer's scale positions.

#include <gtest/gtest.h>

#include "host/key_codes.hpp"
#include "window/icon.hpp"
#include "window/icon_drawing.hpp"
#include "window/layout.hpp"

namespace nuv::window {
namespace {

TEST(Layout, PictureAreaGeometry) {
  EXPECT_EQ(kCaption.size(), 48u);
  EXPECT_EQ(kPicture1Inner.x, 2);
  EXPECT_EQ(kPicture1Inner.y, 2);
  EXPECT_EQ(kPicture1Inner.width, 303);
  EXPECT_EQ(kPicture1Inner.height, 764);
  EXPECT_EQ(kVisibleInnerRows, 549);
}

TEST(Scale, PointsOfThePictureArea) {
  EXPECT_EQ(to_scale(0, 0).x, 0.0f);
  EXPECT_EQ(to_scale(0, 0).y, 0.0f);
  EXPECT_NEAR(to_scale(302, 0).x, 14.8337f, 5e-5f);
  EXPECT_FLOAT_EQ(to_scale(303, 0).x, 14.882805f);
  EXPECT_EQ(to_scale(0, 548).y, 21.40625f);
  EXPECT_EQ(to_scale(0, 549).y, 21.4453125f);
  EXPECT_EQ(to_scale(0, 764).y, 29.84375f);
}

TEST(Scale, OnePixelStepsAreConstant) {
  for (int q = 0; q < 548; ++q)
    EXPECT_FLOAT_EQ(to_scale(0, q + 1).y - to_scale(0, q).y, 0.0390625f) << "row " << q;
  EXPECT_NEAR(to_scale(101, 0).x - to_scale(100, 0).x, 0.0491f, 1e-4f);
}

TEST(Scale, VisibleInnerAreaExcludesTheBorderAndHiddenRows) {
  EXPECT_TRUE(over_visible_inner_area(2, 2));
  EXPECT_TRUE(over_visible_inner_area(304, 550));
  EXPECT_FALSE(over_visible_inner_area(1, 100));    // left border
  EXPECT_FALSE(over_visible_inner_area(305, 100));  // right border
  EXPECT_FALSE(over_visible_inner_area(100, 1));    // top border
  EXPECT_FALSE(over_visible_inner_area(100, 551));  // below the client area
  EXPECT_FALSE(over_visible_inner_area(-5, -5));
}

TEST(Icon, WindowCarriesTheCurrentDrawingAtEachSize) {
  for (const int size : kIconSizes) {
    const auto pixels = application_icon(size);
    EXPECT_TRUE(pixels == render_icon(size)) << "icon of " << size;
    EXPECT_EQ(pixels[pixels.size() / 2 + size / 2] >> 24, 0xFFu) << "centre of " << size;
  }
  EXPECT_THROW(application_icon(kIconSizes[0] + 1), std::out_of_range);
}

}  // namespace
}  // namespace nuv::window

namespace nuv::host {
namespace {

TEST(KeyCodes, TypedTextBecomesCharacterCodes) {
  EXPECT_EQ(key_codes_for_text("+"), std::vector<std::int16_t>{'+'});
  EXPECT_EQ(key_codes_for_text("-,."), (std::vector<std::int16_t>{'-', ',', '.'}));
  EXPECT_EQ(key_codes_for_text("\xC3\xA9"), std::vector<std::int16_t>{0xE9});        // é
  EXPECT_EQ(key_codes_for_text("\xE2\x88\x92"), std::vector<std::int16_t>{0x2212});  // minus sign
}

TEST(KeyCodes, DropsWhatNoCharacterCodeCanHold) {
  EXPECT_TRUE(key_codes_for_text("\xF0\x9F\x98\x80").empty());             // beyond 16 bits
  EXPECT_TRUE(key_codes_for_text("\xEF\xBF\xBD").empty());                 // U+FFFD
  EXPECT_EQ(key_codes_for_text("\xC3+"), std::vector<std::int16_t>{'+'});  // cut sequence
  EXPECT_EQ(key_codes_for_text("\xFF*"), std::vector<std::int16_t>{'*'});
  EXPECT_EQ(key_codes_for_text("\xE2\x88"), std::vector<std::int16_t>{});
}

}  // namespace
}  // namespace nuv::host
