#include "frames/rle8.hpp"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <string_view>

#include "frames/picture_record.hpp"

namespace nuv::frames {
namespace {

constexpr int kMaxCount = 255;
constexpr int kMinAbsoluteCount = 3;  // counts 0 to 2 after a zero byte are escape codes
constexpr std::uint8_t kEndOfRow = 0;
constexpr std::uint8_t kEndOfBitmap = 1;
constexpr std::uint8_t kPositionSkip = 2;

struct Run {
  std::uint8_t index;
  int length;
};

std::vector<Run> runs_of(std::span<const std::uint8_t> row) {
  std::vector<Run> runs;
  for (std::uint8_t index : row) {
    if (runs.empty() || runs.back().index != index) runs.push_back({index, 0});
    ++runs.back().length;
  }
  return runs;
}

int encoded_size(int length) {
  return 2 * ((length + kMaxCount - 1) / kMaxCount);
}
int absolute_size(int length) {
  return 2 + length;
}

void put_encoded(const Run& run, std::vector<std::uint8_t>& out) {
  for (int left = run.length; left > 0; left -= kMaxCount) {
    out.push_back(static_cast<std::uint8_t>(std::min(left, kMaxCount)));
    out.push_back(run.index);
  }
}

void put_absolute(std::span<const std::uint8_t> pixels, std::vector<std::uint8_t>& out) {
  out.push_back(0);
  out.push_back(static_cast<std::uint8_t>(pixels.size()));
  out.insert(out.end(), pixels.begin(), pixels.end());
}

// Picks the cheapest split of the row's runs into encoded runs and absolute stretches: shortest[i]
// is the fewest bytes for the first i runs, the last piece of which starts at run piece_start[i].
// Absolute stretches are of even length only: an odd one needs a padding byte, and the even
// stretch one pixel shorter followed by an encoded run never costs more.
void encode_row(std::span<const std::uint8_t> row, std::vector<std::uint8_t>& out) {
  const std::vector<Run> runs = runs_of(row);
  const std::size_t count = runs.size();
  std::vector<int> shortest(count + 1, 0);
  std::vector<std::size_t> piece_start(count + 1, 0);
  std::vector<bool> absolute(count + 1, false);
  for (std::size_t end = 1; end <= count; ++end) {
    shortest[end] = shortest[end - 1] + encoded_size(runs[end - 1].length);
    piece_start[end] = end - 1;
    int pixels = 0;
    for (std::size_t start = end; start-- > 0;) {
      pixels += runs[start].length;
      if (pixels > kMaxCount) break;
      const int size = shortest[start] + absolute_size(pixels);
      if (pixels >= kMinAbsoluteCount && pixels % 2 == 0 && size < shortest[end]) {
        shortest[end] = size;
        piece_start[end] = start;
        absolute[end] = true;
      }
    }
  }

  std::vector<std::size_t> piece_ends;
  for (std::size_t end = count; end > 0; end = piece_start[end]) piece_ends.push_back(end);
  std::size_t column = 0;
  for (auto it = piece_ends.rbegin(); it != piece_ends.rend(); ++it) {
    int pixels = 0;
    for (std::size_t run = piece_start[*it]; run < *it; ++run) pixels += runs[run].length;
    if (absolute[*it]) {
      put_absolute(row.subspan(column, static_cast<std::size_t>(pixels)), out);
    } else {
      put_encoded(runs[*it - 1], out);
    }
    column += static_cast<std::size_t>(pixels);
  }
}

// Checks the stream code by code, writing the pixels where there are pixels to write, and noting
// where each row's codes are where there is an index to make.
class StreamDecoder {
 public:
  StreamDecoder(std::span<const std::uint8_t> stream, int width, int height,
                std::span<std::uint8_t> pixels, std::vector<Rle8Row>* rows)
      : stream_(stream), width_(width), height_(height), pixels_(pixels), rows_(rows) {
    if (rows_ != nullptr) {
      rows_->assign(static_cast<std::size_t>(height), Rle8Row{0, 0, width});
      begin_row(0);
    }
  }

  Rle8Codes decode() {
    for (;;) {
      code_offset_ = offset_;
      if (offset_ == stream_.size()) fail("ends " + row_name() + " without an end-of-bitmap code");
      need(2, "a code");
      const std::uint8_t count = next();
      const std::uint8_t value = next();
      if (count > 0) {
        put_run(count, value);
      } else if (value == kEndOfRow) {
        end_row();
      } else if (value == kEndOfBitmap) {
        end_bitmap();
        return codes_;
      } else if (value == kPositionSkip) {
        skip();
      } else {
        put_absolute_run(value);
      }
    }
  }

 private:
  [[noreturn]] void fail(const std::string& what) const {
    throw RecordError("RLE8 stream " + what + " (pixel data byte " + std::to_string(code_offset_) +
                      ")");
  }

  std::string row_name() const {
    if (row_ >= height_) return "above the top row";
    return "in row " + std::to_string(row_ + 1) + " from the bottom";
  }

