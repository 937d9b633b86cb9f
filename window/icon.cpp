#include "window/icon.hpp"

namespace nuv::window {
namespace {

constexpr std::uint32_t kTransparent = 0x00000000;
constexpr std::uint32_t kFrame = 0xFF404040;
constexpr std::uint32_t kTitleBar = 0xFF1C4FA8;
constexpr std::uint32_t kTitleButton = 0xFFF0F0F0;
constexpr std::uint32_t kClient = 0xFFFFFFFF;
constexpr std::uint32_t kClientShade = 0xFFD8D8D8;

std::uint32_t icon_pixel(int x, int y, int size) {
  const int margin = size / 16;  // a transparent rim, as desktop icons have
  const int last = size - 1 - margin;
  const int title_bottom = margin + size / 4;
  if (x < margin || x > last || y < margin || y > last) return kTransparent;
  if (x == margin || x == last || y == margin || y == last) return kFrame;
  if (y <= title_bottom) {
    const int button_size = size / 8;
    const bool in_button = x >= last - 1 - button_size && x < last - 1 &&
                           y > title_bottom - button_size - 1 && y < title_bottom;
    return in_button ? kTitleButton : kTitleBar;
  }
  // A faint band along the client's left and top edges gives the window some depth.
  return (x == margin + 1 || y == title_bottom + 1) ? kClientShade : kClient;
}

}  // namespace

std::vector<std::uint32_t> application_icon(int size) {
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(size) * size);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x)
      pixels[static_cast<std::size_t>(y) * size + x] = icon_pixel(x, y, size);
  return pixels;
}

}  // namespace nuv::window
