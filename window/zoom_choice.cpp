#include "window/zoom_choice.hpp"

#include <algorithm>
#include <cstdlib>
#include <cmath>

#include "frames/zoom.hpp"
#include "window/layout.hpp"

namespace nuv::window {
namespace {

constexpr double kDotsPerInchPerZoom = 96.0;

// The nearest zoom level the frames exist at, for a positive density factor; none otherwise.
// Limited before it is rounded, so that no factor is too large to round.
std::optional<int> zoom_for_factor(double factor) {
  if (!(factor > 0.0) || std::isnan(factor)) return std::nullopt;
  return static_cast<int>(std::lround(std::clamp(factor, 1.0, double{frames::kMaxZoom})));
}

// A decimal number, in a point and an exponent where it has them, or "inf" or "nan": what
// std::from_chars reads, which not every standard library reads for floating point. strtod reads
// it in the C locale the program never leaves; a plus sign or a hexadecimal number it would also
// read are refused.
std::optional<double> number_in(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return std::nullopt;
  text.remove_prefix(first);
  if (text.front() == '+' || text.find_first_of("xX") != std::string_view::npos)
    return std::nullopt;
  const std::string number(text);
  char* end = nullptr;
  const double value = std::strtod(number.c_str(), &end);
  if (end == number.c_str() ||
      std::string_view(end).find_first_not_of(" \t") != std::string_view::npos)
    return std::nullopt;
  return value;
}

// The value of the resource Xft.dpi, from lines of the form "Xft.dpi:\t192".
std::optional<double> xft_dpi(std::string_view resources) {
  constexpr std::string_view kName = "Xft.dpi:";
  while (!resources.empty()) {
    const auto end = resources.find('\n');
    const std::string_view line = resources.substr(0, end);
    if (line.starts_with(kName)) return number_in(line.substr(kName.size()));
    resources.remove_prefix(end == std::string_view::npos ? resources.size() : end + 1);
  }
  return std::nullopt;
}

std::optional<int> gdk_zoom(std::optional<std::string_view> gdk_scale) {
  if (!gdk_scale) return std::nullopt;
  const auto scale = number_in(*gdk_scale);
  if (!scale || *scale != std::floor(*scale)) return std::nullopt;
  return zoom_for_factor(*scale);
}

}  // namespace

int wanted_zoom(const DesktopDensity& desktop) {
  if (desktop.requested) return *desktop.requested;
  if (desktop.display_scale)
    if (const auto zoom = zoom_for_factor(*desktop.display_scale)) return *zoom;
  if (desktop.monitor_dpi)
    if (const auto zoom = zoom_for_factor(*desktop.monitor_dpi / kDotsPerInchPerZoom)) return *zoom;
  const auto resource_dpi = xft_dpi(desktop.x_resources);
  if (const auto dpi = resource_dpi ? resource_dpi : desktop.settings_dpi)
    if (const auto zoom = zoom_for_factor(*dpi / kDotsPerInchPerZoom)) return *zoom;
  return gdk_zoom(desktop.gdk_scale).value_or(1);
}

namespace {

// The window with its frame.
Size framed(int zoom, const DesktopDensity& desktop) {
  const Size window = window_size_in_points(zoom, desktop.output_scale);
  return {window.width + desktop.frame.width, window.height + desktop.frame.height};
}

bool fits(int zoom, const DesktopDensity& desktop) {
  const Size window = framed(zoom, desktop);
  return window.width <= desktop.usable_area->width && window.height <= desktop.usable_area->height;
}

std::string size_text(Size size) {
  return std::to_string(size.width) + " x " + std::to_string(size.height);
}

}  // namespace

// Worked out in 64 bits, so that no value a property holds can overflow.
Rect usable_area(std::span<const std::uint32_t> work_area, Size screen) {
  const Rect whole{0, 0, screen.width, screen.height};
  if (work_area.size() < 4) return whole;
  const auto clamp = [](std::int64_t value, int most) {
    return static_cast<int>(std::clamp<std::int64_t>(value, 0, most));
  };
  const int left = clamp(work_area[0], screen.width);
  const int top = clamp(work_area[1], screen.height);
  const int right = clamp(std::int64_t{work_area[0]} + work_area[2], screen.width);
  const int bottom = clamp(std::int64_t{work_area[1]} + work_area[3], screen.height);
  if (right <= left || bottom <= top) return whole;
  return {left, top, right - left, bottom - top};
}

Size window_size_in_points(int zoom, int output_scale) {
  const Layout layout = layout_at(zoom == output_scale ? 1 : zoom);
  return {layout.client_width, layout.client_height};
}

ZoomChoice choose_zoom(const DesktopDensity& desktop) {
  const int wanted = wanted_zoom(desktop);
  int zoom = wanted;
  if (desktop.usable_area)
    while (zoom > 1 && !fits(zoom, desktop)) --zoom;
  if (zoom == wanted) return {zoom, {}};
  const bool framed_window = desktop.frame.width > 0 || desktop.frame.height > 0;
  return {zoom,
          "nuv: a " + size_text(window_size_in_points(wanted, desktop.output_scale)) + " window" +
              (framed_window ? " in its frame (" + size_text(framed(wanted, desktop)) + ")" : "") +
              " does not fit the display's usable area of " + size_text(*desktop.usable_area) +
              "; showing it at zoom " + std::to_string(zoom) + " instead of " +
              std::to_string(wanted)};
}

Rezoomed rezoomed(const DesktopDensity& density, int zoom, bool follows_density, Rect suggested) {
  const int chosen = follows_density ? choose_zoom(density).zoom : zoom;
  const Layout layout = layout_at(chosen);
  return {chosen,
          {suggested.x, suggested.y, layout.client_width + density.frame.width,
           layout.client_height + density.frame.height}};
}

}  // namespace nuv::window
