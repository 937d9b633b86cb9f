#include "frames/bitmap_file.hpp"

#include "frames/byte_writer.hpp"

namespace nuv::frames {

std::vector<std::uint8_t> bitmap_file(const Picture& picture, BitmapCompression compression,
                                      std::span<const std::uint8_t> pixel_data) {
  const auto file_size = static_cast<std::uint32_t>(kPixelDataOffset + pixel_data.size());
  std::vector<std::uint8_t> file;
  file.reserve(file_size);
  ByteWriter out(file);

  out.u8('B');
  out.u8('M');
  out.u32(file_size);
  out.u16(0);  // reserved
  out.u16(0);  // reserved
  out.u32(static_cast<std::uint32_t>(kPixelDataOffset));

  out.u32(static_cast<std::uint32_t>(kInfoHeaderSize));
  out.u32(static_cast<std::uint32_t>(picture.width));
  out.u32(static_cast<std::uint32_t>(picture.height));
  out.u16(1);  // planes
  out.u16(8);  // bits per pixel
  out.u32(static_cast<std::uint32_t>(compression));
  out.u32(static_cast<std::uint32_t>(pixel_data.size()));
  out.u32(0);    // horizontal resolution
  out.u32(0);    // vertical resolution
  out.u32(256);  // colours used
  out.u32(0);    // important colours

  for (const Rgb& colour : picture.palette) {
    out.u8(colour.b);
    out.u8(colour.g);
    out.u8(colour.r);
    out.u8(0);
  }
  out.bytes(pixel_data);
  return file;
}

}  // namespace nuv::frames
