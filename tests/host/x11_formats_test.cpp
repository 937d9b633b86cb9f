// What the X11 host reads and writes without a server: pixels in every visual's format, and the
// desktop's published settings.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "host/x11/pixel_format.hpp"
#include "host/x11/xsettings.hpp"

namespace nuv::host::x11 {
namespace {

PixelFormat true_colour(int bits, std::uint32_t red, std::uint32_t green, std::uint32_t blue,
                        bool msb = false) {
  PixelFormat format;
  format.bits_per_pixel = bits;
  format.most_significant_first = msb;
  format.red_mask = red;
  format.green_mask = green;
  format.blue_mask = blue;
  return format;
}

// Each channel scaled to the levels its mask holds, to the nearest; the bytes in the server's
// order.
TEST(PixelFormat, EveryVisualsPixelsInItsByteOrder) {
  const struct {
    const char* what;
    PixelFormat format;
    std::uint32_t rgb;
    std::vector<std::uint8_t> bytes;
  } cases[] = {
      {"24 bits", true_colour(32, 0xFF0000, 0xFF00, 0xFF), 0xF0A069, {0x69, 0xA0, 0xF0, 0x00}},
      {"24 bits, most significant first",
       true_colour(32, 0xFF0000, 0xFF00, 0xFF, true),
       0xF0A069,
       {0x00, 0xF0, 0xA0, 0x69}},
      {"30 bits", true_colour(32, 0x3FF00000, 0xFFC00, 0x3FF), 0xFF8000, {0x00, 0x08, 0xF8, 0x3F}},
      {"16 bits", true_colour(16, 0xF800, 0x7E0, 0x1F), 0xFF0000, {0x00, 0xF8}},
      {"16 bits, most significant first",
       true_colour(16, 0xF800, 0x7E0, 0x1F, true),
       0x00FF00,
       {0x07, 0xE0}},
      {"15 bits", true_colour(16, 0x7C00, 0x3E0, 0x1F), 0x0000FF, {0x1F, 0x00}},
      {"15 bits, grey rounded", true_colour(16, 0x7C00, 0x3E0, 0x1F), 0x808080, {0x10, 0x42}},
      {"8 bits of true colour", true_colour(8, 0xE0, 0x1C, 0x03), 0xFFFFFF, {0xFF}},
      {"24 bits packed in three bytes",
       true_colour(24, 0xFF0000, 0xFF00, 0xFF),
       0x123456,
       {0x56, 0x34, 0x12}},
  };
  for (const auto& [what, format, rgb, bytes] : cases) {
    std::vector<std::uint8_t> written(bytes.size() * 2, 0xAA);
    const std::uint32_t pixels[] = {rgb, rgb};
    convert_row(format, pixels, 2, written.data());
    std::vector<std::uint8_t> twice = bytes;
    twice.insert(twice.end(), bytes.begin(), bytes.end());
    EXPECT_EQ(written, twice) << what;
  }
  EXPECT_TRUE(true_colour(32, 0xFF0000, 0xFF00, 0xFF).same_as_client_area());
  EXPECT_FALSE(true_colour(32, 0xFF0000, 0xFF00, 0xFF, true).same_as_client_area());
  EXPECT_FALSE(true_colour(32, 0xFF, 0xFF00, 0xFF0000).same_as_client_area());
}

// Through a colour map each colour is its entry, and one without an entry the nearest one's.
TEST(PixelFormat, MappedColoursAndTheNearestForOthers) {
  PixelFormat format;
  format.bits_per_pixel = 8;
  format.mapped = {{0xFFFFFF, 7}, {0x000000, 3}, {0xFF0000, 9}, {0xF0F0F0, 12}};
  const std::uint32_t row[] = {0xFFFFFF, 0x000000, 0xFF0000, 0xF0F0F0, 0xE3E3E3, 0x200000};
  std::uint8_t written[6] = {};
  convert_row(format, row, 6, written);
  EXPECT_EQ(std::vector<std::uint8_t>(written, written + 6),
            (std::vector<std::uint8_t>{7, 3, 9, 12, 12, 3}));
}

// A settings list as a settings manager writes it: byte order, serial, count, then each setting
// with its type, name, serial and value.
std::vector<std::uint8_t> settings_list(bool big_endian, std::int32_t integer_value,
                                        const std::string& integer = "Net/DoubleClickTime") {
  std::vector<std::uint8_t> bytes{static_cast<std::uint8_t>(big_endian ? 1 : 0), 0, 0, 0};
  const auto put = [&](std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) {
      const int shift = 8 * (big_endian ? size - 1 - i : i);
      bytes.push_back(static_cast<std::uint8_t>(value >> shift));
    }
  };
  const auto name = [&](const std::string& text) {
    put(static_cast<std::uint32_t>(text.size()), 2);
    bytes.insert(bytes.end(), text.begin(), text.end());
    bytes.resize(bytes.size() + (4 - text.size() % 4) % 4);
    put(0, 4);  // serial of the last change
  };
  put(5, 4);                          // serial
  put(3, 4);                          // settings
  bytes.insert(bytes.end(), {1, 0});  // a string
  name("Net/ThemeName");
  put(7, 4);
  bytes.insert(bytes.end(), {'A', 'd', 'w', 'a', 'i', 't', 'a', 0});
  bytes.insert(bytes.end(), {2, 0});  // a colour
  name("Gtk/Colour");
  put(0, 4);
  put(0, 4);
  bytes.insert(bytes.end(), {0, 0});  // an integer
  name(integer);
  put(static_cast<std::uint32_t>(integer_value), 4);
  return bytes;
}

TEST(XSettings, DoubleClickTimeAfterOtherSettingsInEitherByteOrder) {
  EXPECT_EQ(double_click_time_in(settings_list(false, 250)), std::chrono::milliseconds{250});
  EXPECT_EQ(double_click_time_in(settings_list(true, 600)), std::chrono::milliseconds{600});
  EXPECT_EQ(double_click_time_in(settings_list(false, 0)), std::nullopt) << "not positive";
  auto cut = settings_list(false, 250);
  cut.resize(cut.size() - 2);
  EXPECT_EQ(double_click_time_in(cut), std::nullopt) << "cut short";
  EXPECT_EQ(double_click_time_in({}), std::nullopt);
}

TEST(XSettings, DotsPerInchIn1024ths) {
  EXPECT_EQ(dots_per_inch_in(settings_list(false, 192 * 1024, "Xft/DPI")), 192.0);
  EXPECT_EQ(dots_per_inch_in(settings_list(true, 147456, "Xft/DPI")), 144.0);
  EXPECT_EQ(dots_per_inch_in(settings_list(false, -1, "Xft/DPI")), std::nullopt) << "unset";
  EXPECT_EQ(dots_per_inch_in(settings_list(false, 250)), std::nullopt) << "another setting";
}

}  // namespace
}  // namespace nuv::host::x11
