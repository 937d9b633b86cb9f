// PNG files through libpng's simplified interface, which writes a palette image when given one.
#include <png.h>

#include <stdexcept>
#include <string>

#include "export/image_files.hpp"
#include "export/used_colours.hpp"

namespace nuv::exporting {

std::vector<std::uint8_t> encode_png(const frames::Picture& frame) {
  const UsedColours colours = used_colours(std::span(&frame, 1));
  const std::vector<std::uint8_t> pixels = colours.remap(frame);
  std::vector<std::uint8_t> colormap;
  for (const frames::Rgb& rgb : colours.palette)
    colormap.insert(colormap.end(), {rgb.r, rgb.g, rgb.b});

  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(frame.width);
  image.height = static_cast<png_uint_32>(frame.height);
  image.format = PNG_FORMAT_RGB_COLORMAP;
  image.colormap_entries = static_cast<png_uint_32>(colours.palette.size());
  // The first call measures, the second writes.
  png_alloc_size_t size = 0;
  std::vector<std::uint8_t> file;
  if (png_image_write_to_memory(&image, nullptr, &size, 0, pixels.data(), 0, colormap.data())) {
    file.resize(size);
    if (png_image_write_to_memory(&image, file.data(), &size, 0, pixels.data(), 0,
                                  colormap.data())) {
      file.resize(size);
      return file;
    }
  }
  const std::string message = image.message;
  png_image_free(&image);
  throw std::runtime_error("PNG encoder: " + message);
}

}  // namespace nuv::exporting
