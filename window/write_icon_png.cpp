// Build tool: writes the application icon at one size as a PNG file for the desktop.
// Usage: write_icon_png SIZE FILE

#include <cairo.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "window/icon.hpp"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s SIZE FILE\n", argv[0]);
    return 2;
  }
  const int size = std::atoi(argv[1]);
  if (size < 8 || size > 256) {
    std::fprintf(stderr, "write_icon_png: size %s is not between 8 and 256\n", argv[1]);
    return 2;
  }
  auto pixels = nuv::window::application_icon(size);
  // Cairo wants premultiplied alpha; the icon is fully opaque or fully transparent, so only
  // transparent pixels need clearing.
  for (auto& pixel : pixels)
    if ((pixel >> 24) == 0) pixel = 0;
  const int stride = cairo_format_stride_for_width(CAIRO_FORMAT_ARGB32, size);
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size);
  cairo_surface_flush(surface);
  unsigned char* data = cairo_image_surface_get_data(surface);
  for (int y = 0; y < size; ++y)
    std::memcpy(data + y * stride, pixels.data() + static_cast<std::size_t>(y) * size,
                static_cast<std::size_t>(size) * 4);
  cairo_surface_mark_dirty(surface);
  const cairo_status_t status = cairo_surface_write_to_png(surface, argv[2]);
  cairo_surface_destroy(surface);
  if (status != CAIRO_STATUS_SUCCESS) {
    std::fprintf(stderr, "write_icon_png: cannot write %s: %s\n", argv[2],
                 cairo_status_to_string(status));
    return 1;
  }
  return 0;
}
