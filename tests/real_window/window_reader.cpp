#include "tests/real_window/window_reader.hpp"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <map>
#include <stdexcept>

#include "frames/stored_frames.hpp"
#include "tests/real_window/x_errors.hpp"

namespace nuv::testing {
namespace {

struct ImageDestroyer {
  void operator()(XImage* image) const { XDestroyImage(image); }
};

// A channel of any depth as 8 bits, rounded to the nearest.
std::uint8_t channel(unsigned long pixel, unsigned long mask) {
  const unsigned long largest = mask >> std::countr_zero(mask);
  const unsigned long value = (pixel & mask) >> std::countr_zero(mask);
  return static_cast<std::uint8_t>((2 * value * 255 + largest) / (2 * largest));
}

// The colours of the default colour map, for a display that maps colours.
std::vector<XColor> colour_map_of(Display* display) {
  const int screen = DefaultScreen(display);
  std::vector<XColor> colours(static_cast<std::size_t>(1) << DefaultDepth(display, screen));
  for (std::size_t i = 0; i < colours.size(); ++i) colours[i].pixel = i;
  XQueryColors(display, DefaultColormap(display, screen), colours.data(),
               static_cast<int>(colours.size()));
  return colours;
}

int tolerance_of(const XImage& image) {
  const int bits = std::min({std::popcount(image.red_mask), std::popcount(image.green_mask),
                             std::popcount(image.blue_mask)});
  return bits >= 8 ? 0 : 255 / ((1 << bits) - 1);
}

// Where the client area's top-left corner lies on weston's output: where Picture1's sunken
// border begins, its outer ring dark along the whole top and the whole visible left edge.
std::optional<std::pair<int, int>> find_client_area(const Screenshot& output,
                                                    const window::Layout& layout) {
  const frames::Rgb dark = window::kShadowColour;
  const int right = layout.outer.width - layout.zoom;  // where the light ring begins
  for (int top = 0; top + layout.client_height <= output.height; ++top)
    for (int left = 0; left + layout.client_width <= output.width; ++left) {
      bool border = output.at(left + right, top) == window::kHighlightColour;
      for (int x = 0; x < right && border; ++x) border = output.at(left + x, top) == dark;
      for (int y = 0; y < layout.client_height && border; ++y)
        border = output.at(left, top + y) == dark;
      if (border) return std::pair{left, top};
    }
  return std::nullopt;
}

}  // namespace

frames::Rgb Screenshot::at(int x, int y) const {
  const std::size_t i = (static_cast<std::size_t>(y) * width + x) * 3;
  return {rgb[i], rgb[i + 1], rgb[i + 2]};
}

bool Screenshot::shows(int x, int y, frames::Rgb colour) const {
  const frames::Rgb shown = at(x, y);
  const auto near = [this](int a, int b) { return std::abs(a - b) <= tolerance; };
  return near(shown.r, colour.r) && near(shown.g, colour.g) && near(shown.b, colour.b);
}

struct WindowReader::Connection {
  Display* display = XOpenDisplay(nullptr);
  ~Connection() {
    if (display != nullptr) XCloseDisplay(display);
  }
};

WindowReader::WindowReader() : connection_(std::make_unique<Connection>()) {
  if (connection_->display == nullptr) throw std::runtime_error("cannot open the display");
}

WindowReader::~WindowReader() = default;

// Only a shown window counts; a window that goes away meanwhile is passed over.
std::optional<unsigned long> WindowReader::find_viewer(std::string_view caption) const {
  Display* display = connection_->display;
  const XErrorsIgnored errors_ignored(display);
  ::Window root = 0, parent = 0, *children = nullptr;
  unsigned count = 0;
  XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count);
  std::optional<unsigned long> found;
  for (unsigned i = 0; i < count && !found; ++i) {
    XWindowAttributes attributes;
    char* name = nullptr;
    if (XGetWindowAttributes(display, children[i], &attributes) &&
        attributes.map_state == IsViewable && XFetchName(display, children[i], &name) &&
        name != nullptr) {
      if (caption == name) found = children[i];
      XFree(name);
    }
  }
  if (children != nullptr) XFree(children);
  return found;
}

std::optional<Screenshot> WindowReader::grab(unsigned long window,
                                             const window::Layout& layout) const {
  return grab(PlacedClientArea{window, 0, 0}, layout);
}

std::optional<Screenshot> WindowReader::grab(const PlacedClientArea& area,
                                             const window::Layout& layout) const {
  return grab_rectangle(area.window, area.left, area.top, layout.client_width,
                        layout.client_height);
}

std::optional<PlacedClientArea> WindowReader::find_on_weston(unsigned long weston_window,
                                                             window::Size output_size,
                                                             int scale) const {
  const auto output = grab_rectangle(weston_window, 0, 0, output_size.width, output_size.height);
  const auto corner = output ? find_client_area(*output, window::layout_at(scale)) : std::nullopt;
  if (!corner) return std::nullopt;
  return PlacedClientArea{weston_window, corner->first, corner->second};
}

