// PNG files written here, their pixel data deflated by zlib: a palette image of 8 bits a pixel
// (IHDR colour type 3, with PLTE), rows unfiltered, each chunk closed by its CRC.
#include <zlib.h>

#include <array>
#include <stdexcept>
#include <string_view>

#include "export/image_files.hpp"
#include "export/used_colours.hpp"

namespace nuv::exporting {
namespace {

constexpr std::array<std::uint8_t, 8> kSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

void put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8)
    out.push_back(static_cast<std::uint8_t>(value >> shift));
}

// A chunk: its length, its type, its data and the CRC of type and data.
void put_chunk(std::vector<std::uint8_t>& file, std::string_view type,
               std::span<const std::uint8_t> data) {
  put32(file, static_cast<std::uint32_t>(data.size()));
  const std::size_t start = file.size();
  file.insert(file.end(), type.begin(), type.end());
  file.insert(file.end(), data.begin(), data.end());
  put32(file, static_cast<std::uint32_t>(
                  crc32(0, file.data() + start, static_cast<uInt>(file.size() - start))));
}

// The rows, each behind the filter type 0 (none), deflated into one zlib stream.
std::vector<std::uint8_t> packed_rows(const std::vector<std::uint8_t>& pixels, int width,
                                      int height) {
  const auto row = static_cast<std::size_t>(width);
  std::vector<std::uint8_t> rows;
  rows.reserve((row + 1) * static_cast<std::size_t>(height));
  for (std::size_t y = 0; y < static_cast<std::size_t>(height); ++y) {
    rows.push_back(0);
    rows.insert(rows.end(), pixels.begin() + static_cast<std::ptrdiff_t>(y * row),
                pixels.begin() + static_cast<std::ptrdiff_t>((y + 1) * row));
  }
  uLongf size = compressBound(static_cast<uLong>(rows.size()));
  std::vector<std::uint8_t> packed(size);
  if (compress2(packed.data(), &size, rows.data(), static_cast<uLong>(rows.size()),
                Z_BEST_COMPRESSION) != Z_OK)
    throw std::runtime_error("PNG encoder: zlib cannot deflate the pixels");
  packed.resize(size);
  return packed;
}

}  // namespace

std::vector<std::uint8_t> encode_png(const frames::Picture& frame) {
  const UsedColours colours = used_colours(std::span(&frame, 1));
  std::vector<std::uint8_t> header;
  put32(header, static_cast<std::uint32_t>(frame.width));
  put32(header, static_cast<std::uint32_t>(frame.height));
  header.insert(header.end(),
                {8, 3, 0, 0, 0});  // 8 bits, palette, deflate, no filter, no interlace
  std::vector<std::uint8_t> palette;
  for (const frames::Rgb& rgb : colours.palette)
    palette.insert(palette.end(), {rgb.r, rgb.g, rgb.b});

  std::vector<std::uint8_t> file(kSignature.begin(), kSignature.end());
  put_chunk(file, "IHDR", header);
  put_chunk(file, "PLTE", palette);
  put_chunk(file, "IDAT", packed_rows(colours.remap(frame), frame.width, frame.height));
  put_chunk(file, "IEND", {});
  return file;
}

}  // namespace nuv::exporting
