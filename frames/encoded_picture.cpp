#include "frames/encoded_picture.hpp"

#include <algorithm>

namespace nuv::frames {

bool EncodedPicture::same_row(int y, const EncodedPicture& other) const {
  const Rle8Row& mine = rows_[static_cast<std::size_t>(y)];
  const Rle8Row& theirs = other.rows_[static_cast<std::size_t>(y)];
  return mine.column == theirs.column && std::ranges::equal(codes(mine), other.codes(theirs));
}

}  // namespace nuv::frames