std::optional<Screenshot> WindowReader::grab_rectangle(unsigned long window, int left, int top,
                                                       int width, int height) const {
  Display* display = connection_->display;
  // A window that has gone away is reported as a failed grab.
  std::unique_ptr<XImage, ImageDestroyer> image;
  {
    const XErrorsIgnored errors_ignored(display);
    image.reset(XGetImage(display, window, left, top, static_cast<unsigned>(width),
                          static_cast<unsigned>(height), AllPlanes, ZPixmap));
  }
  if (!image) return std::nullopt;
  const bool mapped = image->red_mask == 0;
  const std::vector<XColor> colour_map = mapped ? colour_map_of(display) : std::vector<XColor>{};
  Screenshot shot{width, height, {}, mapped ? 0 : tolerance_of(*image)};
  shot.rgb.resize(static_cast<std::size_t>(shot.width) * shot.height * 3);
  auto out = shot.rgb.begin();
  // The usual 24-bit true colour, read straight from the image: a grab at zoom 3 is 1.5 million
  // pixels, and a test that samples the picture on a loaded machine needs them fast.
  if (image->bits_per_pixel == 32 && image->byte_order == LSBFirst && image->red_mask == 0xFF0000 &&
      image->green_mask == 0xFF00 && image->blue_mask == 0xFF) {
    for (int y = 0; y < shot.height; ++y) {
      const auto* row = reinterpret_cast<const std::uint8_t*>(image->data) +
                        static_cast<std::ptrdiff_t>(y) * image->bytes_per_line;
      for (int x = 0; x < shot.width; ++x, row += 4) {
        *out++ = row[2];
        *out++ = row[1];
        *out++ = row[0];
      }
    }
    return shot;
  }
  for (int y = 0; y < shot.height; ++y)
    for (int x = 0; x < shot.width; ++x) {
      const unsigned long pixel = XGetPixel(image.get(), x, y);
      if (mapped) {
        const XColor& colour = colour_map[pixel % colour_map.size()];
        *out++ = static_cast<std::uint8_t>(colour.red >> 8);
        *out++ = static_cast<std::uint8_t>(colour.green >> 8);
        *out++ = static_cast<std::uint8_t>(colour.blue >> 8);
        continue;
      }
      *out++ = channel(pixel, image->red_mask);
      *out++ = channel(pixel, image->green_mask);
      *out++ = channel(pixel, image->blue_mask);
    }
  return shot;
}

// Which frame's rows from `first_row` on the shot shows, the first of them at `top` and the
// inner area's first column at `left`; -1 for none.
// The rows of the inner area that the crank pin's circle crosses in some frame: its centre turns
// on a circle round the main axis, so every frame shows the pin elsewhere in them.
int WindowReader::slot_in_band(const PlacedClientArea& area, const window::Layout& layout) const {
  constexpr int kFirstRow = 200, kEndRow = 420;  // at zoom 1: 308 -/+ (65.5 + 34), and a margin
  const int zoom = layout.zoom;
  const window::Rect& inner = layout.inner;
  const std::optional<Screenshot> band =
      grab_rectangle(area.window, area.left + inner.x, area.top + inner.y + kFirstRow * zoom,
                     inner.width, (kEndRow - kFirstRow) * zoom);
  return band ? slot_in_rows(*band, 0, 0, kFirstRow * zoom, band->height, layout) : -1;
}

int slot_in_rows(const Screenshot& shot, int left, int top, int first_row, int rows,
                 const window::Layout& layout) {
  const auto& frames = stored_frames(layout.zoom);
  for (int slot = 0; slot < frames::kFrameCount; ++slot) {
    bool same = true;
    for (int y = 0; y < rows && same; ++y)
      for (int x = 0; x < layout.inner.width && same; ++x)
        same = shot.shows(left + x, top + y, frames[slot].colour_at(x, first_row + y));
    if (same) return slot;
  }
  return -1;
}

int slot_in(const Screenshot& shot, const window::Layout& layout) {
  return slot_in_rows(shot, layout.inner.x, layout.inner.y, 0, frames::kFrameHeight * layout.zoom,
                      layout);
}

const std::array<frames::Picture, frames::kFrameCount>& stored_frames(int zoom) {
  using Frames = std::array<frames::Picture, frames::kFrameCount>;
  static std::map<int, Frames> decoded;
  auto [at, inserted] = decoded.try_emplace(zoom);
  if (inserted)
    for (int number = 1; number <= frames::kFrameCount; ++number)
      at->second[number - 1] = frames::decoded_stored_picture(number, zoom);
  return at->second;
}

}  // namespace nuv::testing
