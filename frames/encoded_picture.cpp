#include "frames/encoded_picture.hpp"

#include <algorithm>

namespace nuv::frames {

bool EncodedPicture::same_row(int y, const EncodedPicture& other) const {
  const Rle8Row& mine = rows_[static_cast<std::size_t>(y)];
  const Rle8Row& theirs = other.rows_[static_cast<std::size_t>(y)];
  const auto my_codes = codes(mine), their_codes = other.codes(theirs);
  return mine.column == theirs.column &&
         std::equal(my_codes.begin(), my_codes.end(), their_codes.begin(), their_codes.end());
}

}  // namespace nuv::frames
