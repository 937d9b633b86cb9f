// Animated GIF files written here (GIF89a): one global colour table, a looping application
// extension, and each frame whole behind its graphic control extension, its pixels compressed
// with the format's variable-length LZW codes.
#include <algorithm>
#include <stdexcept>
#include <string_view>

#include "export/image_files.hpp"
#include "export/used_colours.hpp"

namespace nuv::exporting {
namespace {

constexpr int kMaxCodeBits = 12;
constexpr int kCodeCount = 1 << kMaxCodeBits;

void put16(std::vector<std::uint8_t>& out, int value) {
  out.push_back(static_cast<std::uint8_t>(value & 0xFF));
  out.push_back(static_cast<std::uint8_t>(value >> 8 & 0xFF));
}

void put_text(std::vector<std::uint8_t>& out, std::string_view text) {
  out.insert(out.end(), text.begin(), text.end());
}

// Bits into bytes, the first bit the lowest, and the bytes into sub-blocks of up to 255.
class BlockWriter {
 public:
  explicit BlockWriter(std::vector<std::uint8_t>& file) : file_(file) {}

  void put(int code, int bits) {
    pending_ |= static_cast<std::uint32_t>(code) << pending_bits_;
    pending_bits_ += bits;
    while (pending_bits_ >= 8) {
      put_byte(static_cast<std::uint8_t>(pending_ & 0xFF));
      pending_ >>= 8;
      pending_bits_ -= 8;
    }
  }

  // The last bits, the last block and the block terminator.
  void finish() {
    if (pending_bits_ > 0) put_byte(static_cast<std::uint8_t>(pending_));
    flush_block();
    file_.push_back(0);
  }

 private:
  void put_byte(std::uint8_t byte) {
    block_.push_back(byte);
    if (block_.size() == 255) flush_block();
  }
  void flush_block() {
    if (block_.empty()) return;
    file_.push_back(static_cast<std::uint8_t>(block_.size()));
    file_.insert(file_.end(), block_.begin(), block_.end());
    block_.clear();
  }

  std::vector<std::uint8_t>& file_;
  std::vector<std::uint8_t> block_;
  std::uint32_t pending_ = 0;
  int pending_bits_ = 0;
};

// The pixels as LZW codes: a clear code first, then the longest strings already coded, each
// string's code followed by a new code for it and its next pixel, codes one bit longer once they
// no longer fit, a clear code when all 4096 are taken, and the end code last.
void put_lzw(std::vector<std::uint8_t>& file, const std::vector<std::uint8_t>& pixels,
             int minimum_bits) {
  const int clear = 1 << minimum_bits;
  const auto alphabet = static_cast<std::size_t>(clear);
  // The code of each string extended by each pixel value; 0 for none yet.
  std::vector<std::uint16_t> extended(kCodeCount * alphabet);
  int next_code = clear + 2;
  int bits = minimum_bits + 1;
  file.push_back(static_cast<std::uint8_t>(minimum_bits));
  BlockWriter out(file);
  out.put(clear, bits);
  int string = pixels.front();
  for (std::size_t i = 1; i < pixels.size(); ++i) {
    const std::uint8_t pixel = pixels[i];
    std::uint16_t& code = extended[static_cast<std::size_t>(string) * alphabet + pixel];
    if (code != 0) {
      string = code;
      continue;
    }
    out.put(string, bits);
    if (next_code < kCodeCount) {
      if (next_code == 1 << bits) ++bits;
      code = static_cast<std::uint16_t>(next_code++);
    } else {
      out.put(clear, bits);
      std::ranges::fill(extended, 0);
      next_code = clear + 2;
      bits = minimum_bits + 1;
    }
    string = pixel;
  }
  out.put(string, bits);
  out.put(clear + 1, bits);
  out.finish();
}

// GIF colour tables hold a power of two entries, at least two; the unused ones stay black.
int table_bits_for(std::size_t colours) {
  int bits = 1;
  while ((std::size_t{1} << bits) < colours) ++bits;
  return bits;
}

}  // namespace

std::vector<std::uint8_t> encode_gif(std::span<const frames::Picture> frames) {
  const UsedColours colours = used_colours(frames);
  const int width = frames.front().width;
  const int height = frames.front().height;
  const int table_bits = table_bits_for(colours.palette.size());
  std::vector<std::uint8_t> file;
  put_text(file, "GIF89a");
  put16(file, width);
  put16(file, height);
  // A global table of 2^table_bits colours, of as many bits of resolution; background 0.
  file.insert(file.end(),
              {static_cast<std::uint8_t>(0x80 | (table_bits - 1) << 4 | (table_bits - 1)), 0, 0});
  std::vector<frames::Rgb> table = colours.palette;
  table.resize(std::size_t{1} << table_bits, frames::Rgb{0, 0, 0});
  for (const frames::Rgb& rgb : table) file.insert(file.end(), {rgb.r, rgb.g, rgb.b});
  // Loop for ever: the application extension NETSCAPE2.0, sub-block 1, repeat count 0.
  file.insert(file.end(), {0x21, 0xFF, 11});
  put_text(file, "NETSCAPE2.0");
  file.insert(file.end(), {3, 1, 0, 0, 0});
  for (const frames::Picture& frame : frames) {
    // Graphic control: the frame stays (disposal 1), for kGifFrameDelay, nothing transparent.
    file.insert(file.end(), {0x21, 0xF9, 4, 1 << 2});
    put16(file, kGifFrameDelay);
    file.insert(file.end(), {0, 0});
    // The image at the top-left, the screen's size, with the global table.
    file.push_back(0x2C);
    put16(file, 0);
    put16(file, 0);
    put16(file, width);
    put16(file, height);
    file.push_back(0);
    put_lzw(file, colours.remap(frame), std::max(table_bits, 2));
  }
  file.push_back(0x3B);
  return file;
}

}  // namespace nuv::exporting