  bool has(std::size_t bytes) const { return stream_.size() - offset_ >= bytes; }

  void need(std::size_t bytes, std::string_view what) const {
    if (!has(bytes)) fail("ends inside " + std::string(what) + " " + row_name());
  }

  std::uint8_t next() { return stream_[offset_++]; }

  // Where the next `count` pixels go, after checking that they fit in the current row.
  std::size_t place(int count, std::string_view kind) const {
    if (row_ >= height_) fail("has " + std::string(kind) + " above the top row");
    if (column_ + count > width_) {
      fail("has " + std::string(kind) + " of " + std::to_string(count) + " pixels at column " +
           std::to_string(column_) + " " + row_name() + ", past the end of the " +
           std::to_string(width_) + "-pixel row");
    }
    return static_cast<std::size_t>(height_ - 1 - row_) * static_cast<std::size_t>(width_) +
           static_cast<std::size_t>(column_);
  }

  void put_run(int count, std::uint8_t index) {
    const std::size_t at = place(count, "a run");
    if (!pixels_.empty())
      std::fill_n(pixels_.begin() + static_cast<std::ptrdiff_t>(at), count, index);
    column_ += count;
  }

  void put_absolute_run(int count) {
    const std::size_t padded = static_cast<std::size_t>(count + count % 2);
    if (!has(padded)) {
      fail("ends inside an absolute run of " + std::to_string(count) + " pixels " + row_name());
    }
    const std::size_t at = place(count, "an absolute run");
    if (!pixels_.empty())
      std::copy_n(stream_.begin() + static_cast<std::ptrdiff_t>(offset_), count,
                  pixels_.begin() + static_cast<std::ptrdiff_t>(at));
    offset_ += padded;
    column_ += count;
  }

  void end_row() {
    if (row_ >= height_) fail("closes more than " + std::to_string(height_) + " rows");
    end_row_codes();
    ++row_;
    column_ = 0;
    begin_row(0);
    ++codes_.end_of_row;
  }

  // The row's codes begin here, at this column; the index holds rows top first.
  void begin_row(int column) {
    if (rows_ == nullptr || row_ >= height_) return;
    (*rows_)[static_cast<std::size_t>(height_ - 1 - row_)] =
        Rle8Row{static_cast<std::uint32_t>(offset_), static_cast<std::uint32_t>(offset_), column};
  }
  void end_row_codes() {
    if (rows_ != nullptr && row_ < height_)
      (*rows_)[static_cast<std::size_t>(height_ - 1 - row_)].end =
          static_cast<std::uint32_t>(offset_);
  }

  void skip() {
    need(2, "a position skip");
    const int right = next();
    const int up = next();
    if (row_ + up >= height_ || column_ + right > width_) {
      fail("has a position skip by " + std::to_string(right) + ", " + std::to_string(up) +
           " from column " + std::to_string(column_) + " " + row_name() +
           " that leaves the picture");
    }
    column_ += right;
    if (up > 0) {
      end_row_codes();
      row_ += up;
      begin_row(column_);
    }
    ++codes_.position_skips;
  }

  void end_bitmap() {
    end_row_codes();
    if (offset_ != stream_.size()) {
      fail("goes on for " + std::to_string(stream_.size() - offset_) +
           " bytes after its end-of-bitmap code");
    }
  }

  std::span<const std::uint8_t> stream_;
  int width_;
  int height_;
  std::span<std::uint8_t> pixels_;
  std::vector<Rle8Row>* rows_;
  std::size_t offset_ = 0;
  std::size_t code_offset_ = 0;
  int row_ = 0;  // counted from the bottom, as stored
  int column_ = 0;
  Rle8Codes codes_;
};

}  // namespace

std::vector<std::uint8_t> encode_rle8(const Picture& picture) {
  std::vector<std::uint8_t> stream;
  const auto width = static_cast<std::size_t>(picture.width);
  for (int y = picture.height - 1; y >= 0; --y) {
    encode_row(std::span(picture.pixels).subspan(static_cast<std::size_t>(y) * width, width),
               stream);
    stream.push_back(0);
    stream.push_back(y == 0 ? kEndOfBitmap : kEndOfRow);
  }
  return stream;
}

Rle8Codes decode_rle8(std::span<const std::uint8_t> stream, int width, int height,
                      std::span<std::uint8_t> pixels) {
  if (width <= 0 || height <= 0 ||
      pixels.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) {
    throw std::invalid_argument("decode_rle8: pixel buffer does not match the picture size");
  }
  return StreamDecoder(stream, width, height, pixels, nullptr).decode();
}

std::vector<Rle8Row> index_rle8(std::span<const std::uint8_t> stream, int width, int height) {
  if (width <= 0 || height <= 0) throw std::invalid_argument("index_rle8: no picture size");
  std::vector<Rle8Row> rows;
  StreamDecoder(stream, width, height, {}, &rows).decode();
  return rows;
}

}  // namespace nuv::frames
