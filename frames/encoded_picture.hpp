#pragma once
// A frame picture kept as its stored RLE8 codes, checked once when its record was read, with an
// index of where each row's codes lie: it is decoded row by row as it is shown, never whole into
// memory of its own.

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "frames/picture.hpp"
#include "frames/rle8.hpp"

namespace nuv::frames {

class EncodedPicture {
 public:
  // The stream's bytes must outlive the picture, unless they lie in the bytes it is given to own,
  // which a move keeps in place.
  EncodedPicture(int width, int height, const std::array<Rgb, 256>& palette,
                 std::span<const std::uint8_t> stream, std::vector<Rle8Row> rows,
                 std::vector<std::uint8_t> owned = {})
      : width_(width),
        height_(height),
        palette_(palette),
        owned_(std::move(owned)),
        stream_(stream),
        rows_(std::move(rows)) {}
  EncodedPicture(EncodedPicture&&) = default;
  EncodedPicture& operator=(EncodedPicture&&) = default;
  EncodedPicture(const EncodedPicture&) = delete;
  EncodedPicture& operator=(const EncodedPicture&) = delete;

  int width() const { return width_; }
  int height() const { return height_; }
  const std::array<Rgb, 256>& palette() const { return palette_; }

  // The pixels of row y, 0 at the top, as for_each_run in rle8.hpp hands them on.
  template <typename Run, typename Pixels>
  void for_each_run(int y, Run run, Pixels pixels) const {
    frames::for_each_run(stream_, rows_[static_cast<std::size_t>(y)], width_, run, pixels);
  }
  // Whether row y shows the same indices as row y of `other` of the same size: their codes are
  // the same.
  bool same_row(int y, const EncodedPicture& other) const;

 private:
  std::span<const std::uint8_t> codes(const Rle8Row& row) const {
    return stream_.subspan(row.begin, row.end - row.begin);
  }

  int width_, height_;
  std::array<Rgb, 256> palette_;
  std::vector<std::uint8_t> owned_;
  std::span<const std::uint8_t> stream_;
  std::vector<Rle8Row> rows_;
};

}  // namespace nuv::frames
