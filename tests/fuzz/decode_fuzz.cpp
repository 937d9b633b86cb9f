// Feeds arbitrary bytes to the picture decoders: as a whole picture record, and as the RLE8 pixel
// data of a small picture, which reaches the stream's edge cases without first passing the
// headers. Whatever the bytes, decoding must succeed or raise RecordError, and never touch memory
// outside its input and its picture.

#include <cstdint>
#include <span>
#include <vector>

#include "frames/picture_record.hpp"
#include "frames/rle8.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  try {
    nuv::frames::decode_picture_record(bytes, "Image1");
  } catch (const nuv::frames::RecordError&) {
  }
  std::vector<std::uint8_t> small_picture(16 * 8);
  try {
    nuv::frames::decode_rle8(bytes, 16, 8, small_picture);
  } catch (const nuv::frames::RecordError&) {
  }
  return 0;
}
