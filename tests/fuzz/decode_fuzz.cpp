// Feeds arbitrary bytes to the picture decoders: as a whole picture record, and as the RLE8 pixel
// data of a small picture, which reaches the stream's edge cases without first passing the
// headers. Whatever the bytes, decoding must succeed or raise RecordError, and never touch memory
// outside its input and its picture; and the pixels decoded row by row from a stream's index must
// be those decoded whole.

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
    return 0;
  }
  // A stream that decodes gives the same pixels row by row from the index of its codes, as a
  // picture is shown.
  const std::vector<nuv::frames::Rle8Row> rows = nuv::frames::index_rle8(bytes, 16, 8);
  for (int y = 0; y < 8; ++y) {
    const std::uint8_t* expected = &small_picture[static_cast<std::size_t>(y) * 16];
    nuv::frames::for_each_run(
        bytes, rows[static_cast<std::size_t>(y)], 16,
        [&](int x, int count, std::uint8_t index) {
          for (int i = 0; i < count; ++i)
            if (expected[x + i] != index) __builtin_trap();
        },
        [&](int x, const std::uint8_t* indices, int count) {
          for (int i = 0; i < count; ++i)
            if (expected[x + i] != indices[i]) __builtin_trap();
        });
  }
  return 0;
}
