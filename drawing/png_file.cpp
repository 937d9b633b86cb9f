#include "drawing/png_file.hpp"

#include <cairo.h>

#include <memory>
#include <stdexcept>
#include <string>

namespace nuv::drawing {
namespace {

using frames::packed;

using Surface = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;

std::uint32_t* row_of(cairo_surface_t* surface, int y) {
  return reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(surface) +
                                          y * cairo_image_surface_get_stride(surface));
}

[[noreturn]] void fail(const std::string& what, const std::filesystem::path& path,
                       cairo_status_t status) {
  throw std::runtime_error("cannot " + what + " " + path.string() + ": " +
                           cairo_status_to_string(status));
}

}  // namespace

void write_png(const RgbImage& image, const std::filesystem::path& path) {
  Surface surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, image.width, image.height),
                  cairo_surface_destroy);
  for (int y = 0; y < image.height; ++y) {
    std::uint32_t* row = row_of(surface.get(), y);
    for (int x = 0; x < image.width; ++x) row[x] = packed(image.at(x, y));
  }
  cairo_surface_mark_dirty(surface.get());
  const cairo_status_t status = cairo_surface_write_to_png(surface.get(), path.c_str());
  if (status != CAIRO_STATUS_SUCCESS) fail("write", path, status);
}

// Cairo hands back opaque images as RGB24 and others premultiplied as ARGB32; the sheets this
// program writes are opaque, so only the colour bytes are kept.
RgbImage read_png(const std::filesystem::path& path) {
  Surface surface(cairo_image_surface_create_from_png(path.c_str()), cairo_surface_destroy);
  const cairo_status_t status = cairo_surface_status(surface.get());
  if (status != CAIRO_STATUS_SUCCESS) fail("read", path, status);
  RgbImage image(cairo_image_surface_get_width(surface.get()),
                 cairo_image_surface_get_height(surface.get()), {});
  for (int y = 0; y < image.height; ++y) {
    const std::uint32_t* row = row_of(surface.get(), y);
    for (int x = 0; x < image.width; ++x) {
      image.at(x, y) = {static_cast<std::uint8_t>(row[x] >> 16),
                        static_cast<std::uint8_t>(row[x] >> 8), static_cast<std::uint8_t>(row[x])};
    }
  }
  return image;
}

}  // namespace nuv::drawing
